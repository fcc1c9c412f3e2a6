#include "tools/standin/StandinClient.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

#include "tests/Contract.h"
#include "tools/harness/Harness.h"

namespace {

constexpr int32_t ATTACH_CONNECTED = 0;

const char* const CLASS_NAME = "RinglockStandinClient";
constexpr UINT_PTR QUEUE_TIMER = 1;
constexpr UINT WM_STANDIN_HANG = WM_APP + 2;
constexpr UINT WM_STANDIN_PICKUP = WM_APP + 3;
constexpr DWORD HANG_START_TIMEOUT_MS = 5000;
constexpr double DURATION_TICK_MS = 1000.0;

// The call id between `head` and `tail`, or false when `text` is not of that shape.
bool CallIdBetween(const std::string& text, const std::string& head, const std::string& tail, std::string& id)
{
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    id = text.substr(head.size(), text.size() - head.size() - tail.size());
    return true;
}

// The lines the client answers `command` with, in order.
std::vector<std::string> Replies(const std::string& command, const std::map<std::string, std::string>& partners)
{
    std::string id;
    if (command == "PING") {
        return {"PONG"};
    }
    if (command == "SET WINDOWSTATE MAXIMIZED") {
        return {"WINDOWSTATE MAXIMIZED"};
    }
    if (CallIdBetween(command, "GET CALL ", " PARTNER_HANDLE", id)) {
        const auto partner = partners.find(id);
        if (partner == partners.end()) {
            return {"ERROR 11 Invalid call id"};
        }
        return {"CALL " + id + " PARTNER_HANDLE " + partner->second};
    }
    if (CallIdBetween(command, "SET CALL ", " STATUS INPROGRESS", id)) {
        return {"CALL " + id + " STATUS INPROGRESS", "CALL " + id + " VIDEO_SEND_STATUS AVAILABLE",
                "CALL " + id + " VIDEO_STATUS VIDEO_BOTH_ENABLED"};
    }
    if (CallIdBetween(command, "ALTER CALL ", " START_VIDEO_SEND", id)) {
        return {command, "CALL " + id + " VIDEO_SEND_STATUS RUNNING"};
    }
    return {"ERROR 2 Unknown command"};
}

}  // namespace

struct StandinClient::State {
    struct Timed {
        double dueMs;
        std::function<void()> action;
    };

    explicit State(Scenario s) : scenario(std::move(s)) {}

    const Scenario scenario;
    Transcript transcript;
    const UINT discoverMsg = RegisterWindowMessageA(contract::DISCOVER_MESSAGE_NAME);
    const UINT attachMsg = RegisterWindowMessageA(contract::ATTACH_MESSAGE_NAME);
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    // Set whenever an attach returns or a command arrives.
    HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    bool orphaned = false;

    mutable std::mutex mutex;
    HWND window = nullptr;
    HWND appWindow = nullptr;
    DWORD discoverProcess = 0;
    std::function<void(const ReceivedCommand&)> hook;
    std::vector<ReceivedCommand> received;
    std::vector<Timed> queue;  // by dueMs, then insertion
    std::set<std::string> activeCalls;
    int discovers = 0;
    int attachesSent = 0;
    bool attached = false;
    double lastDiscoverMs = 0;
    double lastAttachReturnedMs = 0;

    static DWORD WINAPI threadMain(LPVOID param);
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void onDiscover(HWND app);
    LRESULT onCommand(HWND sender, const COPYDATASTRUCT* block);
    void schedule(double dueMs, std::function<void()> action);
    void runDue();
    void armTimer();
    void sendAttach(HWND app, int32_t status);
    void tick(const std::string& callId, uint32_t seconds, double dueMs);
    void inProgress(const std::string& callId, double atMs);
    LRESULT notify(const std::string& text, HWND target = nullptr);
    LRESULT sendBlock(const void* data, DWORD cbData, HWND from, HWND target = nullptr) const;
    HWND self() const;

    // Runs `f` with the state locked; its result, if any.
    template <typename F>
    auto locked(F f) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return f();
    }
};

DWORD WINAPI StandinClient::State::threadMain(LPVOID param)
{
    State* state = static_cast<State*>(param);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClassOnce(CLASS_NAME, windowProc);
    const HWND hWnd = CreateWindowExA(0, CLASS_NAME, "Standin client", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      instance, state);
    if (!hWnd) {
        return 1;
    }
    state->locked([state, hWnd] { state->window = hWnd; });
    SetEvent(state->ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK StandinClient::State::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    State* state = reinterpret_cast<State*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    return state ? state->handle(hWnd, msg, wParam, lParam) : DefWindowProcA(hWnd, msg, wParam, lParam);
}

LRESULT StandinClient::State::handle(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == discoverMsg) {
        onDiscover(reinterpret_cast<HWND>(wParam));
        return 1;
    }
    switch (msg) {
    case WM_COPYDATA:
        return onCommand(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        KillTimer(hWnd, QUEUE_TIMER);
        runDue();
        return 0;
    case WM_STANDIN_PICKUP: {
        const std::unique_ptr<std::string> callId(reinterpret_cast<std::string*>(lParam));
        notify("CALL " + *callId + " STATUS INPROGRESS");
        inProgress(*callId, ClockMs());
        runDue();
        return 0;
    }
    case WM_STANDIN_HANG:
        SetEvent(reinterpret_cast<HANDLE>(lParam));
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
}

void StandinClient::State::onDiscover(HWND app)
{
    const double arrived = ClockMs();
    DWORD owner = 0;
    GetWindowThreadProcessId(app, &owner);
    size_t ordinal = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!IsWindow(app) || (discoverProcess != 0 && owner != discoverProcess)) {
            return;
        }
        appWindow = app;
        lastDiscoverMs = arrived;
        ordinal = static_cast<size_t>(discovers++);
    }
    transcript.writeAt(arrived, "<<", "discover from " + HexText(app));
    if (scenario.attach.empty()) {
        return;
    }
    double due = arrived;
    for (const AttachAnswer& answer : scenario.attach[std::min(ordinal, scenario.attach.size() - 1)]) {
        due += answer.delayMs;
        schedule(due, [this, app, status = answer.status] { sendAttach(app, status); });
    }
    runDue();
}

void StandinClient::State::sendAttach(HWND app, int32_t status)
{
    transcript.write(">>", "attach " + AttachStatusText(status));
    SendMessageA(app, attachMsg, reinterpret_cast<WPARAM>(self()), status);
    const double returned = ClockMs();
    if (status == ATTACH_CONNECTED && !scenario.user.empty()) {
        notify("CONNSTATUS ONLINE");
        notify("CURRENTUSERHANDLE " + scenario.user);
        notify("USERSTATUS ONLINE");
    }
    std::lock_guard<std::mutex> lock(mutex);
    lastAttachReturnedMs = returned;
    ++attachesSent;
    attached = attached || status == ATTACH_CONNECTED;
    SetEvent(wake);
}

LRESULT StandinClient::State::onCommand(HWND sender, const COPYDATASTRUCT* block)
{
    ReceivedCommand command{std::string(), 0, sender, ClockMs()};
    if (block && block->lpData && block->cbData > 0) {
        const char* data = static_cast<const char*>(block->lpData);
        const void* nul = std::memchr(data, 0, block->cbData);
        command.cbData = block->cbData;
        command.text.assign(data, nul ? static_cast<const char*>(nul) - data : block->cbData);
    }
    transcript.writeAt(command.atMs, "<-", command.text);
    const std::function<void(const ReceivedCommand&)> callback = locked([this] { return hook; });
    if (callback) {
        callback(command);
    }
    if (scenario.replies != ScenarioReplies::None) {
        const bool sync = scenario.replies == ScenarioReplies::Sync;
        const double due = command.atMs + (sync ? 0.0 : scenario.replyDelayMs);
        for (const std::string& reply : Replies(command.text, scenario.partners)) {
            if (sync) {
                notify(reply);
            } else {
                schedule(due, [this, reply] { notify(reply); });
            }
        }
        std::string answered;
        if (CallIdBetween(command.text, "SET CALL ", " STATUS INPROGRESS", answered)) {
            inProgress(answered, due);
        }
    }
    // Counted as received once replies sent at once have gone, so that a
    // script that awaits the command finds them handled.
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(command);
        SetEvent(wake);
    }
    runDue();
    return 1;
}

void StandinClient::State::inProgress(const std::string& callId, double atMs)
{
    locked([&] { activeCalls.insert(callId); });
    tick(callId, 1, atMs + DURATION_TICK_MS);
}

// A call's duration, once a second until the call ends.
void StandinClient::State::tick(const std::string& callId, uint32_t seconds, double dueMs)
{
    schedule(dueMs, [this, callId, seconds, dueMs] {
        if (locked([&] { return activeCalls.count(callId); }) == 0) {
            return;
        }
        notify("CALL " + callId + " DURATION " + std::to_string(seconds));
        tick(callId, seconds + 1, dueMs + DURATION_TICK_MS);
    });
}

// Only on the window's thread: its timer belongs to it.
void StandinClient::State::schedule(double dueMs, std::function<void()> action)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto at = std::upper_bound(queue.begin(), queue.end(), dueMs,
                                     [](double due, const Timed& queued) { return due < queued.dueMs; });
    queue.insert(at, Timed{dueMs, std::move(action)});
}

// Sends may re-enter this thread (a sent message is handled while it waits),
// so no lock is held across them and each item is taken out before it runs.
void StandinClient::State::runDue()
{
    for (;;) {
        Timed item;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (queue.empty() || queue.front().dueMs > ClockMs()) {
                break;
            }
            item = std::move(queue.front());
            queue.erase(queue.begin());
        }
        item.action();
    }
    armTimer();
}

void StandinClient::State::armTimer()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!queue.empty() && window) {
        const double wait = queue.front().dueMs - ClockMs();
        SetTimer(window, QUEUE_TIMER, wait <= 0 ? USER_TIMER_MINIMUM : static_cast<UINT>(wait + 1), nullptr);
    }
}

LRESULT StandinClient::State::notify(const std::string& text, HWND target)
{
    transcript.write("->", text);
    return sendBlock(text.c_str(), static_cast<DWORD>(text.size() + 1), self(), target);
}

LRESULT StandinClient::State::sendBlock(const void* data, DWORD cbData, HWND from, HWND target) const
{
    COPYDATASTRUCT block{0, cbData, const_cast<void*>(data)};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(target ? target : locked([this] { return appWindow; }), WM_COPYDATA,
                        reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&block), SMTO_NORMAL, SEND_TIMEOUT_MS,
                        &result);
    return static_cast<LRESULT>(result);
}

HWND StandinClient::State::self() const
{
    return locked([this] { return window; });
}

StandinClient::StandinClient(Scenario scenario) : m_state(new State(std::move(scenario))) {}

StandinClient::~StandinClient()
{
    stop();
    // A thread that did not end still uses its state.
    if (!m_state->orphaned) {
        CloseHandle(m_state->wake);
        delete m_state;
    }
}

bool StandinClient::writeTranscriptTo(const std::string& path)
{
    return m_state->transcript.open(path);
}

Transcript& StandinClient::transcript()
{
    return m_state->transcript;
}

bool StandinClient::start()
{
    if (m_state->thread) {
        return true;
    }
    m_state->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_state->thread = CreateThread(nullptr, 0, State::threadMain, m_state, 0, nullptr);
    bool ready = false;
    if (m_state->thread) {
        const HANDLE both[2] = {m_state->ready, m_state->thread};
        ready = WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0;
        if (!ready) {
            CloseHandle(m_state->thread);
            m_state->thread = nullptr;
        }
    }
    CloseHandle(m_state->ready);
    if (ready) {
        m_state->transcript.write("==", "ready " + HexText(apiWindow()));
    }
    return ready;
}

void StandinClient::stop()
{
    if (!m_state->thread) {
        return;
    }
    PostMessageA(apiWindow(), WM_CLOSE, 0, 0);
    // The stand-in may be sending to a window of this thread: let such sends
    // through while waiting, or both threads would wait for each other.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    DWORD woke;
    do {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        woke = MsgWaitForMultipleObjects(1, &m_state->thread, FALSE, left, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } while (woke == WAIT_OBJECT_0 + 1);
    CloseHandle(m_state->thread);
    m_state->thread = nullptr;
    m_state->orphaned = woke != WAIT_OBJECT_0;
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->window = nullptr;
    m_state->queue.clear();
}

void StandinClient::acceptDiscoverOnlyFrom(DWORD processId)
{
    m_state->locked([this, processId] { m_state->discoverProcess = processId; });
}

void StandinClient::setCommandHook(std::function<void(const ReceivedCommand&)> hook)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->hook = std::move(hook);
}

HWND StandinClient::apiWindow() const
{
    return m_state->self();
}

StandinClient::Attachment StandinClient::attachment() const
{
    return m_state->locked([this] {
        return Attachment{m_state->appWindow, m_state->lastDiscoverMs, m_state->lastAttachReturnedMs,
                          m_state->attachesSent, m_state->attached, m_state->discovers};
    });
}

LRESULT StandinClient::notify(const std::string& text, HWND target)
{
    return m_state->notify(text, target);
}

LRESULT StandinClient::sendBlock(const void* data, DWORD cbData, HWND fromWindow)
{
    return m_state->sendBlock(data, cbData, fromWindow);
}

void StandinClient::announce(int32_t status)
{
    m_state->transcript.write(">>", "broadcast attach " + AttachStatusText(status));
    PostMessageA(HWND_BROADCAST, m_state->attachMsg, reinterpret_cast<WPARAM>(apiWindow()), status);
}

void StandinClient::pickUp(const std::string& callId)
{
    PostMessageA(apiWindow(), WM_STANDIN_PICKUP, 0, reinterpret_cast<LPARAM>(new std::string(callId)));
}

void StandinClient::endCall(const std::string& callId)
{
    m_state->locked([&] { m_state->activeCalls.erase(callId); });
}

bool StandinClient::hang(DWORD ms)
{
    const HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const bool hung = PostMessageA(apiWindow(), WM_STANDIN_HANG, ms, reinterpret_cast<LPARAM>(started)) &&
                      WaitForSingleObject(started, HANG_START_TIMEOUT_MS) == WAIT_OBJECT_0;
    // A hang that has not begun yet still signals it: leave the event open then.
    if (hung) {
        CloseHandle(started);
    }
    return hung;
}

std::vector<ReceivedCommand> StandinClient::commands() const
{
    return m_state->locked([this] { return m_state->received; });
}

bool StandinClient::waitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) const
{
    return WaitUntil(done, timeoutMs, pollMs, m_state->wake);
}

bool StandinClient::waitForAttachesSent(int count, DWORD timeoutMs) const
{
    return waitUntil([this, count] { return attachment().attachesSent >= count; }, timeoutMs, timeoutMs);
}

bool StandinClient::waitForCommandStartingWith(const std::string& head, size_t from, DWORD timeoutMs,
                                               ReceivedCommand* found, size_t* index) const
{
    const auto match = [this, &head, from, found, index] {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        for (size_t i = from; i < m_state->received.size(); ++i) {
            if (m_state->received[i].text.compare(0, head.size(), head) == 0) {
                *found = m_state->received[i];
                if (index) {
                    *index = i;
                }
                return true;
            }
        }
        return false;
    };
    return waitUntil(match, timeoutMs, timeoutMs);
}
