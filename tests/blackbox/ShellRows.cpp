// Ringlock's life as a tray program, its dialog, its contact list and its
// layout, as the user handles them; and the tray as whoever sets the PC up
// meets it: a taskbar not ready at logon, the item that makes Ringlock start
// with Windows, and the tip that says whether calls are answered.
#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>
#include <sddl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "tools/standin/StandinClient.h"

namespace {

using namespace contract;

// The contact dialog keeps a character fewer than a row holds.
const std::string LONG_NAME(ROW_TEXT_MAX_UNITS - 1, 'x');
// Written over the settings file, so that a write shows.
const char* const STALE = "stale";

bool RinglockInFront(const Run& run)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    return owner == run.ring.processId();
}

// Hidden and shown again every way the user can, then the taskbar restarts.
void HideAndRestore(Run& run)
{
    run.awaitVisible(true);
    const HWND dialog = run.ring.dialog();
    // Wine takes in the display's answer to the show late, and it restores a
    // dialog minimised before (winex11's MapNotify); nothing shows when.
    Sleep(1000);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(IsIconic(dialog));
    run.ring.writeSettings(STALE);
    // The system keeps the four low bits of the command for itself.
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE | 0x3, 0);
    EXPECT_FALSE(run.visible());
    EXPECT_EQ(run.ring.runSecondInstance("", STEP_MS), 0) << "a second start hands over and ends";
    EXPECT_TRUE(WaitUntil([&] { return run.visible() && !IsIconic(dialog); }, STEP_MS)) << "shown restored";
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(run.visible());
    run.trayClick(WM_LBUTTONDBLCLK);
    run.awaitVisible(true);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    run.chooseFromTrayMenu('r');
    run.awaitVisible(true);
    EXPECT_EQ(run.ring.readSettings(), STALE) << "neither hiding nor restoring writes the settings";
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = dialog;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &icon));
    Shell_NotifyIconA(NIM_DELETE, &icon);
    ASSERT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon));
    SendMessageA(dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &icon)) << "back with the taskbar";
    SendMessageA(run.item(IDC_START_VIDEO), BM_CLICK, 0, 0);
    run.exit(nullptr, true);
}

// The menu's command reaches the dialog after the menu has closed.
void ExpectWrittenNow(const Run& run, const std::vector<std::string>& contacts)
{
    std::string bytes = "0\r\n0\r\n";
    for (const std::string& contact : contacts) {
        bytes += contact + "\r\n";
    }
    EXPECT_TRUE(WaitUntil([&] { return run.ring.readSettings() == bytes; }, STEP_MS))
        << "written as the command ends: " << run.ring.readSettings();
    EXPECT_EQ(run.ring.contactLines(), contacts);
    run.ring.writeSettings(STALE);
}

// Contacts are added while a call is answered, edited and deleted, each
// command writing the file. A right click on a row selects it and opens the
// menu; a click into the empty part takes the highlight away but leaves the
// list's mark on the row: then neither Edit nor Delete is offered.
void ContactCommands(Run& run)
{
    run.chooseFromContactsMenu(0);
    EXPECT_EQ(run.menu(static_cast<DWORD>(LATE_MS)), nullptr) << "a right click opens the menu once";
    run.ring.writeSettings(STALE);
    run.chooseFromContactsMenu('a');
    ASSERT_NE(run.contactDialog(), nullptr);
    run.createFileBeside("ring");
    run.awaitCommand("SET CALL 601 STATUS INPROGRESS");
    run.answerContactDialog("carol", IDOK);
    ExpectWrittenNow(run, {"alice", "bob", "carol"});
    for (const WPARAM dismiss : {WPARAM{IDCANCEL}, WPARAM{VK_ESCAPE}, WPARAM{SC_CLOSE}}) {
        run.chooseFromContactsMenu('a');
        run.answerContactDialog("dave", dismiss);
        ExpectWrittenNow(run, {"alice", "bob", "carol"});
    }
    run.chooseFromContactsMenu('a');
    run.answerContactDialog(std::string(300, 'x'), IDOK);
    ExpectWrittenNow(run, {"alice", "bob", "carol", LONG_NAME});
    run.chooseFromContactsMenu('e', 0);
    EXPECT_EQ(EditText(GetDlgItem(run.contactDialog(), IDC_COMMAND)), L"alice") << "the dialog opens with the contact";
    run.answerContactDialog("alicia", VK_RETURN);
    ExpectWrittenNow(run, {"alicia", "bob", "carol", LONG_NAME});
    run.chooseFromContactsMenu('d', 0);
    ExpectWrittenNow(run, {"bob", "carol", LONG_NAME});
    run.clickContact(0);
    run.chooseFromContactsMenu('d');
    run.chooseFromContactsMenu('e');
    EXPECT_EQ(run.contactDialog(static_cast<DWORD>(LATE_MS)), nullptr) << "nothing to edit";
    EXPECT_EQ(run.ring.readSettings(), STALE) << "nothing deleted";
    run.clickContact(1);
    RECT menu{};
    run.chooseFromContactsMenuByKey('a', &menu);
    RECT list{};
    GetWindowRect(run.item(IDC_CONTACTS), &list);
    EXPECT_TRUE(PtInRect(&list, POINT{menu.left, menu.top})) << "opened by the menu key at the selected row";
    run.answerContactDialog("dave", IDOK);
    ExpectWrittenNow(run, {"bob", "carol", LONG_NAME, "dave"});
    EXPECT_EQ(run.menu(static_cast<DWORD>(LATE_MS)), nullptr) << "the menu key opens the menu once";
}

RECT PlaceOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Each list's one column fills the list, less a vertical scroll bar when one
// shows, so that no line is cut while a part of its row stays empty and no
// horizontal scroll bar is needed.
bool ColumnsFillTheirLists(const Run& run)
{
    for (const int id : {IDC_CONTACTS, IDC_LOG}) {
        const HWND list = run.item(id);
        RECT client{};
        GetClientRect(list, &client);
        if (SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0) != client.right
            || (GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL) != 0) {
            return false;
        }
    }
    return true;
}

// The columns fill their lists and the controls follow the dialog's size,
// which cannot shrink below the one it opened at.
void Layout(Run& run)
{
    run.awaitVisible(true);
    ASSERT_TRUE(run.client.waitFor("==", "burst of 20 done", STEP_MS));
    const HWND log = run.item(IDC_LOG);
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongA(log, GWL_STYLE) & WS_VSCROLL) != 0; }, STEP_MS))
        << "the log has more lines than it shows";
    EXPECT_TRUE(WaitUntil([&] { return ColumnsFillTheirLists(run); }, STEP_MS));
    HWND dialog = run.ring.dialog();
    // How each control's left, top, right and bottom follow the dialog's growth.
    struct Control {
        int id;
        int follows[4];
        RECT opened;
    } controls[] = {{IDC_CONTACTS, {0, 0, 1, 0}, {}}, {IDC_LOG, {0, 0, 1, 1}, {}}, {IDC_HINT, {0, 1, 0, 1}, {}},
                    {IDC_COMMAND, {0, 1, 1, 1}, {}}, {IDC_SEND, {1, 1, 1, 1}, {}}};
    for (Control& control : controls) {
        control.opened = PlaceOf(run.item(control.id));
    }
    RECT window{};
    GetWindowRect(dialog, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int dx = 120;
    const int dy = 80;
    SetWindowPos(dialog, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(ColumnsFillTheirLists(run)) << "grown";
    for (const Control& c : controls) {
        const RECT expected{c.opened.left + c.follows[0] * dx, c.opened.top + c.follows[1] * dy,
                            c.opened.right + c.follows[2] * dx, c.opened.bottom + c.follows[3] * dy};
        const RECT placed = PlaceOf(run.item(c.id));
        EXPECT_TRUE(EqualRect(&placed, &expected)) << "control " << c.id;
    }
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(ColumnsFillTheirLists(run)) << "shrunk";
    for (const Control& c : controls) {
        const RECT placed = PlaceOf(run.item(c.id));
        EXPECT_TRUE(EqualRect(&placed, &c.opened)) << "control " << c.id << " back where it opened";
    }
    RECT dragged{window.left, window.top, window.left + width / 2, window.top + height / 2};
    SendMessageA(dialog, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
    EXPECT_TRUE(EqualRect(&dragged, &window)) << "the dialog cannot be dragged smaller than it opened";
    SetWindowPos(dialog, nullptr, 0, 0, width / 2, height / 2, SWP_NOMOVE | SWP_NOZORDER);
    RECT placed{};
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.right - placed.left, width) << "nor made smaller by another program";
    EXPECT_EQ(placed.bottom - placed.top, height);
}

std::vector<TaskbarCall> CallsTo(const Run& run, bool (*keep)(const TaskbarCall&))
{
    std::vector<TaskbarCall> kept = run.taskbar->calls();
    kept.erase(std::remove_if(kept.begin(), kept.end(), [keep](const TaskbarCall& call) { return !keep(call); }),
               kept.end());
    return kept;
}

// At logon the taskbar may refuse the icon for a while; the dialog is hidden
// to the tray meanwhile, as a start with -m would leave it.
void TaskbarNotReady(Run& run)
{
    run.awaitVisible(true);
    const auto add = [](const TaskbarCall& call) { return call.command == NIM_ADD; };
    const auto taken = [](const TaskbarCall& call) { return call.taken; };
    ASSERT_TRUE(WaitUntil([&] { return CallsTo(run, add).size() >= 2; }, TRAY_RETRY_INTERVAL_MS + STEP_MS))
        << "the add is tried again";
    const std::vector<TaskbarCall> refused = CallsTo(run, add);
    EXPECT_GE(refused[1].atMs - refused[0].atMs, TRAY_RETRY_INTERVAL_MS - 1.0);
    EXPECT_LT(refused[1].atMs - refused[0].atMs, TRAY_RETRY_INTERVAL_MS + LATE_MS);
    SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    run.taskbar->takeIcons();
    ASSERT_TRUE(WaitUntil([&] { return CallsTo(run, taken).size() >= 2; }, TRAY_RETRY_INTERVAL_MS + STEP_MS));
    const std::vector<TaskbarCall> icons = CallsTo(run, taken);
    EXPECT_TRUE(icons.size() == 2 && icons[0].command == NIM_ADD && icons[1].command == NIM_MODIFY)
        << "the icon, then the balloon for the hidden dialog";
}

// The value the item writes, named after the program's file; empty when
// there is none.
constexpr wchar_t VALUE_NAME[] = L"Ringlock";

std::wstring RunValue()
{
    wchar_t command[2048] = {};
    DWORD size = sizeof(command) - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME, RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

void DeleteRunValue(Run&)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME);
}

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
    const std::wstring moved = L"\"C:\\Tools\\Old\\Ringlock.exe\" -m";
    RegSetKeyValueW(HKEY_CURRENT_USER, Widen(RUN_KEY).c_str(), VALUE_NAME, REG_SZ, moved.c_str(),
                    static_cast<DWORD>((moved.size() + 1) * sizeof(wchar_t)));
    run.chooseFromTrayMenu('w');
    EXPECT_TRUE(holds(hidden)) << "a program moved since is put on anew";
    run.chooseFromTrayMenu('w');
    EXPECT_TRUE(holds(L"")) << "taken off";
    {
        const std::shared_ptr<void> locked = LockKey(Widen(RUN_KEY));
        run.chooseFromTrayMenu('w');
        run.awaitLogBeginning(START_WITH_WINDOWS_FAILED_TEXT, "(error 5)");
    }
    EXPECT_EQ(RunValue(), L"") << "and nothing changed";
}

// The client puts the link in each of its states in turn, each once the
// tip of the one before has shown; a hang is seen whenever a command is lost,
// also when the client spoke after an earlier hang: still one log line, as no
// command got through in between.
void TipFollowsTheLink(Run& run)
{
    int step = 0;
    for (const char* tip : {TIP_NOT_RUNNING, TIP_WAITING, TIP_REFUSED, TIP_NOT_SIGNED_IN}) {
        run.awaitTip(tip);
        run.createFileBeside("step" + std::to_string(++step));
    }
    run.awaitTip(TIP_ANSWERING);
    for (const std::string hang : {"1", "2"}) {
        run.createFileBeside("hang" + hang);
        ASSERT_TRUE(run.client.waitFor("==", "hung " + hang, STEP_MS));
        run.send("GET USERSTATUS");
        run.awaitTip(TIP_NOT_RESPONDING);
        ASSERT_TRUE(run.client.waitFor("==", "spoke " + hang, 2 * STEP_MS));
        run.awaitTip(TIP_ANSWERING);
    }
    const std::vector<std::string> log = run.ring.logLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), NOT_DELIVERED_TEXT), 1);
    run.send("GET USERSTATUS");
    run.awaitCommand("GET USERSTATUS");
    run.createFileBeside("crash");
    run.awaitTip(TIP_NOT_RUNNING);
    EXPECT_EQ(run.taskbar->tips(), (std::vector<std::string>{TIP_LOOKING, TIP_NOT_RUNNING, TIP_WAITING, TIP_REFUSED,
                                                             TIP_NOT_SIGNED_IN, TIP_ANSWERING, TIP_NOT_RESPONDING,
                                                             TIP_ANSWERING, TIP_NOT_RESPONDING, TIP_ANSWERING,
                                                             TIP_NOT_RUNNING}));
}

// The client hangs for longer than a command is waited for, then speaks.
std::string HangsThenSpeaks(const std::string& hang)
{
    const double ms = COMMAND_TIMEOUT_MS + LATE_MS;
    return Await("file hang" + hang, STEP_MS) + "hang " + Ms(ms) + "\nmark hung " + hang + "\n" + Wait(ms)
           + "notify USERSTATUS ONLINE\nmark spoke " + hang + "\n";
}

// Only "-m", exactly and first, starts hidden: a shortcut or a task may pass
// other arguments.
Row ShownDespite(const char* name, const char* arguments)
{
    return {.name = name,
            .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = arguments},
            .client = ATTACHED,
            .act = [](Run& run) { run.awaitVisible(true); }};
}

std::string Announced(int step)
{
    return Await("file step" + std::to_string(step), STEP_MS) + "announce available\n";
}

const Row SHELL_ROWS[] = {
    {
        // Watched from the start: the runner does not wait for the attach of
        // a client whose script begins otherwise.
        .name = "StartedHiddenItNeitherShowsNorTakesTheKeyboardAnswersAndASecondStartBringsItToTheFront",
        .given = {.settings = "0\r\n1\r\nalice\r\n", .arguments = "-m"},
        .client = "partner 401 alice\n" + std::string(ATTACHED) + Await("attached") + Ring("401")
                  + Await("command SET CALL 401 STATUS INPROGRESS", ANSWER_DELAY_MS) + "mark answered\n"
                  + Await("file shown"),
        .act = [](Run& run) {
            bool everVisible = false;
            bool everInFront = false;
            ASSERT_TRUE(WaitUntil([&] {
                everVisible = everVisible || run.visible();
                everInFront = everInFront || RinglockInFront(run);
                return run.client.timeOf("==", "answered") >= 0.0;
            }, 3 * STEP_MS));
            EXPECT_FALSE(everVisible);
            EXPECT_FALSE(everInFront) << "what the user types at logon goes where it went";
            EXPECT_EQ(run.ring.runSecondInstance("-m", STEP_MS), 0);
            run.awaitVisible(true);
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.ring.dialog(); }, STEP_MS))
                << "restored to the front";
            run.createFileBeside("shown");
        },
        .expect = {.commands = {"GET CALL 401 PARTNER_HANDLE", "SET CALL 401 STATUS INPROGRESS"}},
    },
    {
        .name = "ClosingHidesInTheTrayEveryRestoreShowsTheDialogAndTheIconComesBackWithTheTaskbarItsMenuExits",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = ATTACHED,
        .act = HideAndRestore,
    },
    {
        .name = "ContactsAreAddedEditedAndDeletedAsChosenWhileACallIsAnsweredAndWrittenAtOnce",
        .given = {.settings = "0\r\n0\r\nalice\r\nbob\r\n"},
        .client = std::string(ATTACHED)
                  + "partner 601 alice\n" + Await("attached") + Await("file ring", 5 * STEP_MS) + Ring("601")
                  + Await("command SET CALL 601 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = ContactCommands,
        .expect = {.commands = {"GET CALL 601 PARTNER_HANDLE", "SET CALL 601 STATUS INPROGRESS"}},
    },
    {
        .name = "ColumnsFillTheirListsAndControlsFollowTheDialogsSizeWhichCannotShrinkAtAnyScale",
        .client = std::string(ATTACHED) + Await("attached") + "burst 20\n",
        .act = Layout,
    },
    {
        .name = "ATaskbarThatRefusesTheIconAtFirstGetsItLaterWithTheBalloon",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .before = PutTaskbarInFront},
        .client = ATTACHED,
        .act = TaskbarNotReady,
    },
    {
        .name = "StartWithWindowsIsPutOnAndTakenOffAsChosenAndARefusalIsSaid",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .before = DeleteRunValue},
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
                  + HangsThenSpeaks("1") + HangsThenSpeaks("2") + Await("file crash", STEP_MS) + "crash\n",
        .act = TipFollowsTheLink,
        .expect = {.commands = {"GET USERSTATUS"}, .closingPing = false, .clientExit = CRASH_EXIT_CODE},
    },
    ShownDespite("ShownWhenStartedWithAnArgumentThatOnlyBeginsWithTheHiddenSwitch", "-max"),
    ShownDespite("ShownWhenStartedWithALongerWordForMinimised", "-minimized"),
    ShownDespite("ShownWhenStartedWithTheSwitchInCapitals", "-M"),
    ShownDespite("ShownWhenTheHiddenSwitchIsNotTheFirstArgument", "/x -m"),
};

INSTANTIATE_TEST_SUITE_P(Shell, BlackBox, ::testing::ValuesIn(SHELL_ROWS), RowName);

}  // namespace
