#ifndef RINGLOCK_TOOLS_STANDIN_STANDINCLIENT_H
#define RINGLOCK_TOOLS_STANDIN_STANDINCLIENT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/standin/Scenario.h"
#include "tools/standin/Transcript.h"

// Our stand-in for the calling client's side of the window-message API: a
// hidden top-level window on a thread of its own that answers discovery with
// the scenario's attach statuses, records every command block it receives,
// answers commands as the client does and sends notifications as WM_COPYDATA.
// What it does later (attach answers, deferred replies, the ticks of a call's
// duration) waits in one queue that the window's thread serves. The stand-in
// client program plays a scenario's timeline with it (ScenarioTimeline.h);
// the benchmark and the in-process tests drive it directly.

struct ReceivedCommand {
    std::string text;  // the block's bytes up to the first NUL, or all cbData bytes
    DWORD cbData;
    HWND sender;       // wParam of the WM_COPYDATA
    double atMs;       // ClockMs() when it arrived
};

// The exit code of a process ended by the `crash` step.
constexpr UINT CRASH_EXIT_CODE = 9;
constexpr DWORD SEND_TIMEOUT_MS = 10000;

class StandinClient {
public:
    explicit StandinClient(Scenario scenario = Scenario{});
    ~StandinClient();
    StandinClient(const StandinClient&) = delete;
    StandinClient& operator=(const StandinClient&) = delete;

    bool writeTranscriptTo(const std::string& path);
    // Where the client writes what it receives and sends; others may add to it.
    Transcript& transcript();
    bool start();  // thread and window exist when it returns true
    void stop();

    // Ignore discover broadcasts from windows of other processes.
    void acceptDiscoverOnlyFrom(DWORD processId);
    // Called on the stand-in's thread for every command, before any reply;
    // commands() holds a command once replies sent at once have gone.
    void setCommandHook(std::function<void(const ReceivedCommand&)> hook);

    HWND apiWindow() const;  // named in every attach message and notification

    // What discovery and attachment have come to; times on ClockMs().
    struct Attachment {
        HWND appWindow;           // named by the last discover broadcast
        double discoveredMs;      // when the last discovery that was answered arrived
        double attachReturnedMs;  // when the last attach message returned (the receiver had handled it)
        int attachesSent;
        bool attached;            // an attach said "connected"
        int discovers;            // discoveries answered
    };
    Attachment attachment() const;

    // Sent from the calling thread with wParam = apiWindow(), to `target` or
    // else to the discovering program's window; returns the result. A
    // receiver that hangs fails the send after SEND_TIMEOUT_MS.
    LRESULT notify(const std::string& text, HWND target = nullptr);
    LRESULT sendBlock(const void* data, DWORD cbData, HWND fromWindow);
    // Broadcasts an attach message with `status`, as the client announces
    // that its API has become available.
    void announce(int32_t status);
    // The client's user answers the call: it is in progress, and its
    // duration is sent from now on, as for a call answered by command.
    void pickUp(const std::string& callId);
    // The call's duration is no longer sent.
    void endCall(const std::string& callId);
    // The window's thread takes no messages for `ms`;
    // true once it has begun to.
    bool hang(DWORD ms);

    std::vector<ReceivedCommand> commands() const;
    // Looks at `done` until it holds or `timeoutMs` has passed: as soon as an
    // attach returns or a command arrives, and every `pollMs`. So do the two
    // waits below. One waiter at a time.
    bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) const;
    bool waitForAttachesSent(int count, DWORD timeoutMs) const;
    // The first command from index `from` on whose text begins with `head`.
    bool waitForCommandStartingWith(const std::string& head, size_t from, DWORD timeoutMs, ReceivedCommand* found,
                                    size_t* index = nullptr) const;

private:
    struct State;
    State* m_state;
};

#endif
