#include "link/SkypeCom.h"

#include <cstdint>
#include <cstring>
#include <string>

const char* const DISCOVER_MESSAGE_NAME = "SkypeControlAPIDiscover";
const char* const ATTACH_MESSAGE_NAME = "SkypeControlAPIAttach";

namespace {

// The state an attach status leaves the link in; an unknown status, or the
// client's news that its API is there again, changes nothing.
bool StateAfter(int32_t status, LinkState* state)
{
    switch (status) {
    case ATTACH_SUCCESS:
        *state = LinkState::Attached;
        return true;
    case ATTACH_PENDING_AUTHORIZATION:
        *state = LinkState::WaitingForAccess;
        return true;
    case ATTACH_REFUSED:
        *state = LinkState::Refused;
        return true;
    case ATTACH_NOT_AVAILABLE:
        *state = LinkState::NotSignedIn;
        return true;
    default:
        return false;
    }
}

const char* AttachStatusLine(int32_t status)
{
    switch (status) {
    case ATTACH_SUCCESS:
        return CONNECTED_TEXT;
    case ATTACH_REFUSED:
        return DENIED_TEXT;
    case ATTACH_NOT_AVAILABLE:
        return NOT_SIGNED_IN_TEXT;
    case ATTACH_API_AVAILABLE:
        return AVAILABLE_TEXT;
    default:
        return UNKNOWN_STATUS_TEXT;
    }
}

}  // namespace

LRESULT SkypeCom::handleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_discoverMsg) {
        return 1;
    }
    if (msg == m_attachMsg) {
        const auto status = static_cast<int32_t>(lParam);
        // Whatever the client answers, it is running; after a refusal, or
        // while it asks its user, it must not be asked again.
        m_discoverPending = false;
        m_searching = false;
        KillTimer(hWnd, TIMER_DISCOVER);
        LinkState next = LinkState::Looking;
        if (StateAfter(status, &next)) {
            setState(next);
        }
        if (status == ATTACH_PENDING_AUTHORIZATION) {
            notifyDialog(WAITING_TEXT, LINK_TEXT_STATUS);
            notifyDialog(WAITING_HINT_TEXT, LINK_TEXT_STATUS);
            return 1;
        }
        if (status == ATTACH_SUCCESS) {
            m_hSkypeWnd = reinterpret_cast<HWND>(wParam);
            watchClientProcess(reinterpret_cast<HWND>(wParam));
        }
        notifyDialog(AttachStatusLine(status), LINK_TEXT_STATUS);
        if (status == ATTACH_API_AVAILABLE) {
            broadcastDiscovery();
        }
        return 1;
    }
    switch (msg) {
    case WM_COPYDATA: {
        const HWND skype = m_hSkypeWnd;
        const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (skype && reinterpret_cast<HWND>(wParam) == skype && block && block->lpData && block->cbData > 0) {
            // A client that speaks takes messages again.
            changeState(LinkState::NotResponding, LinkState::Attached);
            const char* text = static_cast<const char*>(block->lpData);
            if (std::memchr(text, 0, block->cbData)) {
                notifyDialog(text, LINK_TEXT_API);
            } else {
                const std::string terminated(text, block->cbData);
                notifyDialog(terminated.c_str(), LINK_TEXT_API);
            }
        }
        return m_copyDataResult;
    }
    case WM_CREATE:
        m_discoverMsg = RegisterWindowMessageA(DISCOVER_MESSAGE_NAME);
        m_attachMsg = RegisterWindowMessageA(ATTACH_MESSAGE_NAME);
        for (const UINT fromClient : {m_discoverMsg, m_attachMsg, UINT{WM_COPYDATA}}) {
            AllowFromLowerIntegrity(hWnd, fromClient);
        }
        return 0;
    case WM_QUERYENDSESSION:
        // A zero here would veto the end of the session: Windows would list
        // the program as keeping it from ending, or end it without warning.
        return TRUE;
    case WM_LINK_DISCOVER:
        return discover(hWnd);
    case WM_LINK_CLIENT_GONE:
        // Unless the client's end was noticed already, or it attached anew.
        if (reinterpret_cast<HWND>(wParam) == m_hSkypeWnd) {
            onClientClosed();
        }
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_DISCOVER) {
            KillTimer(hWnd, TIMER_DISCOVER);
            onDiscoverTimer(hWnd);
        }
        return 0;
    default:
        return 0;
    }
}

// As with the engine's timers, a timer that cannot be set has its action
// done at once: the user learns that no client answered rather than nothing.
BOOL SkypeCom::discover(HWND hWnd)
{
    m_discoverPending = true;
    m_searching = true;
    const bool timed = SetTimer(hWnd, TIMER_DISCOVER, DISCOVER_TIMEOUT_MS, nullptr) != 0;
    const BOOL posted = broadcastDiscovery();
    if (!timed) {
        onDiscoverTimer(hWnd);
    }
    return posted;
}

// A retry that cannot be timed is not made at once: that would broadcast
// without pause.
void SkypeCom::onDiscoverTimer(HWND hWnd)
{
    // The next broadcast comes a whole interval after the last one.
    UINT next = REDISCOVER_INTERVAL_MS;
    if (m_discoverPending) {
        m_discoverPending = false;
        next -= DISCOVER_TIMEOUT_MS;
        setState(LinkState::NotRunning);
        notifyDialog(NOT_RUNNING_TEXT, LINK_TEXT_STATUS);
    } else if (m_searching) {
        broadcastDiscovery();
    }
    // Looked at after the line was said: a client may have answered meanwhile.
    if (m_searching) {
        SetTimer(hWnd, TIMER_DISCOVER, next, nullptr);
    }
}

BOOL SkypeCom::broadcastDiscovery()
{
    return PostMessageA(HWND_BROADCAST, m_discoverMsg, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void SkypeCom::onThreadStart() {}

void SkypeCom::onThreadEnd()
{
    forgetClientProcess();
}

HANDLE SkypeCom::watchedHandle()
{
    return m_hClientProcess.get();
}

void SkypeCom::onWatchedHandleSignalled()
{
    onClientClosed();
}

void SkypeCom::onClientClosed()
{
    forgetClientProcess();
    // Nothing may be sent to the closed client's window, nor to a window that
    // later reuses its handle.
    m_hSkypeWnd = nullptr;
    // A restarted client usually announces itself; one that does not is
    // found by the next broadcasts.
    m_searching = true;
    setState(LinkState::NotRunning);
    notifyDialog(CLIENT_CLOSED_TEXT, LINK_TEXT_STATUS);
    if (m_searching) {
        SetTimer(m_hWnd, TIMER_DISCOVER, REDISCOVER_INTERVAL_MS, nullptr);
    }
}

void SkypeCom::watchClientProcess(HWND skype)
{
    forgetClientProcess();
    DWORD processId = 0;
    if (GetWindowThreadProcessId(skype, &processId) != 0 && processId != 0) {
        m_hClientProcess = UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, processId));
    }
}

void SkypeCom::forgetClientProcess()
{
    m_hClientProcess.close();
}

BOOL SkypeCom::startDiscovery(HWND dialog)
{
    m_hDialog = dialog;
    m_copyDataResult = 1;
    return static_cast<BOOL>(SendMessageA(m_hWnd, WM_LINK_DISCOVER, 0, 0));
}

LRESULT SkypeCom::sendCommand(const char* command)
{
    return sendWithin(command, COMMAND_TIMEOUT_MS);
}

LRESULT SkypeCom::ping()
{
    m_copyDataResult = 0;
    return sendWithin("PING", PING_TIMEOUT_MS);
}

// The wait answers messages sent to this thread, so a reply the client sends
// from inside the command is handled as before.
LRESULT SkypeCom::sendWithin(const char* command, UINT timeoutMs)
{
    const HWND skype = m_hSkypeWnd;
    if (!skype) {
        return 0;
    }
    COPYDATASTRUCT block{0, static_cast<DWORD>(std::strlen(command) + 1), const_cast<char*>(command)};
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(skype, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&block),
                            SEND_FLAGS, timeoutMs, &result) == 0) {
        const DWORD error = GetLastError();
        onUndelivered(skype, SendFailureOf(IsWindow(skype) != FALSE, error));
        return 0;
    }
    m_hUndeliveredTo = nullptr;
    changeState(LinkState::NotResponding, LinkState::Attached);
    changeState(LinkState::CommandsRefused, LinkState::Attached);
    return static_cast<LRESULT>(result);
}

// The state follows every lost command, so that a client that spoke between
// two hangs is seen hung again; the log says it once per run of them.
void SkypeCom::onUndelivered(HWND skype, SendFailure failure)
{
    if (failure == SendFailure::ClientGone) {
        PostMessageA(m_hWnd, WM_LINK_CLIENT_GONE, reinterpret_cast<WPARAM>(skype), 0);
        return;
    }
    const bool refused = failure == SendFailure::Refused;
    changeState(LinkState::Attached, refused ? LinkState::CommandsRefused : LinkState::NotResponding);
    if (refused) {
        changeState(LinkState::NotResponding, LinkState::CommandsRefused);
    }
    if (m_hUndeliveredTo != skype || m_undeliveredBecause != failure) {
        m_hUndeliveredTo = skype;
        m_undeliveredBecause = failure;
        notifyDialog(refused ? HIGHER_RIGHTS_TEXT : NOT_DELIVERED_TEXT, LINK_TEXT_STATUS);
    }
}

LRESULT SkypeCom::notifyDialog(const char* text, LPARAM kind)
{
    return SendMessageA(m_hDialog, WM_LINK_TEXT, reinterpret_cast<WPARAM>(text), kind);
}

void SkypeCom::setState(LinkState state)
{
    if (m_state.exchange(state) != state) {
        SendMessageA(m_hDialog, WM_LINK_STATE, static_cast<WPARAM>(state), 0);
    }
}

// Both threads change the state; the change is made only from `from`, as one
// step, so that neither undoes the other's.
void SkypeCom::changeState(LinkState from, LinkState to)
{
    if (m_state.compare_exchange_strong(from, to)) {
        SendMessageA(m_hDialog, WM_LINK_STATE, static_cast<WPARAM>(to), 0);
    }
}
