// The tray icon as whoever sets the PC up meets it: a taskbar not ready at
// logon, the menu item that makes Ringlock start with Windows, and the tip
// that says whether calls are answered.
#include "tests/blackbox/BlackBox.h"

#include <sddl.h>
#include <shellapi.h>

#include "tools/standin/StandinClient.h"

namespace {

using namespace contract;

std::vector<TaskbarCall> CallsTo(const TaskbarStandin& taskbar, const std::function<bool(const TaskbarCall&)>& keep)
{
    std::vector<TaskbarCall> kept;
    for (const TaskbarCall& call : taskbar.calls()) {
        if (keep(call)) {
            kept.push_back(call);
        }
    }
    return kept;
}

// A taskbar in front of Wine's, which refuses the icon until told to take it.
void PutTaskbarInFront(Run& run)
{
    run.taskbar = std::make_unique<TaskbarStandin>();
    ASSERT_TRUE(run.taskbar->start());
}

// At logon the taskbar may refuse the icon for a while; the dialog is hidden
// to the tray meanwhile, as a start with -m would leave it.
void TaskbarNotReady(Run& run)
{
    run.awaitVisible(true);
    const auto add = [](const TaskbarCall& call) { return call.command == NIM_ADD; };
    const auto taken = [](const TaskbarCall& call) { return call.taken; };
    ASSERT_TRUE(WaitUntil([&] { return CallsTo(*run.taskbar, add).size() >= 2; }, TRAY_RETRY_INTERVAL_MS + STEP_MS))
        << "the add is tried again";
    const std::vector<TaskbarCall> refused = CallsTo(*run.taskbar, add);
    EXPECT_GE(refused[1].atMs - refused[0].atMs, TRAY_RETRY_INTERVAL_MS - 1.0);
    EXPECT_LT(refused[1].atMs - refused[0].atMs, TRAY_RETRY_INTERVAL_MS + LATE_MS);
    SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    run.taskbar->takeIcons();
    ASSERT_TRUE(WaitUntil([&] { return CallsTo(*run.taskbar, taken).size() >= 2; }, TRAY_RETRY_INTERVAL_MS + STEP_MS));
    const std::vector<TaskbarCall> icons = CallsTo(*run.taskbar, taken);
    EXPECT_TRUE(icons.size() == 2 && icons[0].command == NIM_ADD && icons[1].command == NIM_MODIFY)
        << "the icon, then the balloon for the hidden dialog";
}

// The value the item writes is named after the program's file.
constexpr wchar_t VALUE_NAME[] = L"Ringlock";

// The value's command; empty when there is none.
std::wstring RunValue()
{
    wchar_t command[2048] = {};
    DWORD size = sizeof(command) - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME, RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

void SetRunValue(const std::wstring& command)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

void DeleteRunValue()
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME);
}

// The list of programs started at logon, which everyone may read and nobody
// may change while this lasts, as a policy may have it; then as it was.
class LockedRunKey {
public:
    LockedRunKey()
    {
        RegOpenKeyExW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), 0, READ_CONTROL | WRITE_DAC, &m_key);
        DWORD size = sizeof(m_saved);
        RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved, &size);
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
        EXPECT_EQ(RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
        LocalFree(readOnly);
    }
    ~LockedRunKey()
    {
        RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved);
        RegCloseKey(m_key);
    }
    LockedRunKey(const LockedRunKey&) = delete;
    LockedRunKey& operator=(const LockedRunKey&) = delete;

private:
    HKEY m_key = nullptr;
    alignas(void*) BYTE m_saved[4096] = {};
};

// Each choice of the item does what its check mark, read from the registry
// as the menu opens, promises: put on, or taken off.
void StartWithWindows(Run& run)
{
    const std::wstring hidden = L"\"" + run.ring.exePath() + L"\" -m";
    const auto holds = [](const std::wstring& command) {
        return WaitUntil([&] { return RunValue() == command; }, STEP_MS);
    };
    run.chooseFromTrayMenu('w');
    EXPECT_TRUE(holds(hidden)) << "put on";
    SetRunValue(L"\"C:\\Tools\\Old\\Ringlock.exe\" -m");
    run.chooseFromTrayMenu('w');
    EXPECT_TRUE(holds(hidden)) << "a program moved since is put on anew";
    run.chooseFromTrayMenu('w');
    EXPECT_TRUE(holds(L"")) << "taken off";
    {
        const LockedRunKey locked;
        run.chooseFromTrayMenu('w');
        EXPECT_TRUE(WaitUntil([&] {
            for (const std::string& line : run.ring.logLines()) {
                if (line.rfind(START_WITH_WINDOWS_FAILED_TEXT, 0) == 0 && line.find("(error 5)") != std::string::npos) {
                    return true;
                }
            }
            return false;
        }, STEP_MS)) << "the refusal is said";
    }
    EXPECT_EQ(RunValue(), L"") << "and nothing changed";
}

// Tips in the order they were given, each once.
std::vector<std::string> Tips(const Run& run)
{
    std::vector<std::string> tips;
    for (const TaskbarCall& call : CallsTo(*run.taskbar, [](const TaskbarCall& call) { return !call.tip.empty(); })) {
        if (tips.empty() || tips.back() != call.tip) {
            tips.push_back(call.tip);
        }
    }
    return tips;
}

// The client puts the link in each of its states in turn, each once the
// tip of the one before has shown; a hang is seen when a command is lost.
void TipFollowsTheLink(Run& run)
{
    const auto shows = [&run](const char* tip) {
        EXPECT_TRUE(WaitUntil([&] { return !Tips(run).empty() && Tips(run).back() == tip; }, 3 * STEP_MS)) << tip;
    };
    int step = 0;
    for (const char* tip : {TIP_NOT_RUNNING, TIP_WAITING, TIP_REFUSED, TIP_NOT_SIGNED_IN}) {
        shows(tip);
        run.createFileBeside("step" + std::to_string(++step));
    }
    shows(TIP_ANSWERING);
    run.createFileBeside("hang");
    ASSERT_TRUE(run.client.waitFor("==", "hang " + Ms(COMMAND_TIMEOUT_MS + LATE_MS), STEP_MS));
    run.send("GET USERSTATUS");
    shows(TIP_NOT_RESPONDING);
    ASSERT_TRUE(run.client.waitFor("==", "hang over", STEP_MS));
    run.send("GET USERSTATUS");
    shows(TIP_ANSWERING);
    run.createFileBeside("crash");
    shows(TIP_NOT_RUNNING);
    EXPECT_EQ(Tips(run), (std::vector<std::string>{TIP_LOOKING, TIP_NOT_RUNNING, TIP_WAITING, TIP_REFUSED,
                                                   TIP_NOT_SIGNED_IN, TIP_ANSWERING, TIP_NOT_RESPONDING,
                                                   TIP_ANSWERING, TIP_NOT_RUNNING}));
}

std::string Announced(int step)
{
    return Await("file step" + std::to_string(step), STEP_MS) + "announce available\n";
}

const Row TRAY_ROWS[] = {
    {
        .name = "ATaskbarThatRefusesTheIconAtFirstGetsItLaterWithTheBalloon",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .before = PutTaskbarInFront},
        .client = ATTACHED,
        .act = TaskbarNotReady,
    },
    {
        .name = "StartWithWindowsIsPutOnAndTakenOffAsChosenAndARefusalIsSaid",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .before = [](Run&) { DeleteRunValue(); }},
        .client = ATTACHED,
        .act = StartWithWindows,
    },
    {
        .name = "TheTipSaysWhetherCallsAreAnsweredInEachStateOfTheClient",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) {
                      PutTaskbarInFront(run);
                      run.taskbar->takeIcons();
                  }},
        .client = "attach none\nattach pending\nattach refused\nattach unavailable\nattach connected\nreplies sync\n"
                  + Announced(1) + Announced(2) + Announced(3) + Announced(4) + Await("attached")
                  + Await("file hang", STEP_MS) + "hang " + Ms(COMMAND_TIMEOUT_MS + LATE_MS) + "\n"
                  + Wait(COMMAND_TIMEOUT_MS + LATE_MS) + "mark hang over\n" + Await("file crash", STEP_MS)
                  + "crash\n",
        .act = TipFollowsTheLink,
        .expect = {.commands = {"GET USERSTATUS"}, .closingPing = false, .clientExit = CRASH_EXIT_CODE},
    },
};

INSTANTIATE_TEST_SUITE_P(Tray, BlackBox, ::testing::ValuesIn(TRAY_ROWS), RowName);

}  // namespace
