#include "tools/standin/StandinClient.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace {

const char* const kClassName = "RinglockStandinClient";
constexpr UINT_PTR kScheduleTimer = 1;
constexpr UINT WM_STANDIN_RESCHEDULE = WM_APP + 1;
constexpr UINT WM_STANDIN_HANG = WM_APP + 2;
constexpr DWORD HANG_START_TIMEOUT_MS = 5000;

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The call id between `head` and `tail`, or false when `text` is not of that shape.
bool CallIdBetween(const std::string& text, const std::string& head, const std::string& tail, std::string& id)
{
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 || !EndsWith(text, tail)) {
        return false;
    }
    id = text.substr(head.size(), text.size() - head.size() - tail.size());
    return true;
}

// Without `wake` it looks again every 10 ms; with it, only when `wake` is
// signalled or a message comes, so a timed wait does not load the machine.
bool WaitPumping(const std::function<bool()>& done, DWORD timeoutMs, HANDLE wake = nullptr)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        const DWORD left = static_cast<DWORD>(deadline - now);
        const DWORD pause = wake || left < 10 ? left : 10;
        MsgWaitForMultipleObjectsEx(wake ? 1 : 0, wake ? &wake : nullptr, pause, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

LRESULT SendTextWithin(HWND from, HWND to, const std::string& text, DWORD timeoutMs)
{
    COPYDATASTRUCT block{0, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&block),
                        SMTO_NORMAL, timeoutMs, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

double StandinClock()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::vector<std::string> StandinReplies(const std::string& command,
                                        const std::function<bool(const std::string&, std::string&)>& partnerOf)
{
    std::string id;
    if (command == "PING") {
        return {"PONG"};
    }
    if (command == "SET WINDOWSTATE MAXIMIZED") {
        return {"WINDOWSTATE MAXIMIZED"};
    }
    if (CallIdBetween(command, "GET CALL ", " PARTNER_HANDLE", id)) {
        std::string partner;
        if (!partnerOf(id, partner)) {
            return {"ERROR 11 Invalid call id"};
        }
        return {"CALL " + id + " PARTNER_HANDLE " + partner};
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

struct StandinClient::Impl {
    // Something the stand-in's thread does at a given time: an attach
    // message (isAttach) or a notification.
    struct Pending {
        double dueMs;
        HWND target;
        bool isAttach;
        LPARAM status;
        std::string text;
    };

    mutable std::mutex mutex;
    HANDLE thread = nullptr;
    HANDLE readyEvent = nullptr;
    bool orphaned = false;
    HWND window = nullptr;
    UINT discoverMsg = RegisterWindowMessageA("SkypeControlAPIDiscover");
    UINT attachMsg = RegisterWindowMessageA("SkypeControlAPIAttach");

    std::vector<std::vector<AttachStep>> scripts;
    bool sameScriptForEveryDiscover = true;
    DWORD discoverProcess = 0;
    ReplyMode replyMode = ReplyMode::None;
    DWORD replyDelayMs = 0;
    std::map<std::string, std::string> partners;
    std::function<void(const ReceivedCommand&)> hook;
    LRESULT commandResult = 1;

    HWND appWindow = nullptr;
    int discovers = 0;
    std::vector<ReceivedCommand> received;
    std::vector<Pending> pending;  // ordered by dueMs, then by insertion
    double lastDiscoverMs = 0;
    double lastAttachReturnedMs = 0;
    int attachesSent = 0;
    // One event per waiting thread, set whenever a command arrives or an
    // attach returns, so no waiter misses a wake-up meant for another.
    std::vector<HANDLE> waiters;

    static DWORD WINAPI threadMain(LPVOID param);
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void onDiscover(HWND app);
    LRESULT onCommand(HWND sender, const COPYDATASTRUCT* block);
    void enqueue(Pending item);
    void runDue();
    void noteAttachReturned();
    void wakeWaiters();  // with `mutex` held
    bool waitForArrival(const std::function<bool()>& done, DWORD timeoutMs);
    void reschedule();
    LRESULT send(const Pending& item) const;
};

DWORD WINAPI StandinClient::Impl::threadMain(LPVOID param)
{
    Impl* self = static_cast<Impl*>(param);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    {
        static std::mutex registerMutex;
        std::lock_guard<std::mutex> lock(registerMutex);
        WNDCLASSEXA wc{};
        if (!GetClassInfoExA(instance, kClassName, &wc)) {
            wc = WNDCLASSEXA{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = windowProc;
            wc.hInstance = instance;
            wc.lpszClassName = kClassName;
            if (!RegisterClassExA(&wc)) {
                return 1;
            }
        }
    }
    const HWND hWnd = CreateWindowExA(0, kClassName, "Standin client", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      instance, self);
    if (!hWnd) {
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(self->mutex);
        self->window = hWnd;
    }
    SetEvent(self->readyEvent);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK StandinClient::Impl::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    return self->handle(hWnd, msg, wParam, lParam);
}

LRESULT StandinClient::Impl::handle(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == discoverMsg) {
        onDiscover(reinterpret_cast<HWND>(wParam));
        return 1;
    }
    if (msg == attachMsg) {
        return 0;
    }
    switch (msg) {
    case WM_COPYDATA:
        return onCommand(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        if (wParam == kScheduleTimer) {
            KillTimer(hWnd, kScheduleTimer);
            runDue();
        }
        return 0;
    case WM_STANDIN_RESCHEDULE:
        runDue();
        return 0;
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

void StandinClient::Impl::onDiscover(HWND app)
{
    const double arrived = StandinClock();
    if (!IsWindow(app)) {
        return;
    }
    std::vector<AttachStep> steps;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (discoverProcess != 0) {
            DWORD owner = 0;
            GetWindowThreadProcessId(app, &owner);
            if (owner != discoverProcess) {
                return;
            }
        }
        appWindow = app;
        lastDiscoverMs = arrived;
        const size_t ordinal = static_cast<size_t>(discovers++);
        if (sameScriptForEveryDiscover) {
            if (!scripts.empty()) {
                steps = scripts.front();
            }
        } else if (ordinal < scripts.size()) {
            steps = scripts[ordinal];
        }
    }
    double due = StandinClock();
    for (const AttachStep& step : steps) {
        due += step.delayMs;
        enqueue(Pending{due, app, true, step.status, std::string()});
    }
    runDue();
}

LRESULT StandinClient::Impl::onCommand(HWND sender, const COPYDATASTRUCT* block)
{
    ReceivedCommand command{};
    command.atMs = StandinClock();
    command.sender = sender;
    if (block) {
        command.cbData = block->cbData;
        command.dwData = block->dwData;
        if (block->lpData && block->cbData > 0) {
            const char* data = static_cast<const char*>(block->lpData);
            const void* nul = std::memchr(data, 0, block->cbData);
            command.hasNul = nul != nullptr;
            command.text.assign(data, nul ? static_cast<const char*>(nul) - data : block->cbData);
        }
    }
    std::function<void(const ReceivedCommand&)> callback;
    ReplyMode mode;
    DWORD delay;
    LRESULT result;
    std::map<std::string, std::string> partnerCopy;
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(command);
        callback = hook;
        mode = replyMode;
        delay = replyDelayMs;
        result = commandResult;
        partnerCopy = partners;
        wakeWaiters();
    }
    if (callback) {
        callback(command);
    }
    if (mode == ReplyMode::None) {
        return result;
    }
    HWND target = sender;
    if (!IsWindow(target)) {
        std::lock_guard<std::mutex> lock(mutex);
        target = appWindow;
    }
    const std::vector<std::string> replies =
        StandinReplies(command.text, [&partnerCopy](const std::string& id, std::string& partner) {
            const auto it = partnerCopy.find(id);
            if (it == partnerCopy.end()) {
                return false;
            }
            partner = it->second;
            return true;
        });
    if (mode == ReplyMode::Synchronous) {
        for (const std::string& reply : replies) {
            send(Pending{0, target, false, 0, reply});
        }
    } else {
        const double due = StandinClock() + delay;
        for (const std::string& reply : replies) {
            enqueue(Pending{due, target, false, 0, reply});
        }
        reschedule();
    }
    return result;
}

void StandinClient::Impl::enqueue(Pending item)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto at = std::upper_bound(pending.begin(), pending.end(), item.dueMs,
                                     [](double due, const Pending& p) { return due < p.dueMs; });
    pending.insert(at, std::move(item));
}

// Sends may re-enter this thread (a sent message is handled while it waits),
// so no lock is held across them and each item is taken out before it runs.
void StandinClient::Impl::runDue()
{
    for (;;) {
        Pending item{};
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (pending.empty() || pending.front().dueMs > StandinClock()) {
                break;
            }
            item = std::move(pending.front());
            pending.erase(pending.begin());
        }
        send(item);
        if (item.isAttach) {
            noteAttachReturned();
        }
    }
    reschedule();
}

void StandinClient::Impl::noteAttachReturned()
{
    const double returned = StandinClock();
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastAttachReturnedMs = returned;
        ++attachesSent;
        wakeWaiters();
    }
}

void StandinClient::Impl::wakeWaiters()
{
    for (HANDLE waiter : waiters) {
        SetEvent(waiter);
    }
}

bool StandinClient::Impl::waitForArrival(const std::function<bool()>& done, DWORD timeoutMs)
{
    const HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!wake) {
        return WaitPumping(done, timeoutMs);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiters.push_back(wake);
    }
    const bool met = WaitPumping(done, timeoutMs, wake);
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiters.erase(std::find(waiters.begin(), waiters.end(), wake));
    }
    CloseHandle(wake);
    return met;
}

void StandinClient::Impl::reschedule()
{
    double due;
    HWND hWnd;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (pending.empty() || !window) {
            return;
        }
        due = pending.front().dueMs;
        hWnd = window;
    }
    const double wait = due - StandinClock();
    const UINT ms = wait <= 0 ? USER_TIMER_MINIMUM : static_cast<UINT>(wait + 1);
    SetTimer(hWnd, kScheduleTimer, ms, nullptr);
}

LRESULT StandinClient::Impl::send(const Pending& item) const
{
    HWND self;
    {
        std::lock_guard<std::mutex> lock(mutex);
        self = window;
    }
    if (item.isAttach) {
        return SendMessageA(item.target, attachMsg, reinterpret_cast<WPARAM>(self), item.status);
    }
    COPYDATASTRUCT block{0, static_cast<DWORD>(item.text.size() + 1), const_cast<char*>(item.text.c_str())};
    return SendMessageA(item.target, WM_COPYDATA, reinterpret_cast<WPARAM>(self), reinterpret_cast<LPARAM>(&block));
}

StandinClient::StandinClient() : m_impl(new Impl) {}

StandinClient::~StandinClient()
{
    stop();
    // A thread that did not end still uses its state.
    if (!m_impl->orphaned) {
        delete m_impl;
    }
}

bool StandinClient::start()
{
    if (m_impl->thread) {
        return true;
    }
    m_impl->readyEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_impl->readyEvent) {
        return false;
    }
    m_impl->thread = CreateThread(nullptr, 0, Impl::threadMain, m_impl, 0, nullptr);
    bool ready = false;
    if (m_impl->thread) {
        const HANDLE both[2] = {m_impl->readyEvent, m_impl->thread};
        ready = WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0;
        if (!ready) {
            CloseHandle(m_impl->thread);
            m_impl->thread = nullptr;
        }
    }
    CloseHandle(m_impl->readyEvent);
    m_impl->readyEvent = nullptr;
    return ready;
}

void StandinClient::stop()
{
    if (!m_impl->thread) {
        return;
    }
    PostMessageA(apiWindow(), WM_CLOSE, 0, 0);
    // The stand-in may be sending to a window of this thread: let such sends
    // through while waiting, or both threads would wait for each other.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    bool ended = false;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &m_impl->thread, FALSE, left, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        ended = woke == WAIT_OBJECT_0;
        break;
    }
    CloseHandle(m_impl->thread);
    m_impl->thread = nullptr;
    m_impl->orphaned = !ended;
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->window = nullptr;
    m_impl->pending.clear();
}

void StandinClient::setAttachScript(std::vector<AttachStep> steps)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->scripts.clear();
    m_impl->scripts.push_back(std::move(steps));
    m_impl->sameScriptForEveryDiscover = true;
}

void StandinClient::setAttachScripts(std::vector<std::vector<AttachStep>> perDiscover)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->scripts = std::move(perDiscover);
    m_impl->sameScriptForEveryDiscover = false;
}

void StandinClient::acceptDiscoverOnlyFrom(DWORD processId)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->discoverProcess = processId;
}

void StandinClient::setReplyMode(ReplyMode mode, DWORD replyDelayMs)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->replyMode = mode;
    m_impl->replyDelayMs = replyDelayMs;
}

void StandinClient::setPartner(const std::string& callId, const std::string& partner)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->partners[callId] = partner;
}

void StandinClient::setCommandHook(std::function<void(const ReceivedCommand&)> hook)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->hook = std::move(hook);
}

void StandinClient::setCommandResult(LRESULT result)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->commandResult = result;
}

HWND StandinClient::apiWindow() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->window;
}

HWND StandinClient::appWindow() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->appWindow;
}

int StandinClient::discoverCount() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->discovers;
}

double StandinClient::lastDiscoverMs() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->lastDiscoverMs;
}

double StandinClient::lastAttachReturnedMs() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->lastAttachReturnedMs;
}

int StandinClient::attachesSent() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->attachesSent;
}

LRESULT StandinClient::sendAttach(LPARAM status)
{
    return m_impl->send(Impl::Pending{0, appWindow(), true, status, std::string()});
}

LRESULT StandinClient::notify(const std::string& text)
{
    return m_impl->send(Impl::Pending{0, appWindow(), false, 0, text});
}

LRESULT StandinClient::sendBlock(const void* data, DWORD cbData, HWND fromWindow)
{
    COPYDATASTRUCT block{0, cbData, const_cast<void*>(data)};
    return SendMessageA(appWindow(), WM_COPYDATA, reinterpret_cast<WPARAM>(fromWindow),
                        reinterpret_cast<LPARAM>(&block));
}

BOOL StandinClient::broadcastAttach(LPARAM status)
{
    return PostMessageA(HWND_BROADCAST, m_impl->attachMsg, reinterpret_cast<WPARAM>(apiWindow()), status);
}

void StandinClient::notifyLater(const std::string& text, DWORD delayMs)
{
    m_impl->enqueue(Impl::Pending{StandinClock() + delayMs, appWindow(), false, 0, text});
    PostMessageA(apiWindow(), WM_STANDIN_RESCHEDULE, 0, 0);
}

bool StandinClient::hang(DWORD ms)
{
    const HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!started) {
        return false;
    }
    bool hung = false;
    if (PostMessageA(apiWindow(), WM_STANDIN_HANG, ms, reinterpret_cast<LPARAM>(started))) {
        hung = WaitForSingleObject(started, HANG_START_TIMEOUT_MS) == WAIT_OBJECT_0;
    }
    // A hang that has not begun yet still signals it: leave the event open then.
    if (hung) {
        CloseHandle(started);
    }
    return hung;
}

LRESULT StandinClient::notifyWithin(HWND target, const std::string& text, DWORD timeoutMs)
{
    return SendTextWithin(apiWindow(), target, text, timeoutMs);
}

double StandinClient::timedBurst(HWND target, const std::vector<std::string>& texts, DWORD timeoutMs)
{
    if (texts.empty()) {
        return 0;
    }
    const HWND self = apiWindow();
    const double start = StandinClock();
    for (const std::string& text : texts) {
        SendTextWithin(self, target, text, timeoutMs);
    }
    return (StandinClock() - start) * 1000.0 / static_cast<double>(texts.size());
}

std::vector<ReceivedCommand> StandinClient::commands() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->received;
}

std::vector<std::string> StandinClient::commandTexts() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    std::vector<std::string> texts;
    for (const ReceivedCommand& command : m_impl->received) {
        texts.push_back(command.text);
    }
    return texts;
}

size_t StandinClient::commandCount() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->received.size();
}

void StandinClient::clearCommands()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->received.clear();
}

bool StandinClient::waitForCommandCount(size_t count, DWORD timeoutMs) const
{
    return WaitPumping([this, count] { return commandCount() >= count; }, timeoutMs);
}

bool StandinClient::waitForDiscoverCount(int count, DWORD timeoutMs) const
{
    return WaitPumping([this, count] { return discoverCount() >= count; }, timeoutMs);
}

bool StandinClient::waitForAttachesSent(int count, DWORD timeoutMs) const
{
    return m_impl->waitForArrival([this, count] { return attachesSent() >= count; }, timeoutMs);
}

bool StandinClient::waitForCommandStartingWith(const std::string& head, size_t from, DWORD timeoutMs,
                                               ReceivedCommand* found, size_t* index) const
{
    const auto match = [this, &head, from, found, index] {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        for (size_t i = from; i < m_impl->received.size(); ++i) {
            if (m_impl->received[i].text.compare(0, head.size(), head) == 0) {
                *found = m_impl->received[i];
                if (index) {
                    *index = i;
                }
                return true;
            }
        }
        return false;
    };
    return m_impl->waitForArrival(match, timeoutMs);
}
