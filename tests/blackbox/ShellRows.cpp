// Ringlock's life as a tray program, its dialog, its contact list and its
// layout, as the user handles them.
#include "tests/blackbox/BlackBox.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

using namespace contract;

// The contact dialog keeps a character fewer than a row holds.
const std::string LONG_NAME(ROW_TEXT_MAX_UNITS - 1, 'x');
// Written over the settings file, so that a write shows.
const char* const STALE = "stale";
constexpr DWORD DISPLAY_SETTLE_MS = 1000;

bool RinglockInFront(const Run& run)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    return owner == run.ring.processId();
}

int RinglockDialogs()
{
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, MAIN_DIALOG_CLASS, MAIN_DIALOG_TITLE));) {
        ++count;
    }
    return count;
}

void CommandBox(Run& run)
{
    run.awaitVisible(true);
    HWND edit = run.item(IDC_COMMAND);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GET USERSTATUS"));
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        PostMessageA(edit, WM_KEYDOWN, key, 0);
        PostMessageA(edit, WM_KEYUP, key, 0);
    }
    // Handled after the keys: once the selection shows, the keys have had
    // their effect.
    PostMessageA(edit, EM_SETSEL, 0, -1);
    ASSERT_TRUE(WaitUntil([edit] { return SendMessageA(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, 14); }, STEP_MS));
    EXPECT_TRUE(run.visible()) << "Escape does not close";
    EXPECT_TRUE(run.client.commands().empty()) << "Enter does not send";
    SendMessageA(run.item(IDC_SEND), BM_CLICK, 0, 0);
    run.awaitCommand("GET USERSTATUS");
    run.awaitLog("ERROR 2 Unknown command");
    EXPECT_EQ(EditText(edit), L"GET USERSTATUS") << "the command box is not cleared";
}

// Hidden and shown again every way the user can, then the taskbar restarts.
void HideAndRestore(Run& run)
{
    run.awaitVisible(true);
    const HWND dialog = run.ring.dialog();
    // Under Wine the display server's answer to the dialog being shown is
    // taken in late and restores a dialog minimised before it (traced in
    // winex11: its MapNotify handled after the minimise). Nothing outside the
    // program shows when it has been taken in; a second is ample.
    Sleep(DISPLAY_SETTLE_MS);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(IsIconic(dialog));
    run.ring.writeSettings(STALE);
    // The system keeps the four low bits of the command for itself.
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE | 0x3, 0);
    EXPECT_FALSE(run.visible());
    EXPECT_EQ(run.ring.runSecondInstance("", STEP_MS), 0);
    EXPECT_TRUE(WaitUntil([&] { return run.visible() && !IsIconic(dialog); }, STEP_MS)) << "shown restored";
    EXPECT_EQ(RinglockDialogs(), 1);
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

// A call rings and is answered while the first contact is typed in.
void AddContacts(Run& run)
{
    run.ring.writeSettings(STALE);
    run.chooseFromContactsMenu('a');
    ASSERT_NE(run.contactDialog(), nullptr);
    run.createFileBeside("ring");
    run.awaitCommand("SET CALL 601 STATUS INPROGRESS");
    run.answerContactDialog("carol", IDOK);
    ExpectWrittenNow(run, {"alice", "carol"});
    for (const WPARAM dismiss : {WPARAM{IDCANCEL}, WPARAM{VK_ESCAPE}, WPARAM{SC_CLOSE}}) {
        run.chooseFromContactsMenu('a');
        run.answerContactDialog("dave", dismiss);
        ExpectWrittenNow(run, {"alice", "carol"});
    }
    run.chooseFromContactsMenu('a');
    run.answerContactDialog(std::string(300, 'x'), IDOK);
    ExpectWrittenNow(run, {"alice", "carol", LONG_NAME});
}

// A contact is chosen as a click chooses it: a right click on a row selects
// it and opens the menu. A click into the list's empty part takes the
// highlight away but leaves the list's mark on the row last chosen: then
// neither Edit nor Delete is offered.
void EditAndDeleteContacts(Run& run)
{
    run.ring.writeSettings(STALE);
    run.chooseFromContactsMenu('e', 0);
    EXPECT_EQ(EditText(GetDlgItem(run.contactDialog(), IDC_COMMAND)), L"alice") << "the dialog opens with the contact";
    run.answerContactDialog("alicia", VK_RETURN);
    ExpectWrittenNow(run, {"alicia", "bob", "carol"});
    run.chooseFromContactsMenu('d', 0);
    ExpectWrittenNow(run, {"bob", "carol"});
    run.clickContact(0);
    run.chooseFromContactsMenu('d');
    run.chooseFromContactsMenu('e');
    EXPECT_EQ(run.contactDialog(static_cast<DWORD>(LATE_MS)), nullptr) << "nothing to edit";
    EXPECT_EQ(run.ring.readSettings(), STALE) << "nothing deleted";
    EXPECT_EQ(run.ring.contactLines(), (std::vector<std::string>{"bob", "carol"}));
}

void ContactsMenuFromTheKeyboard(Run& run)
{
    run.chooseFromContactsMenu(0);
    EXPECT_EQ(run.menu(static_cast<DWORD>(LATE_MS)), nullptr) << "a right click opens the menu once";
    run.ring.writeSettings(STALE);
    run.clickContact(1);
    RECT menu{};
    run.chooseFromContactsMenuByKey('a', &menu);
    RECT list{};
    GetWindowRect(run.item(IDC_CONTACTS), &list);
    const POINT corner{menu.left, menu.top};
    EXPECT_TRUE(PtInRect(&list, corner)) << "at the selected row";
    run.answerContactDialog("carol", IDOK);
    ExpectWrittenNow(run, {"alice", "bob", "carol"});
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
            EXPECT_EQ(RinglockDialogs(), 1);
            run.createFileBeside("shown");
        },
        .expect = {.commands = {"GET CALL 401 PARTNER_HANDLE", "SET CALL 401 STATUS INPROGRESS"}},
    },
    {
        .name = "TheCommandBoxSendsWhatIsTypedOnlyWhenSendIsClicked",
        .client = ATTACHED,
        .act = CommandBox,
        .expect = {.commands = {"GET USERSTATUS"}},
    },
    {
        .name = "ClosingHidesInTheTrayEveryRestoreShowsTheDialogAndTheIconComesBackWithTheTaskbarItsMenuExits",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = ATTACHED,
        .act = HideAndRestore,
    },
    {
        .name = "ContactsAreAddedThroughTheContactDialogWhileACallIsAnsweredAndWrittenAtOnce",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED)
                  + "partner 601 alice\n" + Await("attached") + Await("file ring", 5 * STEP_MS) + Ring("601")
                  + Await("command SET CALL 601 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = AddContacts,
        .expect = {.commands = {"GET CALL 601 PARTNER_HANDLE", "SET CALL 601 STATUS INPROGRESS"}},
    },
    {
        .name = "TheSelectedContactIsEditedOrDeletedAndWrittenAtOnce",
        .given = {.settings = "0\r\n0\r\nalice\r\nbob\r\ncarol\r\n"},
        .client = ATTACHED,
        .act = EditAndDeleteContacts,
    },
    {
        .name = "TheMenuKeyOpensTheContactsMenuAtTheSelectedRowAndAddWorks",
        .given = {.settings = "0\r\n0\r\nalice\r\nbob\r\n"},
        .client = ATTACHED,
        .act = ContactsMenuFromTheKeyboard,
    },
    {
        .name = "ColumnsFillTheirListsAndControlsFollowTheDialogsSizeWhichCannotShrinkAtAnyScale",
        .client = std::string(ATTACHED) + Await("attached") + "burst 20\n",
        .act = Layout,
    },
};

INSTANTIATE_TEST_SUITE_P(Shell, BlackBox, ::testing::ValuesIn(SHELL_ROWS), RowName);

}  // namespace
