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
    std::unique_ptr<char[]> exact(new char[text.size() == 0 ? 1 : text.size()]);
    std::memcpy(exact.get(), text.data(), text.size());
    return ParseSettingsText(exact.get(), text.size());
}

// A string literal with every byte, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

struct ParseCase {
    const char* name;
    std::string text;
    int startVideo;
    int quietMedia;
    Lines contacts;
};

const ParseCase PARSE_CASES[] = {
    {"written by the program", "1\r\n0\r\nalice\r\nbob\r\n", 1, 0, {"alice", "bob"}},
    {"mixed CR, LF and CR LF with blank lines and no final end", "1\n\r\r\n0\ralice\r\nbob", 1, 0,
     {"alice", "bob"}},
    {"first line empty", "\r\n1\r\n1\r\ncarol\r\n", 1, 1, {"carol"}},
    {"blank lines between contacts vanish", "0\r\n0\r\n\r\nalice\r\n\r\n\r\nbob\r\n\n\n", 0, 0,
     {"alice", "bob"}},
    {"only names: the first two become options", "alice\r\nbob\r\ncarol\r\n", 0, 0, {"carol"}},
    {"option values 2 and -1", "2\r\n-1\r\n", 2, -1, {}},
    {"option values blank-one and yes", " 1\r\nyes\r\n", 1, 0, {}},
    {"atoi: sign, tab, trailing text", "\t+7x\r\n 0042 \r\n", 7, 42, {}},
    {"atoi: no digits after the sign, minus zero", "- 1\r\n-0\r\n", 0, 0, {}},
    {"atoi: hexadecimal is not read", "0x1\r\n1e3\r\n", 0, 1, {}},
    {"atoi: out of range saturates", "99999999999999999999\r\n-99999999999999999999\r\n", INT_MAX, INT_MIN, {}},
    {"blanks and duplicates are kept", "1\r\n1\r\n  alice \r\n\tbob\r\nalice\r\nalice\r\n", 1, 1,
     {"  alice ", "\tbob", "alice", "alice"}},
    {"other control and 8-bit characters belong to the contact", "0\r\n0\r\na\fb\vc\r\n\xe9l\xe8ve\r\n", 0, 0,
     {"a\fb\vc", "\xe9l\xe8ve"}},
    {"text ends at the first NUL", Bytes("1\r\n1\r\nalice\r\nb\0ob\r\ncarol\r\n"), 1, 1,
     {"alice", "b"}},
    {"NUL first", Bytes("\0" "1\r\n1\r\nalice\r\n"), 0, 0, {}},
    {"NUL inside an option", Bytes("1\0" "1\r\n1\r\nalice\r\n"), 1, 0, {}},
    {"no line ends at all", "1", 1, 0, {}},
    {"one name and no line end", "alice", 0, 0, {}},
    {"three lines, the last without end", "0\r\n1\r\nlast", 0, 1, {"last"}},
    {"only line ends", "\r\n\n\r\r\r\n\n", 0, 0, {}},
    {"empty", "", 0, 0, {}},
};

TEST(SettingsParse, Table)
{
    for (const ParseCase& c : PARSE_CASES) {
        SCOPED_TRACE(c.name);
        const SettingsData data = ParseExact(c.text);
        EXPECT_EQ(data.startVideo, c.startVideo);
        EXPECT_EQ(data.quietMedia, c.quietMedia);
        EXPECT_EQ(data.contacts, c.contacts);
    }
}

TEST(SettingsParse, NullDataIsEmpty)
{
    const SettingsData data = ParseSettingsText(nullptr, 0);
    EXPECT_EQ(data.startVideo, 0);
    EXPECT_EQ(data.quietMedia, 0);
    EXPECT_TRUE(data.contacts.empty());
}

TEST(SettingsParse, HugeLinesAreReadWhole)
{
    const std::string longName(100000, 'n');
    const std::string longNumber(50000, '9');
    const SettingsData data = ParseExact(longNumber + "\r\n" + std::string(70000, ' ') + "1\r\n" + longName);
    EXPECT_EQ(data.startVideo, INT_MAX);
    EXPECT_EQ(data.quietMedia, 1);
    ASSERT_EQ(data.contacts.size(), 1u);
    EXPECT_EQ(data.contacts[0], longName);
}

TEST(SettingsParse, ManyContactsAreAllRead)
{
    std::string text = "0\r\n0\r\n";
    for (int i = 0; i < 5000; ++i) {
        text += "contact" + std::to_string(i) + "\r\n";
    }
    const SettingsData data = ParseExact(text);
    ASSERT_EQ(data.contacts.size(), 5000u);
    EXPECT_EQ(data.contacts.front(), "contact0");
    EXPECT_EQ(data.contacts.back(), "contact4999");
}

struct FormatCase {
    const char* name;
    bool startVideo;
    bool quietMedia;
    Lines contacts;
    std::string text;
};

const FormatCase FORMAT_CASES[] = {
    {"no contacts: exactly the two option lines", false, false, {}, "0\r\n0\r\n"},
    {"options and contacts in order", true, false, {"alice", "bob"}, "1\r\n0\r\nalice\r\nbob\r\n"},
    {"second option alone", false, true, {"x"}, "0\r\n1\r\nx\r\n"},
    {"empty contact is CR LF alone", true, true, {"alice", "", "bob"}, "1\r\n1\r\nalice\r\n\r\nbob\r\n"},
    {"blanks and duplicates written as they are", false, false, {" a ", " a "}, "0\r\n0\r\n a \r\n a \r\n"},
    {"259 characters stay whole", false, false, {std::string(259, 'b')},
     "0\r\n0\r\n" + std::string(259, 'b') + "\r\n"},
    {"300 characters are cut to 259", false, false, {std::string(41, 'x') + std::string(259, 'a')},
     "0\r\n0\r\n" + std::string(41, 'x') + std::string(218, 'a') + "\r\n"},
};

TEST(SettingsFormat, Table)
{
    for (const FormatCase& c : FORMAT_CASES) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatSettingsText(c.startVideo, c.quietMedia, c.contacts), c.text);
    }
}

std::string Rewrite(const std::string& text)
{
    const SettingsData data = ParseExact(text);
    return FormatSettingsText(data.startVideo != 0, data.quietMedia != 0, data.contacts);
}

TEST(SettingsRoundTrip, QuirksSettleAfterOneLoadAndSave)
{
    EXPECT_EQ(Rewrite(""), "0\r\n0\r\n");
    EXPECT_EQ(Rewrite("1\n\r\r\n0\ralice\r\nbob"), "1\r\n0\r\nalice\r\nbob\r\n");
    EXPECT_EQ(Rewrite("alice\r\nbob\r\ncarol\r\n"), "0\r\n0\r\ncarol\r\n");
    EXPECT_EQ(Rewrite("2\r\n-1\r\n"), "1\r\n1\r\n");
    EXPECT_EQ(Rewrite(" 1\r\nyes\r\n"), "1\r\n0\r\n");
    EXPECT_EQ(Rewrite("0\r\n0\r\n" + std::string(300, 'c')), "0\r\n0\r\n" + std::string(259, 'c') + "\r\n");

    const std::string withEmpty = FormatSettingsText(true, false, {"alice", "", "bob"});
    EXPECT_EQ(ParseExact(withEmpty).contacts, (Lines{"alice", "bob"}));
    EXPECT_EQ(Rewrite(withEmpty), "1\r\n0\r\nalice\r\nbob\r\n");
}

struct PathCase {
    const char* exe;
    const char* settings;
};

const PathCase PATH_CASES[] = {
    {"D:\\Tools\\tray.exe", "D:\\Tools\\tray.ini"},
    {"C:\\x\\Ringlock.EXE", "C:\\x\\Ringlock.ini"},
    {"C:\\x\\tray.com", "C:\\x\\tray.ini"},
    {"C:\\x\\tray.tar.exe", "C:\\x\\tray.tar.ini"},
    {"C:\\x\\tray.ex", "C:\\x\\tray.ini"},
    {"C:\\x\\tray.inix", "C:\\x\\tray.ini"},
    {"C:\\x\\tray", "C:\\x\\tray.ini"},
    {"C:\\my.tools\\tray", "C:\\my.tools\\tray.ini"},
    {"C:/my.tools/tray", "C:/my.tools/tray.ini"},
    {"C:\\my.tools/sub\\tray", "C:\\my.tools/sub\\tray.ini"},
    {"C:\\x\\tray.", "C:\\x\\tray.ini"},
    {"C:\\x\\tray.ini", "C:\\x\\tray.ini.ini"},
    {"C:\\x\\TRAY.Ini", "C:\\x\\TRAY.Ini.ini"},
    {"tray.exe", "tray.ini"},
    {"tray", "tray.ini"},
};

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Folder(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

TEST(SettingsPathRule, Table)
{
    for (const PathCase& c : PATH_CASES) {
        SCOPED_TRACE(c.exe);
        const std::string path = SettingsPathFor(c.exe);
        EXPECT_EQ(path, c.settings);
        EXPECT_NE(Lower(path), Lower(c.exe)) << "the settings file would be the executable";
        EXPECT_EQ(Folder(path), Folder(c.exe)) << "the settings file would leave the executable's folder";
    }
}

}  // namespace
