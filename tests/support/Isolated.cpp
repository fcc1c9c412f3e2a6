#include "tests/support/Isolated.h"

#include <string>

namespace {

const char* const kMarker = "RINGLOCK_ISOLATED_CHILD";

}  // namespace

bool InIsolatedProcess()
{
    char value[8] = {};
    return GetEnvironmentVariableA(kMarker, value, sizeof(value)) > 0 && value[0] == '1';
}

int RunIsolated(const char* gtestFilter, DWORD timeoutMs)
{
    char exe[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, exe, MAX_PATH)) {
        return -1;
    }
    std::string commandLine = std::string("\"") + exe + "\" --gtest_brief=1 --gtest_filter=" + gtestFilter;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    SetEnvironmentVariableA(kMarker, "1");
    const BOOL started =
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kMarker, nullptr);
    if (!started) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == static_cast<DWORD>(-1) ? -1 : static_cast<int>(code);
}
