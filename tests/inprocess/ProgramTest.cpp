// The program seen from inside: each value the tests expect, compared once
// with the program's own, so that a value wrong where the program defines it
// shows; and what only the shell sees of the tray icon.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "app/KeepAwake.h"
#include "app/LogView.h"
#include "app/MainDialog.h"
#include "app/StartWithWindows.h"
#include "app/TrayIcon.h"
#include "history/CallHistory.h"
#include "history/CallLog.h"
#include "link/SkypeCom.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "state/AppState.h"
#include "tests/Contract.h"
#include "tools/harness/Harness.h"
#include "ui/ListView.h"

namespace {

template <typename Contract, typename Program>
void ExpectSame(const char* name, Contract contract, Program program)
{
    EXPECT_EQ(static_cast<long long>(contract), static_cast<long long>(program)) << name;
}

void ExpectSame(const char* name, const char* contract, const char* program)
{
    EXPECT_STREQ(contract, program) << name;
}

void ExpectSame(const char* name, const wchar_t* contract, const wchar_t* program)
{
    EXPECT_STREQ(contract, program) << name;
}

TEST(Contract, TheProgramDefinesEachValueAsTheContractHasIt)
{
#define CONTRACT(name, value) ExpectSame(#name, value, name);
#include "tests/Contract.h"
#undef CONTRACT
}

// Whether the lists paint again once loaded and after a burst, which only a
// picture of the screen would show from outside; what only the shell sees of
// the icon's record, and the icons' sizes.
TEST(MainDialog, ListsPaintAgainAndTheTrayRecordAndIconsAreWhatEveryShellAndScaleTakes)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    g_app.instance = GetModuleHandleA(nullptr);
    WriteFileBytes(SettingsPath().text, "0\r\n0\r\nalice\r\n");
    const HWND dialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    UpdateWindow(dialog);
    ListAppendRow(g_app.contactsView, "bob", LIST_UNLIMITED);
    EXPECT_NE(GetUpdateRect(g_app.contactsView, nullptr, FALSE), FALSE) << "the loaded list paints again";
    for (const char* line : {"USER a ONLINESTATUS ONLINE", "USER b ONLINESTATUS ONLINE"}) {
        LogAppendLine(g_app.logView, line);
    }
    WaitUntil([] { return false; }, 4 * LOG_BURST_GAP_MS, 10, nullptr, true);
    UpdateWindow(dialog);
    LogAppendLine(g_app.logView, "CALL 502 STATUS RINGING");
    EXPECT_NE(GetUpdateRect(g_app.logView, nullptr, FALSE), FALSE) << "the log paints again after a burst";
    // The record keeps the second version's size, which every shell since
    // Windows 2000 takes; Wine takes any.
    const NOTIFYICONDATAA& record = g_app.trayIcon;
    const DWORD v2Size = sizeof(void*) == 4 ? 488 : 504;
    EXPECT_EQ(record.cbSize, v2Size);
    EXPECT_EQ(record.hWnd, dialog);
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(contract::WM_TRAY_NOTIFY));
    EXPECT_STREQ(record.szTip, contract::TIP_LOOKING);
    // Each icon drawn at the size the system asks for, not shrunk from another.
    const struct {
        LPARAM icon;
        int metric;
    } icons[] = {
        {SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), SM_CXICON},
        {SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), SM_CXSMICON},
        {reinterpret_cast<LPARAM>(record.hIcon), SM_CXSMICON},
    };
    for (const auto& expected : icons) {
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(expected.icon), &info)) << expected.metric;
        BITMAP bitmap{};
        GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(expected.metric)) << expected.metric;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(record.cbSize, v2Size);
    EXPECT_STREQ(record.szInfoTitle, contract::BALLOON_TITLE);
    EXPECT_STREQ(record.szInfo, contract::BALLOON_TEXT);

    // The shell forgets the icon of a window that is gone; the dialog is here.
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &g_app.trayIcon)) << "the exit takes the icon away";
    // Gone first, so a late text from the link cannot hold up its stop.
    DestroyWindow(dialog);
    g_app.skype.stop();
    DeleteFileW(SettingsPath().text);
}

}  // namespace
