#include "app/TrayIcon.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/AppState.h"
#include "res/resource.h"

namespace {

constexpr UINT BALLOON_TIMEOUT_MS = 5000;

void CopyText(char* destination, size_t size, const char* text)
{
    lstrcpynA(destination, text, static_cast<int>(size));
}

HMENU BuildTrayMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_RESTORE, "&Restore");
    AppendMenuA(menu, MF_STRING, IDM_EXIT, "&Exit");
    return menu;
}

HMENU BuildContactsMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_ADD_CONTACT, "&Add New Contact");
    if (SendMessageA(g_app.contactsView, LVM_GETSELECTIONMARK, 0, 0) >= 0) {
        AppendMenuA(menu, MF_STRING, IDM_EDIT_CONTACT, "&Edit Selected Contact");
        AppendMenuA(menu, MF_STRING, IDM_DELETE_CONTACT, "&Delete Selected Contact");
    }
    return menu;
}

// The foreground switch and the WM_NULL afterwards make the menu close when
// the user clicks elsewhere, also while the dialog is hidden.
void TrackMenu(HMENU (*build)())
{
    SetForegroundWindow(g_app.mainDialog);
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU menu = build();
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, g_app.mainDialog, nullptr);
    DestroyMenu(menu);
    PostMessageA(g_app.mainDialog, WM_NULL, 0, 0);
}

}  // namespace

void AddTrayIcon(HICON icon)
{
    NOTIFYICONDATAA& record = g_app.trayIcon;
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = g_app.mainDialog;
    record.hIcon = icon;
    record.uID = 0;
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    CopyText(record.szTip, sizeof(record.szTip), "Ringlock");
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    Shell_NotifyIconA(NIM_ADD, &record);
}

void HideToTray()
{
    ShowWindow(g_app.mainDialog, SW_HIDE);
    NOTIFYICONDATAA& record = g_app.trayIcon;
    record.hWnd = g_app.mainDialog;
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hIcon = LoadIconA(g_app.instance, MAKEINTRESOURCEA(IDI_APP));
    record.uTimeout = BALLOON_TIMEOUT_MS;
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = NIIF_INFO;
    CopyText(record.szInfoTitle, sizeof(record.szInfoTitle), "Still Running");
    CopyText(record.szInfo, sizeof(record.szInfo), "Ringlock is Still Running\nin the System Tray");
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

void RemoveTrayIcon()
{
    Shell_NotifyIconA(NIM_DELETE, &g_app.trayIcon);
}

void ShowTrayMenu()
{
    TrackMenu(BuildTrayMenu);
}

void ShowContactsMenu()
{
    TrackMenu(BuildContactsMenu);
}
