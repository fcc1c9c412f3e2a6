// The relay baseline: the bare path that Ringlock's log takes, and nothing
// else. Another process sends WM_COPYDATA to a hidden window on a worker
// thread; its handler sends the text synchronously to a dialog on the main
// thread, which appends it to a report list view of at most 100 rows. A text
// "TIMER <ms>" also arms a one-shot timer on the dialog whose expiry is sent
// back as "FIRED" to the window that sent the text, the platform's own version
// of Ringlock's answer timer.
// Usage: bench_relay.exe [-m] [rows=N]   (-m: never shown; N rows prefilled)

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/LogView.h"
#include "app/TrayIcon.h"
#include "res/resource.h"
#include "tools/bench/BenchCommon.h"
#include "ui/ListView.h"

namespace {

constexpr UINT WM_RELAY_TEXT = WM_APP + 1;
constexpr UINT_PTR RELAY_TIMER = 1;

HWND g_dialog = nullptr;
HWND g_list = nullptr;
HWND g_linkWindow = nullptr;
HWND g_lastSender = nullptr;
HANDLE g_linkReady = nullptr;

LRESULT CALLBACK LinkProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (block != nullptr && block->lpData != nullptr && block->cbData > 0
            && std::memchr(block->lpData, 0, block->cbData) != nullptr) {
            g_lastSender = reinterpret_cast<HWND>(wParam);
            SendMessageA(g_dialog, WM_RELAY_TEXT, reinterpret_cast<WPARAM>(block->lpData), 0);
        }
        return 1;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

DWORD WINAPI LinkThread(LPVOID)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = LinkProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = bench::RELAY_LINK_CLASS;
    RegisterClassExA(&wc);
    g_linkWindow = CreateWindowExA(WS_EX_CLIENTEDGE, bench::RELAY_LINK_CLASS, "RelayLink", WS_OVERLAPPEDWINDOW,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    SetEvent(g_linkReady);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    return 0;
}

void SendFired()
{
    COPYDATASTRUCT block{0, sizeof(bench::FIRED_TEXT), const_cast<char*>(bench::FIRED_TEXT)};
    SendMessageA(g_lastSender, WM_COPYDATA, reinterpret_cast<WPARAM>(g_linkWindow), reinterpret_cast<LPARAM>(&block));
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_RELAY_TEXT: {
        const char* text = reinterpret_cast<const char*>(wParam);
        ListAppendRow(g_list, text, LOG_MAX_ROWS);
        if (std::strncmp(text, bench::TIMER_PREFIX, std::strlen(bench::TIMER_PREFIX)) == 0) {
            const UINT delay = static_cast<UINT>(std::strtoul(text + std::strlen(bench::TIMER_PREFIX), nullptr, 10));
            SetTimer(hDlg, RELAY_TIMER, delay, nullptr);
        }
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == RELAY_TIMER) {
            KillTimer(hDlg, RELAY_TIMER);
            SendFired();
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_RESTORE) {
            ShowWindow(hDlg, SW_SHOW);
            SetForegroundWindow(hDlg);
        }
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hDlg);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool hidden = false;
    int prefill = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-m") == 0) {
            hidden = true;
        } else if (std::strncmp(argv[i], "rows=", 5) == 0) {
            prefill = std::atoi(argv[i] + 5);
        }
    }
    bench::UseCommonControls6();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    g_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BENCH_RELAY), nullptr, DialogProc, 0);
    if (g_dialog == nullptr) {
        return 1;
    }
    g_list = GetDlgItem(g_dialog, IDC_LOG);
    ListInsertColumn(g_list, 0, LOG_COLUMN_CAPTION, 0);
    ListFitColumn(g_list);
    for (int row = 0; row < prefill; ++row) {
        const std::string text = "prefilled line " + std::to_string(row);
        ListAppendRow(g_list, text.c_str(), LOG_MAX_ROWS);
    }

    g_linkReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, LinkThread, nullptr, 0, nullptr);
    WaitForSingleObject(g_linkReady, INFINITE);
    if (!hidden) {
        ShowWindow(g_dialog, SW_SHOW);
        SetForegroundWindow(g_dialog);
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(g_dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    PostMessageA(g_linkWindow, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 1000);
    return 0;
}
