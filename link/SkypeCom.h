#ifndef RINGLOCK_LINK_SKYPECOM_H
#define RINGLOCK_LINK_SKYPECOM_H

#include <atomic>

#include "link/SendFailure.h"
#include "link/UIthread.h"

// Sent synchronously from the link thread to the dialog: wParam is a
// NUL-terminated text valid only during the send, lParam its kind.
constexpr UINT WM_LINK_TEXT = WM_USER + 222;
constexpr LPARAM LINK_TEXT_STATUS = 1;
constexpr LPARAM LINK_TEXT_API = 2;

constexpr UINT_PTR TIMER_DISCOVER = 10;
constexpr UINT DISCOVER_TIMEOUT_MS = 1000;
// While no client has answered at all, discovery is broadcast again this
// often, silently: at logon the client may still be starting when the first
// broadcast goes out, and it may never announce itself.
constexpr UINT REDISCOVER_INTERVAL_MS = 30000;
// Sent by startDiscovery to the link's own window, so that the discovery
// timer is set by the thread that owns the window.
constexpr UINT WM_LINK_DISCOVER = WM_USER + 223;

// A healthy client answers a command within a millisecond or two; one under
// load may stall for a second or more. Three seconds is well beyond that, and
// short of the five seconds after which the system itself calls a window hung.
constexpr UINT COMMAND_TIMEOUT_MS = 3000;
// PING is sent only as the program exits and nothing depends on its answer;
// a healthy client answers it within a millisecond, and exit stays well
// under a second and a half when the client is hung.
constexpr UINT PING_TIMEOUT_MS = 500;
// A client that ends while it handles a command has not taken it.
constexpr UINT SEND_FLAGS = SMTO_NORMAL | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT;

constexpr LPARAM ATTACH_SUCCESS = 0;
constexpr LPARAM ATTACH_PENDING_AUTHORIZATION = 1;
constexpr LPARAM ATTACH_REFUSED = 2;
constexpr LPARAM ATTACH_NOT_AVAILABLE = 3;
constexpr LPARAM ATTACH_API_AVAILABLE = 0x8001;

// The status lines the link logs: one for each attach status, then those of
// its own.
constexpr char CONNECTED_TEXT[] = "Connected to Skype";
constexpr char WAITING_TEXT[] = "Waiting for Skype to Accept this App...";
constexpr char WAITING_HINT_TEXT[] = "  It may take up to 10sec for skype to notify you";
constexpr char DENIED_TEXT[] = "Skype Denied this App Access";
constexpr char NOT_SIGNED_IN_TEXT[] = "Skype is not signed-in";
constexpr char AVAILABLE_TEXT[] = "Skype is now signed-in, and is avaliable";
constexpr char UNKNOWN_STATUS_TEXT[] = "Unknown Skype message";
constexpr char NOT_DELIVERED_TEXT[] = "Skype is not responding, the command was not delivered";
constexpr char CLIENT_CLOSED_TEXT[] = "Skype has closed";
constexpr char NOT_RUNNING_TEXT[] = "Skype is not running, you need to start Skype";
constexpr char HIGHER_RIGHTS_TEXT[] =
    "Skype runs with higher rights than Ringlock and refuses its commands: start both as administrator, or neither";

// What the link can tell of the client, as far as answering calls goes. Each
// change is sent to the dialog as WM_LINK_STATE, wParam the new state.
enum class LinkState : WPARAM {
    Looking,         // the search has begun, no answer yet
    NotRunning,      // no client answered, or the client closed
    WaitingForAccess,
    Refused,
    NotSignedIn,
    Attached,        // calls are answered
    NotResponding,   // attached, but a command was not taken
    CommandsRefused, // attached, but the client runs with higher rights and refuses commands
};
constexpr UINT WM_LINK_STATE = WM_USER + 224;
// Posted to the link's own window when a command finds the client's window
// gone; wParam is that window.
constexpr UINT WM_LINK_CLIENT_GONE = WM_USER + 225;

extern const char* const DISCOVER_MESSAGE_NAME;  // "SkypeControlAPIDiscover"
extern const char* const ATTACH_MESSAGE_NAME;    // "SkypeControlAPIAttach"

// The one connection to the calling client's window-message API.
class SkypeCom final : public UIthread {
public:
    LRESULT handleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void onThreadStart() override;
    void onThreadEnd() override;
    HANDLE watchedHandle() override;
    void onWatchedHandleSignalled() override;

    BOOL startDiscovery(HWND dialog);
    LRESULT sendCommand(const char* command);
    LRESULT ping();
    LRESULT notifyDialog(const char* text, LPARAM kind);
    void setState(LinkState state);
    // Only from `from` to `to`.
    void changeState(LinkState from, LinkState to);
    // The client's process, watched from the link thread from a successful
    // attach on, so its end is noticed without polling.
    void watchClientProcess(HWND skype);
    void forgetClientProcess();
    LRESULT sendWithin(const char* command, UINT timeoutMs);
    void onUndelivered(HWND skype, SendFailure failure);
    // On the link thread: nothing more goes to the client's window.
    void onClientClosed();
    // On the link thread.
    BOOL discover(HWND hWnd);
    void onDiscoverTimer(HWND hWnd);
    BOOL broadcastDiscovery();

    // Written on one thread and read on the other, hence atomic.
    std::atomic<HWND> m_hDialog{nullptr};
    std::atomic<HWND> m_hSkypeWnd{nullptr};
    UINT m_discoverMsg = 0;
    UINT m_attachMsg = 0;
    std::atomic<LONG> m_copyDataResult{1};
    std::atomic<LinkState> m_state{LinkState::Looking};
    // Touched only on the link thread.
    // Set while TIMER_DISCOVER may still report: a WM_TIMER already queued
    // when the timer is stopped must not report "not running" after an attach.
    bool m_discoverPending = false;
    // Set while no client has answered since discovery began or the client
    // closed: TIMER_DISCOVER then repeats the broadcast.
    bool m_searching = false;
    UniqueHandle m_hClientProcess;
    // Touched only on the thread that sends commands: the client window and
    // the failure of the current run of undelivered commands, reported once
    // per run.
    HWND m_hUndeliveredTo = nullptr;
    SendFailure m_undeliveredBecause = SendFailure::Hung;
};

#endif
