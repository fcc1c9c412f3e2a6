#include "app/TrayIcon.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/KeepAwake.h"
#include "app/LogView.h"
#include "app/StartWithWindows.h"
#include "res/resource.h"
#include "state/AppState.h"
#include "ui/ListView.h"
#include "win/UniqueHandle.h"

namespace {

void CopyText(char* destination, size_t size, const char* text)
{
    lstrcpynA(destination, text, static_cast<int>(size));
}

HMENU BuildTrayMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_RESTORE, "&Restore");
    AppendMenuA(menu, MF_STRING, IDM_CALL_HISTORY, "Call &history");
    AppendMenuA(menu, MF_STRING | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED), IDM_START_WITH_WINDOWS,
                "Start with &Windows");
    AppendMenuA(menu, MF_STRING | (KeepsAwake() ? MF_CHECKED : MF_UNCHECKED), IDM_KEEP_AWAKE, "Keep this PC &awake");
    AppendMenuA(menu, MF_STRING, IDM_EXIT, "&Exit");
    return menu;
}

const char* TipFor(LinkState state)
{
    switch (state) {
    case LinkState::NotRunning:
        return TIP_NOT_RUNNING;
    case LinkState::WaitingForAccess:
        return TIP_WAITING;
    case LinkState::Refused:
        return TIP_REFUSED;
    case LinkState::NotSignedIn:
        return TIP_NOT_SIGNED_IN;
    case LinkState::Attached:
        return KeepsAwake() ? TIP_ANSWERING : TIP_ANSWERING_MAY_SLEEP;
    case LinkState::NotResponding:
        return TIP_NOT_RESPONDING;
    case LinkState::CommandsRefused:
        return TIP_HIGHER_RIGHTS;
    default:
        return TIP_LOOKING;
    }
}

HMENU BuildContactsMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_ADD_CONTACT, "&Add New Contact");
    if (ListSelectedRow(g_app.contactsView) >= 0) {
        AppendMenuA(menu, MF_STRING, IDM_EDIT_CONTACT, "&Edit Selected Contact");
        AppendMenuA(menu, MF_STRING, IDM_DELETE_CONTACT, "&Delete Selected Contact");
    }
    return menu;
}

POINT CursorPoint()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

// Opened from the keyboard, the menu stands at the selected row's lower left
// corner, or at the list's upper left one when no row is selected or the row
// is scrolled out of sight.
POINT SelectedRowPoint()
{
    const HWND list = g_app.contactsView;
    const int row = ListSelectedRow(list);
    RECT client{};
    GetClientRect(list, &client);
    RECT item{};
    item.left = LVIR_BOUNDS;
    POINT at{0, 0};
    if (row >= 0 && SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))) {
        const POINT corner{item.left, item.bottom};
        if (PtInRect(&client, corner)) {
            at = corner;
        }
    }
    ClientToScreen(list, &at);
    return at;
}

// The foreground switch and the WM_NULL afterwards make the menu close when
// the user clicks elsewhere, also while the dialog is hidden.
void TrackMenu(HMENU (*build)(), POINT at)
{
    SetForegroundWindow(g_app.mainDialog);
    const UniqueMenu menu(build());
    TrackPopupMenu(menu.get(), 0, at.x, at.y, 0, g_app.mainDialog, nullptr);
    PostMessageA(g_app.mainDialog, WM_NULL, 0, 0);
}

struct TrayPresence {
    HICON icon;
    bool shown;
    bool balloonDue;  // the dialog was hidden while the icon was missing
    int retriesLeft;
};

TrayPresence g_tray{};

void ShowDueBalloon()
{
    g_tray.balloonDue = false;
    NOTIFYICONDATAA& record = g_app.trayIcon;
    record.hWnd = g_app.mainDialog;
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hIcon = g_tray.icon;
    record.uTimeout = BALLOON_TIMEOUT_MS;
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = NIIF_INFO;
    CopyText(record.szInfoTitle, sizeof(record.szInfoTitle), BALLOON_TITLE);
    CopyText(record.szInfo, sizeof(record.szInfo), BALLOON_TEXT);
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

// A busy taskbar may take an icon after the add has already been reported as
// failed; the icon is then there, and only a change of it succeeds.
bool TryAddIcon()
{
    NOTIFYICONDATAA& record = g_app.trayIcon;
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = g_app.mainDialog;
    record.hIcon = g_tray.icon;
    record.uID = 0;
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    CopyText(record.szTip, sizeof(record.szTip), TipFor(g_app.skype.m_state));
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_tray.shown = Shell_NotifyIconA(NIM_ADD, &record) || Shell_NotifyIconA(NIM_MODIFY, &record);
    if (g_tray.shown && g_tray.balloonDue) {
        ShowDueBalloon();
    }
    return g_tray.shown;
}

}  // namespace

void AddTrayIcon(HICON icon)
{
    g_tray.icon = icon;
    g_tray.retriesLeft = TRAY_RETRY_LIMIT;
    if (TryAddIcon()) {
        KillTimer(g_app.mainDialog, TIMER_TRAY_RETRY);
    } else if (SetTimer(g_app.mainDialog, TIMER_TRAY_RETRY, TRAY_RETRY_INTERVAL_MS, nullptr) == 0) {
        // Only a restarted taskbar brings the icon now; whoever opens the
        // dialog learns why it is missing.
        LogAppendLine(g_app.logView, TRAY_NOT_RETRIED_TEXT);
    }
}

void SetTrayTip(LinkState state)
{
    NOTIFYICONDATAA& record = g_app.trayIcon;
    CopyText(record.szTip, sizeof(record.szTip), TipFor(state));
    if (g_tray.shown) {
        record.cbSize = NOTIFYICONDATAA_V2_SIZE;
        record.hWnd = g_app.mainDialog;
        record.uFlags = NIF_TIP;
        Shell_NotifyIconA(NIM_MODIFY, &record);
    }
}

void OnTrayRetryTimer()
{
    if (TryAddIcon() || --g_tray.retriesLeft <= 0) {
        KillTimer(g_app.mainDialog, TIMER_TRAY_RETRY);
    }
}

void HideToTray()
{
    ShowWindow(g_app.mainDialog, SW_HIDE);
    g_tray.balloonDue = true;
    if (g_tray.shown) {
        ShowDueBalloon();
    }
}

void RemoveTrayIcon()
{
    KillTimer(g_app.mainDialog, TIMER_TRAY_RETRY);
    Shell_NotifyIconA(NIM_DELETE, &g_app.trayIcon);
    g_tray.shown = false;
}

void ShowTrayMenu()
{
    TrackMenu(BuildTrayMenu, CursorPoint());
}

void ShowContactsMenu(bool atSelectedRow)
{
    TrackMenu(BuildContactsMenu, atSelectedRow ? SelectedRowPoint() : CursorPoint());
}
