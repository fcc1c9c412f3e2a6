// The main dialog in this process, on this thread, with our stand-in client
// attached: its tray record, its two pop-up menus, the contact commands ending
// in the settings file, and its anchored controls.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "app/AppState.h"
#include "app/MainDialog.h"
#include "app/TrayIcon.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ListRows.h"
#include "tests/support/Pump.h"
#include "tools/standin/StandinClient.h"
#include "ui/ListView.h"

namespace {

constexpr DWORD TIMEOUT_MS = 10000;

RECT ClientRectOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Watches what the platform sends the main dialog around its pop-up menus.
struct MenuWatch {
    WNDPROC original = nullptr;
    std::vector<std::string> items;
    std::vector<WORD> commands;
    int menusOpened = 0;
    WPARAM chooseKeys = 0;  // number of VK_DOWN before Enter; 0 = dismiss with Escape
    bool choose = false;
};
MenuWatch g_watch;

void SendMenuKey(HWND menuWindow, WPARAM key)
{
    PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
    PostMessageA(menuWindow, WM_KEYUP, key, 0);
}

LRESULT CALLBACK WatchProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITMENUPOPUP) {
        HMENU menu = reinterpret_cast<HMENU>(wParam);
        g_watch.items.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            g_watch.items.push_back(text);
        }
        ++g_watch.menusOpened;
    } else if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
        HWND menuWindow = lParam != 0 ? reinterpret_cast<HWND>(lParam) : FindWindowA("#32768", nullptr);
        if (menuWindow != nullptr && IsWindowVisible(menuWindow)) {
            if (g_watch.choose) {
                for (WPARAM i = 0; i < g_watch.chooseKeys; ++i) {
                    SendMenuKey(menuWindow, VK_DOWN);
                }
                SendMenuKey(menuWindow, VK_RETURN);
            } else {
                EndMenu();
            }
            g_watch.choose = false;
        }
    } else if (msg == WM_COMMAND && lParam == 0) {
        g_watch.commands.push_back(LOWORD(wParam));
    }
    return CallWindowProcA(g_watch.original, hWnd, msg, wParam, lParam);
}

std::string SettingsFile()
{
    return SettingsPath();
}

class MainDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        s_client = new StandinClient();
        s_client->setAttachScript({{0, 0}});
        s_client->start();
        WriteFileBytes(SettingsFile(), "1\r\n0\r\nalice\r\nbob\r\n");
        g_app.instance = GetModuleHandleA(nullptr);
        s_dialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
        ShowWindow(s_dialog, SW_SHOW);
        PumpUntil([] { return s_client->appWindow() != nullptr && g_app.skype.m_hSkypeWnd != nullptr; },
                  TIMEOUT_MS);
        g_watch.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(s_dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc)));
    }
    static void TearDownTestSuite()
    {
        SetWindowLongPtrA(s_dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_watch.original));
        RemoveTrayIcon();
        DestroyWindow(s_dialog);
        s_client->stop();
        delete s_client;
        DeleteFileA(SettingsFile().c_str());
    }
    void SetUp() override
    {
        g_watch.items.clear();
        g_watch.commands.clear();
        g_watch.menusOpened = 0;
        g_watch.choose = false;
    }

    static HWND Item(int id) { return GetDlgItem(s_dialog, id); }
    static void SelectContact(int row)
    {
        ListView_SetItemState(Item(IDC_CONTACTS), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(Item(IDC_CONTACTS), LVM_SETSELECTIONMARK, 0, row);
    }
    // A right click below the last row, on the list's empty space.
    static void RightClick(HWND list)
    {
        int y = 30;
        const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        if (count > 0 && SendMessageA(list, LVM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&row))) {
            y = row.bottom + 4;
        }
        const LPARAM where = MAKELPARAM(20, y);
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, where);
        PostMessageA(list, WM_RBUTTONUP, 0, where);
    }

    static StandinClient* s_client;
    static HWND s_dialog;
};

StandinClient* MainDialogTest::s_client = nullptr;
HWND MainDialogTest::s_dialog = nullptr;

// Drives the contact dialog from another thread while this one runs it.
class ContactDialogDriver {
public:
    ContactDialogDriver(std::string text, int button)
        : m_text(std::move(text)), m_button(button), m_thread([this] { run(); })
    {
    }
    ~ContactDialogDriver() { m_thread.join(); }
    std::string shown() const { return m_shown; }
    bool found() const { return m_found; }

private:
    void run()
    {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && dialog == nullptr; ++i) {
            dialog = FindWindowA("#32770", "Ringlock Contact");
            Sleep(10);
        }
        m_found = dialog != nullptr;
        if (!m_found) {
            return;
        }
        char current[512] = {};
        GetDlgItemTextA(dialog, IDC_COMMAND, current, sizeof(current));
        m_shown = current;
        SetDlgItemTextA(dialog, IDC_COMMAND, m_text.c_str());
        SendMessageA(GetDlgItem(dialog, m_button), BM_CLICK, 0, 0);
    }

    std::string m_text;
    int m_button;
    std::string m_shown;
    std::atomic<bool> m_found{false};
    std::thread m_thread;
};

TEST_F(MainDialogTest, StartUpLoadsSettingsAndRegistersTrayIcon)
{
    EXPECT_EQ(g_app.mainDialog, s_dialog);
    EXPECT_EQ(ListRows(g_app.contactsView), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(IsDlgButtonChecked(s_dialog, IDC_START_VIDEO), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(s_dialog, IDC_QUIET_MEDIA), BST_UNCHECKED);

    const NOTIFYICONDATAA& record = g_app.trayIcon;
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(record.hWnd, s_dialog);
    EXPECT_EQ(record.uID, 0u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, WM_TRAY_NOTIFY);
    EXPECT_STREQ(record.szTip, "Ringlock");
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(s_dialog, WM_GETICON, ICON_BIG, 0)), record.hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(s_dialog, WM_GETICON, ICON_SMALL, 0)), record.hIcon);
}

TEST_F(MainDialogTest, CloseBoxHidesWithBalloonEveryTimeAndRestoreShows)
{
    for (int round = 0; round < 2; ++round) {
        g_app.trayIcon.szInfo[0] = '\0';
        SendMessageA(s_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsWindowVisible(s_dialog));
        const NOTIFYICONDATAA& record = g_app.trayIcon;
        EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_INFO));
        EXPECT_STREQ(record.szInfo, "Ringlock is Still Running\nin the System Tray");
        EXPECT_STREQ(record.szInfoTitle, "Still Running");
        EXPECT_EQ(record.uTimeout, 5000u);
        EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
        EXPECT_STREQ(record.szTip, "Ringlock");

        SendMessageA(s_dialog, WM_TRAY_NOTIFY, 0, WM_LBUTTONDOWN);
        SendMessageA(s_dialog, WM_TRAY_NOTIFY, 0, WM_LBUTTONUP);
        PumpFor(50);
        EXPECT_FALSE(IsWindowVisible(s_dialog)) << "a single click does nothing";
        SendMessageA(s_dialog, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(PumpUntil([] { return IsWindowVisible(s_dialog) != FALSE; }, TIMEOUT_MS));
    }
}

TEST_F(MainDialogTest, IconComesBackWhenTheTaskbarIsRecreated)
{
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
    probe.hWnd = s_dialog;
    probe.uID = 0;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "the icon is there";
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &probe));
    ASSERT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));

    SendMessageA(s_dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    EXPECT_EQ(g_app.trayIcon.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST_F(MainDialogTest, TrayMenuOffersRestoreAndExitAndRestoreArrivesAsCommand)
{
    g_watch.choose = true;
    g_watch.chooseKeys = 1;  // the first item is highlighted by the first Down
    SendMessageA(s_dialog, WM_TRAY_NOTIFY, 0, WM_RBUTTONUP);
    PumpFor(100);
    EXPECT_EQ(g_watch.items, (std::vector<std::string>{"&Restore", "&Exit"}));
    ASSERT_EQ(g_watch.commands.size(), 1u);
    EXPECT_EQ(g_watch.commands[0], IDM_RESTORE);
}

TEST_F(MainDialogTest, ContactsMenuShowsEditAndDeleteOnlyWithASelectionMark)
{
    SendMessageA(g_app.contactsView, LVM_SETSELECTIONMARK, 0, -1);
    RightClick(g_app.contactsView);
    ASSERT_TRUE(PumpUntil([] { return g_watch.menusOpened == 1; }, TIMEOUT_MS));
    PumpFor(50);
    EXPECT_EQ(g_watch.items, (std::vector<std::string>{"&Add New Contact"}));

    SelectContact(0);
    RightClick(g_app.contactsView);
    ASSERT_TRUE(PumpUntil([] { return g_watch.menusOpened == 2; }, TIMEOUT_MS));
    PumpFor(50);
    EXPECT_EQ(g_watch.items, (std::vector<std::string>{"&Add New Contact", "&Edit Selected Contact",
                                                       "&Delete Selected Contact"}));
    EXPECT_TRUE(g_watch.commands.empty()) << "a dismissed menu issues nothing";

    RightClick(g_app.logView);
    PumpFor(300);
    EXPECT_EQ(g_watch.menusOpened, 2) << "the log has no menu";
}

TEST_F(MainDialogTest, AddEditDeleteEndInTheSettingsFile)
{
    {
        ContactDialogDriver driver("carol", IDOK);
        SendMessageA(s_dialog, WM_COMMAND, IDM_ADD_CONTACT, 0);
        ASSERT_TRUE(driver.found());
        EXPECT_EQ(driver.shown(), "");
    }
    EXPECT_EQ(ListRows(g_app.contactsView), (std::vector<std::string>{"alice", "bob", "carol"}));
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n0\r\nalice\r\nbob\r\ncarol\r\n");

    CheckDlgButton(s_dialog, IDC_QUIET_MEDIA, BST_CHECKED);
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n0\r\nalice\r\nbob\r\ncarol\r\n") << "ticking writes nothing";
    {
        ContactDialogDriver driver("ignored", IDCANCEL);
        SendMessageA(s_dialog, WM_COMMAND, IDM_ADD_CONTACT, 0);
    }
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n1\r\nalice\r\nbob\r\ncarol\r\n") << "cancel still saves";

    SelectContact(1);
    {
        ContactDialogDriver driver("Bobby", IDOK);
        SendMessageA(s_dialog, WM_COMMAND, IDM_EDIT_CONTACT, 0);
        EXPECT_EQ(driver.shown(), "bob");
    }
    EXPECT_EQ(ListRows(g_app.contactsView), (std::vector<std::string>{"alice", "Bobby", "carol"}));

    SelectContact(0);
    SendMessageA(s_dialog, WM_COMMAND, IDM_DELETE_CONTACT, 0);
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n1\r\nBobby\r\ncarol\r\n");

    SendMessageA(g_app.contactsView, LVM_SETSELECTIONMARK, 0, -1);
    WriteFileBytes(SettingsFile(), "stale");
    SendMessageA(s_dialog, WM_COMMAND, IDM_DELETE_CONTACT, 0);
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n1\r\nBobby\r\ncarol\r\n") << "no selection still saves";

    {
        ContactDialogDriver driver("", IDOK);
        SendMessageA(s_dialog, WM_COMMAND, IDM_ADD_CONTACT, 0);
    }
    EXPECT_EQ(ReadFileBytes(SettingsFile()), "1\r\n1\r\nBobby\r\ncarol\r\n\r\n") << "an empty name is a row";
    SendMessageA(g_app.contactsView, LVM_DELETEITEM, 2, 0);
}

TEST_F(MainDialogTest, CallsAreAnsweredWhileTheContactDialogIsOpen)
{
    CheckDlgButton(s_dialog, IDC_START_VIDEO, BST_UNCHECKED);
    ListAppendRow(g_app.contactsView, "dave", LIST_UNLIMITED);
    s_client->clearCommands();
    s_client->setReplyMode(ReplyMode::Deferred, 10);
    s_client->setPartner("7001", "dave");
    std::thread caller([] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && dialog == nullptr; ++i) {
            dialog = FindWindowA("#32770", "Ringlock Contact");
            Sleep(10);
        }
        s_client->notify("CALL 7001 STATUS RINGING");
        s_client->waitForCommandCount(2, 3500 + TIMEOUT_MS);
        SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    SendMessageA(s_dialog, WM_COMMAND, IDM_ADD_CONTACT, 0);
    caller.join();
    PumpFor(1500);
    s_client->setReplyMode(ReplyMode::None);
    EXPECT_EQ(s_client->commandTexts(),
              (std::vector<std::string>{"GET CALL 7001 PARTNER_HANDLE", "SET CALL 7001 STATUS INPROGRESS"}));
    SendMessageA(g_app.contactsView, LVM_DELETEITEM, SendMessageA(g_app.contactsView, LVM_GETITEMCOUNT, 0, 0) - 1, 0);
}

TEST_F(MainDialogTest, ControlsFollowTheSizeAndTheDialogCannotShrinkBelowItsOpeningSize)
{
    const int ids[] = {IDC_CONTACTS, IDC_LOG, IDC_HINT, IDC_COMMAND, IDC_SEND, IDC_START_VIDEO, IDC_QUIET_MEDIA};
    RECT before[7];
    for (int i = 0; i < 7; ++i) {
        before[i] = ClientRectOf(Item(ids[i]));
    }
    RECT window{};
    GetWindowRect(s_dialog, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int dx = 120;
    const int dy = 90;

    SetWindowPos(s_dialog, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE | SWP_NOZORDER);
    auto expect = [&](int index, int l, int t, int r, int b) {
        const RECT now = ClientRectOf(Item(ids[index]));
        const RECT& was = before[index];
        EXPECT_EQ(now.left, was.left + l) << ids[index];
        EXPECT_EQ(now.top, was.top + t) << ids[index];
        EXPECT_EQ(now.right, was.right + r) << ids[index];
        EXPECT_EQ(now.bottom, was.bottom + b) << ids[index];
    };
    expect(0, 0, 0, dx, 0);       // contacts: wider only
    expect(1, 0, 0, dx, dy);      // log: wider and higher
    expect(2, 0, dy, 0, dy);      // hint: down
    expect(3, 0, dy, dx, dy);     // command: wider and down
    expect(4, dx, dy, dx, dy);    // send: right and down
    expect(5, 0, 0, 0, 0);
    expect(6, 0, 0, 0, 0);

    SetWindowPos(s_dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 7; ++i) {
        expect(i, 0, 0, 0, 0);
    }

    RECT proposed{window.left, window.top, window.left + width - 50, window.top + height - 40};
    SendMessageA(s_dialog, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(proposed.right - proposed.left, width);
    EXPECT_EQ(proposed.bottom - proposed.top, height);
}

}  // namespace
