#include "ui/DlgLayout.h"

FollowState g_layoutFollow{};

namespace {

constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
static_assert(kRedrawAll == 0x581, "the redraw after a drag covers frame and children at once");

LayoutRect ToLayoutRect(const RECT& r)
{
    return LayoutRect{r.left, r.top, r.right, r.bottom};
}

void InvalidateClient(HWND hWnd)
{
    RECT client;
    GetClientRect(hWnd, &client);
    InvalidateRect(hWnd, &client, TRUE);
}

}  // namespace

void DlgLayout::onMessage(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        relayout();
        break;
    case WM_INITDIALOG:
        capture(hDlg);
        break;
    case WM_SIZING:
        limitSizing(wParam, reinterpret_cast<RECT*>(lParam));
        break;
    case WM_GETMINMAXINFO:
        limitTracking(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case WM_EXITSIZEMOVE:
        RedrawWindow(m_hDlg, nullptr, nullptr, kRedrawAll);
        break;
    case WM_LAYOUT_RECAPTURE:
        recapture();
        break;
    default:
        break;
    }
}

void DlgLayout::addControlById(int id, int32_t horzCode, int32_t vertCode, BOOL repaint)
{
    addControl(GetDlgItem(m_hDlg, id), horzCode, vertCode, repaint);
}

void DlgLayout::addControl(HWND hCtrl, int32_t horzCode, int32_t vertCode, BOOL repaint)
{
    RECT rect;
    // A missing control has no rectangle to register; keeping it would move
    // nothing and feed an unfilled rectangle to the follow codes.
    if (hCtrl == nullptr || !GetWindowRect(hCtrl, &rect)) {
        return;
    }
    toClientRect(m_hDlg, &rect);
    m_items.insert(m_items.begin(), LayoutItem{rect, hCtrl, horzCode, vertCode, repaint});
}

void DlgLayout::setMinSize(int32_t width, int32_t height)
{
    if (width != 0 || height != 0) {
        m_minWidth = width;
        m_minHeight = height;
    } else {
        m_minWidth = m_rect.right - m_rect.left;
        m_minHeight = m_rect.bottom - m_rect.top;
    }
}

void DlgLayout::capture(HWND hDlg)
{
    m_hDlg = hDlg;
    ShowWindow(m_hDlg, SW_SHOWNORMAL);
    // A dialog kept hidden (its show refused) is not brought forward either.
    if (IsWindowVisible(m_hDlg)) {
        SetForegroundWindow(m_hDlg);
    }
    GetWindowRect(m_hDlg, &m_rect);
}

void DlgLayout::relayout()
{
    if (m_hDlg == nullptr) {
        return;
    }
    RECT current;
    GetWindowRect(m_hDlg, &current);
    const int32_t dx = (current.right - current.left) - (m_rect.right - m_rect.left);
    const int32_t dy = (current.bottom - current.top) - (m_rect.bottom - m_rect.top);

    for (const LayoutItem& item : m_items) {
        const LayoutPlacement p =
            PlaceLayoutItem(ToLayoutRect(item.rect), item.horzCode, item.vertCode, dx, dy, g_layoutFollow);
        if (p.move) {
            MoveWindow(item.hCtrl, p.x, p.y, p.w, p.h, item.repaint);
        }
    }
    InvalidateClient(m_hDlg);
}

void DlgLayout::limitSizing(WPARAM edge, RECT* proposed)
{
    LayoutRect r = ToLayoutRect(*proposed);
    LimitSizingRect(m_minWidth, m_minHeight, static_cast<int32_t>(edge), r);
    *proposed = RECT{r.left, r.top, r.right, r.bottom};
}

// A size set by another program, a snap or a tiling tool never passes
// through WM_SIZING; this limit holds for those too.
void DlgLayout::limitTracking(MINMAXINFO* info) const
{
    if (m_minWidth > 0) {
        info->ptMinTrackSize.x = m_minWidth;
    }
    if (m_minHeight > 0) {
        info->ptMinTrackSize.y = m_minHeight;
    }
}

void DlgLayout::recapture()
{
    GetWindowRect(m_hDlg, &m_rect);
    for (LayoutItem& item : m_items) {
        RECT rect;
        if (GetWindowRect(item.hCtrl, &rect)) {
            toClientRect(m_hDlg, &rect);
            item.rect = rect;
        }
    }
    InvalidateClient(m_hDlg);
    RedrawWindow(m_hDlg, nullptr, nullptr, kRedrawAll);
}

void DlgLayout::toClientRect(HWND hWnd, RECT* rect)
{
    const LONG width = rect->right - rect->left;
    const LONG height = rect->bottom - rect->top;
    POINT topLeft{rect->left, rect->top};
    ScreenToClient(hWnd, &topLeft);
    *rect = RECT{topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height};
}
