#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "answer/CallTexts.h"

namespace {

struct FormatCase { const char* format; std::string first; std::string second; bool fits; std::string text; };
const FormatCase kFormatCases[] = {
    {"<%s|%s>", "1 2", "", true, "<1 2|>"},
    {"%s", std::string(519, 'z'), "", true, std::string(519, 'z')},
    {"%s", std::string(520, 'z'), "", false, ""},
    {"%s!", std::string(519, 'z'), "", false, ""},
    {"%s%s", std::string(300, 'z'), std::string(300, 'y'), false, ""},
};

TEST(CallTexts, FormatCommandTextFitsOrIsLeftEmpty)
{
    for (const FormatCase& c : kFormatCases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.first.size() << "+" << c.second.size());
        char out[COMMAND_TEXT_SIZE];
        std::memset(out, 'x', sizeof(out));
        EXPECT_EQ(FormatCommandText(out, c.format, c.first.c_str(), c.second.c_str()), c.fits);
        EXPECT_EQ(std::string(out, std::find(out, out + sizeof(out), '\0')), c.text);
    }
}

const std::string kLongId(CALL_ID_SIZE - 1, 'i');
const std::string kFittingContact(COMMAND_TEXT_SIZE - 1 - kLongId.size() - std::strlen("CALL  PARTNER_HANDLE "), 'c');
const std::string kLongContact = kFittingContact + "c";

struct MatchCase { std::string message; std::string callId; const char* contact; bool matches; };  // null: video
const MatchCase kMatchCases[] = {
    {"CALL 502 VIDEO_SEND_STATUS AVAILABLE", "502", nullptr, true},
    {"CALL 503 VIDEO_SEND_STATUS AVAILABLE", "502", nullptr, false},
    {"CALL 502 VIDEO_SEND_STATUS NOT_AVAILABLE", "502", nullptr, false},
    {"CALL 502 VIDEO_SEND_STATUS AVAILABLE ", "502", nullptr, false},
    {"CALL 12 34 PARTNER_HANDLE +44 20 7946", "12 34", "+44 20 7946", true},
    {"CALL 502 PARTNER_HANDLE bob", "50", "bob", false},
    {"CALL 502 PARTNER_HANDLE bob", "502", "bob ", false},
    {"CALL 502 PARTNER_HANDLE bob ", "502", "bob", false},
    {"CALL 502 PARTNER_HANDLE ", "502", "", true},
    {"CALL 502 PARTNER_HANDLE", "502", "", false},
    {"CALL " + kLongId + " PARTNER_HANDLE " + kFittingContact, kLongId, kFittingContact.c_str(), true},
    {"CALL " + kLongId + " PARTNER_HANDLE " + kLongContact, kLongId, kLongContact.c_str(), false},
    {("CALL " + kLongId + " PARTNER_HANDLE " + kLongContact).substr(0, 519), kLongId, kLongContact.c_str(), false},
};

TEST(CallTexts, NotificationsMatchOnlyTheirWholeText)
{
    for (const MatchCase& c : kMatchCases) {
        SCOPED_TRACE(c.message.substr(0, 60) + " (" + std::to_string(c.message.size()) + " bytes)");
        if (c.contact == nullptr) {
            EXPECT_EQ(IsVideoAvailableFor(c.message.c_str(), c.callId.c_str()), c.matches);
        } else {
            EXPECT_EQ(IsPartnerOf(c.message.c_str(), c.callId.c_str(), c.contact), c.matches);
        }
    }
}

}  // namespace
