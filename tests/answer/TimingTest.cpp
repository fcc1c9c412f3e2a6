#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "tests/answer/AnswerFixture.h"
#include "tests/support/Pump.h"

namespace {

using Texts = std::vector<std::string>;

// Real timers on a loaded machine: never early, and late by less than this,
// which is well below the gap between any two of the six delays.
constexpr double kLateMs = 400;

void ExpectDelay(double measuredMs, double delayMs, const char* what)
{
    EXPECT_GE(measuredMs, delayMs) << what << " came early";
    EXPECT_LT(measuredMs, delayMs + kLateMs) << what << " came late";
}

using TimingTest = AnswerTest;

// The worked call: a listed caller, both options on, both players running and
// a client that replies 50 ms after each command, as a real one does.
TEST_F(TimingTest, WorkedCallEndToEnd)
{
    host_->setStartVideo(BST_CHECKED);
    host_->setQuietMedia(BST_CHECKED);
    Players().open(MediaPlayer::Wmp);
    Players().open(MediaPlayer::Wmc);
    Client().setPartner("502", "somebody");
    Client().setReplyMode(ReplyMode::Deferred, 50);

    Notify("CALL 502 STATUS RINGING");
    ASSERT_TRUE(Client().waitForCommandCount(4, 10000));
    ASSERT_TRUE(Players().waitForMessageCount(5, 5000));
    PumpFor(300);

    EXPECT_EQ(Commands(), (Texts{"GET CALL 502 PARTNER_HANDLE", "SET CALL 502 STATUS INPROGRESS",
                                 "ALTER CALL 502 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}));
    ExpectPosts({kMinimizeWmp, kMinimizeWmc, kPauseWmp, kPauseWmc, kMuteWmp});
    EXPECT_EQ(host_->timersFired(), (std::vector<UINT_PTR>{TIMER_MEDIA_MINIMIZE, TIMER_MEDIA_PAUSE, TIMER_ANSWER,
                                                           TIMER_MEDIA_MUTE, TIMER_START_VIDEO, TIMER_MAXIMIZE}));

    const double t1 = host_->arrivedAt("CALL 502 PARTNER_HANDLE somebody");
    const double t2 = host_->arrivedAt("CALL 502 VIDEO_SEND_STATUS AVAILABLE");
    ASSERT_GE(t1, 0);
    ASSERT_GE(t2, 0);
    const std::vector<ReceivedCommand> commands = Client().commands();
    const std::vector<MediaMessage> posts = Players().messages();
    ASSERT_EQ(commands.size(), 4u);
    ASSERT_EQ(posts.size(), 5u);

    ExpectDelay(commands[1].atMs - t1, 2500, "the answer");
    ExpectDelay(commands[2].atMs - t2, 1000, "the video command");
    ExpectDelay(commands[3].atMs - commands[2].atMs, 1000, "the maximise command");
    ExpectDelay(posts[0].atMs - t1, 100, "the minimise of WMP");
    ExpectDelay(posts[1].atMs - t1, 100, "the minimise of WMC");
    ExpectDelay(posts[2].atMs - t1, 2000, "the pause of WMP");
    ExpectDelay(posts[3].atMs - t1, 2000, "the pause of WMC");
    ExpectDelay(posts[4].atMs - t1, 3000, "the mute of WMP");
    EXPECT_LT(posts[3].atMs, commands[1].atMs) << "the players are paused before the answer";
    EXPECT_GT(posts[4].atMs, commands[1].atMs) << "and muted after it";
}

// A later answer decision starts every media timer over with its full delay.
TEST_F(TimingTest, MediaTimersStartOverOnALaterAnswer)
{
    host_->setQuietMedia(BST_CHECKED);
    Players().open(MediaPlayer::Wmp);
    AnswerCall("502", "somebody");
    ASSERT_TRUE(Players().waitForMessageCount(1, 2000));
    PumpFor(900);

    Notify("CALL 503 STATUS RINGING");
    Notify("CALL 503 PARTNER_HANDLE somebody");
    const double second = host_->arrivedAt("CALL 503 PARTNER_HANDLE somebody");
    ASSERT_TRUE(Armed(TIMER_ANSWER));
    OnAnswerTimer();
    ASSERT_TRUE(Players().waitForMessageCount(4, 5000));
    PumpFor(300);

    ExpectPosts({kMinimizeWmp, kMinimizeWmp, kPauseWmp, kMuteWmp});
    const std::vector<MediaMessage> posts = Players().messages();
    ASSERT_EQ(posts.size(), 4u);
    ExpectDelay(posts[1].atMs - second, 100, "the second minimise");
    ExpectDelay(posts[2].atMs - second, 2000, "the pause");
    ExpectDelay(posts[3].atMs - second, 3000, "the mute");
}

}  // namespace
