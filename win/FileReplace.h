#ifndef RINGLOCK_WIN_FILEREPLACE_H
#define RINGLOCK_WIN_FILEREPLACE_H

#include <windows.h>

#include <string>

// Files the program keeps, written so that a crash or a full disk never
// leaves half of one.

// What another program that holds a file for a moment (a virus scanner, the
// search indexer, a backup or sync tool) makes a call on that file fail with.
bool IsLockError(DWORD error);
// Windows refuses to replace a read-only file and Wine does not; asked first,
// a file the user protected stays untouched everywhere.
bool IsReadOnlyFile(const wchar_t* path);
// One read or write of a file moves at most this much.
constexpr DWORD FILE_CHUNK_BYTES = 1u << 20;
bool WriteWholeFile(HANDLE file, const std::string& bytes);

// How often a step is tried while another program holds a file, and how long
// apart; on Windows a file being replaced while another program has it open
// reports access denied, and the move over it counts that as held too.
struct LockRetry {
    int attempts;
    DWORD delayMs;
};

// The name beside `path` that the new bytes are written to first.
constexpr wchar_t TEMPORARY_SUFFIX[] = L".tmp";

// Replaces the file's bytes: they are written and flushed under the temporary
// name, then moved over the file, so the old file stays as it was until the
// new one is complete on disk. A read-only file is left alone. False, with
// the reason as the last error, when the file was not replaced.
bool ReplaceFileContents(const wchar_t* path, const std::string& bytes, LockRetry retry);

#endif
