#include "tools/harness/RingProcess.h"

#include "res/resource.h"
#include "tests/Contract.h"

RingProcess::RingProcess(const std::wstring& programFolder)
    : m_programFolder(Widen(m_folder.path()) + (programFolder.empty() ? L"" : L"\\" + programFolder))
{
    CreateDirectoryW(m_programFolder.c_str(), nullptr);
    CopyFileW(Widen(ProgramFolder() + "\\Ringlock.exe").c_str(), exePath().c_str(), FALSE);
}

bool RingProcess::start(const std::string& arguments, DWORD flags)
{
    return m_child.start(exePath(), Widen(arguments), m_programFolder, flags);
}

int RingProcess::runSecondInstance(const std::string& arguments, DWORD timeoutMs) const
{
    ChildProcess second;
    if (!second.start(exePath(), Widen(arguments), m_programFolder)) {
        return -1;
    }
    return second.waitForExit(timeoutMs);
}

HWND RingProcess::waitForDialog(DWORD timeoutMs)
{
    m_dialog = AwaitWindow(m_child.processId(), contract::MAIN_DIALOG_CLASS, contract::MAIN_DIALOG_TITLE, false, timeoutMs);
    return m_dialog;
}

std::vector<std::string> RingProcess::logLines() const
{
    return ReadRemoteListView(dialogItem(IDC_LOG));
}

std::vector<std::string> RingProcess::contactLines() const
{
    return ReadRemoteListView(dialogItem(IDC_CONTACTS));
}
