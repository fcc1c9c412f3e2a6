// Realistic background traffic and malformed input from outside: the log
// keeps exactly its last 100 lines, and calls are still answered after it.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/E2eFixture.h"
#include "tools/standin/Scenario.h"

namespace {

std::string BurstThenCall(uint32_t lines)
{
    return std::string(ATTACH_AT_ONCE) + "partner 501 alice\nawait 10000 attached\nburst " + std::to_string(lines)
           + "\nawait 60000 file go\nring 501\nawait 15000 command SET CALL 501 STATUS INPROGRESS\n"
           + SERVE_TO_THE_END;
}

std::vector<std::string> LastBackgroundLines(uint32_t total)
{
    std::vector<std::string> lines;
    for (uint32_t i = total - 100; i < total; ++i) {
        lines.push_back(BackgroundLine(i));
    }
    return lines;
}

class BurstTest : public E2eTest {
protected:
    // The client sends each line synchronously, so once it has sent the last
    // one Ringlock has logged them all.
    void AbsorbThenAnswer(uint32_t lines)
    {
        const std::string done = "burst of " + std::to_string(lines) + " done";
        ASSERT_TRUE(client_.transcript().waitFor("==", done, 90000));
        EXPECT_EQ(Log(), LastBackgroundLines(lines));

        HANDLE go = CreateFileA((ring_.folder() + "\\go").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(go, INVALID_HANDLE_VALUE);
        CloseHandle(go);
        ASSERT_TRUE(client_.waitForCommand("SET CALL 501 STATUS INPROGRESS", 2 * STEP_TIMEOUT_MS));
        EXPECT_EQ(client_.commands(),
                  (std::vector<std::string>{"GET CALL 501 PARTNER_HANDLE", "SET CALL 501 STATUS INPROGRESS"}));
        const double partner = client_.sentTime("CALL 501 PARTNER_HANDLE alice");
        const double answer = client_.commandTime("SET CALL 501 STATUS INPROGRESS");
        EXPECT_GE(answer - partner, ANSWER_DELAY_MS - TICK_MS);
        EXPECT_LT(answer - partner, ANSWER_DELAY_MS + LATE_MS);
    }
};

TEST_F(BurstTest, HiddenProgramAbsorbs2000LinesRightAfterAttachThenAnswers)
{
    Launch("0\r\n0\r\nalice\r\n", BurstThenCall(2000), "-m");
    AbsorbThenAnswer(2000);
}

TEST_F(BurstTest, ShownProgramAbsorbs200LinesRightAfterAttachThenAnswers)
{
    Launch("0\r\n0\r\nalice\r\n", BurstThenCall(200));
    AbsorbThenAnswer(200);
}

TEST_F(E2eTest, ForeignBlocksBlocksWithoutNulAndOverlongIdsLeaveItAnswering)
{
    const std::string longId(400, '7');
    Launch("0\r\n0\r\nalice\r\n",
           std::string(ATTACH_AT_ONCE)
               + "partner 601 alice\nawait 10000 attached\n"
                 "foreign CALL 600 STATUS RINGING\n"
                 "nonul USER friend.9 ONLINESTATUS AWAY\n"
                 "notify CALL " + longId + " STATUS RINGING\n"
                 "notify CALL " + longId + " PARTNER_HANDLE alice\n"
                 "ring 601\nawait 15000 command SET CALL 601 STATUS INPROGRESS\n"
               + SERVE_TO_THE_END);
    ASSERT_TRUE(client_.waitForCommand("SET CALL 601 STATUS INPROGRESS", 3 * STEP_TIMEOUT_MS));
    EXPECT_EQ(client_.commands(),
              (std::vector<std::string>{"GET CALL 601 PARTNER_HANDLE", "SET CALL 601 STATUS INPROGRESS"}));
    const std::vector<std::string> log = Log();
    EXPECT_EQ(CountOf(log, "CALL 600 STATUS RINGING"), 0u) << "a foreign block is not relayed";
    EXPECT_TRUE(InOrder(log, {"USER friend.9 ONLINESTATUS AWAY", "CALL " + longId + " STATUS RINGING",
                              "CALL " + longId + " PARTNER_HANDLE alice", "CALL 601 STATUS RINGING"}));
}

}  // namespace
