#include "settings/SettingsFormat.h"

#include <climits>
#include <cstring>

namespace {

constexpr size_t MAX_CONTACT_CHARS = 259;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The C library's isspace in the "C" locale, without its locale lookup.
bool IsAtoiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

// atoi, except that a value beyond the int range saturates instead of being
// undefined: only whether the value is zero matters to the callers.
int AtoiToken(const char* begin, const char* end)
{
    const char* p = begin;
    while (p < end && IsAtoiSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool IsIniIgnoringAsciiCase(const wchar_t* extension, size_t length)
{
    if (length != 3) {
        return false;
    }
    for (size_t i = 0; i < 3; ++i) {
        wchar_t c = extension[i];
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
        if (c != L"ini"[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

SettingsData ParseSettingsText(const char* data, size_t size)
{
    SettingsData result{0, 0, {}};
    if (data == nullptr) {
        return result;
    }
    const void* nul = std::memchr(data, '\0', size);
    const char* const end = nul != nullptr ? static_cast<const char*>(nul) : data + size;
    int tokenIndex = 0;
    const char* p = data;
    while (p < end) {
        while (p < end && IsLineEnd(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const char* const tokenBegin = p;
        while (p < end && !IsLineEnd(*p)) {
            ++p;
        }
        if (tokenIndex == 0) {
            result.startVideo = AtoiToken(tokenBegin, p);
        } else if (tokenIndex == 1) {
            result.quietMedia = AtoiToken(tokenBegin, p);
        } else {
            result.contacts.emplace_back(tokenBegin, p);
        }
        ++tokenIndex;
    }
    return result;
}

std::string FormatSettingsText(bool startVideo, bool quietMedia, const std::vector<std::string>& contacts)
{
    std::string text;
    text += startVideo ? "1\r\n" : "0\r\n";
    text += quietMedia ? "1\r\n" : "0\r\n";
    for (const std::string& contact : contacts) {
        text.append(contact, 0, MAX_CONTACT_CHARS);
        text += "\r\n";
    }
    return text;
}

size_t SettingsPathFor(wchar_t* path, size_t length, size_t size)
{
    size_t nameStart = 0;
    size_t dot = length;
    for (size_t i = 0; i < length; ++i) {
        if (path[i] == L'\\' || path[i] == L'/') {
            nameStart = i + 1;
        } else if (path[i] == L'.') {
            dot = i;
        }
    }
    // Without a "." in the file name itself, or when the executable's own
    // extension is "ini", the usual rule would name a file in another folder
    // or the executable itself.
    if (dot == length || dot < nameStart || IsIniIgnoringAsciiCase(path + dot + 1, length - dot - 1)) {
        dot = length;
    }
    const size_t newLength = dot + 4;
    if (newLength >= size) {
        return 0;
    }
    const wchar_t extension[] = L".ini";
    for (size_t i = 0; i <= 4; ++i) {
        path[dot + i] = extension[i];
    }
    return newLength;
}
