#include "tests/link/LinkFixture.h"

namespace {

const char* const kConnected = "Connected to Skype";
const char* const kWaiting = "Waiting for Skype to Accept this App...";
const char* const kWaitingMore = "  It may take up to 10sec for skype to notify you";
const char* const kNotRunning = "Skype is not running, you need to start Skype";
const char* const kAvailable = "Skype is now signed-in, and is avaliable";

using Lines = std::vector<std::string>;

TEST_F(LinkTest, RegistersBothApiMessagesBeforeStartReturns)
{
    EXPECT_EQ(link.m_discoverMsg, RegisterWindowMessageA("SkypeControlAPIDiscover"));
    EXPECT_EQ(link.m_attachMsg, RegisterWindowMessageA("SkypeControlAPIAttach"));
    EXPECT_NE(link.m_discoverMsg, link.m_attachMsg);
    EXPECT_GE(link.m_discoverMsg, 0xC000u);
}

TEST_F(LinkTest, AnswersDiscoverBroadcastsWithOneAndNoLine)
{
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(client.waitForDiscoverCount(1, kWaitMs));
    EXPECT_EQ(client.appWindow(), link.m_hWnd);
    EXPECT_EQ(SendMessageA(link.m_hWnd, link.m_discoverMsg, reinterpret_cast<WPARAM>(link.m_hWnd), 0), 1);
    EXPECT_EQ(SendMessageA(link.m_hWnd, link.m_discoverMsg, reinterpret_cast<WPARAM>(receiver.hwnd()), 0), 1);
    PumpFor(100);
    EXPECT_EQ(receiver.count(), 0u);
}

TEST_F(LinkTest, PendingThenConnectedWithinTheSecondAndNoNotRunningLine)
{
    client.setAttachScript({{STANDIN_ATTACH_PENDING, 0}, {STANDIN_ATTACH_SUCCESS, 300}});
    const double started = StandinClock();
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(3, kWaitMs));
    EXPECT_EQ(receiver.lines(), (Lines{kWaiting, kWaitingMore, kConnected}));
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_STATUS).size(), 3u);
    EXPECT_EQ(link.m_hSkypeWnd.load(), client.apiWindow());

    PumpUntil([&] { return StandinClock() > started + 1800; }, 3000);
    EXPECT_EQ(receiver.count(), 3u);
    EXPECT_FALSE(discoverTimerArmed());
}

TEST_F(LinkTest, ConnectedFirstIsNeverFollowedByNotRunning)
{
    const double started = StandinClock();
    attach();
    EXPECT_FALSE(discoverTimerArmed());
    // A timer message already queued when the timer stopped must not report either.
    SendMessageA(link.m_hWnd, WM_TIMER, TIMER_DISCOVER, 0);
    PumpUntil([&] { return StandinClock() > started + 1800; }, 3000);
    EXPECT_EQ(receiver.lines(), (Lines{kConnected}));
}

TEST_F(LinkTest, NothingAnswersGivesExactlyOneNotRunningLineAndALaterAttachStillWorks)
{
    const double started = StandinClock();
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(1, kWaitMs));
    const LinkText line = receiver.texts().front();
    EXPECT_EQ(line.text, kNotRunning);
    EXPECT_EQ(line.kind, LINK_TEXT_STATUS);
    EXPECT_GE(line.atMs - started, 950.0);
    EXPECT_FALSE(discoverTimerArmed());
    PumpFor(1500);
    EXPECT_EQ(receiver.count(), 1u);
    EXPECT_EQ(client.discoverCount(), 1);

    EXPECT_EQ(client.sendAttach(STANDIN_ATTACH_SUCCESS), 1);
    EXPECT_EQ(receiver.lines(), (Lines{kNotRunning, kConnected}));
    EXPECT_EQ(link.m_hSkypeWnd.load(), client.apiWindow());
    EXPECT_EQ(link.sendCommand("PING"), 1);
    EXPECT_EQ(client.commandTexts(), (Lines{"PING"}));
}

TEST_F(LinkTest, DiscoverTimerIsArmedByDiscoveryAndReportsOnceWhenHandled)
{
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(discoverTimerArmed());
    SendMessageA(link.m_hWnd, WM_TIMER, TIMER_DISCOVER + 1, 0);
    EXPECT_EQ(receiver.count(), 0u);
    SendMessageA(link.m_hWnd, WM_TIMER, TIMER_DISCOVER, 0);
    EXPECT_EQ(receiver.lines(), (Lines{kNotRunning}));
    SendMessageA(link.m_hWnd, WM_TIMER, TIMER_DISCOVER, 0);
    EXPECT_EQ(receiver.count(), 1u);
}

struct StatusCase {
    const char* name;
    LPARAM status;
    Lines lines;
};

void PrintTo(const StatusCase& c, std::ostream* os)
{
    *os << c.name;
}

class AttachStatusTest : public LinkTest, public ::testing::WithParamInterface<StatusCase> {};

// Each status answers the first discovery only; afterwards the stand-in is silent.
TEST_P(AttachStatusTest, LogsItsLinesStopsTheTimerAndAttachesOnlyOnZero)
{
    const StatusCase& c = GetParam();
    client.setAttachScripts({{{c.status, 0}}});
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(c.lines.size(), kWaitMs));
    PumpFor(50);
    EXPECT_EQ(receiver.lines(), c.lines);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_STATUS).size(), c.lines.size());
    EXPECT_FALSE(discoverTimerArmed());
    SendMessageA(link.m_hWnd, WM_TIMER, TIMER_DISCOVER, 0);
    EXPECT_EQ(receiver.lines(), c.lines);

    const bool attaches = c.status == STANDIN_ATTACH_SUCCESS;
    EXPECT_EQ(link.m_hSkypeWnd.load(), attaches ? client.apiWindow() : nullptr);
    EXPECT_EQ(link.sendCommand("PING"), attaches ? 1 : 0);
    EXPECT_EQ(client.commandCount(), attaches ? 1u : 0u);
    EXPECT_EQ(receiver.lines(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, AttachStatusTest,
    ::testing::Values(StatusCase{"Success", 0, {kConnected}},
                      StatusCase{"Pending", 1, {kWaiting, kWaitingMore}},
                      StatusCase{"Refused", 2, {"Skype Denied this App Access"}},
                      StatusCase{"NotAvailable", 3, {"Skype is not signed-in"}},
                      StatusCase{"ApiAvailable", 0x8001, {kAvailable}},
                      StatusCase{"Unknown4", 4, {"Unknown Skype message"}},
                      StatusCase{"MinusOne", -1, {"Unknown Skype message"}}),
    [](const ::testing::TestParamInfo<StatusCase>& param) { return std::string(param.param.name); });

TEST_F(LinkTest, ApiAvailableBroadcastsOnceMoreWithoutTouchingTheOtherFields)
{
    client.setAttachScripts({{{STANDIN_ATTACH_NOT_AVAILABLE, 0}}, {{STANDIN_ATTACH_SUCCESS, 0}}});
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(1, kWaitMs));
    EXPECT_EQ(client.discoverCount(), 1);
    EXPECT_EQ(link.ping(), 0);

    EXPECT_EQ(client.sendAttach(STANDIN_ATTACH_API_AVAILABLE), 1);
    EXPECT_EQ(receiver.lines(), (Lines{"Skype is not signed-in", kAvailable}));
    ASSERT_TRUE(client.waitForDiscoverCount(2, kWaitMs));
    EXPECT_EQ(client.appWindow(), link.m_hWnd);
    ASSERT_TRUE(receiver.waitForCount(3, kWaitMs));
    EXPECT_EQ(receiver.lines().back(), kConnected);

    PumpFor(300);
    EXPECT_EQ(client.discoverCount(), 2);
    EXPECT_FALSE(discoverTimerArmed());
    EXPECT_EQ(link.m_hDialog.load(), receiver.hwnd());
    EXPECT_EQ(link.m_copyDataResult.load(), 0);
    EXPECT_EQ(client.notify("USERSTATUS ONLINE"), 0);
    EXPECT_EQ(receiver.lines().back(), "USERSTATUS ONLINE");
}

TEST_F(LinkTest, BroadcastApiAvailableFromTheClientReachesTheLink)
{
    client.setAttachScripts({{}, {{STANDIN_ATTACH_SUCCESS, 0}}});
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(client.waitForDiscoverCount(1, kWaitMs));
    KillTimer(link.m_hWnd, TIMER_DISCOVER);
    ASSERT_TRUE(client.broadcastAttach(STANDIN_ATTACH_API_AVAILABLE));
    ASSERT_TRUE(receiver.waitForCount(2, kWaitMs));
    EXPECT_EQ(receiver.lines(), (Lines{kAvailable, kConnected}));
}

class TwoClientTest : public LinkTest {
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        other.acceptDiscoverOnlyFrom(GetCurrentProcessId());
        ASSERT_TRUE(other.start());
    }
    void TearDown() override
    {
        LinkTest::TearDown();
        other.stop();
    }
    StandinClient other;
};

TEST_F(TwoClientTest, SecondConnectedRetargetsCommandsAndRelays)
{
    attach();
    ASSERT_TRUE(other.waitForDiscoverCount(1, kWaitMs));
    EXPECT_EQ(other.sendAttach(STANDIN_ATTACH_SUCCESS), 1);
    EXPECT_EQ(receiver.lines(), (Lines{kConnected, kConnected}));
    EXPECT_EQ(link.m_hSkypeWnd.load(), other.apiWindow());

    EXPECT_EQ(link.sendCommand("GET CALL 5 PARTNER_HANDLE"), 1);
    EXPECT_EQ(other.commandTexts(), (Lines{"GET CALL 5 PARTNER_HANDLE"}));
    EXPECT_EQ(client.commandCount(), 0u);

    EXPECT_EQ(client.notify("from the first"), 1);
    EXPECT_EQ(other.notify("from the second"), 1);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_API), (Lines{"from the second"}));
}

TEST_F(TwoClientTest, StatusesOtherThanZeroKeepTheAttachedWindow)
{
    attach();
    ASSERT_TRUE(other.waitForDiscoverCount(1, kWaitMs));
    for (const LPARAM status : {LPARAM{1}, LPARAM{2}, LPARAM{3}, LPARAM{4}, LPARAM{-1}}) {
        EXPECT_EQ(other.sendAttach(status), 1);
    }
    EXPECT_EQ(receiver.count(), 7u);
    EXPECT_EQ(link.m_hSkypeWnd.load(), client.apiWindow());
    link.sendCommand("PING");
    EXPECT_EQ(client.commandTexts(), (Lines{"PING"}));
    EXPECT_EQ(other.commandCount(), 0u);
}

}  // namespace
