#include "win/FileReplace.h"

#include <algorithm>
#include <vector>

#include "win/UniqueHandle.h"

namespace {

// Runs `attempt` until it succeeds, or until it fails otherwise than on a
// file that another program holds, or `retry.attempts` times.
template <typename Attempt>
bool RetriedWhileLocked(Attempt attempt, LockRetry retry, bool accessDeniedIsLock)
{
    for (int tries = 1;; ++tries) {
        if (attempt()) {
            return true;
        }
        const DWORD error = GetLastError();
        const bool locked = IsLockError(error) || (accessDeniedIsLock && error == ERROR_ACCESS_DENIED);
        if (!locked || tries >= retry.attempts) {
            return false;
        }
        Sleep(retry.delayMs);
    }
}

}  // namespace

bool IsLockError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool IsReadOnlyFile(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool WriteWholeFile(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, FILE_CHUNK_BYTES));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, wanted, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool ReplaceFileContents(const wchar_t* path, const std::string& bytes, LockRetry retry)
{
    if (IsReadOnlyFile(path)) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return false;
    }
    std::vector<wchar_t> temporary(path, path + lstrlenW(path));
    temporary.insert(temporary.end(), TEMPORARY_SUFFIX, TEMPORARY_SUFFIX + ARRAYSIZE(TEMPORARY_SUFFIX));
    UniqueHandle file;
    const bool created = RetriedWhileLocked([&] {
        file = UniqueHandle(
            CreateFileW(temporary.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(file);
    }, retry, false);
    if (!created) {
        return false;
    }
    const bool written = WriteWholeFile(file.get(), bytes) && FlushFileBuffers(file.get()) != 0;
    DWORD why = GetLastError();
    const bool closed = file.close();
    if (written && closed && RetriedWhileLocked([&] {
            return MoveFileExW(temporary.data(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }, retry, true)) {
        return true;
    }
    if (written) {
        why = GetLastError();
    }
    DeleteFileW(temporary.data());
    SetLastError(why);
    return false;
}
