#include <windows.h>
#include <commctrl.h>

#include "app/MainDialog.h"
#include "app/TrayIcon.h"
#include "res/resource.h"
#include "state/AppState.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_app.instance = instance;
    if (HWND running = FindWindowA(MAIN_DIALOG_CLASS, MAIN_DIALOG_TITLE)) {
        // Only a process that may take the foreground can hand it on; without
        // this Windows keeps the restored dialog behind the active window.
        DWORD runningProcess = 0;
        GetWindowThreadProcessId(running, &runningProcess);
        AllowSetForegroundWindow(runningProcess);
        PostMessageA(running, WM_COMMAND, IDM_RESTORE, 0);
        return 0;
    }
    // The list views come from the common controls; make sure their classes
    // exist before the dialog template asks for them.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // A Unicode dialog, so that the command box takes text in any script.
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDlgProc, 0));
}
