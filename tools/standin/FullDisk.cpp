#include "tools/standin/FullDisk.h"

#include <windows.h>

#include "tools/harness/Harness.h"
#include "tools/harness/WineTrace.h"

namespace {

constexpr DWORD LINK_WAIT_MS = 10000;

// Such a file has no attributes, but it opens.
bool Opens(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

}  // namespace

FullDisk::FullDisk(std::wstring path)
    : m_path(std::move(path)), m_unixName(L"\"" + UnixName(m_path) + L"\""),
      m_placed(RunUnix(L"ln", L"-sf /dev/full " + m_unixName) && WaitUntil([this] { return Opens(m_path); }, LINK_WAIT_MS))
{
}

FullDisk::~FullDisk()
{
    RunUnix(L"rm", L"-f " + m_unixName);
    WaitUntil([this] { return !Opens(m_path); }, LINK_WAIT_MS);
}
