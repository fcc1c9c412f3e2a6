#ifndef RINGLOCK_SETTINGS_SETTINGSFORMAT_H
#define RINGLOCK_SETTINGS_SETTINGSFORMAT_H

#include <cstddef>
#include <string>
#include <vector>

#include "ui/TextLimits.h"

// The settings file's text, free of the platform: two option lines, then one
// contact per line, every line ending in CR LF.
//
// It is read as UTF-8 when it is valid UTF-8 (a byte-order mark skipped), as
// UTF-16 when it begins with the mark of either byte order, and otherwise as
// the ANSI code page, in which the program wrote it before it spoke UTF-8. It
// is always written as UTF-8 without a mark, so a file of ASCII alone keeps
// its bytes.

enum class SettingsEncoding { Utf8, CodePage };

struct SettingsData {
    int startVideo;  // atoi of the first non-empty line, saturating at the int range
    int quietMedia;  // the same for the second
    std::vector<std::string> contacts;  // UTF-8; with CodePage, the file's own bytes
    SettingsEncoding encoding = SettingsEncoding::Utf8;
};

// Reads `size` bytes; the text ends at the first NUL (in UTF-16, the first
// NUL character). Never reads past `size`.
SettingsData ParseSettingsText(const char* data, size_t size);
// Contacts in UTF-8. Each is written as at most its first ROW_TEXT_MAX_UNITS
// characters, counted as Windows counts them (a character beyond the Basic
// Multilingual Plane counts two) and never cut in half.
std::string FormatSettingsText(bool startVideo, bool quietMedia, const std::vector<std::string>& contacts);
// The file name in the first `length` characters of a path: where it begins,
// and where the "." before its extension is (`length` when it has none).
struct FileNameSpan {
    size_t start;
    size_t dot;
};
FileNameSpan FindFileName(const wchar_t* path, size_t length);
// Turns the executable's path in `path` (`length` characters, room for `size`
// with the NUL) into its settings file's: the extension replaced by "ini", or
// ".ini" appended when the file name has no "." or ends in ".ini". Returns the
// new length, or 0 when it does not fit. Wide, so that a folder of any name
// can be spelt.
size_t SettingsPathFor(wchar_t* path, size_t length, size_t size);
// The same for another file named after the executable: its extension (from
// the last "." of its file name, when there is one) replaced by `ending`.
size_t BesidePathFor(wchar_t* path, size_t length, size_t size, const wchar_t* ending);

#endif
