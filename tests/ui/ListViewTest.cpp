#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "ui/ListView.h"

namespace {

// A real report-view list view in a hidden top-level window of its own.
class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        parent_ = CreateWindowExA(0, "STATIC", "list host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER,
                                0, 0, 380, 280, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        ASSERT_EQ(ListInsertColumn(list_, 0, "Skype Message Log", 280), 0);
    }
    void TearDown() override { DestroyWindow(parent_); }

    int Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
    void Fill(int rows, int maxRows)
    {
        for (int i = 0; i < rows; ++i) {
            ListAppendRow(list_, ("row " + std::to_string(i)).c_str(), maxRows);
        }
    }

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(ListViewTest, ColumnHasCaptionAndWidth)
{
    char caption[64] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = caption;
    col.cchTextMax = sizeof(caption);
    ASSERT_TRUE(SendMessageA(list_, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&col)));
    EXPECT_STREQ(caption, "Skype Message Log");
    EXPECT_EQ(col.cx, 280);
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
}

TEST_F(ListViewTest, AppendKeepsOrderAndTheLogCapOfHundred)
{
    Fill(99, LOG_MAX_ROWS);
    ListAppendRow(list_, "hundredth", LOG_MAX_ROWS);
    ASSERT_EQ(Count(), 100);
    EXPECT_EQ(ListGetRowText(list_, 0), "row 0");
    EXPECT_EQ(ListGetRowText(list_, 99), "hundredth");

    ListAppendRow(list_, "newest", LOG_MAX_ROWS);
    ASSERT_EQ(Count(), 100);
    EXPECT_EQ(ListGetRowText(list_, 0), "row 1");
    EXPECT_EQ(ListGetRowText(list_, 99), "newest");
}

TEST_F(ListViewTest, UnlimitedListKeepsEveryRow)
{
    Fill(150, LIST_UNLIMITED);
    ASSERT_EQ(Count(), 150);
    EXPECT_EQ(ListGetRowText(list_, 0), "row 0");
    EXPECT_EQ(ListGetRowText(list_, 149), "row 149");
}

TEST_F(ListViewTest, NewRowIsScrolledIntoView)
{
    Fill(60, LOG_MAX_ROWS);
    const int top = static_cast<int>(SendMessageA(list_, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(SendMessageA(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_GT(top, 0);
    EXPECT_GE(top + perPage, 60);
}

TEST_F(ListViewTest, NullListOrTextIsIgnored)
{
    ListAppendRow(nullptr, "x", LOG_MAX_ROWS);
    ListAppendRow(list_, nullptr, LOG_MAX_ROWS);
    EXPECT_EQ(Count(), 0);
}

TEST_F(ListViewTest, ReadBackLimits)
{
    const std::string longText(300, 'a');
    ListAppendRow(list_, longText.c_str(), LIST_UNLIMITED);
    ListAppendRow(list_, "", LIST_UNLIMITED);
    EXPECT_EQ(ListGetRowText(list_, 0), std::string(259, 'a'));
    EXPECT_EQ(ListGetRowText(list_, 1), "");
    EXPECT_EQ(ListGetRowText(list_, -1), "");
    EXPECT_EQ(ListGetRowText(list_, 2), "");
}

TEST_F(ListViewTest, SetRowTextReplacesOnlyThatRow)
{
    Fill(3, LIST_UNLIMITED);
    ListSetRowText(list_, 1, "changed");
    ListSetRowText(list_, -1, "ignored");
    EXPECT_EQ(ListGetRowText(list_, 0), "row 0");
    EXPECT_EQ(ListGetRowText(list_, 1), "changed");
    EXPECT_EQ(ListGetRowText(list_, 2), "row 2");
    EXPECT_EQ(Count(), 3);
}

}  // namespace
