#include "link/Wnd.h"

#include <cstdint>
#include <string>

#include "win/UniqueHandle.h"

namespace {

// Makes class names unique within the process; touched only by Wnd::create.
UINT g_classCounter = 0;

// " 0x" and the value in upper-case hexadecimal without leading zeros.
void AppendHex(std::string& out, uint64_t value)
{
    char digits[16];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    out += " 0x";
    while (count > 0) {
        out += digits[--count];
    }
}

}  // namespace

void Wnd::onDestroy() {}

LRESULT Wnd::handleMessage(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

int Wnd::create()
{
    m_hInstance = GetModuleHandleA(nullptr);
    ++g_classCounter;
    std::string name = "WndClass";
    AppendHex(name, g_classCounter);
    AppendHex(name, GetCurrentThreadId());
    // The whole handle: on x64 it does not fit in 32 bits.
    AppendHex(name, reinterpret_cast<uintptr_t>(m_hInstance));
    lstrcpynA(m_className, name.c_str(), sizeof(m_className));

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = m_hInstance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = m_className;
    if (!RegisterClassExA(&wc)) {
        return 0;
    }

    m_hWnd = CreateWindowExA(WS_EX_CLIENTEDGE, m_className, "MyWndClass", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 100, 100, nullptr, nullptr, m_hInstance, this);
    return IsWindow(m_hWnd) ? 1 : 0;
}

BOOL Wnd::destroy()
{
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
    return UnregisterClassA(m_className, m_hInstance);
}

LRESULT CALLBACK Wnd::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY: {
        Wnd* self = reinterpret_cast<Wnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        if (self) {
            self->onDestroy();
        }
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_CREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        break;
    }
    default:
        break;
    }
    Wnd* self = reinterpret_cast<Wnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    return self->handleMessage(hWnd, msg, wParam, lParam);
}

namespace {

// Not elevated, the program runs at the client's and the taskbar's own
// integrity level and hears them without a filter, which would then only let
// in sandboxed processes of a lower level.
bool RunsElevated()
{
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
        return false;
    }
    const UniqueHandle token(opened);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)
                          && elevation.TokenIsElevated != 0;
    return elevated;
}

}  // namespace

void AllowFromLowerIntegrity(HWND window, UINT message)
{
    if (!RunsElevated()) {
        return;
    }
    using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    // Looked up rather than imported, so that the program still starts where
    // it is missing.
    const FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx");
    if (found) {
        reinterpret_cast<Filter>(reinterpret_cast<void (*)()>(found))(window, message, MSGFLT_ALLOW, nullptr);
    }
}
