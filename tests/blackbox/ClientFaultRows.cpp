// A client that hangs, dies or starts again must never freeze Ringlock nor
// keep it from answering the next call.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "tools/standin/StandinClient.h"

namespace {

using namespace contract;

// The longest the exit may take with a hung client.
constexpr double EXIT_BOUND_MS = PING_TIMEOUT_MS + LATE_MS;
// After this long without taking a message, the system calls a window hung
// and sends to it no longer wait.
constexpr double HUNG_AFTER_MS = 5000.0;
// The first hang lasts while the answer falls due and its command times out,
// late as a timer may be, and until the system has called the client hung.
constexpr double HANG_MS = std::max<double>(ANSWER_DELAY_MS + COMMAND_TIMEOUT_MS, HUNG_AFTER_MS) + 2 * LATE_MS;
const std::string HANG = "hang " + Ms(HANG_MS);
// The second lasts while a command times out and the exit is under way, and
// the exit's PING goes out before the system calls the client hung.
constexpr double SECOND_HANG_MS = COMMAND_TIMEOUT_MS + EXIT_BOUND_MS + LATE_MS;
static_assert(COMMAND_TIMEOUT_MS + LATE_MS < HUNG_AFTER_MS, "the PING is waited for");
const std::string SECOND_HANG = "hang " + Ms(SECOND_HANG_MS);

void AwaitMark(const Run& run, const std::string& mark)
{
    ASSERT_TRUE(run.client.waitFor("==", mark, 3 * STEP_MS)) << mark;
}

// Until the answer to `call`'s listed caller has fallen due, late as it may.
void AwaitAnswerDue(const Run& run, const std::string& call)
{
    const double due = run.client.timeOf("->", ("CALL " + call + " PARTNER_HANDLE alice").c_str()) + ANSWER_DELAY_MS;
    ASSERT_TRUE(WaitUntil([due] { return ClockMs() > due + LATE_MS; }, STEP_MS));
}

// Once the system calls the client's window hung, a command is given up at
// once; returns when Ringlock has.
void SendToTheHungClient(const Run& run)
{
    unsigned long long handle = 0;
    std::sscanf(run.client.texts("==").front().c_str(), "ready 0x%llx", &handle);
    const HWND client = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    ASSERT_TRUE(WaitUntil([client] { return IsHungAppWindow(client) != FALSE; }, STEP_MS));
    const double sent = ClockMs();
    run.send("GET USERSTATUS");
    EXPECT_LT(ClockMs() - sent, COMMAND_TIMEOUT_MS - LATE_MS) << "a hung window is not waited for";
}

std::ptrdiff_t NotDeliveredLines(const Run& run)
{
    const std::vector<std::string> log = run.ring.logLines();
    return std::count(log.begin(), log.end(), NOT_DELIVERED_TEXT);
}

void ExitPromptly(Run& run)
{
    const double posted = ClockMs();
    run.exit();
    EXPECT_LT(ClockMs() - posted, EXIT_BOUND_MS);
}

// The answer to call 701 falls due while the client is hung, and Ringlock's
// dialog waits for it; a command posted to the hidden dialog meanwhile still
// takes effect within the bound, and a command typed later is lost too: one
// line for both. After a command got through, the client hangs again and a
// command is lost: a line again. The exit comes during that hang.
void TwoHangs(Run& run)
{
    AwaitMark(run, HANG);
    const double hangStart = run.client.timeOf("==", HANG.c_str());
    AwaitAnswerDue(run, "701");
    ASSERT_FALSE(run.visible());
    const double posted = ClockMs();
    run.post(WM_COMMAND, IDM_RESTORE, 0);
    run.awaitVisible(true);
    EXPECT_LT(ClockMs() - posted, COMMAND_TIMEOUT_MS + LATE_MS);
    SendToTheHungClient(run);
    EXPECT_LT(ClockMs(), hangStart + HANG_MS) << "both lost within the hang";
    AwaitMark(run, "hang over");
    EXPECT_EQ(NotDeliveredLines(run), 1) << "one line for the run of lost commands";
    AwaitMark(run, SECOND_HANG);
    run.send("GET USERSTATUS");
    EXPECT_EQ(NotDeliveredLines(run), 2) << "a line again for the next run";
    ExitPromptly(run);
}

void RestartAfterTheCrash(Run& run)
{
    run.awaitLog(CLIENT_CLOSED_TEXT);
    // Nothing may go to the dead client, nor to the new one, when call 801's
    // answer falls due.
    AwaitAnswerDue(run, "801");
    ASSERT_TRUE(run.restarted.startClient(run.ring.folder(),
                                          std::string(ATTACHED) + "partner 802 alice\nannounce available\n"
                                              + Await("attached") + Ring("802")
                                              + Await("command SET CALL 802 STATUS INPROGRESS", ANSWER_DELAY_MS)
                                              + Await("gone", 6 * STEP_MS),
                                          {}, "restarted"));
    ASSERT_TRUE(run.restarted.waitForCommand("SET CALL 802 STATUS INPROGRESS", 2 * STEP_MS));
    EXPECT_EQ(run.restarted.commands(),
              (std::vector<std::string>{"GET CALL 802 PARTNER_HANDLE", "SET CALL 802 STATUS INPROGRESS"}));
}

const Row CLIENT_FAULT_ROWS[] = {
    {
        .name = "HungClientFreezesNothingEachHangIsLoggedOnceAndTheExitEndsWithinTheBound",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = "-m"},
        .client = std::string(REPLYING_AT_ONCE)
                  + "partner 701 alice\npartner 702 alice\n" + Await("attached") + Ring("701") + HANG + "\n"
                  // The answer that was not delivered does not arrive late.
                  + WatchPast(HANG_MS) + "mark hang over\n" + Ring("702")
                  + Await("command SET CALL 702 STATUS INPROGRESS", ANSWER_DELAY_MS) + SECOND_HANG + "\n",
        .act = TwoHangs,
        .expect = {
            .commands = {"GET CALL 701 PARTNER_HANDLE", "GET CALL 702 PARTNER_HANDLE",
                         "SET CALL 702 STATUS INPROGRESS"},
            .closingPing = false,
            .log = {"CALL 701 PARTNER_HANDLE alice", NOT_DELIVERED_TEXT, "CALL 702 PARTNER_HANDLE alice",
                    NOT_DELIVERED_TEXT},
        },
    },
    {
        .name = "ClientHungForEverIsNotWaitedForAndTheExitIsImmediate",
        .given = {.settings = "1\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED) + Await("attached") + "hang forever\n",
        .act = [](Run& run) {
            AwaitMark(run, "hang forever");
            SendToTheHungClient(run);
            EXPECT_EQ(NotDeliveredLines(run), 1);
            ExitPromptly(run);
        },
        .expect = {.closingPing = false},
    },
    {
        .name = "CrashMidCallThenRestartReattachesAndAnswersTheNextCall",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(REPLYING_AT_ONCE) + "partner 801 alice\n" + Await("attached") + Ring("801") + "crash\n",
        .act = RestartAfterTheCrash,
        .expect = {
            .commands = {"GET CALL 801 PARTNER_HANDLE"},
            .closingPing = false,
            .log = {"CALL 801 PARTNER_HANDLE alice", CLIENT_CLOSED_TEXT, AVAILABLE_TEXT, CONNECTED_TEXT,
                    "CALL 802 PARTNER_HANDLE alice"},
            .notLogged = {NOT_DELIVERED_TEXT},
            .clientExit = CRASH_EXIT_CODE,
        },
    },
};

INSTANTIATE_TEST_SUITE_P(ClientFaults, BlackBox, ::testing::ValuesIn(CLIENT_FAULT_ROWS), RowName);

}  // namespace
