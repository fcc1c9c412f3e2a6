#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <thread>

#include "res/resource.h"

const char* const ATTACHED = "attach connected\nreplies deferred 10\n";

namespace {

constexpr WPARAM IDM_EXIT = 304;
constexpr DWORD MENU_MS = 3000;
constexpr UINT WM_TRAY_NOTIFY = 1357;

HWND AwaitShown(DWORD processId, const char* className, const char* title, DWORD timeoutMs = STEP_MS)
{
    return AwaitWindow(processId, className, title, true, timeoutMs);
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
{
    char className[16] = {};
    char text[512] = {};
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0 && GetWindowTextA(child, text, sizeof(text)) > 0) {
        *reinterpret_cast<std::string*>(param) += text;
    }
    return TRUE;
}

// Both transcripts as "<tag> <text>" lines with their times.
std::multimap<std::string, double> Events(const Run& run)
{
    std::multimap<std::string, double> events;
    for (const TranscriptFile* file : {&run.client.transcript(), &run.players.log()}) {
        if (!file->path().empty()) {
            for (const TranscriptLine& line : file->lines()) {
                events.emplace(line.tag + " " + line.text, line.atMs);
            }
        }
    }
    return events;
}

// True when `expected` occurs in `lines` in this order, anything between.
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected)
{
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

std::vector<std::string> MediaMessages(const Run& run)
{
    std::vector<std::string> messages;
    if (!run.players.log().path().empty()) {
        for (const TranscriptLine& line : run.players.log().lines()) {
            if (line.tag == "WMP" || line.tag == "WMC") {
                messages.push_back(line.tag + " " + line.text);
            }
        }
    }
    return messages;
}

void Check(const Row& row, Run& run)
{
    EXPECT_EQ(run.client.commands(), row.commands);
    EXPECT_TRUE(InOrder(run.log, row.log)) << ::testing::PrintToString(run.log);
    for (const std::string& line : row.notLogged) {
        EXPECT_EQ(std::count(run.log.begin(), run.log.end(), line), 0) << line;
    }
    EXPECT_EQ(MediaMessages(run), row.media);
    const std::multimap<std::string, double> events = Events(run);
    for (const Delay& delay : row.delays) {
        const auto from = events.find(delay.from);
        const auto to = events.find(delay.to);
        ASSERT_TRUE(from != events.end() && to != events.end()) << delay.from << " / " << delay.to;
        EXPECT_GE(to->second - from->second, delay.ms - 1.0) << delay.to;
        EXPECT_LT(to->second - from->second, delay.ms + delay.late) << delay.to;
    }
    if (row.settingsAfter) {
        EXPECT_EQ(run.ring.readSettings(), *row.settingsAfter);
    }
}

}  // namespace

Held::Held(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
{
    EXPECT_NE(m_file, INVALID_HANDLE_VALUE);
}

void Held::release()
{
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

void HoldFor(const std::wstring& path, DWORD ms)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    std::thread([file, ms] {
        Sleep(ms);
        CloseHandle(file);
    }).detach();
}

void Run::awaitCommand(const std::string& text) const
{
    ASSERT_TRUE(client.waitForCommand(text, STEP_MS)) << text;
}

void Run::awaitLog(const std::string& line) const
{
    ASSERT_TRUE(ring.waitForLogLine(line, STEP_MS)) << line;
}

void Run::awaitVisible(bool shown) const
{
    ASSERT_TRUE(WaitUntil([&] { return visible() == shown; }, STEP_MS)) << (shown ? "shown" : "hidden");
}

void Run::send(const std::string& command) const
{
    SendMessageA(item(IDC_COMMAND), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command.c_str()));
    SendMessageA(item(IDC_SEND), BM_CLICK, 0, 0);
}

void Run::trayClick(LPARAM mouseMessage) const
{
    post(WM_TRAY_NOTIFY, 0, mouseMessage);
}

HWND Run::openMenu(const std::function<void()>& click) const
{
    click();
    HWND menu = AwaitShown(ring.processId(), "#32768", nullptr, MENU_MS);
    // Under load a posted click was once seen to open nothing.
    if (menu == nullptr) {
        click();
        menu = AwaitShown(ring.processId(), "#32768", nullptr, STEP_MS);
    }
    EXPECT_NE(menu, nullptr);
    return menu;
}

void Run::chooseFromTrayMenu(char key) const
{
    HWND menu = openMenu([&] { trayClick(WM_RBUTTONUP); });
    PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 0);
}

void Run::chooseFromContactsMenu(char key) const
{
    // Below every row, so that no row is selected by the click.
    HWND menu = openMenu([&] {
        PostMessageA(item(IDC_CONTACTS), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 200));
        PostMessageA(item(IDC_CONTACTS), WM_RBUTTONUP, 0, MAKELPARAM(20, 200));
    });
    PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 0);
    // A key that names no item leaves the menu open.
    Sleep(200);
    if (IsWindowVisible(menu)) {
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

void Run::selectContact(int row) const
{
    SendMessageA(item(IDC_CONTACTS), LVM_SETSELECTIONMARK, 0, row);
}

HWND Run::contactDialog() const
{
    return AwaitShown(ring.processId(), "#32770", "Ringlock Contact");
}

std::string Run::contactDialogText() const
{
    char text[512] = {};
    GetDlgItemTextA(contactDialog(), IDC_COMMAND, text, sizeof(text));
    return text;
}

void Run::answerContactDialog(const std::string& name, WPARAM button) const
{
    HWND dialog = contactDialog();
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageA(dialog, IDC_COMMAND, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (button == IDOK || button == IDCANCEL) {
        SendDlgItemMessageA(dialog, static_cast<int>(button), BM_CLICK, 0, 0);
    } else if (button == VK_RETURN || button == VK_ESCAPE) {
        PostMessageA(GetDlgItem(dialog, IDC_COMMAND), WM_KEYDOWN, button, 0);
        PostMessageA(GetDlgItem(dialog, IDC_COMMAND), WM_KEYUP, button, 0);
    } else {
        PostMessageA(dialog, WM_SYSCOMMAND, button, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, STEP_MS));
}

std::string Run::dismissMessageBox() const
{
    HWND box = AwaitShown(ring.processId(), "#32770", "Error");
    if (box == nullptr) {
        return "(no message box)";
    }
    std::string text;
    EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
    SendDlgItemMessageA(box, IDOK, BM_CLICK, 0, 0);
    return text;
}

void Run::createFileBeside(const std::string& name) const
{
    CloseHandle(CreateFileA((ring.folder() + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                            nullptr));
}

void Run::exit(const char* boxText)
{
    log = ring.logLines();
    if (visible()) {
        EXPECT_TRUE(IsWindowVisible(item(IDC_LOG)) && IsWindowVisible(item(IDC_CONTACTS)))
            << "both lists paint while the dialog shows";
    }
    post(WM_COMMAND, IDM_EXIT, 0);
    if (boxText != nullptr) {
        EXPECT_EQ(dismissMessageBox(), boxText);
    }
    EXPECT_EQ(ring.waitForExit(STEP_MS), 0);
}

namespace {

void Play(const Row& row)
{
    Run run(row.programFolder);
    if (row.settings) {
        run.ring.writeSettings(*row.settings);
    }
    if (row.players) {
        ASSERT_TRUE(run.players.start(run.ring.folder(), *row.players));
    }
    ASSERT_TRUE(run.client.start(run.ring.folder(), row.client + "mark done\nawait 600000 gone\n",
                                 row.clientProgram));
    if (row.before) {
        row.before(run);
    }
    ASSERT_TRUE(run.ring.start(row.arguments));
    ASSERT_NE(run.ring.waitForDialog(STEP_MS), nullptr);
    if (row.act) {
        row.act(run);
    }
    const TranscriptFile& played = run.client.transcript();
    EXPECT_TRUE(WaitUntil([&] { return played.timeOf("==", "done") >= 0.0 || !run.client.running(); },
                          6 * STEP_MS));
    if (run.ring.running()) {
        run.exit();
    }
    EXPECT_EQ(run.client.waitForExit(STEP_MS), row.clientExit) << "every step of the client's script was met";
    Check(row, run);
}

}  // namespace

std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

TEST_P(BlackBox, Scenario)
{
    Play(GetParam());
}
