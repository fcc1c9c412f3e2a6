#ifndef RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H
#define RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H

#include <windows.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/Contract.h"
#include "tools/harness/RingProcess.h"
#include "tools/harness/WineTrace.h"
#include "tools/standin/FullDisk.h"
#include "tools/standin/StandinProcess.h"
#include "tools/standin/TaskbarStandin.h"

// Ringlock.exe run as its user runs it, beside the stand-in client and media
// players, each a process of its own. One table row is one scenario: what
// Ringlock finds when it starts, the client's script, what the user does and
// checks meanwhile, and what the client, the players and the log show
// afterwards, as tests/Contract.h has it. The runner checks what every row
// shares: the client's script is met; Ringlock exits through the tray menu's
// command with exit code 0 (unless the row ends it otherwise) and writes the
// settings file as its dialog showed it; the client receives the row's
// commands, then the closing PING unless the row says it cannot take it. A
// row whose client attaches at once acts once the client's news is logged.

constexpr DWORD STEP_MS = 10000;
// How late a timer may fire on a loaded two-core machine and still count as
// on time, so a watch for what must not happen lasts this long past its due.
constexpr double LATE_MS = 1500.0;
// How often a ringing client repeats its ringing line.
constexpr double RING_REPEAT_MS = 300.0;

// The client attaches at once and answers each command shortly after; or,
// replying at once, from inside the command, so that the reply to a command a
// notification caused is logged by the time the notification returns.
extern const char* const ATTACHED;
extern const char* const REPLYING_AT_ONCE;

// Steps of the client's script (tools/standin/README.md), their times named.
inline std::string Ms(double ms) { return std::to_string(std::lround(ms)); }
inline std::string Wait(double ms) { return "wait " + Ms(ms) + "\n"; }
// `event` within `dueMs` and a step's time more.
inline std::string Await(const std::string& event, double dueMs = 0.0)
{
    return "await " + Ms(dueMs + STEP_MS) + " " + event + "\n";
}
// The client waits past `dueMs`, the latest that what the row rules out
// would happen, and LATE_MS.
inline std::string WatchPast(double dueMs) { return Wait(dueMs + LATE_MS); }
inline std::string Ring(const std::string& call, int times = 1)
{
    return "ring " + call + " " + std::to_string(times) + " " + Ms(RING_REPEAT_MS) + "\n";
}

class Run;

// `to` happened `ms` after `from`, never early, at most `late` late: each the
// first line "<tag> <text>" of the client's or the players' transcript.
struct Delay {
    std::string from;
    std::string to;
    double ms;
    double late = LATE_MS;
};

// A call's line in the history: the caller, whether listed, what happened,
// and the seconds talked, at least `seconds` and at most `slack` more.
struct HistoryRow {
    std::string caller;
    bool listed;
    std::string what;
    uint64_t seconds = 0;
    uint64_t slack = 1;
};

// What Ringlock finds when it starts.
struct Given {
    std::optional<std::string> settings = {};  // Ringlock.ini; none: no file
    std::string arguments = {};
    std::optional<std::string> players = {};   // standin_players.exe's options; none: no players
    std::wstring programFolder = {};           // Ringlock.exe's own folder inside the row's
    std::string clientProgram = {};            // none: the stand-in client of this build
    std::function<void(Run&)> before = {};     // just before Ringlock.exe starts
    bool traced = false;                       // its calls of the power functions traced by Wine
    bool startedTwiceAtOnce = false;           // two starts at the same moment; one must hand over
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
    // every line of the call history after its header, its calls rung while
    // the row ran; none: not looked at
    std::optional<std::vector<HistoryRow>> history = {};
};

struct Row {
    const char* name = {};
    Given given = {};
    std::string client = {};           // the client's scenario, ended by the runner
    std::function<void(Run&)> act = {};
    Expected expect = {};
};

std::wstring EditText(HWND edit);
// The call history holds `expected` after its header, as its lines in the
// order the calls ended, each call rung while the row ran.
void CheckHistory(const Run& run, const std::vector<HistoryRow>& expected);
// A full disk under the name, until the last copy of the result goes.
inline std::shared_ptr<void> FullDiskAt(const std::wstring& path)
{
    auto disk = std::make_shared<FullDisk>(path);
    EXPECT_TRUE(disk->placed()) << "a full disk";
    return disk;
}
// An open handle that shares nothing, or only reading, as a reader does: a
// file held so cannot be replaced, and without sharing not written or read
// either, until the last copy goes.
std::shared_ptr<void> Hold(const std::wstring& path, DWORD share = 0);
// Held from now until `ms` later, as a virus scanner holds a freshly written
// file.
void HoldFor(const std::wstring& path, DWORD ms, DWORD share = 0);
// Held for a third of the time a save waits for a held file, as scanners do.
constexpr DWORD BRIEFLY_MS = contract::LOCK_WAIT_MS / 3;
// A taskbar in front of Wine's, which refuses the icon until told to take it.
void PutTaskbarInFront(Run& run);
// A key of the current user's, made if missing, as a policy may have it,
// which everyone may read and nobody may change, until the result goes; then
// as it was.
std::shared_ptr<void> LockKey(const std::wstring& path);
// The local time as the call history writes it, YYYY-MM-DD HH:MM:SS.
std::string LocalTimeText();

// What a row's user does, and what it can see of Ringlock.exe.
class Run {
public:
    explicit Run(const std::wstring& programFolder) : ring(programFolder) {}

    RingProcess ring;
    StandinProcess client;
    StandinProcess restarted;  // a client started again by the row
    StandinProcess players;
    std::vector<std::string> log;  // the log's rows when Ringlock was last asked to exit
    std::string startedAt;         // LocalTimeText() before Ringlock started
    std::wstring tracePath;        // where Wine traces Ringlock's calls, when the row traces them
    std::shared_ptr<void> held;
    std::unique_ptr<TaskbarStandin> taskbar;

    HWND item(int id) const { return ring.dialogItem(id); }
    bool visible() const { return IsWindowVisible(ring.dialog()) != FALSE; }
    void awaitCommand(const std::string& text) const;
    void awaitLog(const std::string& line) const;
    // The last tip the taskbar stand-in was given is `tip`, within a while.
    void awaitTip(const char* tip) const;
    // The log's lines that begin so; a line that begins and ends so, within a step.
    std::vector<std::string> linesBeginning(const std::string& beginning) const;
    void awaitLogBeginning(const std::string& beginning, const std::string& ending) const;
    void awaitVisible(bool shown) const;
    void send(const std::string& command) const;  // typed into the box (UTF-8) key by key, then Send clicked
    void post(UINT msg, WPARAM wParam, LPARAM lParam) const { PostMessageA(ring.dialog(), msg, wParam, lParam); }
    void trayClick(LPARAM mouseMessage) const { post(contract::WM_TRAY_NOTIFY, 0, mouseMessage); }
    // A left (or right) click on a contact, or (-1) below the contacts.
    void clickContact(int row, bool right = false) const;
    // Opens a pop-up menu of Ringlock's, presses the key of one item (0: none;
    // Escape follows) and returns once the menu has closed. The contacts menu
    // opens at a right click on `row`, or below the contacts.
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
    bool exitAsked() const { return m_exitAsked; }
    // Ringlock's calls of `function` so far, in order.
    std::vector<TracedCall> traced(const std::string& function) const;
    void startTraced(const std::string& arguments);
    const std::string& writtenAtExit() const { return m_writtenAtExit; }

private:
    void chooseFromMenu(char key, const std::function<void()>& open, RECT* shownAt = nullptr) const;

    bool m_exitAsked = false;
    std::string m_writtenAtExit;
};

std::string RowName(const ::testing::TestParamInfo<Row>& info);
void PrintTo(const Row& row, std::ostream* out);

class BlackBox : public ::testing::TestWithParam<Row> {};

#endif
