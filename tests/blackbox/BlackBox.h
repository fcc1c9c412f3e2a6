#ifndef RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H
#define RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/Contract.h"
#include "tests/support/RingProcess.h"
#include "tests/support/StandinProcesses.h"
#include "tools/standin/TaskbarStandin.h"

// Ringlock.exe run as its user runs it, beside the stand-in client and media
// players, each a process of its own. One table row is one scenario: what
// Ringlock finds when it starts, the client's script, what the user does and
// checks meanwhile, and what the client, the players and the log show
// afterwards. Every expected value comes from tests/Contract.h.
//
// What every row shares the runner checks once: the client's script is met
// and the client ends as expected; unless the row ends Ringlock otherwise,
// Ringlock exits through the tray menu's command with exit code 0 and writes
// the settings file as its dialog showed it; the client receives the row's
// commands and then, unless the row says it cannot take it, the closing PING.
// A row whose client attaches at once starts acting once the client's first
// news is in the log.

constexpr DWORD STEP_MS = 10000;
// How late a timer may fire on a loaded two-core machine. A timer of the
// program counts as on time up to this late, so a watch for what must not
// happen lasts this long past the moment it would happen.
constexpr double LATE_MS = 1500.0;
// How often a ringing client repeats its ringing line.
constexpr double RING_REPEAT_MS = 300.0;

// The client attaches at once and answers each command shortly after, from
// its window's thread; or, replying at once, from inside the command, so that
// the reply to a command that a notification caused is in the log by the
// time the notification returns.
extern const char* const ATTACHED;
extern const char* const REPLYING_AT_ONCE;
// The last news an attaching client pushes.
extern const char* const CLIENT_READY_LINE;

// Steps of the client's script (tools/standin/README.md), their times named.
std::string Ms(double ms);  // a time as the script writes it
std::string Wait(double ms);
// `event` within `dueMs` and a step's time more.
std::string Await(const std::string& event, double dueMs = 0.0);
// The client waits past `dueMs`, the latest that what the row rules out
// would happen, by the lateness that would still count as on time.
std::string WatchPast(double dueMs);
std::string Ring(const std::string& call, int times = 1);

class Run;

// `to` happened `ms` after `from`: never early, at most `late` late. Both are
// the first transcript line "<tag> <text>" of the client ("<-" command,
// "->" notification) or the players ("WMP", "WMC").
struct Delay {
    std::string from;
    std::string to;
    double ms;
    double late = LATE_MS;
};

// What Ringlock finds when it starts.
struct Given {
    std::optional<std::string> settings = {};  // Ringlock.ini; none: no file
    std::string arguments = {};
    std::optional<std::string> players = {};   // standin_players.exe's options; none: no players
    std::wstring programFolder = {};           // Ringlock.exe's own folder inside the row's
    std::string clientProgram = {};            // none: the stand-in client of this build
    std::function<void(Run&)> before = {};     // just before Ringlock.exe starts
};

// What the row's scenario leaves behind, beyond what the runner checks.
struct Expected {
    std::vector<std::string> commands = {};   // every command the client received before the exit
    bool closingPing = true;                  // and then PING; false: the client cannot take it then
    std::vector<std::string> log = {};        // lines the log holds in this order, others between
    std::vector<std::string> notLogged = {};
    std::vector<std::string> media = {};      // every message the players received, "WMP ..." / "WMC ..."
    std::vector<Delay> delays = {};
    std::optional<std::string> settings = {}; // the file the exit writes
    int clientExit = 0;
};

struct Row {
    const char* name = {};
    Given given = {};
    std::string client = {};           // the client's scenario, ended by the runner
    std::function<void(Run&)> act = {};
    Expected expect = {};
};

std::wstring EditText(HWND edit);

// An open handle that shares nothing: the file can be neither read nor
// replaced while it is held, until the last copy goes.
std::shared_ptr<void> Hold(const std::wstring& path);
// Held from now until `ms` later, as a virus scanner holds a freshly written
// file.
void HoldFor(const std::wstring& path, DWORD ms);

// What a row's user does, and what it can see of Ringlock.exe.
class Run {
public:
    explicit Run(const std::wstring& programFolder) : ring(programFolder) {}

    RingProcess ring;
    StandinProcess client;
    StandinProcess restarted;  // a client started again by the row
    StandinProcess players;
    std::vector<std::string> log;  // the log's rows when Ringlock was last asked to exit
    std::shared_ptr<void> held;
    std::unique_ptr<TaskbarStandin> taskbar;

    HWND item(int id) const { return ring.dialogItem(id); }
    bool visible() const { return IsWindowVisible(ring.dialog()) != FALSE; }
    void awaitCommand(const std::string& text) const;
    void awaitLog(const std::string& line) const;
    void awaitVisible(bool shown) const;
    // Returns once Ringlock's dialog has handled everything sent to it before.
    void settle() const { SendMessageA(ring.dialog(), WM_NULL, 0, 0); }
    void send(const std::string& command) const;  // typed into the box (UTF-8) key by key, then Send clicked
    void post(UINT msg, WPARAM wParam, LPARAM lParam) const { PostMessageA(ring.dialog(), msg, wParam, lParam); }
    void trayClick(LPARAM mouseMessage) const { post(contract::WM_TRAY_NOTIFY, 0, mouseMessage); }
    // A left click on a contact, or (-1) below the contacts.
    void clickContact(int row) const;
    // Opens a pop-up menu of Ringlock's, presses the key of one item (0: none)
    // and returns once the menu has closed (a key that names no item is
    // followed by Escape). The contacts menu is opened with a right click on
    // `row`, or below the contacts.
    void chooseFromTrayMenu(char key) const;
    void chooseFromContactsMenu(char key, int row = -1) const;
    // The same, the menu opened with the menu key on the contacts list;
    // `shownAt` receives the menu's rectangle.
    void chooseFromContactsMenuByKey(char key, RECT* shownAt) const;
    // A menu of Ringlock's shown within `timeoutMs`, or null.
    HWND menu(DWORD timeoutMs) const;
    // The contact dialog that a menu command opened within `timeoutMs`, or null.
    HWND contactDialog(DWORD timeoutMs = STEP_MS) const;
    // Types `name` (UTF-8) key by key, then clicks IDOK or IDCANCEL, presses VK_RETURN or
    // VK_ESCAPE, or chooses SC_CLOSE; returns once Ringlock has done with it.
    void answerContactDialog(const std::string& name, WPARAM button) const;
    // A message box of Ringlock's shown within `timeoutMs`, or null.
    HWND messageBox(DWORD timeoutMs = 0) const;
    // Waits for a message box of Ringlock's, returns its text and clicks OK.
    std::string dismissMessageBox() const;
    void createFileBeside(const std::string& name) const;
    // Exits through the tray menu's command (or, `throughMenu`, through the
    // menu itself); the exit code must be 0. With `boxText`, the exit must
    // first show that message box, and the settings file is not checked.
    void exit(const char* boxText = nullptr, bool throughMenu = false);
    // When exit() asked Ringlock to end, on ClockMs(); negative before.
    double exitAskedMs() const { return m_exitAskedMs; }
    // The settings file as the exit left it.
    const std::string& writtenAtExit() const { return m_writtenAtExit; }

private:
    void chooseFromMenu(char key, const std::function<void()>& open, RECT* shownAt = nullptr) const;
    void clickList(UINT down, UINT up, int row) const;

    double m_exitAskedMs = -1.0;
    std::string m_writtenAtExit;
};

std::string RowName(const ::testing::TestParamInfo<Row>& info);
void PrintTo(const Row& row, std::ostream* out);

class BlackBox : public ::testing::TestWithParam<Row> {};

#endif
