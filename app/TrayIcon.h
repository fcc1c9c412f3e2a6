#ifndef RINGLOCK_APP_TRAYICON_H
#define RINGLOCK_APP_TRAYICON_H

#include <windows.h>

#include "link/SkypeCom.h"

constexpr UINT WM_TRAY_NOTIFY = 1357;

constexpr WORD IDM_ADD_CONTACT = 300;
constexpr WORD IDM_EDIT_CONTACT = 301;
constexpr WORD IDM_DELETE_CONTACT = 302;
constexpr WORD IDM_RESTORE = 303;
constexpr WORD IDM_EXIT = 304;
constexpr WORD IDM_START_WITH_WINDOWS = 305;
constexpr WORD IDM_CALL_HISTORY = 306;
constexpr WORD IDM_KEEP_AWAKE = 307;

// At logon the taskbar may exist but be too busy to take the icon (the add
// then fails after some seconds): it is added again this often, this many
// times (about two minutes), and at every "TaskbarCreated".
constexpr UINT_PTR TIMER_TRAY_RETRY = 22;
constexpr UINT TRAY_RETRY_INTERVAL_MS = 4000;
constexpr int TRAY_RETRY_LIMIT = 30;
constexpr char TASKBAR_CREATED_MESSAGE[] = "TaskbarCreated";
// The balloon that says the closed dialog still runs in the tray.
constexpr char BALLOON_TITLE[] = "Still Running";
constexpr char BALLOON_TEXT[] = "Ringlock is Still Running\nin the System Tray";
constexpr UINT BALLOON_TIMEOUT_MS = 5000;
// The icon's tip: whether calls from the listed contacts are answered now,
// and if not, why, for each state of the link.
constexpr char TIP_LOOKING[] = "Ringlock - looking for Skype";
constexpr char TIP_NOT_RUNNING[] = "Ringlock - Skype is not running";
constexpr char TIP_WAITING[] = "Ringlock - waiting for Skype to allow access";
constexpr char TIP_REFUSED[] = "Ringlock - Skype refused access";
constexpr char TIP_NOT_SIGNED_IN[] = "Ringlock - Skype is not signed in";
constexpr char TIP_ANSWERING[] = "Ringlock - answering calls";
constexpr char TIP_ANSWERING_MAY_SLEEP[] = "Ringlock - answering calls, but this PC may sleep";
constexpr char TIP_NOT_RESPONDING[] = "Ringlock - Skype is not responding";
constexpr char TIP_HIGHER_RIGHTS[] = "Ringlock - Skype runs with higher rights";
constexpr char TRAY_NOT_RETRIED_TEXT[] =
    "Could not put Ringlock in the notification area; it is put there when the taskbar restarts";

void AddTrayIcon(HICON icon);
// The tip follows the link's state, also while the icon is missing.
void SetTrayTip(LinkState state);
void OnTrayRetryTimer();
void HideToTray();
void RemoveTrayIcon();
void ShowTrayMenu();
// At the mouse, or (from the keyboard) at the selected row.
void ShowContactsMenu(bool atSelectedRow);

#endif
