#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "res/resource.h"
#include "tests/answer/AnswerFixture.h"

namespace {

class MediaTest : public AnswerTest {
protected:
    void SetUp() override
    {
        AnswerTest::SetUp();
        host_->setQuietMedia(BST_CHECKED);
    }

    // The answer decision for a listed caller of a new call.
    void Decide(const std::string& id) const
    {
        Notify("CALL " + id + " STATUS RINGING");
        Notify("CALL " + id + " PARTNER_HANDLE somebody");
        ASSERT_NE(g_callState.answerPending, 0);
    }

    // Checks that the timer runs, then does what its firing does.
    void Fire(UINT_PTR timer) const
    {
        ASSERT_TRUE(Armed(timer)) << "timer " << timer;
        switch (timer) {
        case TIMER_MEDIA_MINIMIZE: OnMediaMinimizeTimer(); break;
        case TIMER_MEDIA_PAUSE: OnMediaPauseTimer(); break;
        case TIMER_MEDIA_MUTE: OnMediaMuteTimer(); break;
        default: FAIL() << "not a media timer";
        }
    }

    void FireAllInOrder() const
    {
        Fire(TIMER_MEDIA_MINIMIZE);
        Fire(TIMER_MEDIA_PAUSE);
        Fire(TIMER_MEDIA_MUTE);
    }
};

TEST_F(MediaTest, BothPlayersGetTheExactMessagesInOrder)
{
    const HWND wmp = Players().open(MediaPlayer::Wmp);
    const HWND wmc = Players().open(MediaPlayer::Wmc);
    ASSERT_NE(wmp, nullptr);
    ASSERT_NE(wmc, nullptr);
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmpWindow, wmp);
    EXPECT_EQ(g_mediaTargets.wmcWindow, wmc);
    ExpectPosts({});

    FireAllInOrder();
    ExpectPosts({kMinimizeWmp, kMinimizeWmc, kPauseWmp, kPauseWmc, kMuteWmp});
    for (const MediaMessage& message : Players().messages()) {
        EXPECT_EQ(message.window, message.player == MediaPlayer::Wmp ? wmp : wmc);
    }
    EXPECT_FALSE(Armed(TIMER_MEDIA_MINIMIZE));
    EXPECT_FALSE(Armed(TIMER_MEDIA_PAUSE));
    EXPECT_FALSE(Armed(TIMER_MEDIA_MUTE));
}

TEST_F(MediaTest, OnlyWmpRunning)
{
    Players().open(MediaPlayer::Wmp);
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmcWindow, nullptr);
    FireAllInOrder();
    ExpectPosts({kMinimizeWmp, kPauseWmp, kMuteWmp});
}

TEST_F(MediaTest, OnlyWmcRunningGetsNothingOnTheMuteTimer)
{
    Players().open(MediaPlayer::Wmc);
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmpWindow, nullptr);
    Fire(TIMER_MEDIA_MINIMIZE);
    Fire(TIMER_MEDIA_PAUSE);
    ExpectPosts({kMinimizeWmc, kPauseWmc});
    Fire(TIMER_MEDIA_MUTE);
    ExpectPosts({kMinimizeWmc, kPauseWmc});
}

TEST_F(MediaTest, NoPlayerRunningStillRunsTheTimers)
{
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmpWindow, nullptr);
    EXPECT_EQ(g_mediaTargets.wmcWindow, nullptr);
    FireAllInOrder();
    ExpectPosts({});
}

TEST_F(MediaTest, HiddenPlayerIsFoundButGetsNothing)
{
    const HWND wmp = Players().open(MediaPlayer::Wmp, false);
    Players().open(MediaPlayer::Wmc);
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmpWindow, wmp);
    FireAllInOrder();
    ExpectPosts({kMinimizeWmc, kPauseWmc});
}

TEST_F(MediaTest, PlayerHiddenOrClosedAfterTheSearchGetsNothingFromThenOn)
{
    Players().open(MediaPlayer::Wmp);
    Players().open(MediaPlayer::Wmc);
    Decide("502");
    Fire(TIMER_MEDIA_MINIMIZE);
    ASSERT_TRUE(Players().sync());  // closing a window drops what is still queued for it
    Players().close(MediaPlayer::Wmc);
    Players().show(MediaPlayer::Wmp, SW_HIDE);
    Fire(TIMER_MEDIA_PAUSE);
    Players().show(MediaPlayer::Wmp, SW_SHOWNOACTIVATE);
    Fire(TIMER_MEDIA_MUTE);
    ExpectPosts({kMinimizeWmp, kMinimizeWmc, kMuteWmp});
}

TEST_F(MediaTest, MinimisedPlayerStillCountsAsVisible)
{
    Players().open(MediaPlayer::Wmp);
    Players().open(MediaPlayer::Wmc);
    Decide("502");
    Fire(TIMER_MEDIA_MINIMIZE);
    Players().show(MediaPlayer::Wmp, SW_MINIMIZE);
    Players().show(MediaPlayer::Wmc, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(Players().window(MediaPlayer::Wmp)));
    Fire(TIMER_MEDIA_PAUSE);
    Fire(TIMER_MEDIA_MUTE);
    ExpectPosts({kMinimizeWmp, kMinimizeWmc, kPauseWmp, kPauseWmc, kMuteWmp});
}

TEST_F(MediaTest, PlayerStartedAfterTheSearchGetsNothing)
{
    Decide("502");
    Players().open(MediaPlayer::Wmp);
    Players().open(MediaPlayer::Wmc);
    FireAllInOrder();
    ExpectPosts({});
}

TEST_F(MediaTest, BoxOffAtTheDecisionMeansNoSearchNoTimerNoPost)
{
    Players().open(MediaPlayer::Wmp);
    Players().open(MediaPlayer::Wmc);
    const HWND earlier = host_->dialog();
    g_mediaTargets = MediaTargets{earlier, earlier};
    host_->setQuietMedia(BST_UNCHECKED);
    Decide("502");
    EXPECT_EQ(g_mediaTargets.wmpWindow, earlier);
    EXPECT_EQ(g_mediaTargets.wmcWindow, earlier);
    EXPECT_FALSE(Armed(TIMER_MEDIA_MINIMIZE));
    EXPECT_FALSE(Armed(TIMER_MEDIA_PAUSE));
    EXPECT_FALSE(Armed(TIMER_MEDIA_MUTE));
    ExpectPosts({});
}

TEST_F(MediaTest, BoxIsReadOnceAtTheDecision)
{
    Players().open(MediaPlayer::Wmp);
    Decide("502");
    host_->setQuietMedia(BST_UNCHECKED);
    FireAllInOrder();
    ExpectPosts({kMinimizeWmp, kPauseWmp, kMuteWmp});
}

TEST_F(MediaTest, AnyNonzeroBoxStateQuietsThePlayers)
{
    Players().open(MediaPlayer::Wmp);
    SendDlgItemMessageA(host_->dialog(), IDC_QUIET_MEDIA, BM_SETSTYLE, BS_AUTO3STATE, FALSE);
    host_->setQuietMedia(BST_INDETERMINATE);
    ASSERT_EQ(IsDlgButtonChecked(host_->dialog(), IDC_QUIET_MEDIA), static_cast<UINT>(BST_INDETERMINATE));
    Decide("502");
    FireAllInOrder();
    ExpectPosts({kMinimizeWmp, kPauseWmp, kMuteWmp});
}

TEST_F(MediaTest, NoMediaStepWithoutAnAnswerDecision)
{
    Players().open(MediaPlayer::Wmp);
    Notify("CALL 502 STATUS RINGING");
    Notify("CALL 502 PARTNER_HANDLE nobody");
    EXPECT_FALSE(Armed(TIMER_MEDIA_MINIMIZE));
    EXPECT_EQ(g_mediaTargets.wmpWindow, nullptr);

    // Nor for a repeated partner reply of a call already answered.
    AnswerCall("503", "somebody");
    ASSERT_TRUE(Armed(TIMER_MEDIA_MINIMIZE));
    Players().close(MediaPlayer::Wmp);
    g_mediaTargets = MediaTargets{};
    Notify("CALL 503 PARTNER_HANDLE somebody");
    EXPECT_FALSE(Armed(TIMER_MEDIA_MINIMIZE));
}

}  // namespace
