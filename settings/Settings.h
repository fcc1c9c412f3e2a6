#ifndef RINGLOCK_SETTINGS_SETTINGS_H
#define RINGLOCK_SETTINGS_SETTINGS_H

#include <windows.h>

#include <string>

// The longest path of the executable that the program works from, with its
// NUL. The files it keeps beside itself are named after it, with room for
// their endings and for the temporary file's suffix.
constexpr DWORD PROGRAM_PATH_SIZE = 1023;
constexpr size_t BESIDE_PATH_SIZE = PROGRAM_PATH_SIZE + 24;

struct FilePath {
    wchar_t text[BESIDE_PATH_SIZE];
};

// The executable's path, `length` characters; false when it cannot be had
// whole.
bool ProgramPath(FilePath& path, size_t& length);
// The settings file beside the executable; empty when the executable's path
// cannot be had whole.
FilePath SettingsPath();
// A path as the log shows it.
std::string DisplayPath(const FilePath& path);

// Programs that open a file briefly without sharing (virus scanners, the
// search indexer, backup and sync tools) usually let go within a second: a
// held file is tried LOCK_ATTEMPTS times, LOCK_RETRY_DELAY_MS apart, before
// the read or the save gives up.
constexpr int LOCK_ATTEMPTS = 10;
constexpr DWORD LOCK_RETRY_DELAY_MS = 100;
constexpr DWORD LOCK_WAIT_MS = (LOCK_ATTEMPTS - 1) * LOCK_RETRY_DELAY_MS;

enum class OnSaveFailure { ShowMessage, StaySilent };
// The message box a failed save shows: its caption, and its text when the
// file could not be written, or when it was not read and so not overwritten.
constexpr char SETTINGS_MESSAGE_CAPTION[] = "Error";
constexpr char WRITE_FAILED_TEXT[] = "Could not open config file for writing!";
constexpr char NOT_OVERWRITTEN_TEXT[] =
    "Could not read config file, so it was not overwritten!\r\n"
    "Close any program that has it open; the next save will try again.";
// The log's line about a save that failed: SAVE_FAILED_TEXT, the path, the
// reason in brackets.
constexpr char SAVE_FAILED_TEXT[] = "Could not write config file ";
// The log's line about a file that is there but could not be read at start:
// READ_FAILED_TEXT, the path, the reason in brackets, UNTIL_READ_TEXT.
constexpr char READ_FAILED_TEXT[] = "Could not read config file ";
constexpr char UNTIL_READ_TEXT[] = "; it will not be overwritten until it has been read";
// No settings file the program writes comes near this size (some 20,000
// contacts of the longest kind); a larger file is broken or hostile, and is
// refused rather than read into memory. The program never writes one.
constexpr size_t SETTINGS_FILE_MAX_BYTES = 16 * 1024 * 1024;
constexpr char TOO_LARGE_TEXT[] = "larger than a settings file can be";

// Both work on g_app's main dialog check boxes and contacts list view.
void LoadSettings();
void SaveSettings(OnSaveFailure onFailure = OnSaveFailure::ShowMessage);

#endif
