#include "tests/link/LinkFixture.h"

namespace {

TEST_F(LinkTest, StandinTimesTheDiscoveryAndTheAttachThatAnswersIt)
{
    const double before = StandinClock();
    EXPECT_EQ(client.attachesSent(), 0);
    attach();
    ASSERT_TRUE(client.waitForAttachesSent(1, kWaitMs));
    EXPECT_EQ(client.attachesSent(), 1);
    EXPECT_GE(client.lastDiscoverMs(), before);
    EXPECT_GE(client.lastAttachReturnedMs(), client.lastDiscoverMs());
    // The link logged "Connected to Skype" before the attach send returned.
    EXPECT_GE(client.lastAttachReturnedMs(), receiver.texts().back().atMs);
    EXPECT_FALSE(client.waitForAttachesSent(2, 50));
}

TEST_F(LinkTest, StandinFindsTheFirstCommandWithAHeadFromAnIndexOn)
{
    attach();
    link.sendCommand("GET CALL 5 PARTNER_HANDLE");
    link.sendCommand("PING");
    link.sendCommand("GET CALL 6 PARTNER_HANDLE");
    ReceivedCommand found{};
    size_t index = 99;
    ASSERT_TRUE(client.waitForCommandStartingWith("GET CALL ", 1, kWaitMs, &found, &index));
    EXPECT_EQ(found.text, "GET CALL 6 PARTNER_HANDLE");
    EXPECT_EQ(index, 2u);
    EXPECT_LE(found.atMs, StandinClock());
    EXPECT_FALSE(client.waitForCommandStartingWith("SET ", 0, 50, &found));
}

TEST_F(LinkTest, StandinTimesABurstOfSynchronousSends)
{
    attach();
    const size_t before = receiver.count();
    const std::vector<std::string> texts{"USER a ONLINESTATUS ONLINE", "CHATMESSAGE 1 STATUS READ", "GROUP 1 X"};
    const double start = StandinClock();
    const double perText = client.timedBurst(client.appWindow(), texts, kWaitMs);
    const double elapsed = StandinClock() - start;
    EXPECT_GT(perText, 0.0);
    EXPECT_LE(perText * 3 / 1000.0, elapsed);
    // Each send returned only after the link had passed its text on.
    ASSERT_EQ(receiver.count(), before + texts.size());
    EXPECT_EQ(receiver.lines().back(), "GROUP 1 X");
    EXPECT_EQ(client.notifyWithin(client.appWindow(), "USERSTATUS ONLINE", kWaitMs), 1);
}

}  // namespace
