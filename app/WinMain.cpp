#include <windows.h>
#include <commctrl.h>

#include "app/MainDialog.h"
#include "app/TrayIcon.h"
#include "res/resource.h"
#include "state/AppState.h"

namespace {

// A program that starts while another is still starting has no dialog to
// find yet: it waits for one this long, this often.
constexpr DWORD HAND_OVER_WAIT_MS = 10000;
constexpr DWORD HAND_OVER_POLL_MS = 50;

// Brings the running program's dialog to the front.
void HandOver()
{
    HWND running = nullptr;
    for (DWORD waited = 0; (running = FindWindowA(MAIN_DIALOG_CLASS, MAIN_DIALOG_TITLE)) == nullptr
                           && waited < HAND_OVER_WAIT_MS;
         waited += HAND_OVER_POLL_MS) {
        Sleep(HAND_OVER_POLL_MS);
    }
    if (running == nullptr) {
        return;
    }
    // Only a process that may take the foreground can hand it on; without
    // this Windows keeps the restored dialog behind the active window.
    DWORD runningProcess = 0;
    GetWindowThreadProcessId(running, &runningProcess);
    AllowSetForegroundWindow(runningProcess);
    PostMessageA(running, WM_COMMAND, IDM_RESTORE, 0);
}

// The name the running program holds for the whole session, so that two
// starts at once (the Run value and a restart after an update, say) never
// give two; its dialog is looked for as well, for a program too old to hold it.
bool AnotherIsRunning()
{
    const HANDLE held = CreateMutexA(nullptr, FALSE, SINGLE_INSTANCE_NAME);
    return held == nullptr || GetLastError() == ERROR_ALREADY_EXISTS
        || FindWindowA(MAIN_DIALOG_CLASS, MAIN_DIALOG_TITLE) != nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_app.instance = instance;
    if (AnotherIsRunning()) {
        HandOver();
        return 0;
    }
    // Windows starts the program again, hidden, after it crashed or hung (once
    // it has run for a minute) and after an update restart that restarts apps.
    RegisterApplicationRestart(RESTART_COMMAND_LINE, 0);
    // The list views come from the common controls; make sure their classes
    // exist before the dialog template asks for them.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // A Unicode dialog, so that the command box takes text in any script.
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDlgProc, 0));
}
