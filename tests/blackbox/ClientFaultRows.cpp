// A client that hangs, dies or starts again must never freeze Ringlock nor
// keep it from answering the next call.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>
#include <cstdio>

#include "answer/Engine.h"
#include "link/SkypeCom.h"
#include "tools/standin/StandinClient.h"

namespace {

// The longest the exit may take with a hung client.
constexpr double EXIT_BOUND_MS = PING_TIMEOUT_MS + LATE_MS;
// The client is hung while the answer falls due and its command times out,
// late as a timer may be, and a little longer.
constexpr DWORD HANG_MS = ANSWER_DELAY_MS + COMMAND_TIMEOUT_MS + LATE_MS + WATCH_MARGIN_MS;
const std::string HANG = "hang " + Ms(HANG_MS);
// Hung for a while: for longer than the exit may take, for less than the
// system waits before it calls a window hung.
const std::string BRIEF_HANG = "hang " + Ms(EXIT_BOUND_MS + LATE_MS);

void AwaitMark(const Run& run, const std::string& mark)
{
    ASSERT_TRUE(run.client.waitFor("==", mark, 3 * STEP_MS)) << mark;
}

// Until the answer to `call`'s listed caller has fallen due and its command
// is under way.
void AwaitAnswerDue(const Run& run, const std::string& call)
{
    const double due = run.client.timeOf("->", ("CALL " + call + " PARTNER_HANDLE alice").c_str()) + ANSWER_DELAY_MS;
    ASSERT_TRUE(WaitUntil([due] { return ClockMs() > due + REPLY_SETTLED_MS; }, STEP_MS));
}

// The client's API window, as its transcript names it when it is ready.
HWND ClientWindow(const Run& run)
{
    unsigned long long handle = 0;
    std::sscanf(run.client.texts("==").front().c_str(), "ready 0x%llx", &handle);
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
}

void ExitPromptly(Run& run)
{
    const double posted = ClockMs();
    run.exit();
    EXPECT_LT(ClockMs() - posted, EXIT_BOUND_MS);
}

// The answer to call 701 falls due while the client is hung, and Ringlock's
// dialog waits for it; a command posted to the hidden dialog meanwhile still
// takes effect within the bound. The exit comes while the client hangs again.
void RestoreDuringTheHang(Run& run)
{
    AwaitMark(run, HANG);
    const double hangStart = run.client.timeOf("==", HANG.c_str());
    AwaitAnswerDue(run, "701");
    ASSERT_FALSE(run.visible());
    const double posted = ClockMs();
    run.post(WM_COMMAND, IDM_RESTORE, 0);
    run.awaitVisible(true);
    EXPECT_LT(ClockMs() - posted, COMMAND_TIMEOUT_MS + LATE_MS);
    EXPECT_LT(ClockMs(), hangStart + HANG_MS) << "restored before the hang ended";
    AwaitMark(run, "hang over");
    const std::vector<std::string> log = run.ring.logLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), NOT_DELIVERED_TEXT), 1) << "one line for the run of failures";
    AwaitMark(run, BRIEF_HANG);
    ExitPromptly(run);
}

void RestartAfterTheCrash(Run& run)
{
    run.awaitLog(CLIENT_CLOSED_TEXT);
    // Nothing may go to the dead client when call 801's answer falls due.
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
        .name = "HungClientFreezesNothingTheCallAfterTheHangIsAnsweredAndTheExitEndsWithinTheBound",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = "-m"},
        .client = std::string(ATTACHED)
                  + "partner 701 alice\npartner 702 alice\n" + Await("attached") + Ring("701")
                  + Await("command GET CALL 701 PARTNER_HANDLE") + Wait(REPLY_SETTLED_MS) + HANG + "\n"
                  // The answer that was not delivered does not arrive late.
                  + WatchPast(HANG_MS) + "mark hang over\n" + Ring("702")
                  + Await("command SET CALL 702 STATUS INPROGRESS", ANSWER_DELAY_MS) + BRIEF_HANG + "\n",
        .act = RestoreDuringTheHang,
        .expect = {
            .commands = {"GET CALL 701 PARTNER_HANDLE", "GET CALL 702 PARTNER_HANDLE",
                         "SET CALL 702 STATUS INPROGRESS"},
            .log = {"CALL 701 PARTNER_HANDLE alice", NOT_DELIVERED_TEXT, "CALL 702 PARTNER_HANDLE alice"},
        },
    },
    {
        // Hung for longer than the system waits before it calls a window hung.
        .name = "ClientHungForEverGetsNothingAndExitIsImmediate",
        .given = {.settings = "1\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED) + Await("attached") + "hang forever\n",
        .act = [](Run& run) {
            AwaitMark(run, "hang forever");
            const HWND client = ClientWindow(run);
            ASSERT_TRUE(WaitUntil([client] { return IsHungAppWindow(client) != FALSE; }, STEP_MS));
            SendMessageA(run.item(IDC_COMMAND), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GET USERSTATUS"));
            const double sent = ClockMs();
            PostMessageA(run.item(IDC_SEND), BM_CLICK, 0, 0);
            run.awaitLog(NOT_DELIVERED_TEXT);
            EXPECT_LT(ClockMs() - sent, COMMAND_TIMEOUT_MS - LATE_MS) << "a hung window is not waited for";
            ExitPromptly(run);
        },
    },
    {
        .name = "CrashMidCallThenRestartReattachesAndAnswersTheNextCall",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED)
                  + "partner 801 alice\n" + Await("attached") + Ring("801")
                  + Await("command GET CALL 801 PARTNER_HANDLE") + Wait(REPLY_SETTLED_MS) + "crash\n",
        .act = RestartAfterTheCrash,
        .expect = {
            .commands = {"GET CALL 801 PARTNER_HANDLE"},
            .log = {"CALL 801 PARTNER_HANDLE alice", CLIENT_CLOSED_TEXT, "Skype is now signed-in, and is avaliable",
                    "Connected to Skype", "CALL 802 PARTNER_HANDLE alice"},
            .notLogged = {NOT_DELIVERED_TEXT},
            .clientExit = CRASH_EXIT_CODE,
        },
    },
};

INSTANTIATE_TEST_SUITE_P(ClientFaults, BlackBox, ::testing::ValuesIn(CLIENT_FAULT_ROWS), RowName);

}  // namespace
