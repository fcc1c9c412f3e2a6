#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/SettingsFormat.h"
#include "tests/Contract.h"
#include "tests/support/Utf16Bytes.h"

namespace {

using Lines = std::vector<std::string>;

// Parses exactly the bytes of `text` from a heap block of that size, so that a
// read past the end is caught by the address sanitizer.
SettingsData ParseExact(const std::string& text)
{
    std::unique_ptr<char[]> exact(new char[text.size() + (text.empty() ? 1 : 0)]);
    std::memcpy(exact.get(), text.data(), text.size());
    return ParseSettingsText(exact.get(), text.size());
}

constexpr SettingsEncoding UTF8 = SettingsEncoding::Utf8;
constexpr SettingsEncoding CODE_PAGE = SettingsEncoding::CodePage;
const std::string kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kLimit = contract::ROW_TEXT_MAX_UNITS;
// A contact at the limit: Cyrillic letters of two UTF-8 bytes each.
std::string LongCyrillic()
{
    std::string text;
    for (size_t i = 0; i < kLimit; ++i) {
        text += "\xD0\xB6";
    }
    return text;
}

struct ParseCase { std::string text; int startVideo; int quietMedia; Lines contacts; SettingsEncoding encoding; };
const ParseCase kParseCases[] = {
    {"\r\n1\n\r\r\n0\ralice\r\n\r\n\nbob", 1, 0, {"alice", "bob"}, UTF8},
    {"alice\r\nbob\r\ncarol\r\n", 0, 0, {"carol"}, UTF8},
    {"2\r\n-1\r\n", 2, -1, {}, UTF8},
    {"\t+7x\r\n -0042 \r\n", 7, -42, {}, UTF8},
    {"99999999999999999999\r\n-99999999999999999999\r\n", INT_MAX, INT_MIN, {}, UTF8},
    {"1\r\n1\r\n  alice \r\nalice\r\n\tb\fo\vb\r\n", 1, 1, {"  alice ", "alice", "\tb\fo\vb"}, UTF8},
    {"1\r\n1\r\nalice\r\nb" + std::string(1, '\0') + "ob\r\ncarol\r\n", 1, 1, {"alice", "b"}, UTF8},
    // UTF-8, with and without its mark; what follows a NUL is not looked at.
    {"1\r\n0\r\nJ\xC3\xB6rg\r\n\xF0\x9F\x98\x80\r\n", 1, 0, {"J\xC3\xB6rg", "\xF0\x9F\x98\x80"}, UTF8},
    {kUtf8Mark + "1\r\n1\r\nZo\xC3\xAB\r\n", 1, 1, {"Zo\xC3\xAB"}, UTF8},
    {"0\r\n0\r\nZo\xC3\xAB" + std::string(1, '\0') + "\xFF\r\n", 0, 0, {"Zo\xC3\xAB"}, UTF8},
    {"0\r\n0\r\n" + LongCyrillic() + "\r\n", 0, 0, {LongCyrillic()}, UTF8},
    // UTF-16 in either byte order, as far as its first NUL character; a half
    // surrogate pair is replaced, an odd last byte left out.
    {Utf16Bytes(u"1\r\n1\r\nZo\u00EB\r\n\U0001F600 x\r\n"), 1, 1, {"Zo\xC3\xAB", "\xF0\x9F\x98\x80 x"}, UTF8},
    {Utf16Bytes(u"1\r\n0\r\nZo\u00EB\r\n\U0001F600 x", true), 1, 0, {"Zo\xC3\xAB", "\xF0\x9F\x98\x80 x"}, UTF8},
    {Utf16Bytes(u"0\r\n1\r\nbob") + std::string(2, '\0') + Utf16Bytes(u"carol"), 0, 1, {"bob"}, UTF8},
    {Utf16Bytes(u"0\r\n1\r\na\xD800\r\n\xDC00" u"b\r\nc\xD83D", true), 0, 1,
     {"a\xEF\xBF\xBD", "\xEF\xBF\xBD" "b", "c\xEF\xBF\xBD"}, UTF8},
    {Utf16Bytes(u"1\r\n1\r\nbob") + "x", 1, 1, {"bob"}, UTF8},
    {"\xFF\xFE", 0, 0, {}, UTF8},
    // The code page's bytes, as the program wrote them before, and anything
    // else that is not UTF-8, a mark before it or not: taken as they are.
    {"1\r\n0\r\nJ\xF6rg\r\n\xe9l\xe8ve\r\nRen\xC3\xA9\r\n", 1, 0, {"J\xF6rg", "\xe9l\xe8ve", "Ren\xC3\xA9"}, CODE_PAGE},
    {kUtf8Mark + "1\r\n1\r\nJ\xF6rg\r\n", 1, 1, {"J\xF6rg"}, CODE_PAGE},
    {"0\r\n0\r\n\xC0\xAF\r\n", 0, 0, {"\xC0\xAF"}, CODE_PAGE},
    {"0\r\n0\r\n\xED\xA0\x80\r\n", 0, 0, {"\xED\xA0\x80"}, CODE_PAGE},
    {"0\r\n0\r\n\xE2\x82\r\n", 0, 0, {"\xE2\x82"}, CODE_PAGE},
    {"0\r\n0\r\n\x80\r\n", 0, 0, {"\x80"}, CODE_PAGE},
};

TEST(SettingsFormat, ParsesTheText)
{
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 80)));
        const SettingsData data = ParseExact(c.text);
        EXPECT_EQ(data.startVideo, c.startVideo);
        EXPECT_EQ(data.quietMedia, c.quietMedia);
        EXPECT_EQ(data.contacts, c.contacts);
        EXPECT_EQ(data.encoding, c.encoding);
    }
}

struct FormatCase { bool startVideo; bool quietMedia; Lines contacts; std::string text; };
const FormatCase kFormatCases[] = {
    {false, false, {}, "0\r\n0\r\n"},
    {true, false, {" alice ", "", " alice "}, "1\r\n0\r\n alice \r\n\r\n alice \r\n"},
    {false, true, {"x"}, "0\r\n1\r\nx\r\n"},
    {false, false, {std::string(kLimit, 'b'), std::string(41, 'x') + std::string(kLimit, 'a')},
     "0\r\n0\r\n" + std::string(kLimit, 'b') + "\r\n" + std::string(41, 'x') + std::string(kLimit - 41, 'a') + "\r\n"},
    // Characters, not bytes, count; one beyond the Basic Multilingual Plane
    // counts two and is never cut in half.
    {true, true, {LongCyrillic(), LongCyrillic() + "\xD0\xB6", "Zo\xC3\xAB"},
     "1\r\n1\r\n" + LongCyrillic() + "\r\n" + LongCyrillic() + "\r\nZo\xC3\xAB\r\n"},
    {false, false, {std::string(kLimit - 2, 'a') + "\xF0\x9F\x98\x80", std::string(kLimit - 1, 'a') + "\xF0\x9F\x98\x80"},
     "0\r\n0\r\n" + std::string(kLimit - 2, 'a') + "\xF0\x9F\x98\x80\r\n" + std::string(kLimit - 1, 'a') + "\r\n"},
};

TEST(SettingsFormat, FormatsTheText)
{
    for (const FormatCase& c : kFormatCases) {
        SCOPED_TRACE(testing::PrintToString(c.contacts));
        EXPECT_EQ(FormatSettingsText(c.startVideo, c.quietMedia, c.contacts), c.text);
    }
}

struct PathCase { const wchar_t* exe; const wchar_t* settings; };
const PathCase kPathCases[] = {
    {L"D:\\Tools\\tray.exe", L"D:\\Tools\\tray.ini"},
    {L"C:\\x\\Ringlock.EXE", L"C:\\x\\Ringlock.ini"},
    {L"C:\\x\\tray.tar.exe", L"C:\\x\\tray.tar.ini"},
    {L"C:\\x\\tray.inix", L"C:\\x\\tray.ini"},
    {L"C:\\x\\tray", L"C:\\x\\tray.ini"},
    {L"C:\\my.tools\\tray", L"C:\\my.tools\\tray.ini"},
    {L"C:\\x\\tray.ini", L"C:\\x\\tray.ini.ini"},
    {L"C:\\\u0417\u0432\u043e\u043d\u043e\u043a \u7535\u8bdd\\Ringlock.exe",
     L"C:\\\u0417\u0432\u043e\u043d\u043e\u043a \u7535\u8bdd\\Ringlock.ini"},
};

TEST(SettingsFormat, SettingsPathBesideTheExecutable)
{
    for (const PathCase& c : kPathCases) {
        std::wstring path(c.exe);
        const size_t length = path.size();
        path.resize(length + 4);
        path.resize(SettingsPathFor(&path[0], length, path.size() + 1));
        EXPECT_EQ(path, c.settings) << testing::PrintToString(std::wstring(c.exe));
    }
}

}  // namespace
