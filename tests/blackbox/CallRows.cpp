// Calls rung by the client, and what Ringlock makes of them.
#include "tests/blackbox/BlackBox.h"

namespace {

const std::string LONGEST_ID = std::string(129, '8') + " " + std::string(129, '9');  // 259 bytes, a blank inside
const std::string TOO_LONG_ID(260, '7');
const std::string FAR_TOO_LONG_ID(400, '6');
// "Łucja": a letter that no Western code page has. "Zoë" in UTF-8.
const std::string LUCJA = "\xC5\x81ucja";
const std::string ZOE = "Zo\xC3\xAB";
// "RenÃ©" in UTF-8: in a file of the code page, the bytes of "René" in UTF-8.
const std::string RENE_IN_CODE_PAGE = "Ren\xC3\x83\xC2\xA9";

const Row CALL_ROWS[] = {
    {
        .name = "ListedCallerIsAnsweredThenVideoMaximiseAndQuietPlayersFollowOnce",
        .given = {.settings = "1\r\n1\r\nbob\r\nalice\r\n", .players = ""},
        .client = std::string(ATTACHED)
                  + "partner 201 alice\nawait 10000 attached\nring 201 3 300\n"
                    "await 15000 command SET WINDOWSTATE MAXIMIZED\n"
                    "notify CALL 201 VIDEO_SEND_STATUS AVAILABLE\nnotify CALL 201 PARTNER_HANDLE alice\n"
                    "wait 1300\n",
        .expect = {
            .commands = {"GET CALL 201 PARTNER_HANDLE", "SET CALL 201 STATUS INPROGRESS",
                         "ALTER CALL 201 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"},
            .log = {"CALL 201 CONF_ID 0", "CALL 201 STATUS RINGING", "CALL 201 PARTNER_HANDLE alice",
                    "CALL 201 STATUS INPROGRESS", "CALL 201 VIDEO_SEND_STATUS AVAILABLE",
                    "ALTER CALL 201 START_VIDEO_SEND", "CALL 201 VIDEO_SEND_STATUS RUNNING", "WINDOWSTATE MAXIMIZED"},
            .notLogged = {"GET CALL 201 PARTNER_HANDLE", "SET CALL 201 STATUS INPROGRESS"},
            .media = {"WMP WM_SYSCOMMAND 0xf020 0x0 minimise", "WMC WM_SYSCOMMAND 0xf020 0x0 minimise",
                      "WMP WM_COMMAND 0x14978 0x0 pause", "WMC WM_APPCOMMAND 0x0 0x2f0000 pause",
                      "WMP WM_COMMAND 0x14981 0x0 mute"},
            .delays = {{"-> CALL 201 PARTNER_HANDLE alice", "<- SET CALL 201 STATUS INPROGRESS", 2500},
                       {"-> CALL 201 VIDEO_SEND_STATUS AVAILABLE", "<- ALTER CALL 201 START_VIDEO_SEND", 1000},
                       {"<- ALTER CALL 201 START_VIDEO_SEND", "<- SET WINDOWSTATE MAXIMIZED", 1000},
                       {"-> CALL 201 PARTNER_HANDLE alice", "WMP WM_SYSCOMMAND 0xf020 0x0 minimise", 100, 700},
                       {"-> CALL 201 PARTNER_HANDLE alice", "WMC WM_SYSCOMMAND 0xf020 0x0 minimise", 100, 700},
                       {"-> CALL 201 PARTNER_HANDLE alice", "WMP WM_COMMAND 0x14978 0x0 pause", 2000},
                       {"-> CALL 201 PARTNER_HANDLE alice", "WMC WM_APPCOMMAND 0x0 0x2f0000 pause", 2000},
                       {"-> CALL 201 PARTNER_HANDLE alice", "WMP WM_COMMAND 0x14981 0x0 mute", 3000}},
        },
    },
    {
        .name = "VideoOffMeansNoVideoAndAHiddenPlayerIsLeftAlone",
        .given = {.settings = "0\r\n1\r\nalice\r\n", .players = "--hidden wmp"},
        .client = std::string(ATTACHED)
                  + "partner 202 alice\nawait 10000 attached\nring 202\n"
                    "await 15000 command SET CALL 202 STATUS INPROGRESS\nwait 800\n",
        .expect = {
            .commands = {"GET CALL 202 PARTNER_HANDLE", "SET CALL 202 STATUS INPROGRESS"},
            .media = {"WMC WM_SYSCOMMAND 0xf020 0x0 minimise", "WMC WM_APPCOMMAND 0x0 0x2f0000 pause"},
        },
    },
    {
        .name = "ClientReplyingFromInsideEachCommandIsServedAlike",
        .given = {.settings = "1\r\n0\r\nalice\r\n", .players = ""},
        .client = "attach connected\nreplies sync\npartner 203 alice\nawait 10000 attached\nring 203\n"
                  "await 15000 command SET WINDOWSTATE MAXIMIZED\n",
        .expect = {
            .commands = {"GET CALL 203 PARTNER_HANDLE", "SET CALL 203 STATUS INPROGRESS",
                         "ALTER CALL 203 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"},
            .log = {"CALL 203 STATUS RINGING", "CALL 203 PARTNER_HANDLE alice", "CALL 203 STATUS INPROGRESS",
                    "ALTER CALL 203 START_VIDEO_SEND", "WINDOWSTATE MAXIMIZED"},
        },
    },
    {
        // bob is not listed, carol rings only while alice's answer is pending,
        // and the others differ from alice in case or by what follows.
        .name = "OnlyTheExactListedCallerOutsideThePendingAnswerIsAnswered",
        .given = {.settings = "0\r\n0\r\nalice\r\ncarol\r\n"},
        .client = std::string(ATTACHED)
                  + "partner 301 bob\npartner 302 alice\npartner 303 carol\npartner 304 alice\n"
                    "partner 305 Alice\npartner 306 alicea\n"
                    "await 10000 attached\nring 301 2 200\nwait 300\nring 302\n"
                    "await 5000 command GET CALL 302 PARTNER_HANDLE\nwait 500\n"
                    "notify CALL 301 STATUS RINGING\nring 303\n"
                    "await 15000 command SET CALL 302 STATUS INPROGRESS\nmiss 301\nmiss 303\n"
                    "ring 304 2 200\nawait 15000 command SET CALL 304 STATUS INPROGRESS\n"
                    "ring 305\nring 306\nring 301\nawait 5000 command GET CALL 301 PARTNER_HANDLE\nwait 300\n",
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
                  + "await 10000 attached\n"
                    "notify call 11 STATUS RINGING\nnotify CALL 12 STATUS RINGINX\n"
                    "notify CALL 13 STATUS RINGING \nnotify CALL 14 status ringing\n"
                    "foreign CALL 15 STATUS RINGING\nnonul USER friend.9 ONLINESTATUS AWAY\n"
                    "notify CALL " + TOO_LONG_ID + " STATUS RINGING\n"
                    "notify CALL " + FAR_TOO_LONG_ID + " STATUS RINGING\n"
                    "notify CALL " + FAR_TOO_LONG_ID + " PARTNER_HANDLE alice\n"
                    "notify CALL " + LONGEST_ID + " STATUS RINGING\n"
                    "await 5000 command GET CALL " + LONGEST_ID + " PARTNER_HANDLE\n"
                    "notify CALL " + LONGEST_ID + " PARTNER_HANDLE alice\n"
                    "await 15000 command SET CALL " + LONGEST_ID + " STATUS INPROGRESS\nwait 300\n",
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
        .client = std::string(ATTACHED) + "partner 401 " + LUCJA + "\nawait 10000 attached\n"
                  "await 30000 command GET USER " + LUCJA + " FULLNAME\n"
                  "notify USER " + LUCJA + " FULLNAME " + LUCJA + " Nowak\nnotify USER zoe FULLNAME Zo\xEB\n"
                  "ring 401\nawait 15000 command SET CALL 401 STATUS INPROGRESS\n",
        .act = [](Run& run) {
            run.awaitLog("USERSTATUS ONLINE");
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
                  + "partner 211 alice\nawait 10000 attached\nring 211\n"
                    "await 15000 command SET WINDOWSTATE MAXIMIZED\nnonul USER friend.9 ONLINESTATUS AWAY\n",
        .expect = {
            .commands = {"GET CALL 211 PARTNER_HANDLE", "SET CALL 211 STATUS INPROGRESS",
                         "ALTER CALL 211 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"},
            .log = {"Connected to Skype", "CALL 211 PARTNER_HANDLE alice", "ALTER CALL 211 START_VIDEO_SEND",
                    "USER friend.9 ONLINESTATUS AWAY"},
        },
    },
#endif
};

INSTANTIATE_TEST_SUITE_P(Calls, BlackBox, ::testing::ValuesIn(CALL_ROWS), RowName);

}  // namespace
