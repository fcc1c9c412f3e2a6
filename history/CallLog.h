#ifndef RINGLOCK_HISTORY_CALLLOG_H
#define RINGLOCK_HISTORY_CALLLOG_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The call history, free of the platform: the calls that rang on this PC as
// the client reports them, how each ended, and the history file's text.

// The file: a UTF-8 byte-order mark (so that Notepad and a spreadsheet read
// any script), then the column names, separated by tabs, as its first line;
// one line per call after it. A file whose first line is not this one is not
// the program's.
constexpr char HISTORY_HEADER[] = "\xEF\xBB\xBF" "When\tCaller\tOn the list\tWhat happened\tSeconds talked\r\n";
constexpr wchar_t HISTORY_FILE_ENDING[] = L" calls.txt";
// A call's line written to a file larger than this keeps the header and about
// the newest HISTORY_KEPT_BYTES of calls, the new line last.
constexpr size_t HISTORY_MAX_BYTES = 1024 * 1024;
constexpr size_t HISTORY_KEPT_BYTES = HISTORY_MAX_BYTES / 2;
// A caller's name is kept to this many bytes; a call whose identifier is
// longer is not followed.
constexpr size_t HISTORY_TEXT_MAX_BYTES = 512;

// What happened, besides the client's own final status in lower case.
constexpr char ANSWERED_BY_RINGLOCK[] = "answered by Ringlock";
constexpr char ANSWERED_BY_HAND[] = "answered by hand";
constexpr char END_NOT_SEEN[] = "end not seen";

struct EndedCall {
    std::string when;    // local time of the first ringing
    std::string caller;  // the client's text; empty when it never said
    bool onList;         // a contact matched when the caller was recognised
    std::string outcome;
    uint64_t secondsTalked;
};

// What the calls are told apart by, from outside.
class CallSurroundings {
public:
    virtual uint64_t nowMs() = 0;
    // YYYY-MM-DD HH:MM:SS
    virtual std::string localTime() = 0;
    virtual bool isListed(const std::string& caller) = 0;

protected:
    ~CallSurroundings() = default;
};

// Follows every call the client reports ringing, from its first ringing to
// its end. A call first reported otherwise (this PC placed it, or it went on
// when the program started) is never followed. A status the client repeats
// changes nothing.
class CallLog {
public:
    explicit CallLog(CallSurroundings& around) : m_around(around) {}
    // Each text the client sends; the calls it ends are added to `ended`.
    void onMessage(const std::string& message, std::vector<EndedCall>& ended);
    // The program sent the command that answers the call.
    void onRinglockAnswer(const std::string& callId);
    // The calls still open end unseen: the client closed, or the program ends.
    void endAll(std::vector<EndedCall>& ended);
    // Whether a call the program answered is still open.
    bool ringlockAnswerOpen() const;

private:
    struct OpenCall {
        std::string id;
        EndedCall record;
        bool recognised;
        bool answeredByRinglock;
        bool inProgress;
        uint64_t inProgressAtMs;
        const char* talkedOutcome;
    };

    void onStatus(const std::string& id, const std::string& status, std::vector<EndedCall>& ended);
    void onPartner(const std::string& id, const std::string& caller);
    OpenCall* find(const std::string& id);
    void close(size_t index, const std::string& outcome, std::vector<EndedCall>& ended);
    void forget(const std::string& id);

    CallSurroundings& m_around;
    std::vector<OpenCall> m_open;  // in the order they rang
    std::vector<std::string> m_done;  // ended or never followed, newest last
};

// "YYYY-MM-DD HH:MM:SS".
std::string HistoryTime(int year, int month, int day, int hour, int minute, int second);
// A call's line: its five fields separated by tabs, CR LF at its end. A tab,
// CR or LF in the caller's name becomes a blank, so that a line stays a line.
std::string HistoryLine(const EndedCall& call);

// Where to read the tail of a file of `fileSize` bytes that grew past
// HISTORY_MAX_BYTES from, so that its first byte is the end of the line
// before the kept ones, or of the header. A file may have grown past what
// memory holds: only its tail is read.
uint64_t HistoryTailStart(uint64_t fileSize);
// The file that replaces one that grew past HISTORY_MAX_BYTES: the header,
// the whole lines of `tail` after its first line end, byte for byte, then
// `lines`.
std::string TrimmedHistory(const std::string& tail, const std::string& lines);
// What is appended to a file whose last bytes are `lastBytes`, so that
// `lines` begin on a line of their own.
std::string HistoryAppend(const std::string& lastBytes, const std::string& lines);

#endif
