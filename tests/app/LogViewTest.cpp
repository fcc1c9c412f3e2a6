// The log's append on a real, shown IDD_MAIN dialog: lines that come in a
// burst are appended with the log's redraw off and painted once afterwards; a
// line after a quiet spell is painted at once; the log holds what the plain
// append leaves.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/LogView.h"
#include "res/resource.h"
#include "tests/support/ListRows.h"
#include "tests/support/Pump.h"
#include "ui/ListView.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

bool LastRowVisible(HWND list)
{
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    const LRESULT top = SendMessageA(list, LVM_GETTOPINDEX, 0, 0);
    const LRESULT perPage = SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0);
    return count > 0 && top + perPage >= count;
}

bool RepaintRequested(HWND list)
{
    return GetUpdateRect(list, nullptr, FALSE) != FALSE;
}

class LogViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, PlainDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        log_ = GetDlgItem(dialog_, IDC_LOG);
        reference_ = GetDlgItem(dialog_, IDC_CONTACTS);
        ListInsertColumn(log_, 0, "Skype Message Log", 280);
        ListInsertColumn(reference_, 0, "Reference", 280);
        ShowWindow(reference_, SW_HIDE);
        ShowWindow(dialog_, SW_SHOW);
        UpdateWindow(dialog_);
        WaitQuietSpell();
    }

    void TearDown() override
    {
        ASSERT_TRUE(PumpUntil([] { return !LogRepaintDeferred(); }, 2000));
        DestroyWindow(dialog_);
    }

    // Long enough that the next line starts no burst, with everything painted.
    void WaitQuietSpell() const
    {
        PumpFor(LOG_BURST_GAP_MS * 3);
        UpdateWindow(dialog_);
    }

    void Append(const std::string& text) const
    {
        LogAppendLine(log_, text.c_str());
        ListAppendRow(reference_, text.c_str(), LOG_MAX_ROWS);
    }

    HWND dialog_ = nullptr;
    HWND log_ = nullptr;
    HWND reference_ = nullptr;
};

TEST_F(LogViewTest, LineAfterAQuietSpellIsPaintedAtOnce)
{
    Append("Connected to Skype");
    EXPECT_FALSE(LogRepaintDeferred());
    EXPECT_TRUE(RepaintRequested(log_));
    EXPECT_FALSE(KillTimer(dialog_, TIMER_LOG_REPAINT));

    WaitQuietSpell();
    Append("CALL 502 STATUS RINGING");
    EXPECT_FALSE(LogRepaintDeferred());
    EXPECT_TRUE(RepaintRequested(log_));
    EXPECT_EQ(ListRows(log_), (std::vector<std::string>{"Connected to Skype", "CALL 502 STATUS RINGING"}));
}

TEST_F(LogViewTest, BurstIsPaintedOnceWhenItEndsAndKeepsTheSameLines)
{
    Append("first line");
    ASSERT_FALSE(LogRepaintDeferred());
    for (int i = 0; i < 250; ++i) {
        Append("USER friend." + std::to_string(i) + " ONLINESTATUS ONLINE");
        ASSERT_TRUE(LogRepaintDeferred()) << i;
    }
    EXPECT_EQ(ListRows(log_).size(), static_cast<size_t>(LOG_MAX_ROWS));
    EXPECT_EQ(ListRows(log_), ListRows(reference_));

    ASSERT_TRUE(PumpUntil([] { return !LogRepaintDeferred(); }, 2000));
    EXPECT_FALSE(KillTimer(dialog_, TIMER_LOG_REPAINT));
    EXPECT_EQ(ListRows(log_), ListRows(reference_));
    EXPECT_EQ(ListRows(log_).back(), "USER friend.249 ONLINESTATUS ONLINE");
    EXPECT_TRUE(LastRowVisible(log_));

    // Redraw is on again: the next single line is painted at once.
    WaitQuietSpell();
    Append("CALL 502 STATUS RINGING");
    EXPECT_FALSE(LogRepaintDeferred());
    EXPECT_TRUE(RepaintRequested(log_));
    EXPECT_EQ(ListRows(log_), ListRows(reference_));
}

TEST_F(LogViewTest, BurstWhileHiddenKeepsTheSameLinesToo)
{
    ShowWindow(dialog_, SW_HIDE);
    for (int i = 0; i < 120; ++i) {
        Append("CHATMESSAGE " + std::to_string(i) + " STATUS RECEIVED");
    }
    EXPECT_EQ(ListRows(log_), ListRows(reference_));
    ASSERT_TRUE(PumpUntil([] { return !LogRepaintDeferred(); }, 2000));
    EXPECT_EQ(ListRows(log_), ListRows(reference_));
    EXPECT_TRUE(LastRowVisible(log_));
}

}  // namespace
