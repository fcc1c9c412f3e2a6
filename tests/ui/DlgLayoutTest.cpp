#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/Pump.h"
#include "ui/DlgLayout.h"

namespace {

// The test dialog procedure hands every message to this layout first, as the
// main dialog does, then lets the test register its controls at WM_INITDIALOG.
DlgLayout* g_layout = nullptr;
std::function<void(HWND)> g_onInit;
int g_dialogNcPaints = 0;

INT_PTR CALLBACK LayoutTestProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_layout->onMessage(hDlg, msg, wParam, lParam);
    if (msg == WM_NCPAINT) {
        ++g_dialogNcPaints;
    }
    if (msg == WM_INITDIALOG) {
        if (g_onInit) {
            g_onInit(hDlg);
        }
        return TRUE;
    }
    return FALSE;
}

void RegisterAsMainDialog(DlgLayout& layout)
{
    layout.addControlById(IDC_CONTACTS, ANCHOR_STRETCH, ANCHOR_FIXED, TRUE);
    layout.addControlById(IDC_LOG, ANCHOR_STRETCH, ANCHOR_STRETCH, TRUE);
    layout.addControlById(IDC_HINT, ANCHOR_FIXED, ANCHOR_MOVE, TRUE);
    layout.addControlById(IDC_COMMAND, ANCHOR_STRETCH, ANCHOR_MOVE, TRUE);
    layout.addControlById(IDC_SEND, ANCHOR_MOVE, ANCHOR_MOVE, TRUE);
}

struct Box {
    LONG x;
    LONG y;
    LONG w;
    LONG h;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& os, const Box& b)
{
    return os << "{" << b.x << "," << b.y << " " << b.w << "x" << b.h << "}";
}

const int kAllControls[] = {IDC_CONTACTS, IDC_LOG,         IDC_HINT,       IDC_COMMAND,
                            IDC_SEND,     IDC_START_VIDEO, IDC_QUIET_MEDIA};

// A real dialog from the IDD_MAIN template with a layout attached.
class DlgLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        g_layout = &layout_;
        g_dialogNcPaints = 0;
    }

    void TearDown() override
    {
        if (dlg_ != nullptr) {
            DestroyWindow(dlg_);
        }
        g_layout = nullptr;
        g_onInit = nullptr;
    }

    void Open(std::function<void(HWND)> onInit)
    {
        g_onInit = std::move(onInit);
        dlg_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, LayoutTestProc, 0);
        ASSERT_NE(dlg_, nullptr);
        PumpFor(30);
        opened_ = WindowBox(dlg_);
    }

    void OpenAsMainDialog()
    {
        Open([this](HWND) {
            RegisterAsMainDialog(layout_);
            layout_.setMinSize(0, 0);
        });
    }

    static Box WindowBox(HWND hWnd)
    {
        RECT r;
        GetWindowRect(hWnd, &r);
        return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    Box ChildBox(HWND child) const
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dlg_, reinterpret_cast<POINT*>(&r), 2);
        return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    Box ControlBox(int id) const { return ChildBox(GetDlgItem(dlg_, id)); }

    std::map<int, Box> AllBoxes() const
    {
        std::map<int, Box> boxes;
        for (const int id : kAllControls) {
            boxes[id] = ControlBox(id);
        }
        return boxes;
    }

    // Sizes the dialog's window to its opened size changed by dw, dh; the
    // platform sends WM_SIZE on the way.
    void ResizeBy(LONG dw, LONG dh)
    {
        SetWindowPos(dlg_, nullptr, 0, 0, opened_.w + dw, opened_.h + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const Box now = WindowBox(dlg_);
        ASSERT_EQ(now.w, opened_.w + dw);
        ASSERT_EQ(now.h, opened_.h + dh);
    }

    void ExpectMainDialogPlacement(const std::map<int, Box>& registered, LONG dx, LONG dy)
    {
        SCOPED_TRACE(testing::Message() << "dx " << dx << " dy " << dy);
        const std::map<int, Box> now = AllBoxes();
        auto reg = [&](int id) { return registered.at(id); };
        EXPECT_EQ(now.at(IDC_CONTACTS), (Box{reg(IDC_CONTACTS).x, reg(IDC_CONTACTS).y, reg(IDC_CONTACTS).w + dx,
                                            reg(IDC_CONTACTS).h}));
        EXPECT_EQ(now.at(IDC_LOG),
                  (Box{reg(IDC_LOG).x, reg(IDC_LOG).y, reg(IDC_LOG).w + dx, reg(IDC_LOG).h + dy}));
        EXPECT_EQ(now.at(IDC_HINT),
                  (Box{reg(IDC_HINT).x, reg(IDC_HINT).y + dy, reg(IDC_HINT).w, reg(IDC_HINT).h}));
        EXPECT_EQ(now.at(IDC_COMMAND), (Box{reg(IDC_COMMAND).x, reg(IDC_COMMAND).y + dy,
                                           reg(IDC_COMMAND).w + dx, reg(IDC_COMMAND).h}));
        EXPECT_EQ(now.at(IDC_SEND),
                  (Box{reg(IDC_SEND).x + dx, reg(IDC_SEND).y + dy, reg(IDC_SEND).w, reg(IDC_SEND).h}));
        EXPECT_EQ(now.at(IDC_START_VIDEO), reg(IDC_START_VIDEO));
        EXPECT_EQ(now.at(IDC_QUIET_MEDIA), reg(IDC_QUIET_MEDIA));
    }

    static HWND MakeChild(HWND parent, int x, int y, int w, int h)
    {
        return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    DlgLayout layout_;
    HWND dlg_ = nullptr;
    Box opened_{};
};

TEST_F(DlgLayoutTest, CaptureShowsTheDialogAndTakesItsWindowRectangle)
{
    bool visibleAfterCapture = false;
    RECT rectAtInit{};
    Open([&](HWND hDlg) {
        visibleAfterCapture = IsWindowVisible(hDlg) != FALSE;
        GetWindowRect(hDlg, &rectAtInit);
    });
    EXPECT_TRUE(visibleAfterCapture);
    EXPECT_EQ(layout_.m_hDlg, dlg_);
    EXPECT_EQ(layout_.m_rect.left, rectAtInit.left);
    EXPECT_EQ(layout_.m_rect.top, rectAtInit.top);
    EXPECT_EQ(layout_.m_rect.right, rectAtInit.right);
    EXPECT_EQ(layout_.m_rect.bottom, rectAtInit.bottom);
}

TEST_F(DlgLayoutTest, MainDialogControlsFollowTheDialogAndReturnExactly)
{
    OpenAsMainDialog();
    const std::map<int, Box> registered = AllBoxes();

    ResizeBy(120, 90);
    ExpectMainDialogPlacement(registered, 120, 90);
    const std::map<int, Box> firstGrowth = AllBoxes();

    ResizeBy(0, 0);
    EXPECT_EQ(AllBoxes(), registered);

    ResizeBy(-40, -30);
    ExpectMainDialogPlacement(registered, -40, -30);

    ResizeBy(120, 90);
    EXPECT_EQ(AllBoxes(), firstGrowth);

    ResizeBy(7, 0);
    ResizeBy(0, 0);
    EXPECT_EQ(AllBoxes(), registered);
}

TEST_F(DlgLayoutTest, CodesZeroToFourReturnExactlyAfterShrinkingAndGrowingAgain)
{
    std::vector<HWND> children;
    Open([&](HWND hDlg) {
        for (int32_t horz = 0; horz <= 4; ++horz) {
            for (int32_t vert = 0; vert <= 4; ++vert) {
                HWND child = MakeChild(hDlg, 5 + 40 * horz, 5 + 30 * vert, 15 + 7 * vert, 1 + 5 * horz);
                children.push_back(child);
                layout_.addControl(child, horz, vert, TRUE);
            }
        }
    });
    ASSERT_EQ(layout_.m_items.size(), 25u);
    auto boxes = [&] {
        std::vector<Box> out;
        for (HWND child : children) {
            out.push_back(ChildBox(child));
        }
        return out;
    };

    ResizeBy(97, 61);
    const std::vector<Box> firstGrowth = boxes();
    ResizeBy(0, 0);
    ResizeBy(-33, -17);
    ResizeBy(97, 61);
    EXPECT_EQ(boxes(), firstGrowth);
}

TEST_F(DlgLayoutTest, MinimumIsTheOpenedSize)
{
    OpenAsMainDialog();
    EXPECT_EQ(layout_.m_minWidth, opened_.w);
    EXPECT_EQ(layout_.m_minHeight, opened_.h);

    RECT topLeft{300, 200, 300 + opened_.w - 50, 200 + opened_.h - 40};
    SendMessageA(dlg_, WM_SIZING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&topLeft));
    EXPECT_EQ(topLeft.left, topLeft.right - opened_.w);
    EXPECT_EQ(topLeft.top, topLeft.bottom - opened_.h);
    EXPECT_EQ(topLeft.right, 300 + opened_.w - 50);
    EXPECT_EQ(topLeft.bottom, 200 + opened_.h - 40);

    RECT bottomRight{300, 200, 300 + opened_.w - 50, 200 + opened_.h - 40};
    SendMessageA(dlg_, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&bottomRight));
    EXPECT_EQ(bottomRight.left, 300);
    EXPECT_EQ(bottomRight.top, 200);
    EXPECT_EQ(bottomRight.right, 300 + opened_.w);
    EXPECT_EQ(bottomRight.bottom, 200 + opened_.h);

    RECT larger{300, 200, 300 + opened_.w + 10, 200 + opened_.h + 10};
    const RECT before = larger;
    SendMessageA(dlg_, WM_SIZING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&larger));
    EXPECT_TRUE(EqualRect(&larger, &before));
}

TEST_F(DlgLayoutTest, MinimumWithOneZeroKeepsTheZero)
{
    Open([this](HWND) { layout_.setMinSize(0, 50); });
    EXPECT_EQ(layout_.m_minWidth, 0);
    EXPECT_EQ(layout_.m_minHeight, 50);

    RECT tiny{10, 10, 30, 30};
    SendMessageA(dlg_, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&tiny));
    EXPECT_EQ(tiny.right, 30);
    EXPECT_EQ(tiny.bottom, 60);
}

TEST_F(DlgLayoutTest, UnknownControlIdIsSkipped)
{
    Open([this](HWND) {
        layout_.addControlById(IDC_CONTACTS, ANCHOR_STRETCH, ANCHOR_FIXED, TRUE);
        layout_.addControlById(4242, ANCHOR_MOVE, ANCHOR_MOVE, TRUE);
        layout_.addControl(nullptr, ANCHOR_STRETCH, ANCHOR_STRETCH, TRUE);
        layout_.addControlById(IDC_SEND, ANCHOR_MOVE, ANCHOR_MOVE, TRUE);
    });
    ASSERT_EQ(layout_.m_items.size(), 2u);
    EXPECT_EQ(layout_.m_items[0].hCtrl, GetDlgItem(dlg_, IDC_SEND));
    EXPECT_EQ(layout_.m_items[1].hCtrl, GetDlgItem(dlg_, IDC_CONTACTS));

    const Box contacts = ControlBox(IDC_CONTACTS);
    const Box send = ControlBox(IDC_SEND);
    ResizeBy(30, 20);
    EXPECT_EQ(ControlBox(IDC_CONTACTS), (Box{contacts.x, contacts.y, contacts.w + 30, contacts.h}));
    EXPECT_EQ(ControlBox(IDC_SEND), (Box{send.x + 30, send.y + 20, send.w, send.h}));
}

TEST_F(DlgLayoutTest, FollowerRegisteredFirstFollowsTheControlRegisteredAfterIt)
{
    HWND follower = nullptr;
    HWND doubleFollower = nullptr;
    Open([&](HWND hDlg) {
        follower = MakeChild(hDlg, 20, 230, 30, 10);
        doubleFollower = MakeChild(hDlg, 20, 250, 30, 10);
        layout_.addControl(doubleFollower, ANCHOR_FOLLOW_X2, ANCHOR_FIXED, TRUE);
        layout_.addControl(follower, ANCHOR_FOLLOW_X, ANCHOR_FIXED, TRUE);
        layout_.addControlById(IDC_CONTACTS, ANCHOR_STRETCH, ANCHOR_FIXED, TRUE);
    });
    const Box contacts = ControlBox(IDC_CONTACTS);

    ResizeBy(40, 0);
    EXPECT_EQ(ChildBox(follower), (Box{20 + 40, 230, contacts.w + 40, 10}));
    // The double follower comes after the follower, whose right edge moved by
    // 40 + (contacts.w + 40 - 30).
    const LONG shift = 40 + contacts.w + 40 - 30;
    EXPECT_EQ(ChildBox(doubleFollower), (Box{20 + 2 * shift, 250, contacts.w + 40, 10}));
    EXPECT_EQ(g_layoutFollow.s_prevWidth, contacts.w + 40);
}

TEST_F(DlgLayoutTest, AspectCodesUseExtendedPrecisionInTheDialogProcedure)
{
    HWND wide = nullptr;
    HWND tall = nullptr;
    Open([&](HWND hDlg) {
        wide = MakeChild(hDlg, 10, 230, 15, 1);
        tall = MakeChild(hDlg, 10, 240, 41, 1);
        layout_.addControl(wide, ANCHOR_KEEP_ASPECT, ANCHOR_FIXED, TRUE);
        layout_.addControl(tall, ANCHOR_FIXED, ANCHOR_KEEP_ASPECT, TRUE);
    });
    ResizeBy(10, 10);
    EXPECT_EQ(ChildBox(wide), (Box{10, 230, 14, 1}));
    EXPECT_EQ(ChildBox(tall), (Box{10, 240, 41, 0}));
}

TEST_F(DlgLayoutTest, ZeroSizedRegistrationsKeepTheirSizeForAspectCodes)
{
    HWND noWidth = nullptr;
    HWND noHeight = nullptr;
    Open([&](HWND hDlg) {
        noWidth = MakeChild(hDlg, 10, 230, 0, 12);
        noHeight = MakeChild(hDlg, 10, 250, 25, 0);
        layout_.addControl(noWidth, ANCHOR_KEEP_ASPECT, ANCHOR_KEEP_ASPECT, TRUE);
        layout_.addControl(noHeight, ANCHOR_KEEP_ASPECT, ANCHOR_STRETCH, TRUE);
    });
    ResizeBy(20, 15);
    EXPECT_EQ(ChildBox(noWidth), (Box{10, 230, 0, 12}));
    EXPECT_EQ(ChildBox(noHeight), (Box{10, 250, 25, 15}));
}

TEST_F(DlgLayoutTest, RecaptureMakesTheCurrentPositionsTheRegisteredOnes)
{
    OpenAsMainDialog();
    ResizeBy(60, 40);
    const Box log = ControlBox(IDC_LOG);
    MoveWindow(GetDlgItem(dlg_, IDC_SEND), 5, 6, 50, 20, TRUE);

    SendMessageA(dlg_, WM_LAYOUT_RECAPTURE, 0, 0);
    const Box grown = WindowBox(dlg_);
    EXPECT_EQ(layout_.m_rect.right - layout_.m_rect.left, grown.w);
    EXPECT_EQ(layout_.m_rect.bottom - layout_.m_rect.top, grown.h);
    EXPECT_EQ(layout_.m_minWidth, opened_.w);
    EXPECT_EQ(layout_.m_minHeight, opened_.h);
    EXPECT_EQ(layout_.m_items.size(), 5u);

    ResizeBy(60 + 20, 40 + 10);
    EXPECT_EQ(ControlBox(IDC_SEND), (Box{25, 16, 50, 20}));
    EXPECT_EQ(ControlBox(IDC_LOG), (Box{log.x, log.y, log.w + 20, log.h + 10}));
}

// Counts the paints of one child control.
WNDPROC g_hintProc = nullptr;
int g_hintPaints = 0;

LRESULT CALLBACK CountingHintProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        ++g_hintPaints;
    }
    return CallWindowProcA(g_hintProc, hWnd, msg, wParam, lParam);
}

TEST_F(DlgLayoutTest, EndOfDragAndRecaptureRepaintFrameAndChildrenAtOnce)
{
    OpenAsMainDialog();
    HWND hint = GetDlgItem(dlg_, IDC_HINT);
    g_hintProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hint, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingHintProc)));

    for (const UINT msg : {static_cast<UINT>(WM_EXITSIZEMOVE), WM_LAYOUT_RECAPTURE}) {
        SCOPED_TRACE(msg);
        RedrawWindow(dlg_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        PumpFor(30);
        g_hintPaints = 0;
        g_dialogNcPaints = 0;
        SendMessageA(dlg_, msg, 0, 0);
        EXPECT_GE(g_hintPaints, 1);
        EXPECT_GE(g_dialogNcPaints, 1);
        EXPECT_FALSE(GetUpdateRect(dlg_, nullptr, FALSE));
    }

    SetWindowLongPtrA(hint, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hintProc));
}

TEST_F(DlgLayoutTest, SizeBeforeCaptureIsIgnored)
{
    Open(nullptr);
    DlgLayout uncaptured;
    HWND child = MakeChild(dlg_, 40, 230, 30, 10);
    uncaptured.addControl(child, ANCHOR_MOVE, ANCHOR_MOVE, TRUE);
    ASSERT_EQ(uncaptured.m_items.size(), 1u);

    g_layoutFollow = FollowState{1, 2, 3};
    uncaptured.onMessage(dlg_, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_EQ(ChildBox(child), (Box{40, 230, 30, 10}));
    EXPECT_EQ(g_layoutFollow.s_prevShiftX, 1);
    EXPECT_EQ(g_layoutFollow.s_prevShiftY, 2);
    EXPECT_EQ(g_layoutFollow.s_prevWidth, 3);
}

}  // namespace
