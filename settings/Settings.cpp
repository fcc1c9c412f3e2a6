#include "settings/Settings.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "res/resource.h"
#include "settings/SettingsFormat.h"
#include "state/AppState.h"
#include "ui/ListView.h"
#include "ui/WideText.h"
#include "win/FileReplace.h"
#include "win/UniqueHandle.h"

namespace {

constexpr UINT MESSAGE_STYLE = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST;

enum class ReadOutcome { Read, Missing, Unreadable };

struct ReadResult {
    ReadOutcome outcome;
    DWORD error;
    SettingsData data;
};

// The settings file existed but could not be read at start. Writing it from
// the controls would replace the user's contacts with the empty defaults, so
// it is not written until it has been read.
bool g_unread = false;

ReadResult Unreadable(DWORD error)
{
    return ReadResult{ReadOutcome::Unreadable, error, SettingsData{0, 0, {}}};
}

SettingsData InUtf8(SettingsData data)
{
    if (data.encoding == SettingsEncoding::CodePage) {
        for (std::string& contact : data.contacts) {
            contact = Utf8FromCodePage(contact);
        }
        data.encoding = SettingsEncoding::Utf8;
    }
    return data;
}

ReadResult ReadOpenFile(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        return Unreadable(GetLastError());
    }
    if (size.QuadPart < 0 || static_cast<ULONGLONG>(size.QuadPart) > SETTINGS_FILE_MAX_BYTES) {
        return Unreadable(ERROR_FILE_TOO_LARGE);
    }
    const size_t fileSize = static_cast<size_t>(size.QuadPart);
    std::unique_ptr<char[]> text(new (std::nothrow) char[fileSize + 1]);
    if (!text) {
        return Unreadable(ERROR_NOT_ENOUGH_MEMORY);
    }
    size_t length = 0;
    while (length < fileSize) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(fileSize - length, FILE_CHUNK_BYTES));
        DWORD got = 0;
        if (!ReadFile(file, text.get() + length, wanted, &got, nullptr)) {
            return Unreadable(GetLastError());
        }
        if (got == 0) {
            break;
        }
        length += got;
    }
    text[length] = '\0';
    try {
        return ReadResult{ReadOutcome::Read, 0, InUtf8(ParseSettingsText(text.get(), length))};
    } catch (const std::bad_alloc&) {
        return Unreadable(ERROR_NOT_ENOUGH_MEMORY);
    }
}

ReadResult ReadSettingsFile(const FilePath& path)
{
    const UniqueHandle file(CreateFileW(path.text, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return ReadResult{ReadOutcome::Missing, error, SettingsData{0, 0, {}}};
        }
        return Unreadable(error);
    }
    return ReadOpenFile(file.get());
}

ReadResult ReadSettingsFileRetrying(const FilePath& path)
{
    ReadResult result = ReadSettingsFile(path);
    for (int attempt = 1; attempt < LOCK_ATTEMPTS && result.outcome == ReadOutcome::Unreadable && IsLockError(result.error);
         ++attempt) {
        Sleep(LOCK_RETRY_DELAY_MS);
        result = ReadSettingsFile(path);
    }
    return result;
}

void Log(const std::string& line)
{
    ListAppendRow(g_app.logView, line.c_str(), LOG_MAX_ROWS);
}

// Anything but BST_CHECKED or BST_UNCHECKED means "indeterminate" to a check box.
UINT CheckState(int value)
{
    return value != 0 ? BST_CHECKED : BST_UNCHECKED;
}

std::vector<std::string> ReadContactRows()
{
    const int count = static_cast<int>(SendMessageA(g_app.contactsView, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> rows;
    for (int row = 0; row < count; ++row) {
        rows.push_back(ListGetRowText(g_app.contactsView, row));
    }
    return rows;
}

void ApplyToControls(const SettingsData& data)
{
    CheckDlgButton(g_app.mainDialog, IDC_START_VIDEO, CheckState(data.startVideo));
    CheckDlgButton(g_app.mainDialog, IDC_QUIET_MEDIA, CheckState(data.quietMedia));
    // One repaint for the whole list instead of one per contact.
    SendMessageA(g_app.contactsView, WM_SETREDRAW, FALSE, 0);
    for (const std::string& contact : data.contacts) {
        ListAppendRow(g_app.contactsView, contact.c_str(), LIST_UNLIMITED);
    }
    SendMessageA(g_app.contactsView, WM_SETREDRAW, TRUE, 0);
    // Its scroll bar has followed the rows only now.
    ListFitColumn(g_app.contactsView);
}

// A file read only after the user may have ticked boxes and added contacts:
// a box ends up checked when either the file or the user checked it, and the
// file's contacts follow the rows already there, except those already there.
void MergeIntoControls(const SettingsData& data)
{
    if (data.startVideo != 0) {
        CheckDlgButton(g_app.mainDialog, IDC_START_VIDEO, BST_CHECKED);
    }
    if (data.quietMedia != 0) {
        CheckDlgButton(g_app.mainDialog, IDC_QUIET_MEDIA, BST_CHECKED);
    }
    const std::vector<std::string> present = ReadContactRows();
    for (const std::string& contact : data.contacts) {
        if (std::find(present.begin(), present.end(), contact) == present.end()) {
            ListAppendRow(g_app.contactsView, contact.c_str(), LIST_UNLIMITED);
        }
    }
}

// The file from the controls as they are now; false when it must not or
// cannot be written.
bool WriteSettingsFile(const FilePath& path)
{
    if (path.text[0] == L'\0') {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (g_unread) {
        const ReadResult late = ReadSettingsFileRetrying(path);
        if (late.outcome == ReadOutcome::Unreadable) {
            return false;
        }
        if (late.outcome == ReadOutcome::Read) {
            MergeIntoControls(late.data);
            Log("Read config file " + DisplayPath(path) + "; its contacts were added to the list");
        }
        g_unread = false;
    }
    const std::string bytes = FormatSettingsText(IsDlgButtonChecked(g_app.mainDialog, IDC_START_VIDEO) != 0,
                                                 IsDlgButtonChecked(g_app.mainDialog, IDC_QUIET_MEDIA) != 0,
                                                 ReadContactRows());
    // The next start would refuse it.
    if (bytes.size() > SETTINGS_FILE_MAX_BYTES) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    return ReplaceFileContents(path.text, bytes, LockRetry{LOCK_ATTEMPTS, LOCK_RETRY_DELAY_MS});
}

}  // namespace

bool ProgramPath(FilePath& path, size_t& length)
{
    length = GetModuleFileNameW(nullptr, path.text, PROGRAM_PATH_SIZE);
    // A path that filled the buffer may have been cut short.
    return length != 0 && length < PROGRAM_PATH_SIZE;
}

std::string DisplayPath(const FilePath& path)
{
    return Utf8FromWide(path.text, static_cast<size_t>(lstrlenW(path.text)));
}

FilePath SettingsPath()
{
    FilePath path{};
    size_t length = 0;
    if (!ProgramPath(path, length) || SettingsPathFor(path.text, length, ARRAYSIZE(path.text)) == 0) {
        path.text[0] = L'\0';
    }
    return path;
}

void LoadSettings()
{
    g_unread = false;
    const FilePath path = SettingsPath();
    if (path.text[0] == L'\0') {
        Log("Could not find the config file: the program's path is too long");
        return;
    }
    const ReadResult result = ReadSettingsFileRetrying(path);
    if (result.outcome == ReadOutcome::Read) {
        ApplyToControls(result.data);
    } else if (result.outcome == ReadOutcome::Unreadable) {
        g_unread = true;
        const std::string why =
            result.error == ERROR_FILE_TOO_LARGE ? TOO_LARGE_TEXT : "error " + std::to_string(result.error);
        Log(READ_FAILED_TEXT + DisplayPath(path) + " (" + why + ")" + UNTIL_READ_TEXT);
    }
}

// The message box says that the save failed; the log says why.
void SaveSettings(OnSaveFailure onFailure)
{
    const FilePath path = SettingsPath();
    if (WriteSettingsFile(path)) {
        return;
    }
    if (!g_unread) {
        Log(SAVE_FAILED_TEXT + DisplayPath(path) + " (" + SystemErrorText(GetLastError()) + ")");
    }
    if (onFailure == OnSaveFailure::ShowMessage) {
        MessageBoxA(nullptr, g_unread ? NOT_OVERWRITTEN_TEXT : WRITE_FAILED_TEXT, SETTINGS_MESSAGE_CAPTION,
                    MESSAGE_STYLE);
    }
}
