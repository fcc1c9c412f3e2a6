#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

#include "app/MainDialog.h"
#include "settings/Settings.h"
#include "tools/standin/MediaStandin.h"
#include "ui/TextLimits.h"

const char* const ATTACHED = "attach connected\n";

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
    return Wait(dueMs + WATCH_MARGIN_MS);
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

// The settings file as Ringlock must write it for what its dialog shows.
std::string ShownSettings(const Run& run)
{
    std::string text;
    for (const int box : {IDC_START_VIDEO, IDC_QUIET_MEDIA}) {
        text += IsDlgButtonChecked(run.ring.dialog(), box) == BST_CHECKED ? "1\r\n" : "0\r\n";
    }
    for (const std::string& contact : run.ring.contactLines()) {
        text += contact.substr(0, ROW_TEXT_MAX_UNITS) + "\r\n";
    }
    return text;
}

// Whether the client had attached and was taking messages at `atMs`.
bool AnswersAt(const StandinProcess& client, double atMs)
{
    bool attached = false;
    double hungUntil = -1.0;
    for (const TranscriptLine& line : client.lines()) {
        if (line.atMs > atMs) {
            break;
        }
        attached = attached || (line.tag == ">>" && line.text.compare(0, 9, "attach 0 ") == 0);
        if (line.tag == "==" && line.text == "crash") {
            return false;
        }
        if (line.tag == "==" && line.text == "hang forever") {
            hungUntil = HUGE_VAL;
        } else if (line.tag == "==" && line.text.compare(0, 5, "hang ") == 0 && std::isdigit(line.text[5])) {
            hungUntil = line.atMs + std::strtod(line.text.c_str() + 5, nullptr);
        }
    }
    return attached && atMs > hungUntil;
}

// The client's commands, with the closing PING set aside. A client that was
// attached and answering when the exit was asked must have got it; one that
// attached only while Ringlock was ending may have.
std::vector<std::string> CommandsBeforeTheExit(const Run& run, const StandinProcess& client)
{
    std::vector<std::string> commands = client.commands();
    const bool pinged = !commands.empty() && commands.back() == "PING";
    if (run.exitAskedMs() >= 0.0 && AnswersAt(client, run.exitAskedMs())) {
        EXPECT_TRUE(pinged) << "the exit says goodbye";
    }
    if (pinged) {
        commands.pop_back();
    }
    return commands;
}

void Check(const Row& row, Run& run)
{
    const Expected& expect = row.expect;
    EXPECT_EQ(CommandsBeforeTheExit(run, run.client), expect.commands);
    if (run.restarted.started()) {
        CommandsBeforeTheExit(run, run.restarted);
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

void Run::chooseFromContactsMenu(char key) const
{
    chooseFromMenu(key, [this] {
        const HWND list = item(IDC_CONTACTS);
        // Below every row, so that no row is selected by the click.
        const POINT at{20, 200};
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    });
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

void Run::selectContact(int row) const
{
    SendMessageA(item(IDC_CONTACTS), LVM_SETSELECTIONMARK, 0, row);
}

HWND Run::contactDialog() const
{
    return AwaitWindow(ring.processId(), MAIN_DIALOG_CLASS, CONTACT_DIALOG_TITLE, true, STEP_MS);
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
    return AwaitWindow(ring.processId(), MAIN_DIALOG_CLASS, SETTINGS_MESSAGE_CAPTION, true, timeoutMs);
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
        post(WM_COMMAND, IDM_EXIT, 0);
    }
    if (boxText != nullptr) {
        EXPECT_EQ(dismissMessageBox(), boxText);
    }
    EXPECT_EQ(ring.waitForExit(STEP_MS), 0);
    if (!boxText) {
        EXPECT_EQ(ring.readSettings(), shown) << "the exit writes what the dialog shows";
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
