#include "tests/support/RingProcess.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "tests/support/FileBytes.h"

namespace {

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string MakeTempFolder()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        std::ostringstream name;
        name << base << "ringlock-" << GetCurrentProcessId() << "-" << InterlockedIncrement(&counter);
        if (CreateDirectoryA(name.str().c_str(), nullptr)) {
            return name.str();
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return std::string();
        }
    }
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

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TitleOf(HWND window)
{
    char title[128] = {};
    GetWindowTextA(window, title, sizeof(title));
    return title;
}

}  // namespace

std::string TestProgramDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DirectoryOf(path);
}

RingProcess::RingProcess(const std::wstring& programFolder)
    : m_folder(MakeTempFolder()),
      m_programFolder(Widen(m_folder) + (programFolder.empty() ? L"" : L"\\" + programFolder))
{
    CreateDirectoryW(m_programFolder.c_str(), nullptr);
    CopyFileW(Widen(TestProgramDir() + "\\Ringlock.exe").c_str(), exePath().c_str(), FALSE);
}

RingProcess::~RingProcess()
{
    kill();
    RemoveFolder(Widen(m_folder));
}

std::wstring RingProcess::exePath() const
{
    return m_programFolder + L"\\Ringlock.exe";
}

std::wstring RingProcess::settingsPath() const
{
    return m_programFolder + L"\\Ringlock.ini";
}

void RingProcess::writeSettings(const std::string& bytes) const
{
    WriteFileBytes(settingsPath(), bytes);
}

std::string RingProcess::readSettings() const
{
    return ReadFileBytes(settingsPath());
}

bool RingProcess::start(const std::string& arguments)
{
    return m_child.start(exePath(), Widen(arguments), m_programFolder);
}

int RingProcess::runSecondInstance(const std::string& arguments, DWORD timeoutMs) const
{
    ChildProcess second;
    if (!second.start(exePath(), Widen(arguments), m_programFolder)) {
        return -1;
    }
    return second.waitForExit(timeoutMs);
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

HWND AwaitWindow(DWORD processId, const char* className, const char* title, bool shownOnly, DWORD timeoutMs)
{
    HWND match = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId)) {
            if ((!shownOnly || IsWindowVisible(window)) && ClassOf(window) == className &&
                (title == nullptr || TitleOf(window) == title)) {
                match = window;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return match;
}

HWND RingProcess::waitForDialog(DWORD timeoutMs)
{
    m_dialog = AwaitWindow(m_child.processId(), "#32770", "Skype Ringlock", false, timeoutMs);
    return m_dialog;
}

std::vector<std::string> RingProcess::logLines() const
{
    return ReadRemoteListView(dialogItem(1001));
}

std::vector<std::string> RingProcess::contactLines() const
{
    return ReadRemoteListView(dialogItem(1002));
}

bool RingProcess::waitForLogLine(const std::string& line, DWORD timeoutMs) const
{
    return WaitUntil([&] {
        const std::vector<std::string> lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }, timeoutMs);
}
