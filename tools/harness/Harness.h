#ifndef RINGLOCK_TOOLS_HARNESS_HARNESS_H
#define RINGLOCK_TOOLS_HARNESS_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// What the tests, the benchmark and the stand-ins share to run programs and
// watch them from outside: one clock, one wait, processes and their windows,
// folders and files.

// Milliseconds on the machine's performance counter: the same clock in every
// process, so that times taken by several programs can be compared.
double ClockMs();

// Looks at `done` until it holds or `timeoutMs` has passed: again whenever
// `wake` is signalled or `pollMs` has passed. With `serve`, this thread's
// messages are dispatched meanwhile, for windows that must keep answering.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 10, HANDLE wake = nullptr,
               bool serve = false);
// Dispatches the messages waiting in this thread's queue, and returns.
void DispatchWaitingMessages();

// A text of the ANSI code page, or of UTF-8 as the client and Ringlock's
// controls hold texts, as UTF-16.
std::wstring Widen(const std::string& text, UINT codePage = CP_ACP);
// The folder of the running program, which also holds Ringlock.exe and the
// stand-in programs.
std::string ProgramFolder();

// A program started and ended from here; ended at the latest with the object.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { end(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `flags` as CreateProcess takes them: CREATE_SUSPENDED leaves it waiting
    // for resume(), so that its start can be timed. `environment`: a block of
    // NUL-terminated variables; none, this process's.
    bool start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder, DWORD flags = 0,
               const std::wstring& environment = {});
    // A process started otherwise, from now on ended and waited for here.
    bool adopt(DWORD processId);
    void swap(ChildProcess& other) { std::swap(m_process, other.m_process); }
    void resume() const { ResumeThread(m_process.hThread); }
    bool running() const;
    // The exit code, or -1 when it still runs after `timeoutMs`.
    int waitForExit(DWORD timeoutMs);
    // Posts `msg` to `window` first when one is given and waits up to 5 s
    // for the end; then terminates it.
    void end(HWND window = nullptr, UINT msg = WM_CLOSE, WPARAM wParam = 0);
    DWORD processId() const { return m_process.dwProcessId; }
    HANDLE handle() const { return m_process.hProcess; }

private:
    PROCESS_INFORMATION m_process{};
};

// Every top-level window of `processId`, hidden ones included.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The first top-level window of `processId` with this class and title
// (nullptr: any), shown ones only or not; waits up to `timeoutMs`.
HWND AwaitWindow(DWORD processId, const char* className, const char* title, bool shownOnly, DWORD timeoutMs,
                 DWORD pollMs = 10);

// A fresh folder in the temporary folder, removed with all it holds when the
// object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// A window class of this process's, registered on its first use; with the
// arrow cursor and the window colour, for the stand-ins that are shown.
void RegisterWindowClassOnce(const char* name, WNDPROC procedure);

// A whole file by its wide path, which can spell a folder of any name; empty
// when it is missing or held without sharing.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Rows of a report list view in another process, read as any other program
// would: a record and a text buffer placed in that process, filled by the
// control, read back; in UTF-8. The reader must have the target's bitness.
std::vector<std::string> ReadRemoteListView(HWND list);
// A row's rectangle in a report list view of another process, in the list's
// client coordinates, as the list reports it.
RECT RemoteListItemRect(HWND list, int row);

#endif
