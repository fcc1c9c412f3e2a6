#ifndef RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H
#define RINGLOCK_TESTS_BLACKBOX_BLACKBOX_H

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/RingProcess.h"
#include "tests/support/StandinProcesses.h"

// Ringlock.exe run as its user runs it, beside the stand-in client and media
// players, each a process of its own. One table row is one scenario: the
// settings file, the client's script, what the user does, and what the client,
// the players, the log and the settings file show afterwards.

constexpr DWORD STEP_MS = 10000;
// How late a timer may fire on a loaded two-core machine.
constexpr double LATE_MS = 1500.0;

// The client attaches at once and answers 10 ms after each command.
extern const char* const ATTACHED;

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

struct Row {
    const char* name = {};
    std::optional<std::string> settings = {};  // Ringlock.ini at start; none: no file
    std::string arguments = {};
    std::optional<std::string> players = {};   // standin_players.exe's options; none: no players
    std::string client = {};                   // the client's scenario, ended by the runner
    std::function<void(Run&)> act = {};        // the user, while the client plays
    std::vector<std::string> commands = {};    // every command the client received
    std::vector<std::string> log = {};         // lines the log ends with, in this order, others between
    std::vector<std::string> notLogged = {};
    std::vector<std::string> media = {};       // every message the players received, "WMP ..." / "WMC ..."
    std::vector<Delay> delays = {};
    std::optional<std::string> settingsAfter = {};  // Ringlock.ini after the exit
    std::function<void(Run&)> before = {};  // before Ringlock.exe starts
    std::string clientProgram = {};         // none: the stand-in client of this build
    int clientExit = 0;                     // the client's exit code
    std::wstring programFolder = {};        // Ringlock.exe's own folder, inside the row's
};

// An open handle that shares nothing: the file can be neither read nor
// replaced while it is held.
class Held {
public:
    explicit Held(const std::wstring& path);
    ~Held() { release(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    void release();

private:
    HANDLE m_file;
};

// Holds the file as Held does, from now until `ms` later, as a virus scanner
// holds a freshly written file.
void HoldFor(const std::wstring& path, DWORD ms);

// What a row's user does, and what it can see of Ringlock.exe.
class Run {
public:
    explicit Run(const std::wstring& programFolder) : ring(programFolder) {}

    RingProcess ring;
    ClientProcess client;
    ClientProcess restarted;  // a client started again by the row
    PlayersProcess players;
    std::vector<std::string> log;  // the log's rows when Ringlock was last asked to exit
    std::optional<Held> held;

    HWND item(int id) const { return ring.dialogItem(id); }
    bool visible() const { return IsWindowVisible(ring.dialog()) != FALSE; }
    void awaitCommand(const std::string& text) const;
    void awaitLog(const std::string& line) const;
    void awaitVisible(bool shown) const;
    void send(const std::string& command) const;  // typed into the box, then Send clicked
    void post(UINT msg, WPARAM wParam, LPARAM lParam) const { PostMessageA(ring.dialog(), msg, wParam, lParam); }
    void trayClick(LPARAM mouseMessage) const;
    HWND openMenu(const std::function<void()>& click) const;
    // Opens a pop-up menu of Ringlock's and presses the key of one item.
    void chooseFromTrayMenu(char key) const;
    void chooseFromContactsMenu(char key) const;
    void selectContact(int row) const;
    // The contact dialog that a menu command opened.
    HWND contactDialog() const;
    std::string contactDialogText() const;
    // Types `name`, then clicks IDOK or IDCANCEL, presses VK_RETURN or
    // VK_ESCAPE, or chooses SC_CLOSE.
    void answerContactDialog(const std::string& name, WPARAM button) const;
    // Waits for a message box of Ringlock's, returns its text and clicks OK.
    std::string dismissMessageBox() const;
    void createFileBeside(const std::string& name) const;
    // Posts the tray menu's Exit; the exit code must be 0. With `boxText`,
    // the exit must first show that message box.
    void exit(const char* boxText = nullptr);
};

std::string RowName(const ::testing::TestParamInfo<Row>& info);
void PrintTo(const Row& row, std::ostream* out);

class BlackBox : public ::testing::TestWithParam<Row> {};

#endif
