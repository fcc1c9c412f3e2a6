// Ringlock's life as a tray program, its dialog, its contact list and its
// layout, as the user handles them.
#include "tests/blackbox/BlackBox.h"

#include <shellapi.h>

#include "res/resource.h"

namespace {

BOOL CALLBACK CountDialogs(HWND window, LPARAM count)
{
    char className[32] = {};
    char title[64] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, "Skype Ringlock") == 0) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int RinglockDialogs()
{
    int count = 0;
    EnumWindows(CountDialogs, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Minimise(const Run& run)
{
    const auto minimised = [&] { return IsIconic(run.ring.dialog()) != FALSE; };
    // A fresh Wine session was once seen to ignore the first request.
    SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!WaitUntil(minimised, 2000)) {
        SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    ASSERT_TRUE(WaitUntil(minimised, STEP_MS));
}

void PressKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 0);
    PostMessageA(window, WM_KEYUP, key, 0);
}

bool TrayIconExists(HWND dialog)
{
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
    probe.hWnd = dialog;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void TrayLife(Run& run)
{
    run.awaitLog("USERSTATUS ONLINE");
    run.awaitVisible(true);
    HWND edit = run.item(IDC_COMMAND);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GET USERSTATUS"));
    PressKey(edit, VK_ESCAPE);
    PressKey(edit, VK_RETURN);
    Sleep(300);
    EXPECT_TRUE(run.visible()) << "Escape does not close";
    EXPECT_TRUE(run.client.commands().empty()) << "Enter does not send";
    SendMessageA(run.item(IDC_SEND), BM_CLICK, 0, 0);
    run.awaitCommand("GET USERSTATUS");
    char left[64] = {};
    SendMessageA(edit, WM_GETTEXT, sizeof(left), reinterpret_cast<LPARAM>(left));
    EXPECT_STREQ(left, "GET USERSTATUS") << "the command box is not cleared";

    Minimise(run);
    SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(run.visible());
    run.ring.writeSettings("untouched");
    EXPECT_EQ(run.ring.runSecondInstance("", STEP_MS), 0);
    EXPECT_TRUE(WaitUntil([&] { return run.visible() && !IsIconic(run.ring.dialog()); }, STEP_MS));
    SendMessageA(run.ring.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(run.visible());
    run.trayClick(WM_LBUTTONDBLCLK);
    run.awaitVisible(true);
    EXPECT_EQ(run.ring.readSettings(), "untouched") << "neither hiding nor restoring writes the settings";

    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = run.ring.dialog();
    ASSERT_TRUE(TrayIconExists(run.ring.dialog()));
    Shell_NotifyIconA(NIM_DELETE, &icon);
    ASSERT_FALSE(TrayIconExists(run.ring.dialog()));
    SendMessageA(run.ring.dialog(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconExists(run.ring.dialog())) << "the icon comes back with the taskbar";

    SendMessageA(run.item(IDC_START_VIDEO), BM_CLICK, 0, 0);
    run.log = run.ring.logLines();
    run.chooseFromTrayMenu('e');
    EXPECT_EQ(run.ring.waitForExit(STEP_MS), 0);
}

void ContactCommands(Run& run)
{
    run.awaitLog("USERSTATUS ONLINE");
    const auto contactsAre = [&](const std::vector<std::string>& rows) {
        EXPECT_EQ(run.ring.contactLines(), rows);
    };
    run.chooseFromContactsMenu('a');
    run.answerContactDialog("carol", IDOK);
    contactsAre({"alice", "bob", "carol"});
    EXPECT_EQ(run.ring.readSettings(), "0\r\n0\r\nalice\r\nbob\r\ncarol\r\n") << "written at once";

    for (const WPARAM dismiss : {WPARAM{IDCANCEL}, WPARAM{VK_ESCAPE}, WPARAM{SC_CLOSE}}) {
        run.chooseFromContactsMenu('a');
        run.answerContactDialog("dave", dismiss);
    }
    contactsAre({"alice", "bob", "carol"});

    run.chooseFromContactsMenu('a');
    ASSERT_NE(run.contactDialog(), nullptr);
    run.createFileBeside("ring");
    run.awaitCommand("SET CALL 601 STATUS INPROGRESS");
    run.answerContactDialog(std::string(300, 'x'), IDOK);
    contactsAre({"alice", "bob", "carol", std::string(258, 'x')});

    run.selectContact(0);
    run.chooseFromContactsMenu('e');
    EXPECT_EQ(run.contactDialogText(), "alice");
    run.answerContactDialog("alicia", VK_RETURN);
    contactsAre({"alicia", "bob", "carol", std::string(258, 'x')});

    run.selectContact(0);
    run.chooseFromContactsMenu('d');
    run.selectContact(-1);
    run.chooseFromContactsMenu('d');
    contactsAre({"bob", "carol", std::string(258, 'x')});
}

RECT PlaceOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Resizing(Run& run)
{
    run.awaitVisible(true);
    HWND dialog = run.ring.dialog();
    const int ids[] = {IDC_CONTACTS, IDC_LOG, IDC_HINT, IDC_COMMAND, IDC_SEND};
    // How each control's left, top, right and bottom follow the dialog's growth.
    const int follows[][4] = {{0, 0, 1, 0}, {0, 0, 1, 1}, {0, 1, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}};
    RECT opened[5];
    for (int i = 0; i < 5; ++i) {
        opened[i] = PlaceOf(run.item(ids[i]));
    }
    RECT window{};
    GetWindowRect(dialog, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int dx = 120;
    const int dy = 80;
    SetWindowPos(dialog, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 5; ++i) {
        const RECT expected{opened[i].left + follows[i][0] * dx, opened[i].top + follows[i][1] * dy,
                            opened[i].right + follows[i][2] * dx, opened[i].bottom + follows[i][3] * dy};
        EXPECT_TRUE(PlaceOf(run.item(ids[i])) == expected) << "control " << ids[i];
    }
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(PlaceOf(run.item(ids[i])) == opened[i]) << "control " << ids[i] << " back where it opened";
    }
    RECT dragged{window.left, window.top, window.left + width / 2, window.top + height / 2};
    SendMessageA(dialog, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
    EXPECT_TRUE(dragged == window) << "the dialog cannot be dragged smaller than it opened";
}

const Row SHELL_ROWS[] = {
    {
        .name = "StartedHiddenItAnswersUnseenAndASecondStartShowsIt",
        .settings = "0\r\n1\r\nalice\r\n",
        .arguments = "-m",
        .client = std::string(ATTACHED)
                  + "partner 401 alice\nawait 10000 attached\nring 401\n"
                    "await 15000 command SET CALL 401 STATUS INPROGRESS\nmark answered\nawait 15000 file shown\n",
        .act = [](Run& run) {
            bool everVisible = false;
            ASSERT_TRUE(WaitUntil([&] {
                everVisible = everVisible || run.visible();
                return run.client.transcript().timeOf("==", "answered") >= 0.0;
            }, 3 * STEP_MS));
            EXPECT_FALSE(everVisible);
            EXPECT_EQ(run.ring.runSecondInstance("-m", STEP_MS), 0);
            run.awaitVisible(true);
            EXPECT_EQ(RinglockDialogs(), 1);
            run.createFileBeside("shown");
        },
        .commands = {"GET CALL 401 PARTNER_HANDLE", "SET CALL 401 STATUS INPROGRESS", "PING"},
        .settingsAfter = "0\r\n1\r\nalice\r\n",
    },
    {
        .name = "KeysSendHideRestoreTaskbarAndExitThroughTheTrayMenu",
        .settings = "0\r\n0\r\nalice\r\n",
        .client = ATTACHED,
        .act = TrayLife,
        .commands = {"GET USERSTATUS", "PING"},
        .log = {"Connected to Skype", "ERROR 2 Unknown command"},
        .settingsAfter = "1\r\n0\r\nalice\r\n",
    },
    {
        .name = "ContactsAreAddedEditedAndDeletedThroughTheContactDialog",
        .settings = "0\r\n0\r\nalice\r\nbob\r\n",
        .client = std::string(ATTACHED)
                  + "partner 601 bob\nawait 10000 attached\nawait 60000 file ring\nring 601\n"
                    "await 15000 command SET CALL 601 STATUS INPROGRESS\n",
        .act = ContactCommands,
        .commands = {"GET CALL 601 PARTNER_HANDLE", "SET CALL 601 STATUS INPROGRESS", "PING"},
        .settingsAfter = "0\r\n0\r\nbob\r\ncarol\r\n" + std::string(258, 'x') + "\r\n",
    },
    {
        .name = "ControlsFollowTheDialogsSizeWhichCannotShrink",
        .client = ATTACHED,
        .act = Resizing,
        .commands = {"PING"},
    },
};

INSTANTIATE_TEST_SUITE_P(Shell, BlackBox, ::testing::ValuesIn(SHELL_ROWS), RowName);

}  // namespace
