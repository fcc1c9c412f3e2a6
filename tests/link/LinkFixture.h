#ifndef RINGLOCK_TESTS_LINK_LINKFIXTURE_H
#define RINGLOCK_TESTS_LINK_LINKFIXTURE_H

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "link/SkypeCom.h"
#include "tests/support/LinkReceiver.h"
#include "tests/support/Pump.h"
#include "tools/standin/StandinClient.h"

constexpr DWORD kWaitMs = 5000;

// Stops a UIthread from another thread while this one keeps pumping, so a
// link still sending to a window of this thread cannot stall the stop.
inline void StopPumping(UIthread& thread)
{
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        thread.stop();
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 15000);
    stopper.join();
}

// A started link, a started stand-in client and a receiver for the link's
// texts; the stand-in answers only this process's discover broadcasts.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client.acceptDiscoverOnlyFrom(GetCurrentProcessId());
        ASSERT_TRUE(client.start());
        ASSERT_TRUE(link.start());
    }

    void TearDown() override
    {
        if (link.m_hWnd) {
            KillTimer(link.m_hWnd, TIMER_DISCOVER);
        }
        StopPumping(link);
        client.stop();
    }

    // Discovery answered at once with status 0 from `client`.
    void attach()
    {
        client.setAttachScript({{STANDIN_ATTACH_SUCCESS, 0}});
        const size_t before = receiver.count();
        link.startDiscovery(receiver.hwnd());
        ASSERT_TRUE(receiver.waitForCount(before + 1, kWaitMs));
        ASSERT_EQ(receiver.lines().back(), "Connected to Skype");
        ASSERT_EQ(link.m_hSkypeWnd.load(), client.apiWindow());
    }

    // Whether TIMER_DISCOVER was still armed; it is not any more afterwards.
    bool discoverTimerArmed() { return KillTimer(link.m_hWnd, TIMER_DISCOVER) != FALSE; }

    LinkReceiver receiver;
    StandinClient client;
    SkypeCom link;
};

#endif
