#ifndef RINGLOCK_TOOLS_STANDIN_TRANSCRIPT_H
#define RINGLOCK_TOOLS_STANDIN_TRANSCRIPT_H

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

// The timestamped record that the stand-in programs write, one line per event:
// "<ms> <tag> <text>", where <ms> is ClockMs() (the same clock in every
// process of a machine), so the records of several programs can be merged.
// Control bytes and backslashes in the text are written as \xNN.
//
// Tags of the stand-in client: "<-" a command received, "->" a notification
// sent, "<<" a discovery received, ">>" an attach message sent, "==" a mark,
// "!!" a failure. The media players use "WMP" and "WMC".

struct TranscriptLine {
    double atMs;
    std::string tag;
    std::string text;
};

class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool open(const std::string& path);
    // Safe from any thread; each line reaches the file before it returns.
    void write(const std::string& tag, const std::string& text);
    void writeAt(double atMs, const std::string& tag, const std::string& text);

private:
    std::mutex m_mutex;
    std::FILE* m_file = nullptr;
};

// A window or pointer as transcripts name it: "0x" and lower-case hex digits.
std::string HexText(const void* pointer);

// The lines of a transcript file written so far; a last line without its line
// end (still being written) is left out.
std::vector<TranscriptLine> ReadTranscript(const std::string& path);

#endif
