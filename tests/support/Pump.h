#ifndef RINGLOCK_TESTS_SUPPORT_PUMP_H
#define RINGLOCK_TESTS_SUPPORT_PUMP_H

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until `done` holds or `timeoutMs` has
// passed; returns whether `done` held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    MSG msg;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
    }
    return true;
}

#endif
