// The log is painted again once a burst of lines is over: from outside only a
// picture of the screen would tell, so the log's pending repaint is read here.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/LogView.h"
#include "res/resource.h"
#include "ui/ListView.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void PumpFor(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

TEST(LogView, ALineAfterABurstIsPaintedAtOnce)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, IDC_LOG);
    ListInsertColumn(log, 0, "Skype Message Log", 280);
    ShowWindow(dialog, SW_SHOW);
    // Few enough that the next line shows without scrolling.
    for (int i = 0; i < 3; ++i) {
        LogAppendLine(log, "USER friend ONLINESTATUS ONLINE");
    }
    EXPECT_TRUE(LogRepaintDeferred());
    PumpFor(LOG_BURST_GAP_MS * 4);
    EXPECT_FALSE(LogRepaintDeferred());
    UpdateWindow(dialog);
    LogAppendLine(log, "CALL 502 STATUS RINGING");
    EXPECT_NE(GetUpdateRect(log, nullptr, FALSE), FALSE) << "the log's redraw is on again";
    DestroyWindow(dialog);
}

}  // namespace
