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

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..") {
                const std::string path = folder + "\\" + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

struct Search {
    DWORD processId;
    const char* className;
    const char* title;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    char title[128] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (owner == search->processId && (!search->shownOnly || IsWindowVisible(window))
        && lstrcmpA(className, search->className) == 0
        && (search->title == nullptr || lstrcmpA(title, search->title) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string TestProgramDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DirectoryOf(path);
}

RingProcess::RingProcess() : m_folder(MakeTempFolder())
{
    CopyFileA((TestProgramDir() + "\\Ringlock.exe").c_str(), exePath().c_str(), FALSE);
}

RingProcess::~RingProcess()
{
    kill();
    RemoveFolder(m_folder);
}

std::string RingProcess::exePath() const
{
    return m_folder + "\\Ringlock.exe";
}

std::string RingProcess::settingsPath() const
{
    return m_folder + "\\Ringlock.ini";
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
    return m_child.start(exePath(), arguments, m_folder);
}

int RingProcess::runSecondInstance(const std::string& arguments, DWORD timeoutMs) const
{
    ChildProcess second;
    if (!second.start(exePath(), arguments, m_folder)) {
        return -1;
    }
    return second.waitForExit(timeoutMs);
}

HWND AwaitWindow(DWORD processId, const char* className, const char* title, bool shownOnly, DWORD timeoutMs)
{
    Search search{processId, className, title, shownOnly, nullptr};
    WaitUntil([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
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
