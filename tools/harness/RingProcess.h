#ifndef RINGLOCK_TOOLS_HARNESS_RINGPROCESS_H
#define RINGLOCK_TOOLS_HARNESS_RINGPROCESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "tests/Contract.h"
#include "tools/harness/Harness.h"

// Ringlock.exe run as a black box, by the tests and the benchmark: a copy of
// the one beside the running program in a fresh temporary folder, or in a
// folder of its own inside that (`programFolder`, a name of any script), with
// its own settings file beside it.
class RingProcess {
public:
    explicit RingProcess(const std::wstring& programFolder = std::wstring());
    RingProcess(const RingProcess&) = delete;
    RingProcess& operator=(const RingProcess&) = delete;

    // The temporary folder, where the stand-ins run too.
    const std::string& folder() const { return m_folder.path(); }
    std::wstring exePath() const { return m_programFolder + L"\\Ringlock.exe"; }
    std::wstring settingsPath() const { return m_programFolder + L"\\Ringlock.ini"; }
    void writeSettings(const std::string& bytes) const { WriteFileBytes(settingsPath(), bytes); }
    std::string readSettings() const { return ReadFileBytes(settingsPath()); }
    std::wstring historyPath() const { return m_programFolder + L"\\Ringlock" + contract::HISTORY_FILE_ENDING; }

    // `flags` as CreateProcess takes them: CREATE_SUSPENDED leaves it waiting
    // for child().resume(), so that its start can be timed.
    bool start(const std::string& arguments = std::string(), DWORD flags = 0);
    // Starts another process of the same copy; returns its exit code, or -1.
    int runSecondInstance(const std::string& arguments, DWORD timeoutMs) const;
    // Starts two processes of the copy at the same moment; the one that runs
    // on is this one's, and the other's exit code is returned (-1 when both
    // run on).
    int startTwice(const std::string& arguments);
    // Takes on the copy that another program started, once its dialog shows.
    bool adoptStarted(DWORD timeoutMs);
    HWND waitForDialog(DWORD timeoutMs);
    HWND dialog() const { return m_dialog; }
    HWND dialogItem(int id) const { return GetDlgItem(m_dialog, id); }
    DWORD processId() const { return m_child.processId(); }

    std::vector<std::string> logLines() const;
    std::vector<std::string> contactLines() const;

    bool running() const { return m_child.running(); }
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    int waitForExit(DWORD timeoutMs) { return m_child.waitForExit(timeoutMs); }
    void kill() { m_child.end(); }
    ChildProcess& child() { return m_child; }
    const ChildProcess& child() const { return m_child; }

private:
    TempFolder m_folder{"ringlock"};
    std::wstring m_programFolder;
    ChildProcess m_child;
    HWND m_dialog = nullptr;
};

#endif
