#ifndef RINGLOCK_TESTS_E2E_E2EFIXTURE_H
#define RINGLOCK_TESTS_E2E_E2EFIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/StandinProcesses.h"
#include "tests/support/RingProcess.h"

constexpr DWORD START_TIMEOUT_MS = 15000;
constexpr DWORD STEP_TIMEOUT_MS = 10000;
constexpr double ANSWER_DELAY_MS = 2500.0;
constexpr double VIDEO_DELAY_MS = 1000.0;
constexpr double MAXIMIZE_DELAY_MS = 1000.0;
// How late a timer may fire on a loaded two-core machine, and the clock's
// millisecond by which a timer may seem early.
constexpr double LATE_MS = 1500.0;
constexpr double TICK_MS = 1.0;

// The scenario lines every test starts with: the client attaches at once and
// answers commands 10 ms after they arrive, and serves until Ringlock ends.
extern const char* const ATTACH_AT_ONCE;
extern const char* const SERVE_TO_THE_END;

// True when `expected` occurs in `lines` in this order, with anything between.
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected);
size_t CountOf(const std::vector<std::string>& lines, const std::string& line);

// Ringlock.exe in a folder of its own, the stand-in client and, when asked,
// the media players beside it, each a process of its own.
class E2eTest : public ::testing::Test {
protected:
    // Starts the players (when asked) and the client, then Ringlock.exe with
    // `settings` beside it and `arguments`; returns once its dialog exists.
    void Launch(const std::string& settings, const std::string& scenario, const std::string& arguments = "",
                bool withPlayers = false);
    std::vector<std::string> Log() const { return ring_.logLines(); }
    bool Visible() const { return IsWindowVisible(ring_.dialog()) != FALSE; }
    // Types `command` into the command box and clicks Send.
    void SendByHand(const std::string& command) const;

    RingProcess ring_;
    ClientProcess client_;
    PlayersProcess players_;
};

#endif
