#ifndef RINGLOCK_UI_DLGLAYOUT_H
#define RINGLOCK_UI_DLGLAYOUT_H

#include <windows.h>

#include <vector>

#include "ui/LayoutMath.h"

constexpr UINT WM_LAYOUT_RECAPTURE = WM_USER + 701;

struct LayoutItem {
    RECT rect;  // client coordinates of the dialog
    HWND hCtrl;
    int32_t horzCode;
    int32_t vertCode;
    BOOL repaint;
};

// Keeps registered controls anchored while their dialog is resized.
class DlgLayout {
public:
    void onMessage(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
    void addControlById(int id, int32_t horzCode, int32_t vertCode, BOOL repaint);
    void addControl(HWND hCtrl, int32_t horzCode, int32_t vertCode, BOOL repaint);
    void setMinSize(int32_t width, int32_t height);
    void capture(HWND hDlg);
    void relayout();
    void limitSizing(WPARAM edge, RECT* proposed);
    void limitTracking(MINMAXINFO* info) const;
    void recapture();
    static void toClientRect(HWND hWnd, RECT* rect);

    RECT m_rect{};
    HWND m_hDlg = nullptr;
    int32_t m_minWidth = 0;
    int32_t m_minHeight = 0;
    std::vector<LayoutItem> m_items;  // newest registration first
};

// Shared by every layout of the program, never reset.
extern FollowState g_layoutFollow;

#endif
