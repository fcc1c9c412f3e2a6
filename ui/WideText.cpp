#include "ui/WideText.h"

namespace {

// Just the NUL when `text` is not valid in `codePage` under `flags`.
WideText Widen(const std::string& text, UINT codePage, DWORD flags)
{
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    WideText wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    }
    return wide;
}

}  // namespace

WideText WidenText(const std::string& text)
{
    WideText wide = Widen(text, CP_UTF8, MB_ERR_INVALID_CHARS);
    return wide.size() == 1 && !text.empty() ? Widen(text, CP_ACP, 0) : wide;
}

std::string Utf8FromCodePage(const std::string& text)
{
    const WideText wide = Widen(text, CP_ACP, 0);
    return Utf8FromWide(wide.data(), wide.size() - 1);
}

std::string Utf8FromWide(const wchar_t* text, size_t length)
{
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, size, &utf8[0], bytes, nullptr, nullptr);
    }
    return utf8;
}

size_t WholeCharacters(const wchar_t* text, size_t length)
{
    return length > 0 && IS_HIGH_SURROGATE(text[length - 1]) ? length - 1 : length;
}

std::string SystemErrorText(DWORD error)
{
    wchar_t words[256] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, words,
                                  ARRAYSIZE(words), nullptr);
    while (length > 0 && (words[length - 1] == L'\r' || words[length - 1] == L'\n' || words[length - 1] == L' ')) {
        --length;
    }
    return Utf8FromWide(words, length) + (length > 0 ? " " : "") + "(error " + std::to_string(error) + ")";
}
