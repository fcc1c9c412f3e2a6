#include "tools/harness/WineTrace.h"

#include <cstdio>
#include <sstream>

#include "tools/harness/Harness.h"

std::wstring UnixName(const std::wstring& path)
{
    using Call = char*(CDECL*)(const wchar_t*);
    const auto call = reinterpret_cast<Call>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = call != nullptr ? call(path.c_str()) : nullptr;
    const std::wstring wide = name != nullptr ? Widen(name, CP_UTF8) : std::wstring();
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

bool RunUnix(const wchar_t* program, const std::wstring& arguments)
{
    ChildProcess unix;
    return unix.start(std::wstring(L"Z:\\bin\\") + program, arguments, L"");
}

bool StartTraced(const std::wstring& exe, const std::string& arguments, const std::wstring& trace,
                 const wchar_t* functions)
{
    const std::wstring unixTrace = UnixName(trace);
    if (unixTrace.empty()
        || RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", L"RelayInclude", REG_SZ, functions,
                           static_cast<DWORD>((lstrlenW(functions) + 1) * sizeof(wchar_t)))
               != ERROR_SUCCESS) {
        return false;
    }
    std::wstring environment;
    const LPWCH inherited = GetEnvironmentStringsW();
    for (const wchar_t* variable = inherited; *variable != L'\0'; variable += lstrlenW(variable) + 1) {
        if (wcsncmp(variable, L"WINEDEBUG=", 10) != 0) {
            environment += variable + std::wstring(1, L'\0');
        }
    }
    FreeEnvironmentStringsW(inherited);
    environment += L"WINEDEBUG=+timestamp,+pid,+relay" + std::wstring(1, L'\0');
    environment += L"TRACE_FILE=" + unixTrace + std::wstring(1, L'\0');
    // Wine's loader of the program's bitness, which is this one's.
    const std::wstring loader = sizeof(void*) == 8 ? L"/usr/lib/wine/wine64" : L"/usr/lib/wine/wine";
    ChildProcess shell;
    return shell.start(L"Z:\\bin\\sh",
                       L"-c \"exec \\\"$0\\\" \\\"$@\\\" 2>\\\"$TRACE_FILE\\\"\" " + loader + L" \"" + exe + L"\" "
                           + Widen(arguments),
                       L"", 0, environment);
}

// A line of the trace: "<s.ms>:<process>:<thread>:Call <DLL>.<function>(<arguments>) ret=<address>", its
// time the tick count's.
std::vector<TracedCall> TracedCalls(const std::wstring& trace, DWORD processId, const std::string& function)
{
    const double clockOffsetMs = ClockMs() - static_cast<double>(GetTickCount64());
    const std::string wanted = "." + function + "(";
    std::vector<TracedCall> calls;
    std::istringstream lines(ReadFileBytes(trace));
    for (std::string line; std::getline(lines, line);) {
        unsigned seconds = 0;
        unsigned ms = 0;
        unsigned process = 0;
        const size_t name = line.find(wanted);
        const size_t end = line.rfind(") ret=");
        if (std::sscanf(line.c_str(), "%u.%u:%x:", &seconds, &ms, &process) == 3 && process == processId
            && line.find(":Call ") != std::string::npos && name != std::string::npos && end != std::string::npos
            && name < end) {
            const size_t from = name + wanted.size();
            calls.push_back({seconds * 1000.0 + ms + clockOffsetMs, line.substr(from, end - from)});
        }
    }
    return calls;
}
