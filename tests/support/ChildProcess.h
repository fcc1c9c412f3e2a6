#ifndef RINGLOCK_TESTS_SUPPORT_CHILDPROCESS_H
#define RINGLOCK_TESTS_SUPPORT_CHILDPROCESS_H

#include <windows.h>

#include <functional>
#include <string>

// Polls `done` every 10 ms until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A text of the ANSI code page as UTF-16.
std::wstring Widen(const std::string& text);

// A program the test starts and ends; killed if still running at the end.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder);
    bool running() const;
    int waitForExit(DWORD timeoutMs);  // exit code, or -1 on time-out
    void kill();
    DWORD processId() const { return m_process.dwProcessId; }

private:
    PROCESS_INFORMATION m_process{};
};

#endif
