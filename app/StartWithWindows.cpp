#include "app/StartWithWindows.h"

#include <windows.h>

#include "app/LogView.h"
#include "settings/Settings.h"
#include "settings/SettingsFormat.h"
#include "state/AppState.h"
#include "ui/WideText.h"
#include "win/UniqueHandle.h"

namespace {

constexpr wchar_t HIDDEN_SWITCH[] = L" -m";

// The value that starts this program hidden: its name and its command.
struct RunValue {
    wchar_t name[PROGRAM_PATH_SIZE];
    wchar_t command[PROGRAM_PATH_SIZE + ARRAYSIZE(HIDDEN_SWITCH) + 2];
};

bool ThisProgramsValue(RunValue* value)
{
    FilePath path{};
    size_t length = 0;
    if (!ProgramPath(path, length)) {
        return false;
    }
    const FileNameSpan name = FindFileName(path.text, length);
    lstrcpynW(value->name, path.text + name.start, static_cast<int>(name.dot - name.start + 1));
    lstrcpyW(value->command, L"\"");
    lstrcatW(value->command, path.text);
    lstrcatW(value->command, L"\"");
    lstrcatW(value->command, HIDDEN_SWITCH);
    return true;
}

bool Holds(HKEY key, const RunValue& value)
{
    wchar_t command[ARRAYSIZE(value.command) + 1] = {};
    DWORD type = 0;
    DWORD size = sizeof(command) - sizeof(wchar_t);
    return RegQueryValueExW(key, value.name, nullptr, &type, reinterpret_cast<BYTE*>(command), &size) == ERROR_SUCCESS
        && type == REG_SZ && lstrcmpW(command, value.command) == 0;
}

void LogRefusal(LONG error)
{
    LogAppendLine(g_app.logView, (START_WITH_WINDOWS_FAILED_TEXT + SystemErrorText(static_cast<DWORD>(error))).c_str());
}

}  // namespace

bool StartsWithWindows()
{
    RunValue value;
    HKEY opened = nullptr;
    if (!ThisProgramsValue(&value) || RegOpenKeyExA(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_QUERY_VALUE, &opened) != 0) {
        return false;
    }
    const UniqueKey key(opened);
    return Holds(key.get(), value);
}

void ToggleStartWithWindows()
{
    RunValue value;
    if (!ThisProgramsValue(&value)) {
        LogRefusal(ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    HKEY opened = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, RUN_KEY, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                                  &opened, nullptr);
    const UniqueKey key(opened);
    if (result == ERROR_SUCCESS) {
        const DWORD size = static_cast<DWORD>((lstrlenW(value.command) + 1) * sizeof(wchar_t));
        result = Holds(key.get(), value) ? RegDeleteValueW(key.get(), value.name)
                                         : RegSetValueExW(key.get(), value.name, 0, REG_SZ,
                                                          reinterpret_cast<const BYTE*>(value.command), size);
    }
    if (result != ERROR_SUCCESS) {
        LogRefusal(result);
    }
}
