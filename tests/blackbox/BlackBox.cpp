#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <thread>

#include "tools/standin/MediaStandin.h"
#include "ui/WideText.h"

const char* const ATTACHED = "attach connected\n";
const char* const REPLYING_AT_ONCE = "attach connected\nreplies sync\n";
const char* const CLIENT_READY_LINE = "USERSTATUS ONLINE";

std::string Ms(double ms)
{
    return std::to_string(std::lround(ms));
}

std::string Wait(double ms)
{
    return "wait " + Ms(ms) + "\n";
}

std::string Await(const std::string& event, double dueMs)
{
    return "await " + Ms(dueMs + STEP_MS) + " " + event + "\n";
}

std::string WatchPast(double dueMs)
{
    return Wait(dueMs + LATE_MS);
}

std::string Ring(const std::string& call, int times)
{
    return "ring " + call + " " + std::to_string(times) + " " + Ms(RING_REPEAT_MS) + "\n";
}

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

std::vector<std::string> MediaMessages(const Run& run)
{
    std::vector<std::string> messages;
    for (const TranscriptLine& line : run.players.lines()) {
        if (line.tag == MediaPlayerTag(MediaPlayer::Wmp) || line.tag == MediaPlayerTag(MediaPlayer::Wmc)) {
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

void Check(const Row& row, Run& run)
{
    const Expected& expect = row.expect;
    std::vector<std::string> commands = expect.commands;
    if (expect.closingPing && run.exitAskedMs() >= 0.0) {
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

std::shared_ptr<void> Hold(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return std::shared_ptr<void>(file, CloseHandle);
}

void HoldFor(const std::wstring& path, DWORD ms)
{
    std::thread([held = Hold(path), ms] { Sleep(ms); }).detach();
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
void Run::clickList(UINT down, UINT up, int row) const
{
    const HWND list = item(IDC_CONTACTS);
    RECT area{};
    GetClientRect(list, &area);
    const RECT cell = row >= 0 ? RemoteListItemRect(list, row) : RECT{0, area.bottom - 2, 0, area.bottom};
    const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    PostMessageA(list, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, at);
    PostMessageA(list, up, 0, at);
}

void Run::clickContact(int row) const
{
    clickList(WM_LBUTTONDOWN, WM_LBUTTONUP, row);
}

void Run::chooseFromContactsMenu(char key, int row) const
{
    chooseFromMenu(key, [this, row] { clickList(WM_RBUTTONDOWN, WM_RBUTTONUP, row); });
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
    settle();
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
    if (visible()) {
        EXPECT_TRUE(IsWindowVisible(item(IDC_LOG)) && IsWindowVisible(item(IDC_CONTACTS)))
            << "both lists paint while the dialog shows";
    }
    const std::string shown = boxText ? std::string() : ShownSettings(*this);
    if (!boxText) {
        ring.writeSettings("not written by the exit");
    }
    m_exitAskedMs = ClockMs();
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
    ASSERT_TRUE(run.ring.start(given.arguments));
    ASSERT_NE(run.ring.waitForDialog(STEP_MS), nullptr);
    // Both start alike.
    if (row.client.rfind(ATTACHED, 0) == 0) {
        run.awaitLog(CLIENT_READY_LINE);
    }
    if (row.act) {
        row.act(run);
    }
    EXPECT_TRUE(WaitUntil([&] { return run.client.timeOf("==", "done") >= 0.0 || !run.client.running(); },
                          6 * STEP_MS));
    if (run.ring.running() && run.exitAskedMs() < 0.0) {
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
