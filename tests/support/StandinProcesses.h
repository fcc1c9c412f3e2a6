#ifndef RINGLOCK_TESTS_SUPPORT_STANDINPROCESSES_H
#define RINGLOCK_TESTS_SUPPORT_STANDINPROCESSES_H

#include <windows.h>

#include <string>
#include <vector>

#include "tools/harness/Harness.h"
#include "tools/standin/Transcript.h"

// The stand-in programs run as processes of their own beside Ringlock.exe,
// in its folder, read through the transcripts they write there.

// A transcript file being written by a stand-in program.
class TranscriptFile {
public:
    explicit TranscriptFile(std::string path = std::string()) : m_path(std::move(path)) {}
    const std::string& path() const { return m_path; }
    std::vector<TranscriptLine> lines() const { return ReadTranscript(m_path); }
    // Texts of the lines with `tag`, in order.
    std::vector<std::string> texts(const std::string& tag) const;
    // Time of the first line with `tag` (and `text`), or a negative value.
    double timeOf(const std::string& tag) const;
    double timeOf(const std::string& tag, const std::string& text) const;
    bool waitFor(const std::string& tag, const std::string& text, DWORD timeoutMs) const;

private:
    std::string m_path;
};

// standin_client.exe playing a scenario; its transcript is <name>.log.
class ClientProcess {
public:
    // Writes the scenario into `folder`, starts the program there (`program`,
    // or else the one beside the test program) and waits until its window exists.
    bool start(const std::string& folder, const std::string& scenario, const std::string& program = {},
               const std::string& name = "client");
    const TranscriptFile& transcript() const { return m_transcript; }
    std::vector<std::string> commands() const { return m_transcript.texts("<-"); }
    bool waitForCommand(const std::string& text, DWORD timeoutMs) const
    {
        return m_transcript.waitFor("<-", text, timeoutMs);
    }
    int waitForExit(DWORD timeoutMs) { return m_process.waitForExit(timeoutMs); }
    bool running() const { return m_process.running(); }

private:
    ChildProcess m_process;
    TranscriptFile m_transcript;
};

// standin_players.exe; its log is players.log.
class PlayersProcess {
public:
    bool start(const std::string& folder, const std::string& arguments = std::string());
    const TranscriptFile& log() const { return m_log; }

private:
    ChildProcess m_process;
    TranscriptFile m_log;
};

#endif
