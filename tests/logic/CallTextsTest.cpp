#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "answer/CallTexts.h"
#include "tests/Contract.h"

namespace {

// The longest identifier, and the longest contact that still fits beside it.
const std::string kLongId(contract::CALL_ID_SIZE - 1, 'i');
const std::string kFittingContact(contract::COMMAND_TEXT_SIZE - 1 - kLongId.size() - std::strlen("CALL  PARTNER_HANDLE "),
                                  'c');
const std::string kLongContact = kFittingContact + "c";

struct MatchCase { std::string message; std::string callId; const char* contact; bool matches; };  // null: video
const MatchCase kMatchCases[] = {
    {"CALL 502 VIDEO_SEND_STATUS AVAILABLE", "502", nullptr, true},
    {"CALL 502 VIDEO_SEND_STATUS NOT_AVAILABLE", "502", nullptr, false},
    {"CALL 502 VIDEO_SEND_STATUS AVAILABLE ", "502", nullptr, false},
    {"CALL 12 34 PARTNER_HANDLE +44 20 7946", "12 34", "+44 20 7946", true},
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
