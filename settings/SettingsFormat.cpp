#include "settings/SettingsFormat.h"

#include <climits>
#include <cstring>

namespace {

constexpr char UTF8_MARK[] = "\xEF\xBB\xBF";
constexpr size_t UTF8_MARK_LENGTH = sizeof(UTF8_MARK) - 1;
constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

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

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// The length of the well-formed UTF-8 sequence that begins at `p`, or 0: no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
size_t SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = *p;
    size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    if (static_cast<size_t>(end - p) < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if (!IsContinuation(p[i])) {
            return 0;
        }
        value = (value << 6) | (p[i] & 0x3Fu);
    }
    return value < least || value > 0x10FFFF || IsSurrogate(value) ? 0 : length;
}

bool IsValidUtf8(const char* begin, const char* end)
{
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* const stop = reinterpret_cast<const unsigned char*>(end);
    while (p < stop) {
        const size_t length = SequenceLength(p, stop);
        if (length == 0) {
            return false;
        }
        p += length;
    }
    return true;
}

void AppendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool HasUtf16Mark(const unsigned char* bytes, size_t size, bool* bigEndian)
{
    if (size < 2 || !((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        return false;
    }
    *bigEndian = bytes[0] == 0xFE;
    return true;
}

// UTF-16 after its mark, up to its first NUL character, as UTF-8; a half
// surrogate pair becomes U+FFFD and an odd last byte is left out.
std::string Utf8FromUtf16(const unsigned char* bytes, size_t size, bool bigEndian)
{
    const auto unit = [&](size_t at) {
        return bigEndian ? static_cast<char32_t>(bytes[at] << 8 | bytes[at + 1])
                         : static_cast<char32_t>(bytes[at + 1] << 8 | bytes[at]);
    };
    std::string text;
    for (size_t at = 0; at + 1 < size; at += 2) {
        char32_t c = unit(at);
        if (c == 0) {
            break;
        }
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < size) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(text, IsSurrogate(c) ? REPLACEMENT_CHARACTER : c);
    }
    return text;
}

// How many bytes of a UTF-8 contact make its first ROW_TEXT_MAX_UNITS
// characters.
size_t ContactBytesToWrite(const std::string& contact)
{
    size_t units = 0;
    for (size_t i = 0; i < contact.size(); ++i) {
        const auto c = static_cast<unsigned char>(contact[i]);
        if (IsContinuation(c)) {
            continue;
        }
        units += c >= 0xF0 ? 2 : 1;
        if (units > static_cast<size_t>(ROW_TEXT_MAX_UNITS)) {
            return i;
        }
    }
    return contact.size();
}

void ReadLines(const char* const begin, const char* const end, SettingsData& result)
{
    int tokenIndex = 0;
    const char* p = begin;
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
}

}  // namespace

SettingsData ParseSettingsText(const char* data, size_t size)
{
    SettingsData result{0, 0, {}};
    if (data == nullptr) {
        return result;
    }
    const auto* const bytes = reinterpret_cast<const unsigned char*>(data);
    bool bigEndian = false;
    if (HasUtf16Mark(bytes, size, &bigEndian)) {
        const std::string text = Utf8FromUtf16(bytes + 2, size - 2, bigEndian);
        ReadLines(text.data(), text.data() + text.size(), result);
        return result;
    }
    const bool marked = size >= UTF8_MARK_LENGTH && std::memcmp(data, UTF8_MARK, UTF8_MARK_LENGTH) == 0;
    const char* const begin = marked ? data + UTF8_MARK_LENGTH : data;
    const void* nul = std::memchr(begin, '\0', static_cast<size_t>(data + size - begin));
    const char* const end = nul != nullptr ? static_cast<const char*>(nul) : data + size;
    if (!IsValidUtf8(begin, end)) {
        result.encoding = SettingsEncoding::CodePage;
    }
    ReadLines(begin, end, result);
    return result;
}

std::string FormatSettingsText(bool startVideo, bool quietMedia, const std::vector<std::string>& contacts)
{
    std::string text;
    text += startVideo ? "1\r\n" : "0\r\n";
    text += quietMedia ? "1\r\n" : "0\r\n";
    for (const std::string& contact : contacts) {
        text.append(contact, 0, ContactBytesToWrite(contact));
        text += "\r\n";
    }
    return text;
}

FileNameSpan FindFileName(const wchar_t* path, size_t length)
{
    FileNameSpan span{0, length};
    for (size_t i = 0; i < length; ++i) {
        if (path[i] == L'\\' || path[i] == L'/') {
            span = {i + 1, length};
        } else if (path[i] == L'.') {
            span.dot = i;
        }
    }
    return span;
}

namespace {

// Writes `ending` and its NUL from `at` on.
size_t EndPathAt(wchar_t* path, size_t at, size_t size, const wchar_t* ending)
{
    size_t length = 0;
    while (ending[length] != L'\0') {
        ++length;
    }
    if (at + length >= size) {
        return 0;
    }
    for (size_t i = 0; i <= length; ++i) {
        path[at + i] = ending[i];
    }
    return at + length;
}

}  // namespace

size_t SettingsPathFor(wchar_t* path, size_t length, size_t size)
{
    size_t dot = FindFileName(path, length).dot;
    // When the executable's own extension is "ini", the usual rule would name
    // the executable itself.
    if (dot != length && IsIniIgnoringAsciiCase(path + dot + 1, length - dot - 1)) {
        dot = length;
    }
    return EndPathAt(path, dot, size, L".ini");
}

size_t BesidePathFor(wchar_t* path, size_t length, size_t size, const wchar_t* ending)
{
    return EndPathAt(path, FindFileName(path, length).dot, size, ending);
}
