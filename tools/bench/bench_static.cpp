// The start-up and idle baseline: a minimal static dialog and nothing else.
// Usage: bench_static.exe plain|poll|dlls
//   poll: a 100 ms timer runs, so the idle measurement can show that it would
//         see a program that polls;
//   dlls: first loads what Ringlock loads before its dialog (the version 6
//         common controls and the shell), to tell start-up costs apart.

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "tools/bench/BenchCommon.h"

namespace {

constexpr UINT_PTR POLL_TIMER = 1;
constexpr UINT POLL_MS = 100;
bool g_poll = false;

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (g_poll) {
            SetTimer(hDlg, POLL_TIMER, POLL_MS, nullptr);
        }
        return TRUE;
    case WM_TIMER:
        return TRUE;
    case WM_CLOSE:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    g_poll = argc > 1 && std::strcmp(argv[1], "poll") == 0;
    if (argc > 1 && std::strcmp(argv[1], "dlls") == 0) {
        bench::UseCommonControls6();
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        LoadLibraryA("shell32.dll");
    }
    return static_cast<int>(
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BENCH_STATIC), nullptr, DialogProc, 0));
}
