// Calls rung by the client, and what Ringlock makes of them.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>

#include "tools/standin/MediaStandin.h"

namespace {

using namespace contract;

// The longest identifier, a blank inside, and one byte more.
const std::string LONGEST_ID = std::string(CALL_ID_SIZE / 2 - 1, '8') + " " + std::string(CALL_ID_SIZE / 2 - 1, '9');
const std::string TOO_LONG_ID(CALL_ID_SIZE, '7');
const std::string FAR_TOO_LONG_ID(400, '6');
// "Łucja": a letter that no Western code page has. "Zoë" in UTF-8.
const std::string LUCJA = "\xC5\x81ucja";
const std::string ZOE = "Zo\xC3\xAB";
// "RenÃ©" in UTF-8: in a file of the code page, the bytes of "René" in UTF-8.
const std::string RENE_IN_CODE_PAGE = "Ren\xC3\x83\xC2\xA9";

// When the maximise falls due after the listed caller is recognised.
constexpr double MAXIMISED_MS = ANSWER_DELAY_MS + START_VIDEO_DELAY_MS + MAXIMIZE_DELAY_MS;

std::string Player(MediaPlayer player, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return std::string(MediaPlayerTag(player)) + " " + DescribeMediaMessage(msg, wParam, lParam);
}

const std::string WMP_MINIMISED = Player(MediaPlayer::Wmp, WM_SYSCOMMAND, SC_MINIMIZE, 0);
const std::string WMC_MINIMISED = Player(MediaPlayer::Wmc, WM_SYSCOMMAND, SC_MINIMIZE, 0);
const std::string WMP_PAUSED = Player(MediaPlayer::Wmp, WM_COMMAND, WMP_PAUSE_COMMAND, 0);
const std::string WMC_PAUSED = Player(MediaPlayer::Wmc, WM_APPCOMMAND, 0, WMC_PAUSE_APPCOMMAND);
const std::string WMP_MUTED = Player(MediaPlayer::Wmp, WM_COMMAND, WMP_MUTE_COMMAND, 0);

const Row CALL_ROWS[] = {
    {
        // The client replies from inside each command, so that video can be
        // sent while the answer is still under way.
        .name = "ListedCallerIsAnsweredThenVideoMaximiseAndQuietPlayersFollowOnce",
        .given = {.settings = "1\r\n1\r\nbob\r\nalice\r\n", .players = ""},
        .client = std::string(REPLYING_AT_ONCE)
                  + "partner 201 alice\n" + Await("attached") + Ring("201", 3)
                  + Await("command SET WINDOWSTATE MAXIMIZED", MAXIMISED_MS)
                  + "notify CALL 201 VIDEO_SEND_STATUS AVAILABLE\nnotify CALL 201 PARTNER_HANDLE alice\n"
                  // Neither a second answer, nor a second video and maximise,
                  // nor the players quieted again.
                  + WatchPast(std::max<double>({ANSWER_DELAY_MS, MAXIMISED_MS - ANSWER_DELAY_MS, MEDIA_MUTE_DELAY_MS})),
        .expect = {
            .commands = {"GET CALL 201 PARTNER_HANDLE", "SET CALL 201 STATUS INPROGRESS",
                         "ALTER CALL 201 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"},
            .log = {"CALL 201 CONF_ID 0", "CALL 201 STATUS RINGING", "CALL 201 PARTNER_HANDLE alice",
                    "CALL 201 STATUS INPROGRESS", "CALL 201 VIDEO_SEND_STATUS AVAILABLE",
                    "ALTER CALL 201 START_VIDEO_SEND", "CALL 201 VIDEO_SEND_STATUS RUNNING", "WINDOWSTATE MAXIMIZED"},
            .notLogged = {"GET CALL 201 PARTNER_HANDLE", "SET CALL 201 STATUS INPROGRESS"},
            .media = {WMP_MINIMISED, WMC_MINIMISED, WMP_PAUSED, WMC_PAUSED, WMP_MUTED},
            .delays = {{"-> CALL 201 PARTNER_HANDLE alice", "<- SET CALL 201 STATUS INPROGRESS", ANSWER_DELAY_MS},
                       {"-> CALL 201 VIDEO_SEND_STATUS AVAILABLE", "<- ALTER CALL 201 START_VIDEO_SEND",
                        START_VIDEO_DELAY_MS},
                       {"<- ALTER CALL 201 START_VIDEO_SEND", "<- SET WINDOWSTATE MAXIMIZED", MAXIMIZE_DELAY_MS},
                       // Well within a second: told apart from the other delays.
                       {"-> CALL 201 PARTNER_HANDLE alice", WMP_MINIMISED, MEDIA_MINIMIZE_DELAY_MS, LATE_MS / 2},
                       {"-> CALL 201 PARTNER_HANDLE alice", WMC_MINIMISED, MEDIA_MINIMIZE_DELAY_MS, LATE_MS / 2},
                       {"-> CALL 201 PARTNER_HANDLE alice", WMP_PAUSED, MEDIA_PAUSE_DELAY_MS},
                       {"-> CALL 201 PARTNER_HANDLE alice", WMC_PAUSED, MEDIA_PAUSE_DELAY_MS},
                       {"-> CALL 201 PARTNER_HANDLE alice", WMP_MUTED, MEDIA_MUTE_DELAY_MS}},
        },
    },
    {
        .name = "VideoOffMeansNoVideoAndAHiddenPlayerIsLeftAlone",
        .given = {.settings = "0\r\n1\r\nalice\r\n", .players = "--hidden wmp"},
        .client = std::string(ATTACHED)
                  + "partner 202 alice\n" + Await("attached") + Ring("202")
                  + Await("command SET CALL 202 STATUS INPROGRESS", ANSWER_DELAY_MS)
                  // No video and no maximise, which would follow the video
                  // the client makes available at once.
                  + WatchPast(START_VIDEO_DELAY_MS + MAXIMIZE_DELAY_MS),
        .expect = {
            .commands = {"GET CALL 202 PARTNER_HANDLE", "SET CALL 202 STATUS INPROGRESS"},
            .media = {WMC_MINIMISED, WMC_PAUSED},
        },
    },
    {
        // bob is not listed, carol rings only while alice's answer is pending,
        // and the others differ from alice in case or by what follows.
        .name = "OnlyTheExactListedCallerOutsideThePendingAnswerIsAnswered",
        .given = {.settings = "0\r\n0\r\nalice\r\ncarol\r\n"},
        .client = std::string(REPLYING_AT_ONCE)
                  + "partner 301 bob\npartner 302 alice\npartner 303 carol\npartner 304 alice\n"
                    "partner 305 Alice\npartner 306 alicea\n"
                  + Await("attached") + Ring("301", 2) + Ring("302")
                  + "notify CALL 301 STATUS RINGING\n" + Ring("303")
                  + Await("command SET CALL 302 STATUS INPROGRESS", ANSWER_DELAY_MS) + "miss 301\nmiss 303\n"
                  + Ring("304", 2) + Await("command SET CALL 304 STATUS INPROGRESS", ANSWER_DELAY_MS)
                  // Each caller is known before the next rings, so a wrong
                  // answer keeps the next from being queried.
                  + Ring("305") + Ring("306") + Ring("301") + WatchPast(ANSWER_DELAY_MS),
        .expect = {
            .commands = {"GET CALL 301 PARTNER_HANDLE", "GET CALL 302 PARTNER_HANDLE",
                         "SET CALL 302 STATUS INPROGRESS", "GET CALL 304 PARTNER_HANDLE",
                         "SET CALL 304 STATUS INPROGRESS", "GET CALL 305 PARTNER_HANDLE",
                         "GET CALL 306 PARTNER_HANDLE", "GET CALL 301 PARTNER_HANDLE"},
            .log = {"CALL 303 STATUS RINGING"},
        },
    },
    {
        .name = "RingingIsRecognisedOnlyInItsExactShapeAndTheLongestIdentifierIsAnswered",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(ATTACHED)
                  + Await("attached")
                  + "notify call 11 STATUS RINGING\nnotify CALL 12 STATUS RINGINX\n"
                    "notify CALL 13 STATUS RINGING \nnotify CALL 14 status ringing\n"
                    "foreign CALL 15 STATUS RINGING\nnonul USER friend.9 ONLINESTATUS AWAY\n"
                    "notify CALL " + TOO_LONG_ID + " STATUS RINGING\n"
                    "notify CALL " + FAR_TOO_LONG_ID + " STATUS RINGING\n"
                    "notify CALL " + FAR_TOO_LONG_ID + " PARTNER_HANDLE alice\n"
                    "notify CALL " + LONGEST_ID + " STATUS RINGING\n"
                  + Await("command GET CALL " + LONGEST_ID + " PARTNER_HANDLE")
                  // No identifier at all: the call that rings stays the one.
                  + "notify CALL  STATUS RINGING\n"
                  + "notify CALL " + LONGEST_ID + " PARTNER_HANDLE alice\n"
                  + Await("command SET CALL " + LONGEST_ID + " STATUS INPROGRESS", ANSWER_DELAY_MS),
        .expect = {
            .commands = {"GET CALL " + LONGEST_ID + " PARTNER_HANDLE",
                         "SET CALL " + LONGEST_ID + " STATUS INPROGRESS"},
            .log = {"call 11 STATUS RINGING", "CALL 12 STATUS RINGINX", "USER friend.9 ONLINESTATUS AWAY",
                    "CALL " + FAR_TOO_LONG_ID + " PARTNER_HANDLE alice", "CALL " + LONGEST_ID + " STATUS RINGING"},
            .notLogged = {"CALL 15 STATUS RINGING"},
        },
    },
    {
        // The file as the program wrote it before it spoke UTF-8, in the code
        // page: one of its lines happens to be valid UTF-8 too. The user
        // types a contact and a command, the client speaks UTF-8, and one
        // of its lines is not valid UTF-8.
        .name = "ClientsOwnTextIsAnsweredShownSentAndSavedInUtf8",
        .given = {.settings = "0\r\n0\r\nZo\xEB\r\nRen\xC3\xA9\r\n"},
        .client = std::string(ATTACHED) + "partner 401 " + LUCJA + "\n" + Await("attached")
                  + Await("command GET USER " + LUCJA + " FULLNAME", 2 * STEP_MS)
                  + "notify USER " + LUCJA + " FULLNAME " + LUCJA + " Nowak\nnotify USER zoe FULLNAME Zo\xEB\n"
                  + Ring("401") + Await("command SET CALL 401 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = [](Run& run) {
            EXPECT_EQ(run.ring.contactLines(), (std::vector<std::string>{ZOE, RENE_IN_CODE_PAGE}));
            run.chooseFromContactsMenu('a');
            run.answerContactDialog(LUCJA, IDOK);
            EXPECT_EQ(run.ring.readSettings(), "0\r\n0\r\n" + ZOE + "\r\n" + RENE_IN_CODE_PAGE + "\r\n" + LUCJA + "\r\n");
            run.send("GET USER " + LUCJA + " FULLNAME");
            run.awaitLog("CALL 401 STATUS INPROGRESS");
        },
        .expect = {
            .commands = {"GET USER " + LUCJA + " FULLNAME", "GET CALL 401 PARTNER_HANDLE",
                         "SET CALL 401 STATUS INPROGRESS"},
            .log = {"USER " + LUCJA + " FULLNAME " + LUCJA + " Nowak", "USER zoe FULLNAME " + ZOE,
                    "CALL 401 PARTNER_HANDLE " + LUCJA, "CALL 401 STATUS INPROGRESS"},
        },
    },
#ifndef _WIN64
    {
        .name = "ThirtyTwoBitProgramServesTheSixtyFourBitClient",
        .given = {.settings = "1\r\n0\r\nalice\r\n", .clientProgram = RINGLOCK_X64_STANDIN_CLIENT},
        .client = std::string(ATTACHED)
                  + "partner 211 alice\n" + Await("attached") + Ring("211")
                  + Await("command SET WINDOWSTATE MAXIMIZED", MAXIMISED_MS) + "nonul USER friend.9 ONLINESTATUS AWAY\n",
        .expect = {
            .commands = {"GET CALL 211 PARTNER_HANDLE", "SET CALL 211 STATUS INPROGRESS",
                         "ALTER CALL 211 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"},
            .log = {CONNECTED_TEXT, "CALL 211 PARTNER_HANDLE alice", "ALTER CALL 211 START_VIDEO_SEND",
                    "USER friend.9 ONLINESTATUS AWAY"},
        },
    },
#endif
};

INSTANTIATE_TEST_SUITE_P(Calls, BlackBox, ::testing::ValuesIn(CALL_ROWS), RowName);

}  // namespace
