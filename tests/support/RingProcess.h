#ifndef RINGLOCK_TESTS_SUPPORT_RINGPROCESS_H
#define RINGLOCK_TESTS_SUPPORT_RINGPROCESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tools/standin/RemoteListView.h"

// The folder of the running test program, which also holds Ringlock.exe and
// the stand-in programs.
std::string TestProgramDir();

// Every top-level window of `processId`, hidden ones included.
std::vector<HWND> TopLevelWindows(DWORD processId);

// The first top-level window of `processId` with this class and title
// (nullptr: any), shown ones only or not; waits up to `timeoutMs`.
HWND AwaitWindow(DWORD processId, const char* className, const char* title, bool shownOnly, DWORD timeoutMs);

// Ringlock.exe run as a black box: a copy in a fresh temporary folder, or in
// a folder of its own inside that (`programFolder`, a name of any script),
// with its own settings file beside it.
class RingProcess {
public:
    explicit RingProcess(const std::wstring& programFolder = std::wstring());
    ~RingProcess();
    RingProcess(const RingProcess&) = delete;
    RingProcess& operator=(const RingProcess&) = delete;

    // The temporary folder, where the stand-ins run too.
    const std::string& folder() const { return m_folder; }
    std::wstring exePath() const;
    std::wstring settingsPath() const;
    void writeSettings(const std::string& bytes) const;
    std::string readSettings() const;  // empty when the file is missing

    bool start(const std::string& arguments = std::string());
    // Starts another process of the same copy; returns its exit code, or -1.
    int runSecondInstance(const std::string& arguments, DWORD timeoutMs) const;
    HWND waitForDialog(DWORD timeoutMs);
    HWND dialog() const { return m_dialog; }
    HWND dialogItem(int id) const { return GetDlgItem(m_dialog, id); }
    DWORD processId() const { return m_child.processId(); }

    std::vector<std::string> logLines() const;
    std::vector<std::string> contactLines() const;
    bool waitForLogLine(const std::string& line, DWORD timeoutMs) const;

    bool running() const { return m_child.running(); }
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    int waitForExit(DWORD timeoutMs) { return m_child.waitForExit(timeoutMs); }
    void kill() { m_child.kill(); }

private:
    std::string m_folder;
    std::wstring m_programFolder;
    ChildProcess m_child;
    HWND m_dialog = nullptr;
};

#endif
