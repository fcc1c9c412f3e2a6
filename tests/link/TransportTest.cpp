#include "tests/link/LinkFixture.h"

#include <cstring>

namespace {

using Lines = std::vector<std::string>;

TEST_F(LinkTest, NotificationsBeforeAttachAreAnsweredButNotRelayed)
{
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(client.waitForDiscoverCount(1, kWaitMs));
    KillTimer(link.m_hWnd, TIMER_DISCOVER);
    EXPECT_EQ(client.notify("USER a ONLINESTATUS ONLINE"), 1);
    PumpFor(50);
    EXPECT_EQ(receiver.count(), 0u);
}

TEST_F(LinkTest, RelaysOnlyBlocksFromTheAttachedWindow)
{
    attach();
    const char text[] = "CALL 12 STATUS RINGING";
    EXPECT_EQ(client.sendBlock(text, sizeof(text), receiver.hwnd()), 1);
    EXPECT_EQ(client.sendBlock(text, sizeof(text), nullptr), 1);
    EXPECT_EQ(receiver.count(), 1u);

    EXPECT_EQ(client.notify(text), 1);
    ASSERT_EQ(receiver.count(), 2u);
    const LinkText relayed = receiver.texts().back();
    EXPECT_EQ(relayed.text, text);
    EXPECT_EQ(relayed.kind, LINK_TEXT_API);
}

TEST_F(LinkTest, DropsBlocksWithoutDataAndTerminatesBlocksWithoutNul)
{
    attach();
    const HWND api = client.apiWindow();
    EXPECT_EQ(client.sendBlock(nullptr, 5, api), 1);
    EXPECT_EQ(client.sendBlock("PONG", 0, api), 1);
    EXPECT_EQ(receiver.count(), 1u);

    EXPECT_EQ(client.sendBlock("ABCDEF", 3, api), 1);
    EXPECT_EQ(client.sendBlock("AB\0CD", 5, api), 1);
    EXPECT_EQ(client.sendBlock("", 1, api), 1);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_API), (Lines{"ABC", "AB", ""}));
}

// The block's last byte is the last byte of a page whose successor is
// inaccessible: a relay that looks for a NUL past cbData faults.
TEST_F(LinkTest, RelayNeverReadsPastTheBlock)
{
    attach();
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const SIZE_T page = info.dwPageSize;
    auto* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
    char* data = base + page - 9;
    std::memcpy(data, "USERSTATE", 9);

    EXPECT_EQ(client.sendBlock(data, 9, client.apiWindow()), 1);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_API), (Lines{"USERSTATE"}));
    VirtualFree(base, 0, MEM_RELEASE);
}

TEST_F(LinkTest, CopyDataResultIsOneUntilPingAndZeroAfterWhileStillRelaying)
{
    attach();
    EXPECT_EQ(link.m_copyDataResult.load(), 1);
    EXPECT_EQ(client.notify("before"), 1);

    EXPECT_EQ(link.ping(), 1);
    EXPECT_EQ(client.commandTexts(), (Lines{"PING"}));
    EXPECT_EQ(link.m_copyDataResult.load(), 0);
    EXPECT_EQ(client.notify("after"), 0);
    EXPECT_EQ(client.sendBlock("foreign", 8, receiver.hwnd()), 0);

    const std::vector<LinkText> texts = receiver.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].text, "before");
    EXPECT_EQ(texts[2].text, "after");
    EXPECT_EQ(texts[2].kind, LINK_TEXT_API);
}

// A reply that the client sends from inside its PING handler is already answered 0.
TEST_F(LinkTest, PingSetsTheResultBeforeItSends)
{
    attach();
    client.setReplyMode(ReplyMode::Synchronous);
    LONG resultDuringPong = -1;
    receiver.setHook([&](const LinkText& t) {
        if (t.text == "PONG") {
            resultDuringPong = link.m_copyDataResult;
        }
    });
    EXPECT_EQ(link.ping(), 1);
    receiver.setHook(nullptr);
    EXPECT_EQ(receiver.lines().back(), "PONG");
    EXPECT_EQ(resultDuringPong, 0);
}

TEST_F(LinkTest, StartDiscoverySetsTheResultBackToOne)
{
    link.ping();
    client.setAttachScript({{STANDIN_ATTACH_SUCCESS, 0}});
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(receiver.waitForCount(1, kWaitMs));
    EXPECT_EQ(client.notify("x"), 1);
}

TEST_F(LinkTest, CommandsTravelAsTextWithTheirNulAndTheLinkWindowAsSender)
{
    attach();
    client.setCommandResult(7);
    EXPECT_EQ(link.sendCommand("GET CALL 12 PARTNER_HANDLE"), 7);
    EXPECT_EQ(link.ping(), 7);
    EXPECT_EQ(link.sendCommand(""), 7);

    const std::vector<ReceivedCommand> commands = client.commands();
    ASSERT_EQ(commands.size(), 3u);
    const struct {
        const char* text;
        DWORD cbData;
    } expected[] = {{"GET CALL 12 PARTNER_HANDLE", 27}, {"PING", 5}, {"", 1}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(commands[i].text, expected[i].text);
        EXPECT_EQ(commands[i].cbData, expected[i].cbData);
        EXPECT_TRUE(commands[i].hasNul);
        EXPECT_EQ(commands[i].dwData, 0u);
        EXPECT_EQ(commands[i].sender, link.m_hWnd);
    }
    EXPECT_EQ(receiver.count(), 1u);
}

TEST_F(LinkTest, CommandsBeforeAttachGoNowhere)
{
    EXPECT_EQ(link.sendCommand("PING"), 0);
    link.startDiscovery(receiver.hwnd());
    ASSERT_TRUE(client.waitForDiscoverCount(1, kWaitMs));
    KillTimer(link.m_hWnd, TIMER_DISCOVER);
    EXPECT_EQ(link.sendCommand("GET CALL 1 PARTNER_HANDLE"), 0);
    PumpFor(50);
    EXPECT_EQ(client.commandCount(), 0u);
    EXPECT_EQ(receiver.count(), 0u);
}

TEST_F(LinkTest, CommandsToAVanishedClientDeliverNothing)
{
    attach();
    client.stop();
    EXPECT_EQ(link.sendCommand("PING"), 0);
    EXPECT_EQ(receiver.count(), 2u);
    EXPECT_EQ(receiver.lines().back(), NOT_DELIVERED_TEXT);
}

TEST_F(LinkTest, SynchronousRepliesReachTheReceiverBeforeSendCommandReturns)
{
    attach();
    client.setReplyMode(ReplyMode::Synchronous);
    EXPECT_EQ(link.sendCommand("SET CALL 7 STATUS INPROGRESS"), 1);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_API),
              (Lines{"CALL 7 STATUS INPROGRESS", "CALL 7 VIDEO_SEND_STATUS AVAILABLE",
                     "CALL 7 VIDEO_STATUS VIDEO_BOTH_ENABLED"}));
}

// The receiver sends a command while the link still waits in its relay: the
// nested reply is relayed before the outer one continues.
TEST_F(LinkTest, ACommandSentFromInsideARelayIsAnsweredInsideIt)
{
    attach();
    client.setReplyMode(ReplyMode::Synchronous);
    receiver.setHook([this](const LinkText& t) {
        if (t.text == "CALL 7 STATUS INPROGRESS") {
            link.sendCommand("ALTER CALL 7 START_VIDEO_SEND");
        }
    });
    link.sendCommand("SET CALL 7 STATUS INPROGRESS");
    receiver.setHook(nullptr);
    EXPECT_EQ(receiver.linesOfKind(LINK_TEXT_API),
              (Lines{"CALL 7 STATUS INPROGRESS", "ALTER CALL 7 START_VIDEO_SEND", "CALL 7 VIDEO_SEND_STATUS RUNNING",
                     "CALL 7 VIDEO_SEND_STATUS AVAILABLE", "CALL 7 VIDEO_STATUS VIDEO_BOTH_ENABLED"}));
    EXPECT_EQ(client.commandTexts(), (Lines{"SET CALL 7 STATUS INPROGRESS", "ALTER CALL 7 START_VIDEO_SEND"}));
}

TEST_F(LinkTest, DeferredRepliesArriveFromTheClientsThreadAfterTheDelay)
{
    attach();
    client.setPartner("42", "echo123");
    client.setReplyMode(ReplyMode::Deferred, 200);
    const double sent = StandinClock();
    EXPECT_EQ(link.sendCommand("GET CALL 42 PARTNER_HANDLE"), 1);
    EXPECT_EQ(receiver.count(), 1u);
    ASSERT_TRUE(receiver.waitForCount(2, kWaitMs));
    const LinkText reply = receiver.texts().back();
    EXPECT_EQ(reply.text, "CALL 42 PARTNER_HANDLE echo123");
    EXPECT_EQ(reply.kind, LINK_TEXT_API);
    EXPECT_GE(reply.atMs - sent, 190.0);
}

}  // namespace
