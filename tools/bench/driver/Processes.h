#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_PROCESSES_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_PROCESSES_H

// Starting, finding and ending the programs the benchmark measures.

#include <windows.h>

#include <string>

namespace bench {

struct Child {
    PROCESS_INFORMATION pi{};

    bool running() const;
    DWORD pid() const { return pi.dwProcessId; }
    // Ends the process, politely first (`msg` posted to `window`) when a
    // window is given.
    void end(HWND window, UINT msg, WPARAM wParam);
};

// Created suspended, so the caller can get ready for the process before it
// runs; `Resume` lets it go.
bool Launch(const std::string& exe, const std::string& args, const std::string& folder, Child* child);
void Resume(const Child& child);

// Polled every millisecond until the child has such a top-level window.
HWND WaitWindowOf(const Child& child, const char* className, const char* title, DWORD timeoutMs);
bool WaitVisible(HWND window, DWORD timeoutMs);

std::string ExeDir();

}  // namespace bench

#endif
