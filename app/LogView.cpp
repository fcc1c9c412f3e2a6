#include "app/LogView.h"

#include <commctrl.h>

#include "ui/ListView.h"

namespace {

HWND g_deferredLog = nullptr;
DWORD g_lastLineAt = 0;
bool g_anyLine = false;

void CALLBACK EndBurst(HWND parent, UINT, UINT_PTR id, DWORD)
{
    KillTimer(parent, id);
    HWND log = g_deferredLog;
    g_deferredLog = nullptr;
    if (log == nullptr || !IsWindow(log)) {
        return;
    }
    SendMessageA(log, WM_SETREDRAW, TRUE, 0);
    // Its scroll bars have followed the burst's lines only now.
    ListFitColumn(log);
    const LRESULT count = SendMessageA(log, LVM_GETITEMCOUNT, 0, 0);
    if (count > 0) {
        SendMessageA(log, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    }
    RedrawWindow(log, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace

void LogAppendLine(HWND log, const char* text)
{
    if (log == nullptr || text == nullptr) {
        return;
    }
    const DWORD now = GetTickCount();
    const bool soon = g_anyLine && now - g_lastLineAt < LOG_BURST_GAP_MS;
    g_anyLine = true;
    g_lastLineAt = now;
    const bool burst = g_deferredLog == log || soon;
    // Without its timer a burst would never end, so then the line is painted
    // as usual.
    if (burst && SetTimer(GetParent(log), TIMER_LOG_REPAINT, LOG_BURST_GAP_MS, EndBurst) != 0
        && g_deferredLog != log) {
        SendMessageA(log, WM_SETREDRAW, FALSE, 0);
        g_deferredLog = log;
    }
    ListAppendRow(log, text, LOG_MAX_ROWS);
}

