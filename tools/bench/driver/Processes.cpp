#include "tools/bench/driver/Processes.h"

#include "tools/standin/StandinClient.h"

namespace bench {

namespace {

struct WindowSearch {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid) {
        return TRUE;
    }
    char className[64] = {};
    char title[64] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(className, search->className) == 0 && lstrcmpA(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(DWORD pid, const char* className, const char* title)
{
    WindowSearch search{pid, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool Child::running() const
{
    return pi.hProcess != nullptr && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

void Child::end(HWND window, UINT msg, WPARAM wParam)
{
    if (pi.hProcess == nullptr) {
        return;
    }
    if (window != nullptr && running()) {
        PostMessageA(window, msg, wParam, 0);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    if (running()) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    pi = PROCESS_INFORMATION{};
}

bool Launch(const std::string& exe, const std::string& args, const std::string& folder, Child* child)
{
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    return CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | DETACHED_PROCESS,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &child->pi) != FALSE;
}

void Resume(const Child& child)
{
    ResumeThread(child.pi.hThread);
}

HWND WaitWindowOf(const Child& child, const char* className, const char* title, DWORD timeoutMs)
{
    const double deadline = StandinClock() + timeoutMs;
    do {
        if (HWND found = FindWindowOf(child.pid(), className, title)) {
            return found;
        }
        Sleep(1);
    } while (StandinClock() < deadline && child.running());
    return nullptr;
}

bool WaitVisible(HWND window, DWORD timeoutMs)
{
    const double deadline = StandinClock() + timeoutMs;
    while (!IsWindowVisible(window)) {
        if (StandinClock() > deadline) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

std::string ExeDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

}  // namespace bench
