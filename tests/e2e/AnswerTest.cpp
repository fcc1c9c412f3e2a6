// Calls rung by the stand-in client and how Ringlock.exe answers them: its
// commands as the client received them, and what the media players received.
#include <string>
#include <vector>

#include "tests/e2e/E2eFixture.h"

namespace {

const std::vector<std::string> WMP_QUIETED = {"WM_SYSCOMMAND 0xf020 0x0 minimise", "WM_COMMAND 0x14978 0x0 pause",
                                              "WM_COMMAND 0x14981 0x0 mute"};
const std::vector<std::string> WMC_QUIETED = {"WM_SYSCOMMAND 0xf020 0x0 minimise",
                                              "WM_APPCOMMAND 0x0 0x2f0000 pause"};

void ExpectBetween(double from, double to, double delay, const char* what)
{
    ASSERT_GE(from, 0.0) << what;
    ASSERT_GE(to, 0.0) << what;
    EXPECT_GE(to - from, delay - TICK_MS) << what;
    EXPECT_LT(to - from, delay + LATE_MS) << what;
}

TEST_F(E2eTest, ListedContactIsAnsweredThenVideoAndMaximiseFollowAndBothPlayersAreQuieted)
{
    Launch("1\r\n1\r\nalice\r\n",
           std::string(ATTACH_AT_ONCE)
               + "partner 201 alice\nawait 10000 attached\nring 201 3 300\n"
                 "await 15000 command SET WINDOWSTATE MAXIMIZED\n"
               + SERVE_TO_THE_END,
           "", true);
    ASSERT_TRUE(client_.waitForCommand("SET WINDOWSTATE MAXIMIZED", 3 * STEP_TIMEOUT_MS));
    EXPECT_EQ(client_.commands(),
              (std::vector<std::string>{"GET CALL 201 PARTNER_HANDLE", "SET CALL 201 STATUS INPROGRESS",
                                        "ALTER CALL 201 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}))
        << "three ringing lines, one query";

    const double partner = client_.sentTime("CALL 201 PARTNER_HANDLE alice");
    const double answer = client_.commandTime("SET CALL 201 STATUS INPROGRESS");
    const double available = client_.sentTime("CALL 201 VIDEO_SEND_STATUS AVAILABLE");
    const double video = client_.commandTime("ALTER CALL 201 START_VIDEO_SEND");
    const double maximise = client_.commandTime("SET WINDOWSTATE MAXIMIZED");
    ExpectBetween(partner, answer, ANSWER_DELAY_MS, "answer");
    ExpectBetween(available, video, VIDEO_DELAY_MS, "video");
    ExpectBetween(video, maximise, MAXIMIZE_DELAY_MS, "maximise");

    // The mute (3 s after the decision) comes before the maximise (4.5 s).
    ASSERT_TRUE(WaitUntil([&] { return players_.messages("WMP").size() >= 3; }, STEP_TIMEOUT_MS));
    EXPECT_EQ(players_.messages("WMP"), WMP_QUIETED);
    EXPECT_EQ(players_.messages("WMC"), WMC_QUIETED);
    const TranscriptFile& media = players_.log();
    ExpectBetween(partner, media.timeOf("WMP", WMP_QUIETED[0]), 100.0, "WMP minimise");
    ExpectBetween(partner, media.timeOf("WMC", WMC_QUIETED[0]), 100.0, "WMC minimise");
    ExpectBetween(partner, media.timeOf("WMP", WMP_QUIETED[1]), 2000.0, "WMP pause");
    ExpectBetween(partner, media.timeOf("WMC", WMC_QUIETED[1]), 2000.0, "WMC pause");
    ExpectBetween(partner, media.timeOf("WMP", WMP_QUIETED[2]), 3000.0, "WMP mute");

    ASSERT_TRUE(ring_.waitForLogLine("WINDOWSTATE MAXIMIZED", STEP_TIMEOUT_MS));
    const std::vector<std::string> log = Log();
    EXPECT_TRUE(InOrder(log, {"CALL 201 CONF_ID 0", "CALL 201 STATUS RINGING", "CALL 201 PARTNER_HANDLE alice",
                              "CALL 201 STATUS INPROGRESS", "CALL 201 VIDEO_SEND_STATUS AVAILABLE",
                              "ALTER CALL 201 START_VIDEO_SEND", "CALL 201 VIDEO_SEND_STATUS RUNNING",
                              "WINDOWSTATE MAXIMIZED"}));
    EXPECT_EQ(CountOf(log, "GET CALL 201 PARTNER_HANDLE"), 0u) << "commands are not logged";
}

TEST_F(E2eTest, WithoutOptionsTheCallIsOnlyAnswered)
{
    Launch("0\r\n0\r\nalice\r\n",
           std::string(ATTACH_AT_ONCE)
               + "partner 202 alice\nawait 10000 attached\nring 202\n"
                 "await 15000 command SET CALL 202 STATUS INPROGRESS\nwait 2000\nmark quiet\n"
               + SERVE_TO_THE_END,
           "", true);
    ASSERT_TRUE(client_.transcript().waitFor("==", "quiet", 3 * STEP_TIMEOUT_MS));
    EXPECT_EQ(client_.commands(),
              (std::vector<std::string>{"GET CALL 202 PARTNER_HANDLE", "SET CALL 202 STATUS INPROGRESS"}));
    EXPECT_TRUE(players_.messages("WMP").empty());
    EXPECT_TRUE(players_.messages("WMC").empty());
}

TEST_F(E2eTest, ClientReplyingFromInsideEachCommandIsServedAlike)
{
    Launch("1\r\n0\r\nalice\r\n",
           "attach connected\nreplies sync\npartner 203 alice\nawait 10000 attached\nring 203\n"
           "await 15000 command SET WINDOWSTATE MAXIMIZED\n"
               + std::string(SERVE_TO_THE_END));
    ASSERT_TRUE(client_.waitForCommand("SET WINDOWSTATE MAXIMIZED", 3 * STEP_TIMEOUT_MS));
    EXPECT_EQ(client_.commands(),
              (std::vector<std::string>{"GET CALL 203 PARTNER_HANDLE", "SET CALL 203 STATUS INPROGRESS",
                                        "ALTER CALL 203 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}));
    ExpectBetween(client_.sentTime("CALL 203 PARTNER_HANDLE alice"),
                  client_.commandTime("SET CALL 203 STATUS INPROGRESS"), ANSWER_DELAY_MS, "answer");
    ASSERT_TRUE(ring_.waitForLogLine("WINDOWSTATE MAXIMIZED", STEP_TIMEOUT_MS));
    EXPECT_TRUE(InOrder(Log(), {"CALL 203 STATUS RINGING", "CALL 203 PARTNER_HANDLE alice",
                                "CALL 203 STATUS INPROGRESS", "CALL 203 VIDEO_SEND_STATUS AVAILABLE",
                                "ALTER CALL 203 START_VIDEO_SEND", "WINDOWSTATE MAXIMIZED"}));
}

TEST_F(E2eTest, StrangersRepeatsAndCallsDuringThePendingAnswer)
{
    Launch("0\r\n0\r\nalice\r\ncarol\r\n",
           std::string(ATTACH_AT_ONCE)
               + "partner 301 bob\npartner 302 alice\npartner 303 carol\npartner 304 alice\n"
                 "await 10000 attached\n"
                 "ring 301 2 200\n"
                 "wait 300\n"
                 "ring 302\n"
                 "await 5000 command GET CALL 302 PARTNER_HANDLE\n"
                 "wait 500\n"
                 "notify CALL 301 STATUS RINGING\n"
                 "ring 303\n"
                 "await 15000 command SET CALL 302 STATUS INPROGRESS\n"
                 "finish 302\nmiss 301\nmiss 303\n"
                 "ring 304 2 200\n"
                 "await 15000 command SET CALL 304 STATUS INPROGRESS\n"
               + SERVE_TO_THE_END);
    ASSERT_TRUE(client_.waitForCommand("SET CALL 304 STATUS INPROGRESS", 4 * STEP_TIMEOUT_MS));
    // bob is asked about once and never answered; carol rang only while
    // alice's answer was pending, so she was never even asked about.
    EXPECT_EQ(client_.commands(),
              (std::vector<std::string>{"GET CALL 301 PARTNER_HANDLE", "GET CALL 302 PARTNER_HANDLE",
                                        "SET CALL 302 STATUS INPROGRESS", "GET CALL 304 PARTNER_HANDLE",
                                        "SET CALL 304 STATUS INPROGRESS"}));
    ExpectBetween(client_.sentTime("CALL 302 PARTNER_HANDLE alice"),
                  client_.commandTime("SET CALL 302 STATUS INPROGRESS"), ANSWER_DELAY_MS, "first answer");
    ExpectBetween(client_.sentTime("CALL 304 PARTNER_HANDLE alice"),
                  client_.commandTime("SET CALL 304 STATUS INPROGRESS"), ANSWER_DELAY_MS, "second answer");
    EXPECT_EQ(CountOf(Log(), "CALL 303 STATUS RINGING"), 1u) << "ignored, yet logged";
}

}  // namespace
