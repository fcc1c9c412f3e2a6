#include "tests/support/RingProcess.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "tests/support/FileBytes.h"

namespace {

constexpr DWORD POLL_MS = 10;

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

struct FindDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    FindDialog* search = reinterpret_cast<FindDialog*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) {
        return TRUE;
    }
    char className[32] = {};
    char title[64] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, "Skype Ringlock") == 0) {
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

HWND RingProcess::waitForDialog(DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        FindDialog search{m_child.processId(), nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            m_dialog = search.found;
            return m_dialog;
        }
        Sleep(POLL_MS);
    } while (GetTickCount64() < deadline && running());
    return nullptr;
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
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        const std::vector<std::string> lines = logLines();
        if (std::find(lines.begin(), lines.end(), line) != lines.end()) {
            return true;
        }
        Sleep(POLL_MS);
    } while (GetTickCount64() < deadline);
    return false;
}
