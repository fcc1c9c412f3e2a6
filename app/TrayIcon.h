#ifndef RINGLOCK_APP_TRAYICON_H
#define RINGLOCK_APP_TRAYICON_H

#include <windows.h>

constexpr UINT WM_TRAY_NOTIFY = 1357;

constexpr WORD IDM_ADD_CONTACT = 300;
constexpr WORD IDM_EDIT_CONTACT = 301;
constexpr WORD IDM_DELETE_CONTACT = 302;
constexpr WORD IDM_RESTORE = 303;
constexpr WORD IDM_EXIT = 304;

void AddTrayIcon(HICON icon);
void HideToTray();
void RemoveTrayIcon();
void ShowTrayMenu();
void ShowContactsMenu();

#endif
