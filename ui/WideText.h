#ifndef RINGLOCK_UI_WIDETEXT_H
#define RINGLOCK_UI_WIDETEXT_H

#include <windows.h>

#include <string>
#include <vector>

// The program keeps its texts as the client speaks them, in UTF-8; the
// controls hold UTF-16.

// Wide texts are vectors, NUL-terminated: std::wstring would add its whole
// library instantiation to the program.
using WideText = std::vector<wchar_t>;

// A text as UTF-16: read as UTF-8 when it is valid UTF-8, otherwise as bytes
// of the ANSI code page, so that nothing is dropped.
WideText WidenText(const std::string& text);
// Bytes of the ANSI code page as UTF-8.
std::string Utf8FromCodePage(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, size_t length);
// How much of a text cut after `length` units to keep: a character of two
// units whose second half was cut off is left out whole.
size_t WholeCharacters(const wchar_t* text, size_t length);
// Why a call of the system failed, for the log: in the system's words, which
// depend on its language, then by number.
std::string SystemErrorText(DWORD error);

#endif
