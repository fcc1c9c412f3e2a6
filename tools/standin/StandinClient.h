#ifndef RINGLOCK_TOOLS_STANDIN_STANDINCLIENT_H
#define RINGLOCK_TOOLS_STANDIN_STANDINCLIENT_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Our stand-in for the calling client's side of the window-message API: a
// hidden top-level window on a thread of its own that answers discovery with
// scripted attach statuses, records every command block it receives and sends
// notifications as WM_COPYDATA. Used in-process by the tests and wrapped by the
// stand-in client program.

struct ReceivedCommand {
    std::string text;     // the block's bytes up to the first NUL, or all cbData bytes
    DWORD cbData;
    ULONG_PTR dwData;
    HWND sender;          // wParam of the WM_COPYDATA
    bool hasNul;          // a NUL lies within cbData
    double atMs;          // StandinClock() when it arrived
};

struct AttachStep {
    LPARAM status;        // sent as lParam of the attach message
    DWORD delayMs;        // after the discover message (or the previous step)
};

// How the stand-in answers the commands it receives.
enum class ReplyMode {
    None,         // records only
    Synchronous,  // replies from inside the command's WM_COPYDATA handler
    Deferred,     // replies from its own thread after replyDelayMs
};

constexpr LPARAM STANDIN_ATTACH_SUCCESS = 0;
constexpr LPARAM STANDIN_ATTACH_PENDING = 1;
constexpr LPARAM STANDIN_ATTACH_REFUSED = 2;
constexpr LPARAM STANDIN_ATTACH_NOT_AVAILABLE = 3;
constexpr LPARAM STANDIN_ATTACH_API_AVAILABLE = 0x8001;

// Milliseconds on a monotonic clock shared by everything in one process.
double StandinClock();

// The lines the real client answers `command` with, in order; empty when it
// sends nothing back. `partnerOf` maps a call id to its partner's handle and
// returns false for an unknown call.
std::vector<std::string> StandinReplies(const std::string& command,
                                        const std::function<bool(const std::string&, std::string&)>& partnerOf);

class StandinClient {
public:
    StandinClient();
    ~StandinClient();
    StandinClient(const StandinClient&) = delete;
    StandinClient& operator=(const StandinClient&) = delete;

    bool start();  // thread and window exist when it returns true
    void stop();

    // Answered to each discover broadcast, in order; empty = silence.
    void setAttachScript(std::vector<AttachStep> steps);
    // The n-th discover broadcast (from 0) is answered with perDiscover[n];
    // later ones get silence.
    void setAttachScripts(std::vector<std::vector<AttachStep>> perDiscover);
    // Ignore discover broadcasts from windows of other processes (0 = accept all).
    void acceptDiscoverOnlyFrom(DWORD processId);
    // Replies as the real client does: GET CALL n PARTNER_HANDLE -> CALL n
    // PARTNER_HANDLE <partner of n>, SET CALL n STATUS INPROGRESS -> status and
    // video lines, ALTER ... START_VIDEO_SEND echoed, SET WINDOWSTATE
    // MAXIMIZED, PING -> PONG, anything else -> ERROR.
    void setReplyMode(ReplyMode mode, DWORD replyDelayMs = 0);
    void setPartner(const std::string& callId, const std::string& partner);
    // Called on the stand-in's thread for every command, before any reply.
    void setCommandHook(std::function<void(const ReceivedCommand&)> hook);
    // Value the stand-in returns for every command block (1 unless set).
    void setCommandResult(LRESULT result);

    HWND apiWindow() const;   // the stand-in's window, named in every attach and notification
    HWND appWindow() const;   // the window named by the last discover broadcast
    int discoverCount() const;
    // On StandinClock(): when the last discover broadcast that was answered
    // arrived, and when the last attach message sent in answer to one
    // returned (the receiver had handled it by then).
    double lastDiscoverMs() const;
    double lastAttachReturnedMs() const;
    int attachesSent() const;  // attach messages sent in answer to discovery

    // Sends from the calling thread, wParam = apiWindow(); returns the result.
    LRESULT sendAttach(LPARAM status);
    LRESULT notify(const std::string& text);
    LRESULT sendBlock(const void* data, DWORD cbData, HWND fromWindow);
    // Posts the attach message with `status` to every top-level window, as the
    // real client announces 0x8001.
    BOOL broadcastAttach(LPARAM status);
    // Sends `text` to appWindow() from the stand-in's own thread after delayMs.
    void notifyLater(const std::string& text, DWORD delayMs);
    // The stand-in's thread stops taking messages for `ms` (INFINITE: for
    // good), as a hung client does; true once it has stopped.
    bool hang(DWORD ms);
    // Sends `text` to `target` from the calling thread, wParam = apiWindow();
    // a receiver that hangs fails the send after timeoutMs.
    LRESULT notifyWithin(HWND target, const std::string& text, DWORD timeoutMs);
    // Sends the texts one after the other as notifyWithin does; returns the
    // burst's wall time per text in microseconds, as the sender waits it.
    double timedBurst(HWND target, const std::vector<std::string>& texts, DWORD timeoutMs);

    std::vector<ReceivedCommand> commands() const;
    std::vector<std::string> commandTexts() const;
    size_t commandCount() const;
    void clearCommands();
    // Pumps the calling thread's messages while it waits.
    bool waitForCommandCount(size_t count, DWORD timeoutMs) const;
    bool waitForDiscoverCount(int count, DWORD timeoutMs) const;
    bool waitForAttachesSent(int count, DWORD timeoutMs) const;
    // The first command from index `from` on whose text begins with `head`;
    // wakes as soon as a command arrives.
    bool waitForCommandStartingWith(const std::string& head, size_t from, DWORD timeoutMs, ReceivedCommand* found,
                                    size_t* index = nullptr) const;

private:
    struct Impl;
    Impl* m_impl;
};

#endif
