#include "link/Wnd.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace {

// Makes class names unique within the process; touched only by Wnd::create.
UINT g_classCounter = 0;

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
    // The whole handle: on x64 it does not fit in 32 bits.
    std::snprintf(m_className, sizeof(m_className), "WndClass 0x%X 0x%X 0x%" PRIXPTR, g_classCounter,
                  static_cast<unsigned>(GetCurrentThreadId()), reinterpret_cast<uintptr_t>(m_hInstance));

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
