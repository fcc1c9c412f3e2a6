// How Ringlock attaches to the client in each way the client may answer, and
// how it copes with heavy traffic.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>

#include "tools/standin/Scenario.h"

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

const Row LINK_ROWS[] = {
    {
        .name = "PendingThenConnectedLogsTheWaitThenTheClientsState",
        // The user takes longer to allow the program than the client had to
        // answer, so a client asking its user is not reported missing.
        .client = "attach pending wait " + Ms(DISCOVER_TIMEOUT_MS + LATE_MS) + " connected\nuser echo123\n"
                  + Await("attached"),
        .expect = {
            .log = {WAITING_TEXT, WAITING_HINT_TEXT, CONNECTED_TEXT, "CONNSTATUS ONLINE", "CURRENTUSERHANDLE echo123",
                    "USERSTATUS ONLINE"},
            .notLogged = {NOT_RUNNING_TEXT},
        },
    },
    {
        .name = "NotSignedInThenAnUnknownStatusThenConnectedOnTheNewDiscovery",
        .given = {.settings = "0\r\n0\r\n"},
        .client = "attach unavailable\nattach 4 connected\n" + Await("file signed in", STEP_MS)
                  + "announce available\n" + Await("attached")
                  // Not reported missing when the first answer was not a welcome one.
                  + WatchPast(DISCOVER_TIMEOUT_MS),
        .act = [](Run& run) {
            run.awaitLog(NOT_SIGNED_IN_TEXT);
            run.createFileBeside("signed in");
            run.awaitLog("USERSTATUS ONLINE");
            run.send("GET NOTHING");
            run.awaitLog("ERROR 2 Unknown command");
        },
        .expect = {
            .commands = {"GET NOTHING"},
            .log = {NOT_SIGNED_IN_TEXT, AVAILABLE_TEXT, UNKNOWN_STATUS_TEXT, CONNECTED_TEXT, "CONNSTATUS ONLINE",
                    "CURRENTUSERHANDLE standin.user", "USERSTATUS ONLINE", "ERROR 2 Unknown command"},
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
};

INSTANTIATE_TEST_SUITE_P(Link, BlackBox, ::testing::ValuesIn(LINK_ROWS), RowName);

}  // namespace
