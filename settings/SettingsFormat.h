#ifndef RINGLOCK_SETTINGS_SETTINGSFORMAT_H
#define RINGLOCK_SETTINGS_SETTINGSFORMAT_H

#include <cstddef>
#include <string>
#include <vector>

// The settings file's text, free of the platform: two option lines, then one
// contact per line, every line ending in CR LF.

struct SettingsData {
    int startVideo;  // atoi of the first non-empty line, saturating at the int range
    int quietMedia;  // the same for the second
    std::vector<std::string> contacts;
};

// Reads `size` bytes; the text ends at the first NUL. Never reads past `size`.
SettingsData ParseSettingsText(const char* data, size_t size);
// Each contact is written as at most its first 259 characters.
std::string FormatSettingsText(bool startVideo, bool quietMedia, const std::vector<std::string>& contacts);
// Turns the executable's path in `path` (`length` characters, room for `size`
// with the NUL) into its settings file's: the extension replaced by "ini", or
// ".ini" appended when the file name has no "." or ends in ".ini". Returns the
// new length, or 0 when it does not fit. Wide, so that a folder of any name
// can be spelt.
size_t SettingsPathFor(wchar_t* path, size_t length, size_t size);

#endif
