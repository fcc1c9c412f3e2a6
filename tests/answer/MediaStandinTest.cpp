#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "tests/answer/AnswerFixture.h"

namespace {

class MediaStandinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Players().close(MediaPlayer::Wmp);
        Players().close(MediaPlayer::Wmc);
        ASSERT_TRUE(Players().sync());
        Players().clear();
    }
    void TearDown() override
    {
        Players().close(MediaPlayer::Wmp);
        Players().close(MediaPlayer::Wmc);
    }
};

TEST_F(MediaStandinTest, WindowsCarryThePlayersClassesAndTitles)
{
    EXPECT_EQ(FindWindowA("WMPlayerApp", "Windows Media Player"), nullptr);
    const HWND wmp = Players().open(MediaPlayer::Wmp);
    const HWND wmc = Players().open(MediaPlayer::Wmc, false);
    EXPECT_EQ(FindWindowA("WMPlayerApp", "Windows Media Player"), wmp);
    EXPECT_EQ(FindWindowA("eHome Render Window", "Windows Media Center"), wmc);
    EXPECT_EQ(GetParent(wmp), nullptr);
    EXPECT_TRUE(IsWindowVisible(wmp));
    EXPECT_FALSE(IsWindowVisible(wmc));
    EXPECT_NE(GetWindowThreadProcessId(wmp, nullptr), GetCurrentThreadId());

    Players().close(MediaPlayer::Wmp);
    EXPECT_FALSE(IsWindow(wmp));
    EXPECT_EQ(Players().window(MediaPlayer::Wmp), nullptr);
    EXPECT_EQ(FindWindowA("WMPlayerApp", "Windows Media Player"), nullptr);
}

TEST_F(MediaStandinTest, RecordsWithoutActingAndTellsPostedFromSent)
{
    const HWND wmp = Players().open(MediaPlayer::Wmp);
    const HWND wmc = Players().open(MediaPlayer::Wmc);
    SendMessageA(wmc, WM_APPCOMMAND, 0, 0x2F0000);
    PostMessageA(wmp, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PostMessageA(wmp, WM_PAINT, 0, 0);
    PostMessageA(wmc, WM_COMMAND, 0x14978, 7);
    ASSERT_TRUE(Players().sync());

    const std::vector<MediaMessage> got = Players().messages();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].player, MediaPlayer::Wmc);
    EXPECT_EQ(got[0].msg, static_cast<UINT>(WM_APPCOMMAND));
    EXPECT_FALSE(got[0].posted);
    EXPECT_EQ(got[1].player, MediaPlayer::Wmp);
    EXPECT_EQ(got[1].window, wmp);
    EXPECT_EQ(got[1].msg, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(SC_MINIMIZE));
    EXPECT_TRUE(got[1].posted);
    EXPECT_EQ(got[2].window, wmc);
    EXPECT_EQ(got[2].msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(got[2].lParam, 7);
    EXPECT_TRUE(got[2].posted);
    EXPECT_LE(got[1].atMs, got[2].atMs);

    EXPECT_FALSE(IsIconic(wmp));
    EXPECT_TRUE(IsWindowVisible(wmp));
}

}  // namespace
