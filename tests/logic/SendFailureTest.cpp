#include <gtest/gtest.h>

#include "link/SendFailure.h"

namespace {

// What a command that did not get through tells of the client. Wine shows
// only a hang and a window that is gone: it has no higher rights to refuse
// a command with.
TEST(SendFailure, OnlyARefusalMeansHigherRightsAndOnlyAGoneWindowTheClientClosing)
{
    constexpr unsigned long timedOut = 1460;     // ERROR_TIMEOUT
    constexpr unsigned long accessDenied = 5;    // ERROR_ACCESS_DENIED
    constexpr unsigned long invalidWindow = 1400;  // ERROR_INVALID_WINDOW_HANDLE
    const struct {
        bool windowExists;
        unsigned long error;
        SendFailure failure;
    } cases[] = {
        {true, timedOut, SendFailure::Hung},          {true, accessDenied, SendFailure::Refused},
        {false, timedOut, SendFailure::ClientGone},   {false, accessDenied, SendFailure::ClientGone},
        {true, invalidWindow, SendFailure::ClientGone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SendFailureOf(c.windowExists, c.error), c.failure) << c.windowExists << " " << c.error;
    }
}

}  // namespace
