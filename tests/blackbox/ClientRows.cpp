// The client: how Ringlock attaches to it in each way it may answer, copes
// with its heavy traffic, and is neither frozen nor kept from answering the
// next call when it hangs, dies or starts again.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "tools/standin/Scenario.h"
#include "tools/standin/StandinClient.h"

namespace {

using namespace contract;

const std::string LONG_NAME(ROW_TEXT_MAX_UNITS, 'n');
constexpr uint32_t BURST_LINES = 2000;

// A client still starting at logon misses the first broadcast and never
// announces itself.
void FoundByALaterDiscovery(Run& run)
{
    run.awaitLog(NOT_RUNNING_TEXT);
    const double notRunningSaid = ClockMs();
    ASSERT_TRUE(run.client.waitFor(">>", "attach " + AttachStatusText(0), REDISCOVER_INTERVAL_MS + STEP_MS));
    std::vector<double> discoveries;
    for (const TranscriptLine& line : run.client.lines()) {
        if (line.tag == "<<") {
            discoveries.push_back(line.atMs);
        }
    }
    ASSERT_EQ(discoveries.size(), 2u);
    // Each timer starts just before its broadcast goes out, and the first
    // broadcast may take a little longer to arrive than the second.
    EXPECT_GE(notRunningSaid - discoveries[0], DISCOVER_TIMEOUT_MS - 100.0) << "the client is given time to answer";
    EXPECT_GE(discoveries[1] - discoveries[0], REDISCOVER_INTERVAL_MS - 100.0);
    EXPECT_LT(discoveries[1] - discoveries[0], REDISCOVER_INTERVAL_MS + LATE_MS);
    run.awaitCommand("SET CALL 701 STATUS INPROGRESS");
    const std::vector<std::string> lines = run.ring.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), NOT_RUNNING_TEXT), 1) << "the broadcasts after the first are silent";
}

// The command box sends what is typed only when Send is clicked, and keeps it.
void CommandBox(Run& run)
{
    run.awaitLog("USERSTATUS ONLINE");
    run.awaitVisible(true);
    HWND edit = run.item(IDC_COMMAND);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GET USERSTATUS"));
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        PostMessageA(edit, WM_KEYDOWN, key, 0);
        PostMessageA(edit, WM_KEYUP, key, 0);
    }
    // Handled after the keys: once the selection shows, the keys have had
    // their effect.
    PostMessageA(edit, EM_SETSEL, 0, -1);
    ASSERT_TRUE(WaitUntil([edit] { return SendMessageA(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, 14); }, STEP_MS));
    EXPECT_TRUE(run.visible()) << "Escape does not close";
    EXPECT_TRUE(run.client.commands().empty()) << "Enter does not send";
    SendMessageA(run.item(IDC_SEND), BM_CLICK, 0, 0);
    run.awaitCommand("GET USERSTATUS");
    run.awaitLog("ERROR 2 Unknown command");
    EXPECT_EQ(EditText(edit), L"GET USERSTATUS") << "the command box is not cleared";
}

// The longest the exit may take with a hung client.
constexpr double EXIT_BOUND_MS = PING_TIMEOUT_MS + LATE_MS;
// After this long without a message taken, the system calls a window hung.
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

// The answer to call 701 falls due while the client hangs; a restore posted
// meanwhile takes effect within the bound; a command typed later is lost too:
// one line for both. After a command got through, a second hang loses one: a
// line again. The exit comes during that hang.
void TwoHangs(Run& run)
{
    ASSERT_TRUE(run.client.waitFor("==", HANG, 3 * STEP_MS));
    const double hangStart = run.client.timeOf("==", HANG.c_str());
    AwaitAnswerDue(run, "701");
    ASSERT_FALSE(run.visible());
    const double posted = ClockMs();
    run.post(WM_COMMAND, IDM_RESTORE, 0);
    run.awaitVisible(true);
    EXPECT_LT(ClockMs() - posted, COMMAND_TIMEOUT_MS + LATE_MS);
    SendToTheHungClient(run);
    EXPECT_LT(ClockMs(), hangStart + HANG_MS) << "both lost within the hang";
    ASSERT_TRUE(run.client.waitFor("==", "hang over", 3 * STEP_MS));
    EXPECT_EQ(NotDeliveredLines(run), 1) << "one line for the run of lost commands";
    ASSERT_TRUE(run.client.waitFor("==", SECOND_HANG, 3 * STEP_MS));
    run.send("GET USERSTATUS");
    EXPECT_EQ(NotDeliveredLines(run), 2) << "a line again for the next run";
    const double exitAsked = ClockMs();
    run.exit();
    EXPECT_LT(ClockMs() - exitAsked, EXIT_BOUND_MS);
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

const Row CLIENT_ROWS[] = {
    {
        // The user takes longer to allow the program than the client had to
        // answer, so a client asking its user is not reported missing; then
        // the client says nobody is signed in, and a status of its own.
        .name = "AttachedAfterItsUserWaitedAndTheCommandBoxSendsOnlyWhenSendIsClicked",
        .client = "attach pending wait " + Ms(DISCOVER_TIMEOUT_MS + LATE_MS) + " unavailable 4 connected\n"
                  + "user echo123\n" + Await("attached"),
        .act = CommandBox,
        .expect = {
            .commands = {"GET USERSTATUS"},
            .log = {WAITING_TEXT, WAITING_HINT_TEXT, NOT_SIGNED_IN_TEXT, UNKNOWN_STATUS_TEXT, CONNECTED_TEXT,
                    "CONNSTATUS ONLINE", "CURRENTUSERHANDLE echo123", "USERSTATUS ONLINE", "ERROR 2 Unknown command"},
            .notLogged = {NOT_RUNNING_TEXT},
        },
    },
    {
        .name = "AClientThatAnswersOnlyALaterDiscoveryIsAttachedAndAnswersCalls",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = "-m"},
        .client = "attach none\nattach connected\npartner 701 alice\n" + Await("attached", REDISCOVER_INTERVAL_MS)
                  + Ring("701") + Await("command SET CALL 701 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = FoundByALaterDiscovery,
        .expect = {
            .commands = {"GET CALL 701 PARTNER_HANDLE", "SET CALL 701 STATUS INPROGRESS"},
            .log = {NOT_RUNNING_TEXT, CONNECTED_TEXT, "CALL 701 STATUS RINGING"},
        },
    },
    {
        .name = "HiddenProgramAbsorbs2000LinesKeepsTheLast100ThenAnswers",
        .given = {.settings = "0\r\n0\r\n" + LONG_NAME + "\r\n", .arguments = "-m"},
        .client = std::string(ATTACHED) + "partner 501 " + LONG_NAME + "\n" + Await("attached")
                  + "burst " + std::to_string(BURST_LINES) + "\n"
                  + Await("file go", 5 * STEP_MS) + Ring("501")
                  + Await("command SET CALL 501 STATUS INPROGRESS", ANSWER_DELAY_MS),
        // The client sends each line synchronously, so once it has sent the
        // last one Ringlock has logged them all.
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "burst of " + std::to_string(BURST_LINES) + " done", 9 * STEP_MS));
            std::vector<std::string> lastLines;
            for (uint32_t i = BURST_LINES - LOG_MAX_ROWS; i < BURST_LINES; ++i) {
                lastLines.push_back(BackgroundLine(i));
            }
            EXPECT_EQ(run.ring.logLines(), lastLines);
            run.createFileBeside("go");
        },
        .expect = {.commands = {"GET CALL 501 PARTNER_HANDLE", "SET CALL 501 STATUS INPROGRESS"}},
    },
    {
        .name = "HungClientFreezesNothingEachHangIsLoggedOnceAndTheExitEndsWithinTheBound",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = "-m"},
        .client = std::string(REPLYING_AT_ONCE)
                  + "partner 701 alice\npartner 702 alice\n" + Await("attached") + Ring("701") + HANG + "\n"
                  // The answer that was not delivered does not arrive late.
                  + WatchPast(HANG_MS) + "mark hang over\nmiss 701\n" + Ring("702")
                  + Await("command SET CALL 702 STATUS INPROGRESS", ANSWER_DELAY_MS) + SECOND_HANG + "\n",
        .act = TwoHangs,
        .expect = {
            .commands = {"GET CALL 701 PARTNER_HANDLE", "GET CALL 702 PARTNER_HANDLE",
                         "SET CALL 702 STATUS INPROGRESS"},
            .closingPing = false,
            .log = {"CALL 701 PARTNER_HANDLE alice", NOT_DELIVERED_TEXT, "CALL 702 PARTNER_HANDLE alice",
                    NOT_DELIVERED_TEXT},
            // The exit comes a lost command after call 702 was answered.
            .history = {{{"alice", true, "missed"},
                         {"alice", true, END_NOT_SEEN, COMMAND_TIMEOUT_MS / 1000, 2}}},
        },
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
            .history = {{{"alice", true, END_NOT_SEEN}, {"alice", true, END_NOT_SEEN}}},
        },
    },
    {
        // A command finds the client's window gone while its program runs on.
        .name = "AClientWindowThatIsGoneIsTheClientClosingNotAHang",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED) + Await("attached") + "vanish\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "vanished", STEP_MS));
            run.send("GET USERSTATUS");
            run.awaitLog(CLIENT_CLOSED_TEXT);
        },
        .expect = {.closingPing = false, .notLogged = {NOT_DELIVERED_TEXT}},
    },
};

INSTANTIATE_TEST_SUITE_P(Client, BlackBox, ::testing::ValuesIn(CLIENT_ROWS), RowName);

}  // namespace
