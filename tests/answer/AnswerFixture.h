#ifndef RINGLOCK_TESTS_ANSWER_ANSWERFIXTURE_H
#define RINGLOCK_TESTS_ANSWER_ANSWERFIXTURE_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/answer/EngineHost.h"
#include "tools/standin/MediaStandin.h"
#include "tools/standin/StandinClient.h"

// The stand-in client and players and the program's link live for the whole
// test program; each test gets a fresh host dialog attached through a real
// discovery, an emptied engine and no player window.
StandinClient& Client();
MediaStandin& Players();

struct ExpectedPost {
    MediaPlayer player;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

extern const ExpectedPost kMinimizeWmp;
extern const ExpectedPost kMinimizeWmc;
extern const ExpectedPost kPauseWmp;
extern const ExpectedPost kPauseWmc;
extern const ExpectedPost kMuteWmp;

// Once every post has been handled: the players received exactly `expected`,
// in order, each through the queue.
void ExpectPosts(const std::vector<ExpectedPost>& expected);

class AnswerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sent by the stand-in client, relayed by the link, handled by the engine
    // on this thread: everything it causes is done when it returns.
    void Notify(const std::string& text) const;
    std::vector<std::string> Commands() const { return Client().commandTexts(); }
    // True when `timer` ran on the host dialog; stops it.
    bool Armed(UINT_PTR timer) const;
    // Ringing and the partner reply naming `contact`, then TIMER_ANSWER.
    void AnswerCall(const std::string& id, const std::string& contact) const;

    std::unique_ptr<EngineHost> host_;
};

#endif
