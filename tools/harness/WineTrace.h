#ifndef RINGLOCK_TOOLS_HARNESS_WINETRACE_H
#define RINGLOCK_TOOLS_HARNESS_WINETRACE_H

#include <windows.h>

#include <string>
#include <vector>

// What Wine can show of a program beyond its windows and files: the Unix
// side of its files, Unix programs run beside it, and its calls into the
// system, traced by Wine as they happen. Only under Wine.

// Wine's own name of a file on the Unix side; empty off Wine.
std::wstring UnixName(const std::wstring& path);
// Runs a Unix program of /bin as Wine runs any program. Its process cannot be
// waited for: the caller waits for what it does.
bool RunUnix(const wchar_t* program, const std::wstring& arguments);

// Starts `exe` with `arguments` through the Unix shell, which alone can send
// the program's standard error, where Wine traces its calls of `functions`
// (";" between them), to the file `trace`. The program's process is found by
// its windows.
bool StartTraced(const std::wstring& exe, const std::string& arguments, const std::wstring& trace,
                 const wchar_t* functions);

// One call of a function traced: when, on the common clock, and its arguments
// as the trace writes them.
struct TracedCall {
    double atMs;
    std::string arguments;
};
// The calls of `function` by the process `processId`, in order.
std::vector<TracedCall> TracedCalls(const std::wstring& trace, DWORD processId, const std::string& function);

#endif
