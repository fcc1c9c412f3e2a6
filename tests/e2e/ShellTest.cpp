// Ringlock.exe's life as a tray program: started hidden, hidden and restored,
// one instance only, and the exit through the tray command.
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/E2eFixture.h"

namespace {

constexpr WPARAM IDM_RESTORE_COMMAND = 303;
constexpr WPARAM IDM_EXIT_COMMAND = 304;

BOOL CALLBACK CountDialogs(HWND window, LPARAM count)
{
    char className[32] = {};
    char title[64] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, "Skype Ringlock") == 0) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int RinglockDialogs()
{
    int count = 0;
    EnumWindows(CountDialogs, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(E2eTest, StartedHiddenItAnswersUnseenAndASecondStartShowsIt)
{
    Launch("0\r\n1\r\nalice\r\n",
           std::string(ATTACH_AT_ONCE)
               + "partner 401 alice\nawait 10000 attached\nring 401\n"
                 "await 15000 command SET CALL 401 STATUS INPROGRESS\n"
               + SERVE_TO_THE_END,
           "-m");
    bool everVisible = false;
    const bool answered = WaitUntil([&] {
        everVisible = everVisible || Visible();
        return client_.commandTime("SET CALL 401 STATUS INPROGRESS") >= 0.0;
    }, 3 * STEP_TIMEOUT_MS);
    ASSERT_TRUE(answered);
    EXPECT_FALSE(everVisible);
    EXPECT_EQ(ring_.contactLines(), (std::vector<std::string>{"alice"}));

    EXPECT_EQ(ring_.runSecondInstance("-m", STEP_TIMEOUT_MS), 0);
    EXPECT_TRUE(WaitUntil([&] { return Visible(); }, STEP_TIMEOUT_MS));
    EXPECT_EQ(RinglockDialogs(), 1);
    EXPECT_TRUE(ring_.running());
}

TEST_F(E2eTest, ClosedToTheTrayRestoredThenExitedThroughTheTrayCommand)
{
    Launch("0\r\n0\r\nalice\r\n", std::string(ATTACH_AT_ONCE) + SERVE_TO_THE_END);
    ASSERT_TRUE(ring_.waitForLogLine("USERSTATUS ONLINE", START_TIMEOUT_MS));
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, STEP_TIMEOUT_MS));

    SendMessageA(ring_.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(ring_.running());
    PostMessageA(ring_.dialog(), WM_COMMAND, IDM_RESTORE_COMMAND, 0);
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, STEP_TIMEOUT_MS));
    EXPECT_EQ(ring_.readSettings(), "0\r\n0\r\nalice\r\n") << "neither hiding nor restoring writes";

    SendMessageA(ring_.dialogItem(IDC_START_VIDEO), BM_CLICK, 0, 0);
    PostMessageA(ring_.dialog(), WM_COMMAND, IDM_EXIT_COMMAND, 0);
    EXPECT_EQ(ring_.waitForExit(STEP_TIMEOUT_MS), 0);
    EXPECT_EQ(ring_.readSettings(), "1\r\n0\r\nalice\r\n");
    const std::vector<std::string> commands = client_.commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "PING");
    EXPECT_EQ(client_.waitForExit(STEP_TIMEOUT_MS), 0) << "the client saw the program's window go";
}

}  // namespace
