#ifndef RINGLOCK_TESTS_SUPPORT_UTF16BYTES_H
#define RINGLOCK_TESTS_SUPPORT_UTF16BYTES_H

#include <string>

// `text` as a file saved in UTF-16 holds it: its byte-order mark, then each
// unit in the byte order asked for (little-endian is Notepad's "Unicode").
inline std::string Utf16Bytes(const std::u16string& text, bool bigEndian = false)
{
    std::string bytes;
    for (const char16_t unit : u"\uFEFF" + text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

#endif
