#include "app/MainDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "app/Entry.h"
#include "app/KeepAwake.h"
#include "app/LogView.h"
#include "app/StartWithWindows.h"
#include "app/TrayIcon.h"
#include "history/CallHistory.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "state/AppState.h"
#include "ui/AddContactDlg.h"
#include "ui/ListView.h"
#include "ui/WideText.h"

namespace {

constexpr int COMMAND_BUFFER_SIZE = 260;

// Sent by the shell to every top-level window when the taskbar is recreated;
// registered when the dialog starts.
UINT g_taskbarCreated = 0;

// At the size the system asks for at the display's scale, from the image of
// that size; LoadIcon would take the large size and let it be shrunk. Loaded
// once for the whole run: a shared load would give Wine's first size again.
HICON LoadAppIcon(int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

void RegisterLayout()
{
    DlgLayout& layout = g_app.layout;
    layout.addControlById(IDC_CONTACTS, ANCHOR_STRETCH, ANCHOR_FIXED, TRUE);
    layout.addControlById(IDC_LOG, ANCHOR_STRETCH, ANCHOR_STRETCH, TRUE);
    layout.addControlById(IDC_HINT, ANCHOR_FIXED, ANCHOR_MOVE, TRUE);
    layout.addControlById(IDC_COMMAND, ANCHOR_STRETCH, ANCHOR_MOVE, TRUE);
    layout.addControlById(IDC_SEND, ANCHOR_MOVE, ANCHOR_MOVE, TRUE);
    layout.setMinSize(0, 0);
}

void FitListColumns()
{
    ListFitColumn(g_app.logView);
    ListFitColumn(g_app.contactsView);
}

BOOL OnInitDialog(HWND hDlg)
{
    g_app.mainDialog = hDlg;
    g_app.logView = GetDlgItem(hDlg, IDC_LOG);
    g_app.contactsView = GetDlgItem(hDlg, IDC_CONTACTS);
    const bool linkStarted = g_app.skype.start();
    ListInsertColumn(g_app.logView, 0, LOG_COLUMN_CAPTION, 0);
    ListInsertColumn(g_app.contactsView, 0, "Ringlock Contacts", 0);
    FitListColumns();
    if (!linkStarted) {
        ListAppendRow(g_app.logView, "Could not start the Skype link; calls cannot be answered", LOG_MAX_ROWS);
    }
    ClearCallIds();
    LoadSettings();
    RegisterLayout();
    const HICON icon = LoadAppIcon(SM_CXSMICON, SM_CYSMICON);
    SendMessageA(hDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadAppIcon(SM_CXICON, SM_CYICON)));
    SendMessageA(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    // Registered first: a taskbar that appears between the two must not be
    // missed.
    g_taskbarCreated = RegisterWindowMessageA(TASKBAR_CREATED_MESSAGE);
    AllowFromLowerIntegrity(hDlg, g_taskbarCreated);
    // The tip says whether the PC may sleep.
    StartKeepingAwake();
    AddTrayIcon(icon);
    // A search that could not go out would otherwise read as a client that
    // does not run.
    if (linkStarted && !g_app.skype.startDiscovery(hDlg)) {
        ListAppendRow(g_app.logView, "Could not look for Skype; it is looked for again every 30 seconds",
                      LOG_MAX_ROWS);
    }
    return CheckStartHidden();
}

void OnClose(HWND hDlg)
{
    RecordEndOfAllCalls();
    StopKeepingAwake();
    g_app.skype.ping();
    RemoveTrayIcon();
    EndDialog(hDlg, 0);
    SaveSettings();
}

// The process may be ended as soon as this returns, so the settings are
// written now, as at exit. A message box would only hold up the end of the
// session, and nobody could act on it.
void OnEndSession(WPARAM ending)
{
    if (ending) {
        RecordEndOfAllCalls();
        SaveSettings(OnSaveFailure::StaySilent);
    }
}

// Until the user restores the dialog, no show of it succeeds; nor does the
// activation that comes with a show, or a hidden start would take the
// keyboard from whatever the user works in at logon.
void OnWindowPosChanging(LPARAM lParam)
{
    if (g_app.windowShown == 0) {
        WINDOWPOS* change = reinterpret_cast<WINDOWPOS*>(lParam);
        change->flags = (change->flags & ~static_cast<UINT>(SWP_SHOWWINDOW)) | SWP_NOACTIVATE;
    }
}

// Each way of asking for the contacts menu takes one road, or Windows would
// open it twice: a right click comes as NM_RCLICK, the menu key as
// LVN_KEYDOWN, and Shift+F10 as a WM_CONTEXTMENU from the keyboard, which
// Windows also makes of the other two.
void OnNotify(WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (wParam != IDC_CONTACTS) {
        return;
    }
    if (header->code == static_cast<UINT>(NM_RCLICK)) {
        ShowContactsMenu(false);
    } else if (header->code == static_cast<UINT>(LVN_KEYDOWN)
               && reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_APPS) {
        ShowContactsMenu(true);
    }
}

// From the keyboard both coordinates are -1; in a 64-bit lParam that is not
// -1 as a whole.
void OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    const bool fromKeyboard = GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1;
    if (reinterpret_cast<HWND>(wParam) == g_app.contactsView && fromKeyboard && GetKeyState(VK_F10) < 0) {
        ShowContactsMenu(true);
    }
}

void AddContact(HWND hDlg)
{
    AddContactDlg dialog;
    if (dialog.runModal(hDlg, IDD_CONTACT) == IDOK) {
        ListAppendRow(g_app.contactsView, Utf8FromWide(dialog.m_name, lstrlenW(dialog.m_name)).c_str(),
                      LIST_UNLIMITED);
    }
    SaveSettings();
}

void EditSelectedContact(HWND hDlg)
{
    AddContactDlg dialog;
    const int row = ListSelectedRow(g_app.contactsView);
    const std::string current = ListGetRowText(g_app.contactsView, row);
    if (!current.empty()) {
        lstrcpynW(dialog.m_name, WidenText(current).data(), ARRAYSIZE(dialog.m_name));
    }
    if (row >= 0 && dialog.runModal(hDlg, IDD_CONTACT) == IDOK) {
        ListSetRowText(g_app.contactsView, row, Utf8FromWide(dialog.m_name, lstrlenW(dialog.m_name)).c_str());
    }
    SaveSettings();
}

void DeleteSelectedContact()
{
    const int row = ListSelectedRow(g_app.contactsView);
    if (row >= 0) {
        SendMessageA(g_app.contactsView, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
        ListFitColumn(g_app.contactsView);
    }
    SaveSettings();
}

void SendTypedCommand(HWND hDlg)
{
    wchar_t command[COMMAND_BUFFER_SIZE] = {};
    const UINT length = GetDlgItemTextW(hDlg, IDC_COMMAND, command, COMMAND_BUFFER_SIZE);
    g_app.skype.sendCommand(Utf8FromWide(command, WholeCharacters(command, length)).c_str());
}

INT_PTR OnCommand(HWND hDlg, WORD id)
{
    switch (id) {
    case IDM_ADD_CONTACT:
        AddContact(hDlg);
        return TRUE;
    case IDM_EDIT_CONTACT:
        EditSelectedContact(hDlg);
        return TRUE;
    case IDM_DELETE_CONTACT:
        DeleteSelectedContact();
        return TRUE;
    case IDM_RESTORE:
        RestoreMainWindow();
        return FALSE;
    case IDM_EXIT:
        PostMessageA(g_app.mainDialog, WM_CLOSE, 0, 0);
        return FALSE;
    case IDM_START_WITH_WINDOWS:
        ToggleStartWithWindows();
        return TRUE;
    case IDM_CALL_HISTORY:
        OpenCallHistory();
        return TRUE;
    case IDM_KEEP_AWAKE:
        ToggleKeepAwake();
        return TRUE;
    case IDC_SEND:
        SendTypedCommand(hDlg);
        return TRUE;
    default:
        return FALSE;
    }
}

void OnTimer(WPARAM id)
{
    switch (id) {
    case TIMER_ANSWER:
        OnAnswerTimer();
        break;
    case TIMER_START_VIDEO:
        OnStartVideoTimer();
        break;
    case TIMER_MAXIMIZE:
        OnMaximizeTimer();
        break;
    case TIMER_MEDIA_MUTE:
        OnMediaMuteTimer();
        break;
    case TIMER_MEDIA_PAUSE:
        OnMediaPauseTimer();
        break;
    case TIMER_MEDIA_MINIMIZE:
        OnMediaMinimizeTimer();
        break;
    case TIMER_TRAY_RETRY:
        OnTrayRetryTimer();
        break;
    case TIMER_HISTORY_RETRY:
        OnHistoryRetryTimer();
        break;
    default:
        break;
    }
}

void OnLinkText(WPARAM wParam, LPARAM kind)
{
    const char* text = reinterpret_cast<const char*>(wParam);
    if (kind == LINK_TEXT_STATUS) {
        LogAppendLine(g_app.logView, text);
    } else if (kind == LINK_TEXT_API) {
        LogAppendLine(g_app.logView, text);
        // First, so that the history knows a call before the engine's query
        // about it brings the reply.
        RecordApiMessage(text);
        HandleApiMessage(text);
    }
}

// A client that closed or crashed ends every call it had; the screen follows
// with the line the link logs about it next.
void OnLinkState(LinkState state)
{
    SetTrayTip(state);
    if (state == LinkState::NotRunning) {
        RecordEndOfAllCalls();
    }
}

// The screen stays on from the program's answer to the end of that call.
void FollowAnsweredCalls()
{
    KeepScreenOn(RinglockAnsweredCallOpen());
}

void OnTrayNotify(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        PostMessageA(g_app.mainDialog, WM_COMMAND, IDM_RESTORE, 0);
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowTrayMenu();
    }
}

}  // namespace

void RestoreMainWindow()
{
    g_app.windowShown = 1;
    ShowWindow(g_app.mainDialog, SW_SHOW);
    if (IsIconic(g_app.mainDialog)) {
        ShowWindow(g_app.mainDialog, SW_RESTORE);
    }
    SetForegroundWindow(g_app.mainDialog);
}

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_app.layout.onMessage(hDlg, msg, wParam, lParam);
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(hDlg);
    case WM_CLOSE:
        OnClose(hDlg);
        return TRUE;
    case WM_SIZE:
        // The layout has resized the lists by now.
        FitListColumns();
        return FALSE;
    case WM_ENDSESSION:
        OnEndSession(wParam);
        return FALSE;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(lParam);
        return FALSE;
    case WM_NOTIFY:
        OnNotify(wParam, lParam);
        return FALSE;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(hDlg, LOWORD(wParam));
    case WM_SYSCOMMAND:
        // The system keeps the command's four low bits for itself.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            HideToTray();
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        OnTimer(wParam);
        FollowAnsweredCalls();
        return FALSE;
    case WM_LINK_TEXT:
        OnLinkText(wParam, lParam);
        FollowAnsweredCalls();
        return FALSE;
    case WM_LINK_STATE:
        OnLinkState(static_cast<LinkState>(wParam));
        return FALSE;
    case WM_HISTORY_NOT_OPENED:
        OnHistoryNotOpened(static_cast<DWORD>(wParam));
        return FALSE;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(lParam);
        return FALSE;
    default:
        break;
    }
    if (msg == g_taskbarCreated && g_taskbarCreated != 0) {
        AddTrayIcon(g_app.trayIcon.hIcon);
    }
    return FALSE;
}
