#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "res/resource.h"
#include "tests/answer/AnswerFixture.h"

namespace {

using Texts = std::vector<std::string>;

using RingingTest = AnswerTest;

TEST_F(RingingTest, NewRingingSendsOnePartnerQueryAndStartsNothing)
{
    Notify("CALL 502 STATUS RINGING");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});
    EXPECT_STREQ(g_callState.ringingCallId, "502");

    Notify("CALL 502 STATUS RINGING");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});

    Notify("CALL 502 STATUS INPROGRESS");
    Notify("USER somebody ONLINESTATUS ONLINE");
    Notify("CALL 502 PARTNER_HANDLE nobody");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_STREQ(g_callState.answeredCallId, "");
    for (UINT_PTR timer = TIMER_ANSWER; timer <= 20; ++timer) {
        EXPECT_FALSE(Armed(timer)) << timer;
    }
}

TEST_F(RingingTest, ShortestRecognisedNotificationHas21Bytes)
{
    Notify("CALL  STATUS RINGING");
    EXPECT_TRUE(Commands().empty());
    EXPECT_STREQ(g_callState.ringingCallId, "");

    Notify("CALL 7 STATUS RINGING");
    EXPECT_EQ(Commands(), Texts{"GET CALL 7 PARTNER_HANDLE"});
    EXPECT_STREQ(g_callState.ringingCallId, "7");
}

TEST_F(RingingTest, PrefixAndSuffixAreCaseSensitive)
{
    Notify("call 8 STATUS RINGING");
    Notify("CALL 8 status ringing");
    Notify("Call 8 Status Ringing");
    Notify("CALL 8 STATUS RINGING ");
    EXPECT_TRUE(Commands().empty());
    EXPECT_STREQ(g_callState.ringingCallId, "");
}

TEST_F(RingingTest, IdentifierWithBlanksIsKeptWhole)
{
    AnswerCall("12 34", "somebody");
    EXPECT_EQ(Commands(), (Texts{"GET CALL 12 34 PARTNER_HANDLE", "SET CALL 12 34 STATUS INPROGRESS"}));
    EXPECT_STREQ(g_callState.answeredCallId, "12 34");
}

TEST_F(RingingTest, OverLongIdentifierIsIgnoredEntirely)
{
    Notify("CALL 502 STATUS RINGING");
    const std::string tooLong(260, '7');
    Notify("CALL " + tooLong + " STATUS RINGING");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});
    EXPECT_STREQ(g_callState.ringingCallId, "502");
    EXPECT_STREQ(g_callState.answeredCallId, "");

    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_TRUE(Armed(TIMER_ANSWER));
    EXPECT_STREQ(g_callState.answeredCallId, "502");
}

// A message shaped as a ringing notification is always taken as one: when its
// identifier does not fit, it is dropped before the contact test too, as a
// shorter one would have replaced the ringing call before that test.
TEST_F(RingingTest, OverLongRingingShapeIsNotTakenAsAPartnerReply)
{
    const std::string oddHandle = std::string(244, 'h') + " STATUS RINGING";  // 259 bytes
    host_->setContacts({oddHandle});
    Notify("CALL 5 STATUS RINGING");
    const std::string reply = "CALL 5 PARTNER_HANDLE " + oddHandle;
    ASSERT_GT(reply.size() - 20, 259u);
    Notify(reply);
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_STREQ(g_callState.ringingCallId, "5");
    EXPECT_EQ(Commands(), Texts{"GET CALL 5 PARTNER_HANDLE"});
}

TEST_F(RingingTest, LongestIdentifierIsAnsweredWhenTheComparisonFits)
{
    const std::string id(259, '4');
    // "CALL " + identifier + " PARTNER_HANDLE " + contact: 280 bytes + the contact.
    const std::string tooLongContact(240, 'c');
    const std::string fittingContact(239, 'c');
    host_->setContacts({tooLongContact, fittingContact});

    Notify("CALL " + id + " STATUS RINGING");
    EXPECT_EQ(Commands(), Texts{"GET CALL " + id + " PARTNER_HANDLE"});
    EXPECT_EQ(std::string(g_callState.ringingCallId), id);

    Notify("CALL " + id + " PARTNER_HANDLE " + tooLongContact);
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_STREQ(g_callState.answeredCallId, "");

    Notify("CALL " + id + " PARTNER_HANDLE " + fittingContact);
    ASSERT_TRUE(Armed(TIMER_ANSWER));
    OnAnswerTimer();
    EXPECT_EQ(Commands().back(), "SET CALL " + id + " STATUS INPROGRESS");
    EXPECT_EQ(std::string(g_callState.answeredCallId), id);
    EXPECT_STREQ(g_callState.videoCallId, "");
}

using ContactTest = AnswerTest;

TEST_F(ContactTest, MatchArmsTheAnswerTimerAndTheTimerAnswers)
{
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_NE(g_callState.answerPending, 0);
    EXPECT_STREQ(g_callState.answeredCallId, "502");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});
    ASSERT_TRUE(Armed(TIMER_ANSWER));

    OnAnswerTimer();
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS"}));
    EXPECT_FALSE(Armed(TIMER_ANSWER));
}

TEST_F(ContactTest, HandleDifferingByCaseOrTrailingBlankDoesNotMatch)
{
    host_->setContacts({"Somebody", "other "});
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    Notify("CALL 502 PARTNER_HANDLE SOMEBODY");
    Notify("CALL 502 PARTNER_HANDLE Somebody ");
    Notify("CALL 502 PARTNER_HANDLE other");
    Notify("CALL 502 PARTNER_HANDLE Other ");
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    Notify("CALL 502 PARTNER_HANDLE other ");
    EXPECT_TRUE(Armed(TIMER_ANSWER));
    EXPECT_STREQ(g_callState.answeredCallId, "502");
}

TEST_F(ContactTest, ContactListedTwiceIsAnsweredOnce)
{
    host_->setContacts({"first", "somebody", "middle", "somebody"});
    AnswerCall("502", "somebody");
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    // A later partner reply for the same call, e.g. to a query typed by hand.
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS"}));
}

TEST_F(ContactTest, LaterRowsAreSearchedToo)
{
    std::vector<std::string> contacts;
    for (int i = 0; i < 150; ++i) {
        contacts.push_back("contact" + std::to_string(i));
    }
    host_->setContacts(contacts);
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE contact149");
    EXPECT_TRUE(Armed(TIMER_ANSWER));
}

TEST_F(ContactTest, OverLongRowIsComparedAsItReadsBack)
{
    const std::string longRow(300, 'r');
    host_->setContacts({longRow});
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE " + longRow);
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    Notify("CALL 502 PARTNER_HANDLE " + longRow.substr(0, 259));
    EXPECT_TRUE(Armed(TIMER_ANSWER));
}

TEST_F(ContactTest, EmptyRowMatchesOnlyAnEmptyHandle)
{
    host_->setContacts({"", "somebody"});
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE");
    Notify("CALL 502 PARTNER_HANDLE  ");
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    Notify("CALL 502 PARTNER_HANDLE ");
    EXPECT_TRUE(Armed(TIMER_ANSWER));
}

TEST_F(ContactTest, EmptyListOrNoListedCallerAnswersNothing)
{
    host_->setContacts({});
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    Notify("CALL 502 PARTNER_HANDLE ");
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    host_->setContacts({"someone", "body"});
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});

    // The rows are read at the moment of the decision.
    host_->setContacts({"someone", "somebody"});
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_TRUE(Armed(TIMER_ANSWER));
}

TEST_F(ContactTest, PartnerReplyBeforeAnyRingingIsIgnored)
{
    Notify("CALL 502 PARTNER_HANDLE somebody");
    Notify("CALL  PARTNER_HANDLE somebody");
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_TRUE(Commands().empty());
}

using CallSequenceTest = AnswerTest;

TEST_F(CallSequenceTest, EverythingIsIgnoredWhileTheAnswerIsPending)
{
    host_->setStartVideo(BST_CHECKED);
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    ASSERT_NE(g_callState.answerPending, 0);

    Notify("CALL 503 STATUS RINGING");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_EQ(Commands(), Texts{"GET CALL 502 PARTNER_HANDLE"});
    EXPECT_STREQ(g_callState.ringingCallId, "502");
    EXPECT_STREQ(g_callState.videoCallId, "");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));

    ASSERT_TRUE(Armed(TIMER_ANSWER));
    OnAnswerTimer();
    EXPECT_EQ(Commands().back(), "SET CALL 502 STATUS INPROGRESS");

    Notify("CALL 503 STATUS RINGING");
    EXPECT_EQ(Commands().back(), "GET CALL 503 PARTNER_HANDLE");
    EXPECT_STREQ(g_callState.ringingCallId, "503");
}

TEST_F(CallSequenceTest, OfTwoCallsInQuickSuccessionOnlyTheSecondIsAnswered)
{
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 503 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE somebody");
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    Notify("CALL 503 PARTNER_HANDLE somebody");
    ASSERT_TRUE(Armed(TIMER_ANSWER));
    OnAnswerTimer();
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "GET CALL 503 PARTNER_HANDLE",
                                 "SET CALL 503 STATUS INPROGRESS"}));
}

TEST_F(CallSequenceTest, RingingAgainAfterAnotherCallQueriesAgain)
{
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 503 STATUS RINGING");
    Notify("CALL 502 STATUS RINGING");
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "GET CALL 503 PARTNER_HANDLE",
                                 "GET CALL 502 PARTNER_HANDLE"}));
}

TEST_F(CallSequenceTest, ClearCallIdsEmptiesTheThreeIdentifiers)
{
    host_->setStartVideo(BST_CHECKED);
    AnswerCall("502", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    ASSERT_STREQ(g_callState.videoCallId, "502");

    ClearCallIds();
    EXPECT_STREQ(g_callState.ringingCallId, "");
    EXPECT_STREQ(g_callState.answeredCallId, "");
    EXPECT_STREQ(g_callState.videoCallId, "");
    Notify("CALL 502 STATUS RINGING");
    EXPECT_EQ(Commands().back(), "GET CALL 502 PARTNER_HANDLE");
}

using VideoTest = AnswerTest;

TEST_F(VideoTest, VideoStartsOncePerAnsweredCallAndOnlyWithTheBoxOn)
{
    AnswerCall("502", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));
    EXPECT_STREQ(g_callState.videoCallId, "");

    host_->setStartVideo(BST_CHECKED);
    Notify("CALL 503 VIDEO_SEND_STATUS AVAILABLE");
    Notify("CALL 502 VIDEO_SEND_STATUS NOT_AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));

    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_STREQ(g_callState.videoCallId, "502");
    ASSERT_TRUE(Armed(TIMER_START_VIDEO));
    OnStartVideoTimer();
    EXPECT_EQ(Commands().back(), "ALTER CALL 502 START_VIDEO_SEND");
    ASSERT_TRUE(Armed(TIMER_MAXIMIZE));
    OnMaximizeTimer();
    EXPECT_EQ(Commands().back(), "SET WINDOWSTATE MAXIMIZED");

    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS",
                                 "ALTER CALL 502 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}));
}

TEST_F(VideoTest, NoVideoForACallThatWasNotAnswered)
{
    host_->setStartVideo(BST_CHECKED);
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));

    AnswerCall("503", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));
    EXPECT_STREQ(g_callState.videoCallId, "");
}

TEST_F(VideoTest, TimersGoOnWhenTheBoxIsTurnedOffAfterwards)
{
    host_->setStartVideo(BST_CHECKED);
    AnswerCall("502", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    host_->setStartVideo(BST_UNCHECKED);
    ASSERT_TRUE(Armed(TIMER_START_VIDEO));
    OnStartVideoTimer();
    ASSERT_TRUE(Armed(TIMER_MAXIMIZE));
    OnMaximizeTimer();
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS",
                                 "ALTER CALL 502 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}));
}

TEST_F(VideoTest, LateVideoTimerNamesTheNewerCall)
{
    host_->setStartVideo(BST_CHECKED);
    AnswerCall("502", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    AnswerCall("503", "somebody");
    EXPECT_STREQ(g_callState.videoCallId, "502");

    ASSERT_TRUE(Armed(TIMER_START_VIDEO));
    OnStartVideoTimer();
    EXPECT_EQ(Commands().back(), "ALTER CALL 503 START_VIDEO_SEND");

    // The newer call still gets its own video start.
    Notify("CALL 503 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_TRUE(Armed(TIMER_START_VIDEO));
    EXPECT_STREQ(g_callState.videoCallId, "503");
}

TEST_F(VideoTest, StartVideoIsTestedForCheckedOnly)
{
    SendDlgItemMessageA(host_->dialog(), IDC_START_VIDEO, BM_SETSTYLE, BS_AUTO3STATE, FALSE);
    host_->setStartVideo(BST_INDETERMINATE);
    ASSERT_EQ(IsDlgButtonChecked(host_->dialog(), IDC_START_VIDEO), static_cast<UINT>(BST_INDETERMINATE));
    AnswerCall("502", "somebody");
    Notify("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    EXPECT_FALSE(Armed(TIMER_START_VIDEO));
    EXPECT_STREQ(g_callState.videoCallId, "");
}

using ReentryTest = AnswerTest;

// The client answers the partner query from inside the query's own send, and
// the answer command with the video line; both arrive while the engine sends.
TEST_F(ReentryTest, RepliesDeliveredDuringTheSendsStillAnswerAndStartVideo)
{
    host_->setStartVideo(BST_CHECKED);
    Client().setPartner("502", "somebody");
    Client().setReplyMode(ReplyMode::Synchronous);

    Notify("CALL 502 STATUS RINGING");
    EXPECT_EQ(host_->apiTexts(), (Texts{"CALL 502 STATUS RINGING", "CALL 502 PARTNER_HANDLE somebody"}));
    EXPECT_NE(g_callState.answerPending, 0);
    EXPECT_STREQ(g_callState.answeredCallId, "502");
    ASSERT_TRUE(Armed(TIMER_ANSWER));

    OnAnswerTimer();
    EXPECT_EQ(g_callState.answerPending, 0);
    EXPECT_STREQ(g_callState.videoCallId, "502");
    ASSERT_TRUE(Armed(TIMER_START_VIDEO));
    OnStartVideoTimer();
    ASSERT_TRUE(Armed(TIMER_MAXIMIZE));
    OnMaximizeTimer();
    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS",
                                 "ALTER CALL 502 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}));
}

}  // namespace
