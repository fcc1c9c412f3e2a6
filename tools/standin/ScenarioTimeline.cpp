#include "tools/standin/ScenarioTimeline.h"

#include <algorithm>
#include <functional>
#include <string>

#include "tests/Contract.h"
#include "tools/standin/Transcript.h"

namespace {

// How often the timeline looks at what it awaits that nothing announces.
constexpr DWORD AWAIT_POLL_MS = 5;

const char* FinalStatus(StepKind kind)
{
    switch (kind) {
    case StepKind::Miss:
        return "MISSED";
    case StepKind::Refuse:
        return "REFUSED";
    case StepKind::Cancel:
        return "CANCELLED";
    default:
        return "FINISHED";
    }
}

class Timeline {
public:
    explicit Timeline(StandinClient& client)
        : m_client(client), m_transcript(client.transcript()),
          m_foreign(CreateWindowExA(0, "STATIC", "foreign", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~Timeline()
    {
        if (m_foreign) {
            DestroyWindow(m_foreign);
        }
    }
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    bool runStep(const ScenarioStep& step);

private:
    bool await(const ScenarioStep& step, const std::function<bool()>& done);
    bool programStep(const ScenarioStep& step);
    bool hang(const ScenarioStep& step);
    // `count` notifications, `gapMs` apart.
    void notifySpaced(uint32_t count, uint32_t gapMs, const std::function<std::string(uint32_t)>& line);
    bool failed(const ScenarioStep& step, const std::string& why);

    StandinClient& m_client;
    Transcript& m_transcript;
    // Another program's window, named as the sender of foreign blocks.
    const HWND m_foreign;
};

bool Timeline::failed(const ScenarioStep& step, const std::string& why)
{
    m_transcript.write("!!", "line " + std::to_string(step.line) + ": " + why);
    return false;
}

bool Timeline::await(const ScenarioStep& step, const std::function<bool()>& done)
{
    return m_client.waitUntil(done, step.number, AWAIT_POLL_MS) ||
           failed(step, "timed out after " + std::to_string(step.number) + " ms");
}

bool Timeline::programStep(const ScenarioStep& step)
{
    const HWND dialog = FindWindowA(contract::MAIN_DIALOG_CLASS, contract::MAIN_DIALOG_TITLE);
    if (dialog == nullptr) {
        return failed(step, "no Skype Ringlock window");
    }
    if (step.kind == StepKind::ProgramExit) {
        m_transcript.write("==", "program-exit: IDM_EXIT posted to " + HexText(dialog));
        PostMessageA(dialog, WM_COMMAND, contract::IDM_EXIT, 0);
        return true;
    }
    RECT rect{};
    GetWindowRect(dialog, &rect);
    const LONG width = static_cast<LONG>(step.count);
    const LONG height = static_cast<LONG>(step.number);
    m_transcript.write("==", "program-size " + std::to_string(width) + "x" + std::to_string(height));
    SetWindowPos(dialog, nullptr, std::max(0L, (rect.left + rect.right - width) / 2),
                 std::max(0L, (rect.top + rect.bottom - height) / 2), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// The timeline goes on during the hang, so what follows it (a program-exit,
// a wait) happens while the client's window takes no messages.
bool Timeline::hang(const ScenarioStep& step)
{
    m_transcript.write("==", "hang " + std::to_string(step.number));
    return m_client.hang(step.number) || failed(step, "the client window did not hang");
}

void Timeline::notifySpaced(uint32_t count, uint32_t gapMs, const std::function<std::string(uint32_t)>& line)
{
    for (uint32_t i = 0; i < count; ++i) {
        Sleep(i > 0 ? gapMs : 0);
        m_client.notify(line(i));
    }
}

bool Timeline::runStep(const ScenarioStep& step)
{
    const std::string call = "CALL " + step.text + " ";
    switch (step.kind) {
    case StepKind::Wait:
        Sleep(step.number);
        return true;
    case StepKind::Notify:
        m_client.notify(step.text);
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
        m_client.notify(call + "CONF_ID 0");
        notifySpaced(step.count, step.number, [&call](uint32_t) { return call + "STATUS RINGING"; });
        return true;
    case StepKind::Finish:
    case StepKind::Miss:
    case StepKind::Refuse:
    case StepKind::Cancel:
        m_client.endCall(step.text);
        notifySpaced(step.count, 0, [&call, &step](uint32_t) { return call + "STATUS " + FinalStatus(step.kind); });
        return true;
    case StepKind::Pickup:
        m_client.pickUp(step.text);
        return true;
    case StepKind::Burst:
        notifySpaced(step.count, step.number, BackgroundLine);
        m_transcript.write("==", "burst of " + std::to_string(step.count) + " done");
        return true;
    case StepKind::Announce:
        m_client.announce(step.status);
        return true;
    case StepKind::Mark:
        m_transcript.write("==", step.text);
        return true;
    case StepKind::ProgramExit:
    case StepKind::ProgramSize:
        return programStep(step);
    case StepKind::Hang:
        return hang(step);
    case StepKind::Crash:
        m_transcript.write("==", "crash");
        TerminateProcess(GetCurrentProcess(), CRASH_EXIT_CODE);
        return false;
    case StepKind::Vanish:
        m_client.stop();
        m_transcript.write("==", "vanished");
        return true;
    case StepKind::AwaitAttached:
        return await(step, [this] { return m_client.attachment().attached; });
    case StepKind::AwaitDiscover: {
        const int before = m_client.attachment().discovers;
        return await(step, [this, before] { return m_client.attachment().discovers > before; });
    }
    case StepKind::AwaitCommand:
        return await(step, [this, &step] {
            const std::vector<ReceivedCommand> received = m_client.commands();
            return std::any_of(received.begin(), received.end(),
                               [&step](const ReceivedCommand& command) { return command.text == step.text; });
        });
    case StepKind::AwaitFile:
        return await(step, [&step] { return GetFileAttributesA(step.text.c_str()) != INVALID_FILE_ATTRIBUTES; });
    case StepKind::AwaitGone:
        return await(step, [this] {
            const HWND app = m_client.attachment().appWindow;
            return app != nullptr && !IsWindow(app);
        });
    }
    return true;
}

}  // namespace

bool PlayTimeline(StandinClient& client, const Scenario& scenario)
{
    Timeline timeline(client);
    bool ok = true;
    for (const ScenarioStep& step : scenario.steps) {
        ok = timeline.runStep(step) && ok;
    }
    client.transcript().write("==", ok ? "end" : "end with failures");
    return ok;
}
