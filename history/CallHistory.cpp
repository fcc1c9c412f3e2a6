#include "history/CallHistory.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "history/CallLog.h"
#include "settings/Settings.h"
#include "settings/SettingsFormat.h"
#include "state/AppState.h"
#include "ui/ListView.h"
#include "ui/WideText.h"
#include "win/FileReplace.h"
#include "win/UniqueHandle.h"

namespace {

static_assert(BESIDE_PATH_SIZE >= PROGRAM_PATH_SIZE + ARRAYSIZE(HISTORY_FILE_ENDING) + ARRAYSIZE(TEMPORARY_SUFFIX),
              "the history's and its temporary file's paths always fit");

class Surroundings final : public CallSurroundings {
public:
    uint64_t nowMs() override { return GetTickCount64(); }

    std::string localTime() override
    {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return HistoryTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    }

    bool isListed(const std::string& caller) override
    {
        const int rows = static_cast<int>(SendMessageA(g_app.contactsView, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            if (ListGetRowText(g_app.contactsView, row) == caller) {
                return true;
            }
        }
        return false;
    }
};

Surroundings g_surroundings;
CallLog g_calls(g_surroundings);

enum class Outcome { Written, Held, Failed };

struct Writer {
    std::string pending;  // whole lines, oldest first
    int retriesLeft = 0;
    bool failureSaid = false;
};

Writer g_writer;

FilePath HistoryPath()
{
    FilePath path{};
    size_t length = 0;
    if (!ProgramPath(path, length) || BesidePathFor(path.text, length, ARRAYSIZE(path.text), HISTORY_FILE_ENDING) == 0) {
        path.text[0] = L'\0';
    }
    return path;
}

void Log(const std::string& line)
{
    ListAppendRow(g_app.logView, line.c_str(), LOG_MAX_ROWS);
}

// Another program holds the file for a moment: worth another try.
Outcome Because(DWORD error, std::string& reason)
{
    reason = SystemErrorText(error);
    return IsLockError(error) || error == ERROR_ACCESS_DENIED ? Outcome::Held : Outcome::Failed;
}

bool ReadAt(HANDLE file, uint64_t offset, size_t count, std::string& bytes)
{
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    bytes.assign(count, '\0');
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, &bytes[0], static_cast<DWORD>(count), &got, nullptr)
           && got == count;
}

// A file that grew too large is replaced by its newest lines, safely.
Outcome Trim(UniqueHandle& file, const wchar_t* path, uint64_t size, const std::string& lines, std::string& reason)
{
    const uint64_t from = HistoryTailStart(size);
    std::string tail;
    if (!ReadAt(file.get(), from, static_cast<size_t>(size - from), tail)) {
        return Because(GetLastError(), reason);
    }
    file.close();
    return ReplaceFileContents(path, TrimmedHistory(tail, lines), LockRetry{1, 0}) ? Outcome::Written
                                                                                   : Because(GetLastError(), reason);
}

// A write that fails leaves the file as it was, not with half a line.
Outcome Append(HANDLE file, uint64_t size, const std::string& bytes, std::string& reason)
{
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && WriteWholeFile(file, bytes) && FlushFileBuffers(file)) {
        return Outcome::Written;
    }
    const Outcome outcome = Because(GetLastError(), reason);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return outcome;
}

Outcome WriteLines(const wchar_t* path, const std::string& lines, std::string& reason)
{
    if (IsReadOnlyFile(path)) {
        return Because(ERROR_FILE_READ_ONLY, reason);
    }
    UniqueHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        return Because(GetLastError(), reason);
    }
    const auto fileSize = static_cast<uint64_t>(size.QuadPart);
    if (fileSize == 0) {
        return Append(file.get(), 0, HISTORY_HEADER + lines, reason);
    }
    std::string head;
    if (!ReadAt(file.get(), 0, static_cast<size_t>(std::min<uint64_t>(fileSize, sizeof(HISTORY_HEADER) - 1)), head)
        || head != HISTORY_HEADER) {
        reason = HISTORY_FOREIGN_TEXT;
        return Outcome::Failed;
    }
    if (fileSize > HISTORY_MAX_BYTES) {
        return Trim(file, path, fileSize, lines, reason);
    }
    std::string last;
    if (!ReadAt(file.get(), fileSize - 1, 1, last)) {
        return Because(GetLastError(), reason);
    }
    return Append(file.get(), fileSize, HistoryAppend(last, lines), reason);
}

void SayFailure(const FilePath& path, const std::string& reason)
{
    if (!g_writer.failureSaid) {
        g_writer.failureSaid = true;
        Log(HISTORY_WRITE_FAILED_TEXT + DisplayPath(path) + " (" + reason + ")");
    }
}

void WritePending()
{
    KillTimer(g_app.mainDialog, TIMER_HISTORY_RETRY);
    if (g_writer.pending.empty()) {
        return;
    }
    const FilePath path = HistoryPath();
    std::string reason;
    const Outcome outcome = path.text[0] != L'\0' ? WriteLines(path.text, g_writer.pending, reason)
                                                  : Because(ERROR_FILENAME_EXCED_RANGE, reason);
    if (outcome == Outcome::Written) {
        g_writer.pending.clear();
        g_writer.failureSaid = false;
    } else if (outcome == Outcome::Failed || g_writer.retriesLeft-- <= 0
               || SetTimer(g_app.mainDialog, TIMER_HISTORY_RETRY, LOCK_RETRY_DELAY_MS, nullptr) == 0) {
        SayFailure(path, reason);
    }
}

// In UTF-8 whatever the client sent, as the log shows it.
std::string Readable(const std::string& text)
{
    const WideText wide = WidenText(text);
    return Utf8FromWide(wide.data(), wide.size() - 1);
}

void Write(const std::vector<EndedCall>& ended)
{
    if (ended.empty() && g_writer.pending.empty()) {
        return;
    }
    for (EndedCall call : ended) {
        call.caller = Readable(call.caller);
        g_writer.pending += HistoryLine(call);
    }
    if (g_writer.pending.size() > HISTORY_KEPT_BYTES) {
        const size_t lineEnd = g_writer.pending.find('\n', g_writer.pending.size() - HISTORY_KEPT_BYTES);
        g_writer.pending.erase(0, lineEnd + 1);
    }
    g_writer.retriesLeft = LOCK_ATTEMPTS - 1;
    WritePending();
}

DWORD WINAPI OpenInShell(LPVOID param)
{
    const std::unique_ptr<FilePath> path(static_cast<FilePath*>(param));
    // The shell may hand the file to extensions that need COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    open.lpVerb = L"open";
    open.lpFile = path->text;
    open.nShow = SW_SHOWNORMAL;
    const DWORD error = ShellExecuteExW(&open) ? ERROR_SUCCESS : GetLastError();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    if (error != ERROR_SUCCESS) {
        PostMessageA(g_app.mainDialog, WM_HISTORY_NOT_OPENED, error, 0);
    }
    return 0;
}

}  // namespace

void RecordApiMessage(const char* text)
{
    std::vector<EndedCall> ended;
    g_calls.onMessage(text, ended);
    Write(ended);
}

void RecordRinglockAnswer(const char* callId)
{
    g_calls.onRinglockAnswer(callId);
}

void RecordEndOfAllCalls()
{
    std::vector<EndedCall> ended;
    g_calls.endAll(ended);
    Write(ended);
}

bool RinglockAnsweredCallOpen()
{
    return g_calls.ringlockAnswerOpen();
}

void OnHistoryRetryTimer()
{
    WritePending();
}

void OpenCallHistory()
{
    const FilePath path = HistoryPath();
    const UniqueHandle begun(CreateFileW(path.text, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (begun) {
        WriteWholeFile(begun.get(), HISTORY_HEADER);
    }
    auto* request = new FilePath(path);
    const HANDLE thread = CreateThread(nullptr, 0, OpenInShell, request, 0, nullptr);
    if (thread == nullptr) {
        delete request;
        OnHistoryNotOpened(GetLastError());
        return;
    }
    CloseHandle(thread);
}

void OnHistoryNotOpened(DWORD error)
{
    Log(HISTORY_OPEN_FAILED_TEXT + DisplayPath(HistoryPath()) + " (" + SystemErrorText(error) + ")");
}
