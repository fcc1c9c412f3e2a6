#include "tools/harness/Harness.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/WideText.h"

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->first) {
        found->second.push_back(window);
    }
    return TRUE;
}

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            const std::wstring path = folder + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

double ClockMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs, HANDLE wake, bool serve)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD handles = wake ? 1 : 0;
    for (;;) {
        if (serve) {
            DispatchWaitingMessages();
        }
        if (done()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        // Under Wine a wait that also watches the message queue costs the
        // Wine server a round trip, and a program starting meanwhile waits
        // on that server too: only a thread that serves messages pays it.
        const DWORD pause = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, pollMs));
        if (serve) {
            MsgWaitForMultipleObjectsEx(handles, wake ? &wake : nullptr, pause, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        } else if (wake) {
            WaitForSingleObject(wake, pause);
        } else {
            Sleep(pause);
        }
    }
}

void DispatchWaitingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::wstring Widen(const std::string& text, UINT codePage)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                        &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

bool ChildProcess::start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                         DWORD flags, const std::wstring& environment)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    std::wstring block = environment;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                          flags | (block.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT), block.empty() ? nullptr : &block[0],
                          folder.empty() ? nullptr : folder.c_str(), &startup, &m_process) != FALSE;
}

bool ChildProcess::adopt(DWORD processId)
{
    end();
    m_process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                     processId);
    m_process.dwProcessId = processId;
    return m_process.hProcess != nullptr;
}

bool ChildProcess::running() const
{
    return m_process.hProcess != nullptr && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

int ChildProcess::waitForExit(DWORD timeoutMs)
{
    if (m_process.hProcess == nullptr || WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return static_cast<int>(code);
}

void ChildProcess::end(HWND window, UINT msg, WPARAM wParam)
{
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (window != nullptr && running()) {
        PostMessageA(window, msg, wParam, 0);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    if (running()) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION{};
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

HWND AwaitWindow(DWORD processId, const char* className, const char* title, bool shownOnly, DWORD timeoutMs,
                 DWORD pollMs)
{
    HWND match = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId)) {
            char windowClass[64] = {};
            char windowTitle[128] = {};
            GetClassNameA(window, windowClass, sizeof(windowClass));
            GetWindowTextA(window, windowTitle, sizeof(windowTitle));
            if ((!shownOnly || IsWindowVisible(window)) && lstrcmpA(windowClass, className) == 0 &&
                (title == nullptr || lstrcmpA(windowTitle, title) == 0)) {
                match = window;
                return true;
            }
        }
        return false;
    }, timeoutMs, pollMs);
    return match;
}

TempFolder::TempFolder(const std::string& prefix)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        const std::string name = base + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(name.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) {
            m_path = name;
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    RemoveFolder(Widen(m_path));
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

namespace {

// A block of memory in the process that owns `window`, for a message whose
// parameter points at a record: the record is written there, the message
// sent, and the record read back.
class RemoteBlock {
public:
    RemoteBlock(HWND window, SIZE_T size)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process != nullptr) {
            m_base = static_cast<char*>(VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteBlock()
    {
        if (m_base != nullptr) {
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        }
        if (m_process != nullptr) {
            CloseHandle(m_process);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    explicit operator bool() const { return m_base != nullptr; }
    char* at(SIZE_T offset) const { return m_base + offset; }
    void write(const void* where, const void* data, SIZE_T size) const
    {
        WriteProcessMemory(m_process, const_cast<void*>(where), data, size, nullptr);
    }
    void read(const void* where, void* data, SIZE_T size) const
    {
        ReadProcessMemory(m_process, where, data, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    char* m_base = nullptr;
};

}  // namespace

std::vector<std::string> ReadRemoteListView(HWND list)
{
    constexpr SIZE_T TEXT_SIZE = 1024;
    std::vector<std::string> rows;
    const RemoteBlock remote(list, sizeof(LVITEMW) + TEXT_SIZE * sizeof(wchar_t));
    if (!remote) {
        return rows;
    }
    auto* remoteText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = remoteText;
        item.cchTextMax = static_cast<int>(TEXT_SIZE);
        const wchar_t zero = L'\0';
        remote.write(remoteText, &zero, sizeof(zero));
        remote.write(remote.at(0), &item, sizeof(item));
        SendMessageA(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)));
        LVITEMW after{};
        remote.read(remote.at(0), &after, sizeof(after));
        wchar_t text[TEXT_SIZE] = {};
        remote.read(after.pszText, text, (TEXT_SIZE - 1) * sizeof(wchar_t));
        rows.push_back(Utf8FromWide(text, static_cast<size_t>(lstrlenW(text))));
    }
    return rows;
}

RECT RemoteListItemRect(HWND list, int row)
{
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    const RemoteBlock remote(list, sizeof(rect));
    if (remote) {
        remote.write(remote.at(0), &rect, sizeof(rect));
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at(0)));
        remote.read(remote.at(0), &rect, sizeof(rect));
    }
    return rect;
}

void RegisterWindowClassOnce(const char* name, WNDPROC procedure)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(instance, name, &wc)) {
        return;
    }
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}
