#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "answer/CallTexts.h"

namespace {

std::string Extract(const std::string& message, bool* found)
{
    char id[CALL_ID_SIZE];
    std::memset(id, 'x', sizeof(id));
    *found = ExtractRingingCallId(message.c_str(), id);
    if (!*found) {
        return std::string();
    }
    for (size_t i = std::strlen(id); i < sizeof(id); ++i) {
        EXPECT_EQ(id[i], '\0') << "identifier buffer not zero-filled at " << i;
    }
    return id;
}

TEST(RingingNotification, ShortestHasOneByteIdentifier)
{
    const std::string shortest = "CALL 7 STATUS RINGING";
    ASSERT_EQ(shortest.size(), 21u);
    bool found = false;
    EXPECT_EQ(Extract(shortest, &found), "7");
    EXPECT_TRUE(found);

    const std::string bare = "CALL  STATUS RINGING";
    ASSERT_EQ(bare.size(), 20u);
    EXPECT_FALSE(IsRingingNotification(bare.c_str()));
    Extract(bare, &found);
    EXPECT_FALSE(found);

    EXPECT_FALSE(IsRingingNotification("CALL STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification(""));
}

TEST(RingingNotification, PrefixAndSuffixAreExactAndCaseSensitive)
{
    EXPECT_TRUE(IsRingingNotification("CALL 502 STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification("call 502 STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification("Call 502 STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification("CALL 502 status ringing"));
    EXPECT_FALSE(IsRingingNotification("CALL 502 STATUS RINGINg"));
    EXPECT_FALSE(IsRingingNotification("CALL 502STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification("CALL502 STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification(" CALL 502 STATUS RINGING"));
    EXPECT_FALSE(IsRingingNotification("CALL 502 STATUS RINGING "));
    EXPECT_FALSE(IsRingingNotification("CALL 502 STATUS INPROGRESS"));
    EXPECT_FALSE(IsRingingNotification("#1 CALL 502 STATUS RINGING"));
}

TEST(RingingNotification, IdentifierIsTheWholeMiddleBlanksIncluded)
{
    bool found = false;
    EXPECT_EQ(Extract("CALL 12 34 STATUS RINGING", &found), "12 34");
    EXPECT_TRUE(found);
    EXPECT_EQ(Extract("CALL   STATUS RINGING", &found), " ");
    EXPECT_TRUE(found);
    EXPECT_EQ(Extract("CALL 5 STATUS RINGING STATUS RINGING", &found), "5 STATUS RINGING");
    EXPECT_TRUE(found);
    EXPECT_EQ(Extract("CALL CALL 9 STATUS RINGING", &found), "CALL 9");
    EXPECT_TRUE(found);
}

TEST(RingingNotification, IdentifierOfMoreThan259BytesIsRefused)
{
    bool found = false;
    const std::string longest(259, 'a');
    EXPECT_EQ(Extract("CALL " + longest + " STATUS RINGING", &found), longest);
    EXPECT_TRUE(found);

    const std::string tooLong(260, 'a');
    const std::string message = "CALL " + tooLong + " STATUS RINGING";
    EXPECT_TRUE(IsRingingNotification(message.c_str()));
    char id[CALL_ID_SIZE] = "untouched";
    EXPECT_FALSE(ExtractRingingCallId(message.c_str(), id));
    EXPECT_STREQ(id, "untouched");
    EXPECT_FALSE(ExtractRingingCallId(("CALL " + std::string(5000, 'b') + " STATUS RINGING").c_str(), id));
}

TEST(CommandText, FormatsAreByteExact)
{
    char out[COMMAND_TEXT_SIZE];
    ASSERT_TRUE(FormatCommandText(out, GET_PARTNER_FORMAT, "502"));
    EXPECT_STREQ(out, "GET CALL 502 PARTNER_HANDLE");
    ASSERT_TRUE(FormatCommandText(out, ANSWER_FORMAT, "502"));
    EXPECT_STREQ(out, "SET CALL 502 STATUS INPROGRESS");
    ASSERT_TRUE(FormatCommandText(out, START_VIDEO_FORMAT, "502"));
    EXPECT_STREQ(out, "ALTER CALL 502 START_VIDEO_SEND");
    EXPECT_STREQ(MAXIMIZE_COMMAND, "SET WINDOWSTATE MAXIMIZED");
    ASSERT_TRUE(FormatCommandText(out, VIDEO_AVAILABLE_FORMAT, "502"));
    EXPECT_STREQ(out, "CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    ASSERT_TRUE(FormatCommandText(out, PARTNER_FORMAT, "502", "somebody"));
    EXPECT_STREQ(out, "CALL 502 PARTNER_HANDLE somebody");
}

TEST(CommandText, TextThatWouldNotFitIsRefusedAndLeftEmpty)
{
    char out[COMMAND_TEXT_SIZE];
    const std::string fits(519, 'z');
    ASSERT_TRUE(FormatCommandText(out, "%s", fits.c_str()));
    EXPECT_EQ(std::string(out), fits);

    EXPECT_FALSE(FormatCommandText(out, "%s", std::string(520, 'z').c_str()));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(FormatCommandText(out, "%s%s", std::string(300, 'z').c_str(), std::string(300, 'y').c_str()));
    EXPECT_STREQ(out, "");
}

TEST(CommandText, CommandsForTheLongestIdentifierFit)
{
    const std::string id(259, '9');
    char out[COMMAND_TEXT_SIZE];
    EXPECT_TRUE(FormatCommandText(out, GET_PARTNER_FORMAT, id.c_str()));
    EXPECT_TRUE(FormatCommandText(out, ANSWER_FORMAT, id.c_str()));
    EXPECT_TRUE(FormatCommandText(out, START_VIDEO_FORMAT, id.c_str()));
    EXPECT_TRUE(IsVideoAvailableFor(("CALL " + id + " VIDEO_SEND_STATUS AVAILABLE").c_str(), id.c_str()));
}

TEST(PartnerNotification, MatchesOnlyTheExactContact)
{
    EXPECT_TRUE(IsPartnerOf("CALL 502 PARTNER_HANDLE somebody", "502", "somebody"));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE Somebody", "502", "somebody"));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE somebody", "502", "somebody "));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE somebody ", "502", "somebody"));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE somebody", "50", "somebody"));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE somebody", "5022", "somebody"));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE some", "502", "somebody"));
    EXPECT_TRUE(IsPartnerOf("CALL 12 34 PARTNER_HANDLE +44 20 7946 0000", "12 34", "+44 20 7946 0000"));
}

TEST(PartnerNotification, EmptyContactMatchesOnlyAnEmptyHandle)
{
    EXPECT_TRUE(IsPartnerOf("CALL 502 PARTNER_HANDLE ", "502", ""));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE", "502", ""));
    EXPECT_FALSE(IsPartnerOf("CALL 502 PARTNER_HANDLE x", "502", ""));
}

TEST(PartnerNotification, ComparisonTextThatWouldNotFitNeverMatches)
{
    const std::string id(259, 'i');
    const std::string fittingContact(519 - 21 - 259, 'c');
    const std::string fitting = "CALL " + id + " PARTNER_HANDLE " + fittingContact;
    ASSERT_EQ(fitting.size(), 519u);
    EXPECT_TRUE(IsPartnerOf(fitting.c_str(), id.c_str(), fittingContact.c_str()));

    const std::string longContact(259, 'c');
    const std::string whole = "CALL " + id + " PARTNER_HANDLE " + longContact;
    EXPECT_FALSE(IsPartnerOf(whole.c_str(), id.c_str(), longContact.c_str()));
    EXPECT_FALSE(IsPartnerOf(whole.substr(0, 519).c_str(), id.c_str(), longContact.c_str()));
    EXPECT_FALSE(IsPartnerOf("", id.c_str(), longContact.c_str()));
}

TEST(VideoNotification, MatchesOnlyTheGivenCall)
{
    EXPECT_TRUE(IsVideoAvailableFor("CALL 502 VIDEO_SEND_STATUS AVAILABLE", "502"));
    EXPECT_FALSE(IsVideoAvailableFor("CALL 503 VIDEO_SEND_STATUS AVAILABLE", "502"));
    EXPECT_FALSE(IsVideoAvailableFor("CALL 502 VIDEO_SEND_STATUS NOT_AVAILABLE", "502"));
    EXPECT_FALSE(IsVideoAvailableFor("CALL 502 VIDEO_RECEIVE_STATUS AVAILABLE", "502"));
    EXPECT_FALSE(IsVideoAvailableFor("CALL 502 VIDEO_SEND_STATUS AVAILABLE ", "502"));
    EXPECT_FALSE(IsVideoAvailableFor("call 502 video_send_status available", "502"));
}

}  // namespace
