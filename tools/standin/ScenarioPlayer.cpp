#include "tools/standin/ScenarioPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr DWORD POLL_MS = 5;
constexpr double DURATION_TICK_MS = 1000.0;
constexpr WPARAM IDM_EXIT_COMMAND = 304;

// The call id between `head` and `tail`, or false when `text` is not of that shape.
bool CallIdBetween(const std::string& text, const std::string& head, const std::string& tail, std::string& id)
{
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0
        || text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    id = text.substr(head.size(), text.size() - head.size() - tail.size());
    return true;
}

std::string Hex(const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
    return text;
}

std::string AttachText(int32_t status)
{
    return std::to_string(status) + " (" + AttachStatusName(status) + ")";
}

HWND FindProgramDialog()
{
    return FindWindowA("#32770", "Skype Ringlock");
}

}  // namespace

ScenarioPlayer::ScenarioPlayer(const Scenario& scenario, Transcript& transcript)
    : m_scenario(scenario), m_transcript(transcript)
{
}

ScenarioPlayer::~ScenarioPlayer()
{
    m_client.stop();
    if (m_foreign != nullptr) {
        DestroyWindow(m_foreign);
    }
    if (m_wake != nullptr) {
        CloseHandle(m_wake);
    }
}

bool ScenarioPlayer::start()
{
    m_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Another program's window, named as the sender of foreign blocks.
    m_foreign = CreateWindowExA(0, "STATIC", "foreign", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    m_client.setAttachScript({});
    m_client.setReplyMode(ReplyMode::None);
    m_client.setCommandHook([this](const ReceivedCommand& command) { onCommand(command); });
    if (m_wake == nullptr || m_foreign == nullptr || !m_client.start()) {
        return false;
    }
    m_transcript.write("==", "ready " + Hex(m_client.apiWindow()));
    return true;
}

// Runs on the stand-in window's thread, inside the command's WM_COPYDATA.
void ScenarioPlayer::onCommand(const ReceivedCommand& command)
{
    m_transcript.writeAt(command.atMs, "<-", command.text);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_commands.push_back(command.text);
    }
    if (m_scenario.replies != ScenarioReplies::None) {
        const std::vector<std::string> replies =
            StandinReplies(command.text, [this](const std::string& id, std::string& partner) {
                const auto it = m_scenario.partners.find(id);
                if (it == m_scenario.partners.end()) {
                    return false;
                }
                partner = it->second;
                return true;
            });
        const bool sync = m_scenario.replies == ScenarioReplies::Sync;
        const double due = StandinClock() + (sync ? 0.0 : m_scenario.replyDelayMs);
        for (const std::string& reply : replies) {
            if (sync) {
                sendNotification(reply);
            } else {
                enqueue(Timed{due, Kind::Notify, 0, reply, 0});
            }
        }
        std::string answered;
        if (CallIdBetween(command.text, "SET CALL ", " STATUS INPROGRESS", answered)) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_activeCalls.insert(answered);
            }
            enqueue(Timed{due + DURATION_TICK_MS, Kind::Duration, 0, answered, 1});
        }
    }
    SetEvent(m_wake);
}

void ScenarioPlayer::enqueue(Timed item)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto at = std::upper_bound(m_queue.begin(), m_queue.end(), item.dueMs,
                                     [](double due, const Timed& queued) { return due < queued.dueMs; });
    m_queue.insert(at, std::move(item));
}

void ScenarioPlayer::sendNotification(const std::string& text)
{
    m_transcript.write("->", text);
    m_client.notify(text);
}

void ScenarioPlayer::noticeDiscoveries()
{
    const int count = m_client.discoverCount();
    while (m_seenDiscovers < count) {
        const size_t ordinal = static_cast<size_t>(m_seenDiscovers++);
        m_transcript.write("<<", "discover from " + Hex(m_client.appWindow()));
        if (m_scenario.attach.empty()) {
            continue;
        }
        const std::vector<AttachAnswer>& answers =
            m_scenario.attach[std::min(ordinal, m_scenario.attach.size() - 1)];
        double due = StandinClock();
        for (const AttachAnswer& answer : answers) {
            due += answer.delayMs;
            enqueue(Timed{due, Kind::Attach, answer.status, std::string(), 0});
        }
    }
}

void ScenarioPlayer::runDue()
{
    for (;;) {
        Timed item{};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty() || m_queue.front().dueMs > StandinClock()) {
                return;
            }
            item = std::move(m_queue.front());
            m_queue.erase(m_queue.begin());
        }
        runItem(item);
    }
}

void ScenarioPlayer::runItem(const Timed& item)
{
    switch (item.kind) {
    case Kind::Attach:
        m_transcript.write(">>", "attach " + AttachText(item.status));
        m_client.sendAttach(item.status);
        if (item.status == STANDIN_ATTACH_SUCCESS) {
            sendNotification("CONNSTATUS ONLINE");
            sendNotification("CURRENTUSERHANDLE " + m_scenario.user);
            sendNotification("USERSTATUS ONLINE");
            m_attached = true;
        }
        break;
    case Kind::Notify:
        sendNotification(item.text);
        break;
    case Kind::Duration: {
        bool active;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            active = m_activeCalls.count(item.text) != 0;
        }
        if (active) {
            sendNotification("CALL " + item.text + " DURATION " + std::to_string(item.seconds));
            enqueue(Timed{item.dueMs + DURATION_TICK_MS, Kind::Duration, 0, item.text, item.seconds + 1});
        }
        break;
    }
    }
}

bool ScenarioPlayer::serve(double untilMs, const std::function<bool()>& done)
{
    for (;;) {
        noticeDiscoveries();
        runDue();
        if (done && done()) {
            return true;
        }
        const double now = StandinClock();
        if (now >= untilMs) {
            return false;
        }
        double next = untilMs;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_queue.empty()) {
                next = std::min(next, m_queue.front().dueMs);
            }
        }
        const double wait = std::max(0.0, std::min(next - now, static_cast<double>(POLL_MS)));
        WaitForSingleObject(m_wake, static_cast<DWORD>(std::ceil(wait)));
    }
}

bool ScenarioPlayer::await(const ScenarioStep& step)
{
    std::function<bool()> done;
    const int discoversBefore = m_seenDiscovers;
    switch (step.kind) {
    case StepKind::AwaitAttached:
        done = [this] { return m_attached; };
        break;
    case StepKind::AwaitDiscover:
        done = [this, discoversBefore] { return m_seenDiscovers > discoversBefore; };
        break;
    case StepKind::AwaitCommand:
        done = [this, &step] {
            std::lock_guard<std::mutex> lock(m_mutex);
            return std::find(m_commands.begin(), m_commands.end(), step.text) != m_commands.end();
        };
        break;
    case StepKind::AwaitFile:
        done = [&step] { return GetFileAttributesA(step.text.c_str()) != INVALID_FILE_ATTRIBUTES; };
        break;
    default:
        done = [this] {
            const HWND app = m_client.appWindow();
            return app != nullptr && !IsWindow(app);
        };
        break;
    }
    if (serve(StandinClock() + step.number, done)) {
        return true;
    }
    m_transcript.write("!!", "line " + std::to_string(step.line) + ": timed out after "
                                 + std::to_string(step.number) + " ms");
    return false;
}

void ScenarioPlayer::endCall(const std::string& callId, const char* status)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_activeCalls.erase(callId);
    }
    sendNotification("CALL " + callId + " STATUS " + status);
}

bool ScenarioPlayer::runStep(const ScenarioStep& step)
{
    switch (step.kind) {
    case StepKind::Wait:
        serve(StandinClock() + step.number, nullptr);
        return true;
    case StepKind::Notify:
        sendNotification(step.text);
        return true;
    case StepKind::NoNul:
        m_transcript.write("->nonul", step.text);
        m_client.sendBlock(step.text.data(), static_cast<DWORD>(step.text.size()), m_client.apiWindow());
        return true;
    case StepKind::Foreign:
        m_transcript.write("->foreign", step.text);
        m_client.sendBlock(step.text.c_str(), static_cast<DWORD>(step.text.size() + 1), m_foreign);
        return true;
    case StepKind::Ring:
        sendNotification("CALL " + step.text + " CONF_ID 0");
        for (uint32_t i = 0; i < step.count; ++i) {
            if (i > 0) {
                serve(StandinClock() + step.number, nullptr);
            }
            sendNotification("CALL " + step.text + " STATUS RINGING");
        }
        return true;
    case StepKind::Finish:
        endCall(step.text, "FINISHED");
        return true;
    case StepKind::Miss:
        endCall(step.text, "MISSED");
        return true;
    case StepKind::Burst:
        for (uint32_t i = 0; i < step.count; ++i) {
            if (i > 0 && step.number > 0) {
                serve(StandinClock() + step.number, nullptr);
            }
            sendNotification(BackgroundLine(i));
            runDue();
        }
        m_transcript.write("==", "burst of " + std::to_string(step.count) + " done");
        return true;
    case StepKind::Announce:
        m_transcript.write(">>", "broadcast attach " + AttachText(step.status));
        m_client.broadcastAttach(step.status);
        return true;
    case StepKind::Mark:
        m_transcript.write("==", step.text);
        return true;
    case StepKind::ProgramExit:
    case StepKind::ProgramSize: {
        const HWND dialog = FindProgramDialog();
        if (dialog == nullptr) {
            m_transcript.write("!!", "line " + std::to_string(step.line) + ": no Skype Ringlock window");
            return false;
        }
        if (step.kind == StepKind::ProgramExit) {
            m_transcript.write("==", "program-exit: IDM_EXIT posted to " + Hex(dialog));
            PostMessageA(dialog, WM_COMMAND, IDM_EXIT_COMMAND, 0);
            return true;
        }
        RECT rect{};
        GetWindowRect(dialog, &rect);
        const int width = static_cast<int>(step.count);
        const int height = static_cast<int>(step.number);
        const int left = (rect.left + rect.right - width) / 2;
        const int top = (rect.top + rect.bottom - height) / 2;
        m_transcript.write("==", "program-size " + std::to_string(width) + "x" + std::to_string(height));
        SetWindowPos(dialog, nullptr, std::max(0, left), std::max(0, top), width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }
    case StepKind::Hang:
        return hang(step);
    case StepKind::Crash:
        crash();
        return false;
    case StepKind::End:
        return true;
    default:
        return await(step);
    }
}

// The timeline goes on during the hang, so what follows it (a program-exit,
// a wait) happens while the client's window takes no messages.
bool ScenarioPlayer::hang(const ScenarioStep& step)
{
    const bool forever = step.number == HANG_FOREVER;
    m_transcript.write("==", forever ? std::string("hang forever") : "hang " + std::to_string(step.number));
    if (m_client.hang(forever ? INFINITE : step.number)) {
        return true;
    }
    m_transcript.write("!!", "line " + std::to_string(step.line) + ": the client window did not hang");
    return false;
}

// As a client that dies: no clean-up, no goodbye to the program.
void ScenarioPlayer::crash()
{
    m_transcript.write("==", "crash");
    TerminateProcess(GetCurrentProcess(), CRASH_EXIT_CODE);
}

bool ScenarioPlayer::play()
{
    for (const ScenarioStep& step : m_scenario.steps) {
        if (step.kind == StepKind::End) {
            break;
        }
        if (!runStep(step)) {
            m_ok = false;
        }
    }
    m_transcript.write("==", m_ok ? "end" : "end with failures");
    return m_ok;
}
