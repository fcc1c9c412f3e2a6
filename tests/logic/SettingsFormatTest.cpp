#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/SettingsFormat.h"

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

struct ParseCase { std::string text; int startVideo; int quietMedia; Lines contacts; };
const ParseCase kParseCases[] = {
    {"1\r\n0\r\nalice\r\nbob\r\n", 1, 0, {"alice", "bob"}},
    {"\r\n1\n\r\r\n0\ralice\r\n\r\n\nbob", 1, 0, {"alice", "bob"}},
    {"alice\r\nbob\r\ncarol\r\n", 0, 0, {"carol"}},
    {"2\r\n-1\r\n", 2, -1, {}},
    {"\t+7x\r\n -0042 \r\n", 7, -42, {}},
    {"- 1\r\n0x1\r\n", 0, 0, {}},
    {"99999999999999999999\r\n-99999999999999999999\r\n", INT_MAX, INT_MIN, {}},
    {"1\r\n1\r\n  alice \r\nalice\r\n\tb\fo\vb\r\n\xe9l\xe8ve\r\n", 1, 1,
     {"  alice ", "alice", "\tb\fo\vb", "\xe9l\xe8ve"}},
    {"1\r\n1\r\nalice\r\nb" + std::string(1, '\0') + "ob\r\ncarol\r\n", 1, 1, {"alice", "b"}},
    {"\r\n\n\r\r\r\n\n", 0, 0, {}},
    {"", 0, 0, {}},
};

TEST(SettingsFormat, ParsesTheText)
{
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const SettingsData data = ParseExact(c.text);
        EXPECT_EQ(data.startVideo, c.startVideo);
        EXPECT_EQ(data.quietMedia, c.quietMedia);
        EXPECT_EQ(data.contacts, c.contacts);
    }
}

struct FormatCase { bool startVideo; bool quietMedia; Lines contacts; std::string text; };
const FormatCase kFormatCases[] = {
    {false, false, {}, "0\r\n0\r\n"},
    {true, false, {" alice ", "", " alice "}, "1\r\n0\r\n alice \r\n\r\n alice \r\n"},
    {false, true, {"x"}, "0\r\n1\r\nx\r\n"},
    {false, false, {std::string(259, 'b'), std::string(41, 'x') + std::string(259, 'a')},
     "0\r\n0\r\n" + std::string(259, 'b') + "\r\n" + std::string(41, 'x') + std::string(218, 'a') + "\r\n"},
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
    {L"C:\\x\\tray.", L"C:\\x\\tray.ini"},
    {L"C:\\x\\.exe", L"C:\\x\\.ini"},
    {L"C:\\x\\tray", L"C:\\x\\tray.ini"},
    {L"C:\\my.tools\\tray", L"C:\\my.tools\\tray.ini"},
    {L"C:/my.tools/tray", L"C:/my.tools/tray.ini"},
    {L"C:\\x\\tray.ini", L"C:\\x\\tray.ini.ini"},
    {L"C:\\x\\TRAY.Ini", L"C:\\x\\TRAY.Ini.ini"},
    {L"tray.exe", L"tray.ini"},
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
