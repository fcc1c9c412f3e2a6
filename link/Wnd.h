#ifndef RINGLOCK_LINK_WND_H
#define RINGLOCK_LINK_WND_H

#include <windows.h>

// Binds one object to one hidden top-level window of a class made for it.
// Messages reach handleMessage through the window's user-data slot, from
// WM_CREATE until WM_DESTROY.
class Wnd {
public:
    Wnd() = default;
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    virtual void onDestroy();
    virtual LRESULT handleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    int create();
    BOOL destroy();
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    char m_className[260] = {};

protected:
    ~Wnd() = default;
};

// Lets `message` reach `window` from processes of lower integrity when the
// program runs elevated, so that it still hears the client and the shell.
// Windows before 7 lacks the call; there the program goes on without it.
void AllowFromLowerIntegrity(HWND window, UINT message);

#endif
