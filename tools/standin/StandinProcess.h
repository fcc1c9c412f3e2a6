#ifndef RINGLOCK_TOOLS_STANDIN_STANDINPROCESS_H
#define RINGLOCK_TOOLS_STANDIN_STANDINPROCESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "tools/harness/Harness.h"
#include "tools/standin/Transcript.h"

// A stand-in program run as a process of its own in the test's folder, read
// through the transcript it writes there: standin_client.exe (or `program`)
// playing `scenario`, its transcript <name>.log, or standin_players.exe with
// `arguments`, its transcript players.log. Each start returns once the
// program's windows exist.
class StandinProcess {
public:
    bool startClient(const std::string& folder, const std::string& scenario, const std::string& program = {},
                     const std::string& name = "client");
    bool startPlayers(const std::string& folder, const std::string& arguments);
    bool started() const { return !m_transcript.empty(); }

    std::vector<TranscriptLine> lines() const { return ReadTranscript(m_transcript); }
    // Texts of the lines with `tag`, in order.
    std::vector<std::string> texts(const std::string& tag) const;
    // Time of the first line with `tag` and `text`, or a negative value.
    double timeOf(const std::string& tag, const char* text) const;
    bool waitFor(const std::string& tag, const std::string& text, DWORD timeoutMs) const;
    // The client's commands, as it received them.
    std::vector<std::string> commands() const { return texts("<-"); }
    bool waitForCommand(const std::string& text, DWORD timeoutMs) const { return waitFor("<-", text, timeoutMs); }
    int waitForExit(DWORD timeoutMs) { return m_process.waitForExit(timeoutMs); }
    bool running() const { return m_process.running(); }

private:
    bool start(const std::string& exe, const std::string& arguments, const std::string& folder,
               const std::string& transcript);

    ChildProcess m_process;
    std::string m_transcript;
};

#endif
