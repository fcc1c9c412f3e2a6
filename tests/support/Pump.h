#ifndef RINGLOCK_TESTS_SUPPORT_PUMP_H
#define RINGLOCK_TESTS_SUPPORT_PUMP_H

#include <windows.h>

#include <functional>

// Dispatches the calling thread's messages (sent ones included) until `done`
// holds or `timeoutMs` has passed; returns whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Dispatches the calling thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

#endif
