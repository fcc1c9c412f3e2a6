#include "tools/harness/RingProcess.h"

#include "res/resource.h"
#include "tests/Contract.h"

namespace {

// How long the start that finds another may take to hand over and end.
constexpr DWORD HAND_OVER_MS = 15000;

}  // namespace

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

int RingProcess::startTwice(const std::string& arguments)
{
    ChildProcess other;
    if (!start(arguments, CREATE_SUSPENDED)
        || !other.start(exePath(), Widen(arguments), m_programFolder, CREATE_SUSPENDED)) {
        return -1;
    }
    m_child.resume();
    other.resume();
    const HANDLE both[2] = {m_child.handle(), other.handle()};
    if (WaitForMultipleObjects(2, both, FALSE, HAND_OVER_MS) == WAIT_OBJECT_0) {
        m_child.swap(other);
    }
    return other.waitForExit(0);
}

bool RingProcess::adoptStarted(DWORD timeoutMs)
{
    HWND dialog = nullptr;
    WaitUntil([&dialog] {
        dialog = FindWindowA(contract::MAIN_DIALOG_CLASS, contract::MAIN_DIALOG_TITLE);
        return dialog != nullptr;
    }, timeoutMs);
    DWORD processId = 0;
    return dialog != nullptr && GetWindowThreadProcessId(dialog, &processId) != 0 && m_child.adopt(processId);
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
