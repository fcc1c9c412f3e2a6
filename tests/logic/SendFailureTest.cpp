#include <gtest/gtest.h>

#include "link/SendFailure.h"

namespace {

// What a command that did not get through tells of the client. Wine shows
// only a hang and a window that is gone: it has no higher rights to refuse
// a command with.
TEST(SendFailure, OnlyARefusalMeansHigherRightsAndOnlyAGoneWindowTheClientClosing)
{
    // ERROR_TIMEOUT, ERROR_ACCESS_DENIED, ERROR_INVALID_WINDOW_HANDLE
    constexpr unsigned long timedOut = 1460, accessDenied = 5, invalidWindow = 1400;
    const struct { bool windowExists; unsigned long error; SendFailure failure; } cases[] = {
        {true, timedOut, SendFailure::Hung}, {true, accessDenied, SendFailure::Refused},
        {false, timedOut, SendFailure::ClientGone}, {false, accessDenied, SendFailure::ClientGone},
        {true, invalidWindow, SendFailure::ClientGone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SendFailureOf(c.windowExists, c.error), c.failure) << c.windowExists << " " << c.error;
    }
}

}  // namespace
