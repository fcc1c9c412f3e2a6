// How Ringlock.exe attaches to the client in each way the client may answer
// its discovery, seen in its log list view.
#include <string>
#include <vector>

#include "tests/e2e/E2eFixture.h"
#include "tools/standin/StandinClient.h"

namespace {

const char* const NOT_RUNNING = "Skype is not running, you need to start Skype";
const char* const SIGNED_IN = "Skype is now signed-in, and is avaliable";

TEST_F(E2eTest, PendingThenConnectedLogsTheWaitThenTheClientsState)
{
    Launch("0\r\n0\r\n", std::string("attach pending wait 300 connected\nuser echo123\n") + SERVE_TO_THE_END);
    ASSERT_TRUE(ring_.waitForLogLine("USERSTATUS ONLINE", START_TIMEOUT_MS));
    // Past the second in which a silent client would have been reported.
    const double discovered = client_.transcript().timeOf("<<");
    ASSERT_GE(discovered, 0.0);
    WaitUntil([&] { return StandinClock() > discovered + 1300.0; }, STEP_TIMEOUT_MS);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Waiting for Skype to Accept this App...",
                                               "  It may take up to 10sec for skype to notify you",
                                               "Connected to Skype", "CONNSTATUS ONLINE", "CURRENTUSERHANDLE echo123",
                                               "USERSTATUS ONLINE"}));
}

TEST_F(E2eTest, RefusedAccessIsLoggedAndCommandsGoNowhere)
{
    Launch("0\r\n0\r\n", std::string("attach refused\n") + SERVE_TO_THE_END);
    ASSERT_TRUE(ring_.waitForLogLine("Skype Denied this App Access", START_TIMEOUT_MS));
    SendByHand("GET USERSTATUS");
    Sleep(300);
    EXPECT_TRUE(client_.commands().empty());
    const std::vector<std::string> log = Log();
    EXPECT_EQ(log.front(), "Skype Denied this App Access");
    EXPECT_EQ(CountOf(log, "Connected to Skype"), 0u);
}

TEST_F(E2eTest, NotSignedInThenSignedInAttachesOnTheNewDiscovery)
{
    Launch("0\r\n0\r\n", std::string("attach unavailable\nattach connected\nawait 10000 discover\nwait 300\n"
                                     "announce available\nawait 10000 attached\n")
                             + SERVE_TO_THE_END);
    ASSERT_TRUE(ring_.waitForLogLine("USERSTATUS ONLINE", START_TIMEOUT_MS));
    EXPECT_TRUE(InOrder(Log(), {"Skype is not signed-in", SIGNED_IN, "Connected to Skype", "CONNSTATUS ONLINE",
                                "CURRENTUSERHANDLE standin.user", "USERSTATUS ONLINE"}));
    EXPECT_EQ(client_.transcript().texts("<<").size(), 2u);

    // Commands now reach the client, and its answer to an unknown one is logged.
    SendByHand("GET NOTHING");
    ASSERT_TRUE(client_.waitForCommand("GET NOTHING", STEP_TIMEOUT_MS));
    EXPECT_TRUE(ring_.waitForLogLine("ERROR 2 Unknown command", STEP_TIMEOUT_MS));
}

TEST_F(E2eTest, ClientStartedLateIsReportedMissingOnceThenAttaches)
{
    Launch("0\r\n0\r\n", std::string("attach none\nattach connected\nawait 10000 discover\nwait 1500\n"
                                     "announce available\nawait 10000 attached\n")
                             + SERVE_TO_THE_END);
    ASSERT_TRUE(ring_.waitForLogLine("USERSTATUS ONLINE", START_TIMEOUT_MS));
    const std::vector<std::string> log = Log();
    EXPECT_EQ(CountOf(log, NOT_RUNNING), 1u);
    EXPECT_TRUE(InOrder(log, {NOT_RUNNING, SIGNED_IN, "Connected to Skype", "CONNSTATUS ONLINE"}));
}

}  // namespace
