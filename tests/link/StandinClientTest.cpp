#include "tests/link/LinkFixture.h"

namespace {

using Lines = std::vector<std::string>;

Lines Replies(const std::string& command)
{
    return StandinReplies(command, [](const std::string& id, std::string& partner) {
        if (id == "17" || id == "2 4") {
            partner = "echo123";
            return true;
        }
        return false;
    });
}

TEST(StandinReplies, AnswerLikeTheClient)
{
    EXPECT_EQ(Replies("PING"), (Lines{"PONG"}));
    EXPECT_EQ(Replies("GET CALL 17 PARTNER_HANDLE"), (Lines{"CALL 17 PARTNER_HANDLE echo123"}));
    EXPECT_EQ(Replies("GET CALL 2 4 PARTNER_HANDLE"), (Lines{"CALL 2 4 PARTNER_HANDLE echo123"}));
    EXPECT_EQ(Replies("GET CALL 18 PARTNER_HANDLE"), (Lines{"ERROR 11 Invalid call id"}));
    EXPECT_EQ(Replies("SET CALL 17 STATUS INPROGRESS"),
              (Lines{"CALL 17 STATUS INPROGRESS", "CALL 17 VIDEO_SEND_STATUS AVAILABLE",
                     "CALL 17 VIDEO_STATUS VIDEO_BOTH_ENABLED"}));
    EXPECT_EQ(Replies("ALTER CALL 17 START_VIDEO_SEND"),
              (Lines{"ALTER CALL 17 START_VIDEO_SEND", "CALL 17 VIDEO_SEND_STATUS RUNNING"}));
    EXPECT_EQ(Replies("SET WINDOWSTATE MAXIMIZED"), (Lines{"WINDOWSTATE MAXIMIZED"}));
    for (const char* unknown : {"", "PINGX", "GET CALL  PARTNER_HANDLE", "SET CALL 17 STATUS FINISHED"}) {
        EXPECT_EQ(Replies(unknown), (Lines{"ERROR 2 Unknown command"})) << unknown;
    }
}

TEST_F(LinkTest, StandinKeepsTheScriptedDelaysBetweenAttachSteps)
{
    client.setAttachScript({{STANDIN_ATTACH_PENDING, 100}, {STANDIN_ATTACH_SUCCESS, 300}});
    const double started = StandinClock();
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(3, kWaitMs));
    const std::vector<LinkText> texts = receiver.texts();
    EXPECT_GE(texts[0].atMs - started, 95.0);
    EXPECT_GE(texts[2].atMs - texts[1].atMs, 290.0);
    EXPECT_EQ(texts[2].text, "Connected to Skype");
}

TEST_F(LinkTest, StandinRunsItsHookBeforeReplyingAndSendsLaterNotifications)
{
    attach();
    client.setReplyMode(ReplyMode::Synchronous);
    size_t linesAtHook = 99;
    client.setCommandHook([&](const ReceivedCommand& c) {
        if (c.text == "PING") {
            linesAtHook = receiver.count();
        }
    });
    link.sendCommand("PING");
    client.setCommandHook(nullptr);
    EXPECT_EQ(linesAtHook, 1u);
    EXPECT_EQ(receiver.lines().back(), "PONG");

    client.notifyLater("CALL 3 STATUS RINGING", 50);
    ASSERT_TRUE(receiver.waitForCount(3, kWaitMs));
    EXPECT_EQ(receiver.lines().back(), "CALL 3 STATUS RINGING");
}

}  // namespace

namespace {

// The stand-in's last notification travels through the link to this thread
// while this thread is stopping the stand-in.
TEST_F(LinkTest, StandinStopLetsANotificationToThisThreadThrough)
{
    attach();
    client.notifyLater("LATE", 0);
    const double before = StandinClock();
    client.stop();
    EXPECT_LT(StandinClock() - before, 4000.0);
    EXPECT_EQ(receiver.lines().back(), "LATE");
}

}  // namespace
