#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

#include "ui/WideText.h"

const char* const ATTACHED = "attach connected\n";
const char* const REPLYING_AT_ONCE = "attach connected\nreplies sync\n";

namespace {

constexpr char MENU_CLASS[] = "#32768";

// Both transcripts as "<tag> <text>" lines with their times.
std::multimap<std::string, double> Events(const Run& run)
{
    std::multimap<std::string, double> events;
    for (const StandinProcess* program : {&run.client, &run.players}) {
        for (const TranscriptLine& line : program->lines()) {
            events.emplace(line.tag + " " + line.text, line.atMs);
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

// Every message the players received: all but their own "==" lines.
std::vector<std::string> MediaMessages(const Run& run)
{
    std::vector<std::string> messages;
    for (const TranscriptLine& line : run.players.lines()) {
        if (line.tag != "==") {
            messages.push_back(line.tag + " " + line.text);
        }
    }
    return messages;
}

// A contact as the settings file keeps it: its first units, never half a
// character of two.
std::string AsKept(const std::string& contact)
{
    const std::wstring wide = Widen(contact, CP_UTF8);
    size_t kept = std::min<size_t>(wide.size(), contract::ROW_TEXT_MAX_UNITS);
    if (kept < wide.size() && IS_HIGH_SURROGATE(wide[kept - 1])) {
        --kept;
    }
    return Utf8FromWide(wide.data(), kept);
}

// The settings file as Ringlock must write it for what its dialog shows.
std::string ShownSettings(const Run& run)
{
    std::string text;
    for (const int box : {IDC_START_VIDEO, IDC_QUIET_MEDIA}) {
        text += IsDlgButtonChecked(run.ring.dialog(), box) == BST_CHECKED ? "1\r\n" : "0\r\n";
    }
    for (const std::string& contact : run.ring.contactLines()) {
        text += AsKept(contact) + "\r\n";
    }
    return text;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        const size_t next = text.find(separator, at);
        parts.push_back(text.substr(at, next - at));
        if (next == std::string::npos) {
            return parts;
        }
        at = next + separator.size();
    }
}

}  // namespace

void CheckHistory(const Run& run, const std::vector<HistoryRow>& expected)
{
    const std::string text = ReadFileBytes(run.ring.historyPath());
    const std::string header = contract::HISTORY_HEADER;
    ASSERT_EQ(text.compare(0, header.size(), header), 0) << "the header first: " << text;
    std::vector<std::string> lines = Split(text.substr(header.size()), "\r\n");
    EXPECT_EQ(lines.back(), "") << "every line ends in CR LF";
    lines.pop_back();
    ASSERT_EQ(lines.size(), expected.size()) << text;
    const std::string endedAt = LocalTimeText();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], "\t");
        ASSERT_EQ(fields.size(), 5u) << lines[i];
        const HistoryRow& row = expected[i];
        EXPECT_TRUE(fields[0].size() == 19 && fields[0] >= run.startedAt && fields[0] <= endedAt) << fields[0];
        EXPECT_EQ(fields[1], row.caller);
        EXPECT_EQ(fields[2], row.listed ? "yes" : "no") << row.caller;
        EXPECT_EQ(fields[3], row.what) << row.caller;
        const uint64_t seconds = std::stoull(fields[4]);
        EXPECT_TRUE(seconds >= row.seconds && seconds <= row.seconds + row.slack) << row.caller << ": " << fields[4];
    }
}

namespace {

void Check(const Row& row, Run& run)
{
    const Expected& expect = row.expect;
    std::vector<std::string> commands = expect.commands;
    if (expect.closingPing && run.exitAsked()) {
        commands.push_back("PING");
    }
    EXPECT_EQ(run.client.commands(), commands);
    if (expect.settings) {
        EXPECT_EQ(run.writtenAtExit(), *expect.settings);
    }
    EXPECT_TRUE(InOrder(run.log, expect.log)) << ::testing::PrintToString(run.log);
    for (const std::string& line : expect.notLogged) {
        EXPECT_EQ(std::count(run.log.begin(), run.log.end(), line), 0) << line;
    }
    EXPECT_EQ(MediaMessages(run), expect.media);
    if (expect.history) {
        CheckHistory(run, *expect.history);
    }
    const std::multimap<std::string, double> events = Events(run);
    for (const Delay& delay : expect.delays) {
        const auto from = events.find(delay.from);
        const auto to = events.find(delay.to);
        ASSERT_TRUE(from != events.end() && to != events.end()) << delay.from << " / " << delay.to;
        EXPECT_GE(to->second - from->second, delay.ms - 1.0) << delay.to;
        EXPECT_LT(to->second - from->second, delay.ms + delay.late) << delay.to;
    }
}

// Empties `edit`, then types `text` (UTF-8) into it character by character,
// as a keyboard does; returns once the box shows it.
void TypeInto(HWND edit, const std::string& text)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    const std::wstring wide = Widen(text, CP_UTF8);
    for (const wchar_t unit : wide) {
        PostMessageW(edit, WM_CHAR, unit, 1);
    }
    ASSERT_TRUE(WaitUntil([&] { return EditText(edit) == wide; }, STEP_MS)) << "the box shows what was typed: " << text;
}

}  // namespace

std::wstring EditText(HWND edit)
{
    wchar_t text[1024] = {};
    SendMessageW(edit, WM_GETTEXT, sizeof(text) / sizeof(text[0]), reinterpret_cast<LPARAM>(text));
    return text;
}

std::shared_ptr<void> Hold(const std::wstring& path, DWORD share)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return std::shared_ptr<void>(file, CloseHandle);
}

void HoldFor(const std::wstring& path, DWORD ms, DWORD share)
{
    std::thread([held = Hold(path, share), ms] { Sleep(ms); }).detach();
}

void PutTaskbarInFront(Run& run)
{
    run.taskbar = std::make_unique<TaskbarStandin>();
    ASSERT_TRUE(run.taskbar->start());
}

std::shared_ptr<void> LockKey(const std::wstring& path)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr);
    auto saved = std::make_shared<std::vector<BYTE>>(4096);
    DWORD size = static_cast<DWORD>(saved->size());
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved->data(), &size);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);
    return std::shared_ptr<void>(key, [saved](void* locked) {
        RegSetKeySecurity(static_cast<HKEY>(locked), DACL_SECURITY_INFORMATION, saved->data());
        RegCloseKey(static_cast<HKEY>(locked));
    });
}

std::vector<std::string> Run::linesBeginning(const std::string& beginning) const
{
    std::vector<std::string> found;
    for (const std::string& line : ring.logLines()) {
        if (line.rfind(beginning, 0) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

void Run::awaitLogBeginning(const std::string& beginning, const std::string& ending) const
{
    ASSERT_TRUE(WaitUntil([&] {
        for (const std::string& line : linesBeginning(beginning)) {
            if (line.size() >= ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0) {
                return true;
            }
        }
        return false;
    }, STEP_MS)) << beginning << "..." << ending;
}

std::string LocalTimeText()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

// The functions whose calls a traced row sees: those that ask Windows to keep
// the PC awake or its screen on, and the restart registration, which only
// Windows carries out.
constexpr wchar_t TRACED_FUNCTIONS[] =
    L"PowerCreateRequest;PowerSetRequest;PowerClearRequest;SetThreadExecutionState;RegisterApplicationRestart";

void Run::startTraced(const std::string& arguments)
{
    tracePath = Widen(ring.folder()) + L"\\trace.log";
    ASSERT_TRUE(StartTraced(ring.exePath(), arguments, tracePath, TRACED_FUNCTIONS));
    ASSERT_TRUE(ring.adoptStarted(STEP_MS));
}

std::vector<TracedCall> Run::traced(const std::string& function) const
{
    return TracedCalls(tracePath, ring.processId(), function);
}

void Run::awaitTip(const char* tip) const
{
    const auto shown = [this, tip] {
        const std::vector<std::string> tips = taskbar->tips();
        return !tips.empty() && tips.back() == tip;
    };
    EXPECT_TRUE(WaitUntil(shown, 3 * STEP_MS)) << tip;
}

void Run::awaitCommand(const std::string& text) const
{
    ASSERT_TRUE(client.waitForCommand(text, STEP_MS)) << text;
}

void Run::awaitLog(const std::string& line) const
{
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> lines = ring.logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }, STEP_MS)) << line;
}

void Run::awaitVisible(bool shown) const
{
    ASSERT_TRUE(WaitUntil([&] { return visible() == shown; }, STEP_MS)) << (shown ? "shown" : "hidden");
}

void Run::send(const std::string& command) const
{
    TypeInto(item(IDC_COMMAND), command);
    SendMessageA(item(IDC_SEND), BM_CLICK, 0, 0);
}

void Run::chooseFromMenu(char key, const std::function<void()>& open, RECT* shownAt) const
{
    open();
    const HWND menu = this->menu(STEP_MS);
    ASSERT_NE(menu, nullptr) << "the menu opens";
    if (shownAt != nullptr) {
        GetWindowRect(menu, shownAt);
    }
    if (key != 0) {
        PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 0);
    }
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([menu] { return !IsWindowVisible(menu); }, STEP_MS)) << "the menu closes";
}

void Run::chooseFromTrayMenu(char key) const
{
    chooseFromMenu(key, [this] { trayClick(WM_RBUTTONUP); });
}

// At the left of the row's text, or below every row of the list, where a
// click selects no row.
void Run::clickContact(int row, bool right) const
{
    const HWND list = item(IDC_CONTACTS);
    RECT area{};
    GetClientRect(list, &area);
    const RECT cell = row >= 0 ? RemoteListItemRect(list, row) : RECT{0, area.bottom - 2, 0, area.bottom};
    const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    const UINT down = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    PostMessageA(list, down, right ? MK_RBUTTON : MK_LBUTTON, at);
    PostMessageA(list, down + 1, 0, at);  // its button's up
}

void Run::chooseFromContactsMenu(char key, int row) const
{
    chooseFromMenu(key, [this, row] { clickContact(row, true); });
}

void Run::chooseFromContactsMenuByKey(char key, RECT* shownAt) const
{
    chooseFromMenu(key, [this] {
        PostMessageA(item(IDC_CONTACTS), WM_KEYDOWN, VK_APPS, 0);
        PostMessageA(item(IDC_CONTACTS), WM_KEYUP, VK_APPS, 0);
    }, shownAt);
}

HWND Run::menu(DWORD timeoutMs) const
{
    return AwaitWindow(ring.processId(), MENU_CLASS, nullptr, true, timeoutMs);
}

HWND Run::contactDialog(DWORD timeoutMs) const
{
    return AwaitWindow(ring.processId(), contract::MAIN_DIALOG_CLASS, contract::CONTACT_DIALOG_TITLE, true,
                       timeoutMs);
}

void Run::answerContactDialog(const std::string& name, WPARAM button) const
{
    HWND dialog = contactDialog();
    ASSERT_NE(dialog, nullptr);
    TypeInto(GetDlgItem(dialog, IDC_COMMAND), name);
    if (button == IDOK || button == IDCANCEL) {
        SendDlgItemMessageA(dialog, static_cast<int>(button), BM_CLICK, 0, 0);
    } else if (button == VK_RETURN || button == VK_ESCAPE) {
        PostMessageA(GetDlgItem(dialog, IDC_COMMAND), WM_KEYDOWN, button, 0);
        PostMessageA(GetDlgItem(dialog, IDC_COMMAND), WM_KEYUP, button, 0);
    } else {
        PostMessageA(dialog, WM_SYSCOMMAND, button, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, STEP_MS));
    SendMessageA(ring.dialog(), WM_NULL, 0, 0);  // returns once what was sent before is handled
}

HWND Run::messageBox(DWORD timeoutMs) const
{
    return AwaitWindow(ring.processId(), contract::MAIN_DIALOG_CLASS, contract::SETTINGS_MESSAGE_CAPTION, true,
                       timeoutMs);
}

std::string Run::dismissMessageBox() const
{
    HWND box = messageBox(STEP_MS);
    if (box == nullptr) {
        return "(no message box)";
    }
    // The text of a message box is its control 0xFFFF, on Windows as under Wine.
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    SendDlgItemMessageA(box, IDOK, BM_CLICK, 0, 0);
    return text;
}

void Run::createFileBeside(const std::string& name) const
{
    WriteFileBytes(Widen(ring.folder() + "\\" + name), "");
}

void Run::exit(const char* boxText, bool throughMenu)
{
    log = ring.logLines();
    const std::string shown = boxText ? std::string() : ShownSettings(*this);
    if (!boxText) {
        ring.writeSettings("not written by the exit");
    }
    m_exitAsked = true;
    if (throughMenu) {
        chooseFromTrayMenu('e');
    } else {
        post(WM_COMMAND, contract::IDM_EXIT, 0);
    }
    if (boxText != nullptr) {
        EXPECT_EQ(dismissMessageBox(), boxText);
    }
    EXPECT_EQ(ring.waitForExit(STEP_MS), 0);
    m_writtenAtExit = ring.readSettings();
    if (!boxText) {
        EXPECT_EQ(m_writtenAtExit, shown) << "the exit writes what the dialog shows";
    }
}

namespace {

void Play(const Row& row)
{
    const Given& given = row.given;
    // Not what a row stopped midway (a killed run) stored.
    RegDeleteTreeA(HKEY_CURRENT_USER, contract::KEEP_AWAKE_KEY);
    Run run(given.programFolder);
    if (given.settings) {
        run.ring.writeSettings(*given.settings);
    }
    if (given.players) {
        ASSERT_TRUE(run.players.startPlayers(run.ring.folder(), *given.players));
    }
    ASSERT_TRUE(run.client.startClient(run.ring.folder(), row.client + "mark done\n" + Await("gone", 6 * STEP_MS),
                                       given.clientProgram))
        << "error " << GetLastError();
    if (given.before) {
        given.before(run);
    }
    run.startedAt = LocalTimeText();
    if (given.traced) {
        run.startTraced(given.arguments);
    } else if (given.startedTwiceAtOnce) {
        EXPECT_EQ(run.ring.startTwice(given.arguments), 0) << "one start hands over and ends";
    } else {
        ASSERT_TRUE(run.ring.start(given.arguments));
    }
    ASSERT_NE(run.ring.waitForDialog(STEP_MS), nullptr);
    // The last news an attaching client pushes; REPLYING_AT_ONCE begins alike.
    if (row.client.rfind(ATTACHED, 0) == 0) {
        run.awaitLog("USERSTATUS ONLINE");
    }
    if (row.act) {
        row.act(run);
    }
    EXPECT_TRUE(WaitUntil([&] { return run.client.timeOf("==", "done") >= 0.0 || !run.client.running(); },
                          6 * STEP_MS));
    if (run.ring.running() && !run.exitAsked()) {
        run.exit();
    }
    EXPECT_EQ(run.client.waitForExit(STEP_MS), row.expect.clientExit) << "every step of the client's script was met";
    if (run.restarted.started()) {
        EXPECT_EQ(run.restarted.waitForExit(STEP_MS), 0);
    }
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
