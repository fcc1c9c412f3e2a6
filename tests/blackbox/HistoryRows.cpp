// The call history: a line for each call that rang, written as the call ends,
// kept across restarts, bounded, and never a risk to answering or to a file
// that is not Ringlock's.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>

namespace {

using namespace contract;

// "Łucja", a letter no Western code page has; a name with a tab in it.
const std::string LUCJA = "\xC5\x81ucja";
const std::string WITH_TAB = "Zo\xC3\xAB\tX";
const std::string HEADER = HISTORY_HEADER;

// A listed caller's call, answered, is talked over for this long.
constexpr double TALK_MS = 2000.0;

// Each call ends only once the client has said who calls: its replies go
// from inside the command.
std::string RingAndRecognise(const std::string& call)
{
    return Ring(call) + Await("command GET CALL " + call + " PARTNER_HANDLE");
}

std::string Answered(const std::string& call)
{
    return Ring(call) + Await("command SET CALL " + call + " STATUS INPROGRESS", ANSWER_DELAY_MS);
}

// A file of the program's own grown past its limit: the header, then lines
// of distinct calls, the oldest first.
std::string GrownHistory()
{
    std::string text = HEADER;
    for (int call = 0; text.size() <= HISTORY_MAX_BYTES; ++call) {
        text += "2026-01-01 08:00:00\tcaller." + std::to_string(call) + "\tno\tmissed\t0\r\n";
    }
    return text;
}

// Written at last: the header and the grown file's newest whole lines, byte
// for byte, about half of its limit, then the new lines.
void ExpectTrimmed(const std::string& written, const std::string& grown, size_t newLines)
{
    ASSERT_EQ(written.compare(0, HEADER.size(), HEADER), 0);
    size_t newFrom = written.size();
    for (size_t i = 0; i < newLines; ++i) {
        newFrom = written.rfind("\r\n", newFrom - 3) + 2;
    }
    const std::string kept = written.substr(HEADER.size(), newFrom - HEADER.size());
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(grown.compare(grown.size() - kept.size(), kept.size(), kept), 0) << "the newest lines, as they were";
    EXPECT_EQ(grown.compare(grown.size() - kept.size() - 2, 2, "\r\n"), 0) << "whole lines";
    EXPECT_LE(kept.size(), HISTORY_KEPT_BYTES);
    EXPECT_GT(kept.size(), HISTORY_KEPT_BYTES - 100);
}

// Said `times`, each run of failures once: the path, then why in brackets,
// which ends in `why`.
void ExpectSaid(const Run& run, const std::string& why, size_t times = 1)
{
    const std::vector<std::string> said =
        run.linesBeginning(HISTORY_WRITE_FAILED_TEXT + run.ring.folder() + "\\Ringlock calls.txt (");
    EXPECT_EQ(said.size(), times) << ::testing::PrintToString(run.ring.logLines());
    for (const std::string& line : said) {
        EXPECT_EQ(line.compare(line.size() - why.size() - 1, why.size() + 1, why + ")"), 0) << line;
    }
}

std::string Because(DWORD error)
{
    return "(error " + std::to_string(error) + ")";
}

// The kind Windows opens text files as, until the result goes. Wine reads it
// from the machine's classes only, and its prefix has none of its own.
std::shared_ptr<void> TextFilesOpenAs(const wchar_t* type)
{
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, type,
                    static_cast<DWORD>((lstrlenW(type) + 1) * sizeof(wchar_t)));
    return std::shared_ptr<void>(nullptr, [](void*) { RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt"); });
}

BOOL CALLBACK FindEditor(HWND window, LPARAM found)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, ARRAYSIZE(title));
    if (IsWindowVisible(window) && wcsstr(title, L"Ringlock calls") != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// A window of any program whose title names the history.
HWND EditorWindow(DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&found] {
        EnumWindows(FindEditor, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
    }, timeoutMs);
    return found;
}

// The item begins the history, and opens it in the program for text files;
// without one, the log says so.
void OpenedFromTheTray(Run& run)
{
    run.held = TextFilesOpenAs(L"Ringlock.NoSuchProgram");
    run.chooseFromTrayMenu('h');
    EXPECT_TRUE(WaitUntil([&] { return !run.linesBeginning(HISTORY_OPEN_FAILED_TEXT).empty(); }, STEP_MS))
        << "no program opens it: said";
    EXPECT_EQ(ReadFileBytes(run.ring.historyPath()), HEADER) << "begun with its header";
    run.held.reset();
    run.held = TextFilesOpenAs(L"txtfile");
    run.chooseFromTrayMenu('h');
    const HWND editor = EditorWindow(3 * STEP_MS);
    EXPECT_NE(editor, nullptr) << "an editor shows the history";
    run.held.reset();
    PostMessageA(editor, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.linesBeginning(HISTORY_OPEN_FAILED_TEXT).size(), 1u);
}

const Row HISTORY_ROWS[] = {
    {
        // Each line is on the disk by the time the client's next text is
        // handled; a call this PC placed is not written, and a status the
        // client repeats changes nothing.
        .name = "EachCallIsWrittenAsItEndsWithItsCallerWhetherListedAndWhatHappened",
        .given = {.settings = "0\r\n0\r\nalice\r\n" + LUCJA + "\r\n"},
        .client = std::string(REPLYING_AT_ONCE)
                  + "partner 101 alice\npartner 102 bob\npartner 103 carol\npartner 104 dave\npartner 105 " + WITH_TAB
                  + "\npartner 106 frank\npartner 107 " + LUCJA + "\n" + Await("attached")
                  + Answered("101") + Wait(TALK_MS) + "finish 101 2\nmark 101 ended\n"
                  + Await("file 101 seen", STEP_MS)
                  + RingAndRecognise("102") + "miss 102\n"
                  + RingAndRecognise("103") + "pickup 103\n" + Wait(1000) + "finish 103\nnotify CALL 103 STATUS INPROGRESS\n"
                  + RingAndRecognise("104") + "refuse 104\n"
                  + RingAndRecognise("105") + "cancel 105\n"
                  + "notify CALL 106 STATUS ROUTING\nnotify CALL 106 STATUS ROUTING\nnotify CALL 106 STATUS RINGING\n"
                  + Await("command GET CALL 106 PARTNER_HANDLE")
                  + "notify CALL 106 STATUS INPROGRESS\nfinish 106\n"
                  + Answered("107") + Wait(1000),
        .act = [](Run& run) {
            // Killed now, the program would lose only the calls still open.
            ASSERT_TRUE(run.client.waitFor("==", "101 ended", 3 * STEP_MS));
            const std::string written = ReadFileBytes(run.ring.historyPath());
            EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << "written as the call ended: " << written;
            run.createFileBeside("101 seen");
        },
        .expect = {
            .commands = {"GET CALL 101 PARTNER_HANDLE", "SET CALL 101 STATUS INPROGRESS", "GET CALL 102 PARTNER_HANDLE",
                         "GET CALL 103 PARTNER_HANDLE", "GET CALL 104 PARTNER_HANDLE", "GET CALL 105 PARTNER_HANDLE",
                         "GET CALL 106 PARTNER_HANDLE", "GET CALL 107 PARTNER_HANDLE",
                         "SET CALL 107 STATUS INPROGRESS"},
            .history = {{{"alice", true, ANSWERED_BY_RINGLOCK, 2}, {"bob", false, "missed"},
                         {"carol", false, ANSWERED_BY_HAND, 1}, {"dave", false, "refused"},
                         {"Zo\xC3\xAB X", false, "cancelled"}, {LUCJA, true, END_NOT_SEEN, 1}}},
        },
    },
    {
        // The first trim finds the disk full: nothing changes and the log
        // says why; the next, with room again, writes both calls.
        .name = "AFileGrownPastItsLimitKeepsItsHeaderAndNewestHalfAndIsReplacedSafely",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) {
                      WriteFileBytes(run.ring.historyPath(), GrownHistory());
                      run.held = FullDiskAt(run.ring.historyPath() + L".tmp");
                  }},
        .client = std::string(REPLYING_AT_ONCE) + "partner 301 bob\npartner 302 carol\n" + Await("attached")
                  + RingAndRecognise("301") + "miss 301\nmark 301 ended\n" + Await("file room", STEP_MS)
                  + RingAndRecognise("302") + "miss 302\nmark 302 ended\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "301 ended", 3 * STEP_MS));
            ExpectSaid(run, Because(ERROR_DISK_FULL));
            EXPECT_TRUE(ReadFileBytes(run.ring.historyPath()) == GrownHistory()) << "a failed trim changes nothing";
            run.held.reset();
            run.createFileBeside("room");
            ASSERT_TRUE(run.client.waitFor("==", "302 ended", STEP_MS));
            const std::string written = ReadFileBytes(run.ring.historyPath());
            ExpectTrimmed(written, GrownHistory(), 2);
            const std::string last = "\tcarol\tno\tmissed\t0\r\n";
            EXPECT_NE(written.find("\tbob\tno\tmissed\t0\r\n"), std::string::npos) << "the call kept meanwhile";
            EXPECT_EQ(written.compare(written.size() - last.size(), last.size(), last), 0) << "the newest call last";
        },
        .expect = {.commands = {"GET CALL 301 PARTNER_HANDLE", "GET CALL 302 PARTNER_HANDLE"}},
    },
    {
        .name = "AFileOfThatNameThatIsNotTheHistoryIsLeftAloneAndThatIsSaidOnce",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { WriteFileBytes(run.ring.historyPath(), "caller,calls\r\nbob,3\r\n"); }},
        .client = std::string(REPLYING_AT_ONCE) + "partner 401 bob\npartner 402 carol\n" + Await("attached")
                  + RingAndRecognise("401") + "miss 401\n" + RingAndRecognise("402") + "miss 402\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("->", "CALL 402 STATUS MISSED", 3 * STEP_MS));
            ExpectSaid(run, HISTORY_FOREIGN_TEXT);
            run.exit();
            EXPECT_EQ(ReadFileBytes(run.ring.historyPath()), "caller,calls\r\nbob,3\r\n");
        },
        .expect = {.commands = {"GET CALL 401 PARTNER_HANDLE", "GET CALL 402 PARTNER_HANDLE"}},
    },
    {
        // The history's name is taken by a folder: it cannot be written, and
        // each listed call is answered on time all the same.
        .name = "AHistoryThatCannotBeWrittenCostsOneLogLineAndAnsweringGoesOn",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { CreateDirectoryW(run.ring.historyPath().c_str(), nullptr); }},
        .client = std::string(REPLYING_AT_ONCE) + "partner 501 alice\npartner 502 alice\n" + Await("attached")
                  + Answered("501") + "finish 501\n" + Wait(2 * LOCK_WAIT_MS) + Answered("502") + "finish 502\n"
                  + Wait(2 * LOCK_WAIT_MS),
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("->", "CALL 502 STATUS FINISHED", 4 * STEP_MS));
            ASSERT_TRUE(run.client.waitFor("==", "done", 2 * STEP_MS));
            ExpectSaid(run, Because(ERROR_ACCESS_DENIED));
        },
        .expect = {
            .commands = {"GET CALL 501 PARTNER_HANDLE", "SET CALL 501 STATUS INPROGRESS", "GET CALL 502 PARTNER_HANDLE",
                         "SET CALL 502 STATUS INPROGRESS"},
            .delays = {{"-> CALL 501 PARTNER_HANDLE alice", "<- SET CALL 501 STATUS INPROGRESS", ANSWER_DELAY_MS},
                       {"-> CALL 502 PARTNER_HANDLE alice", "<- SET CALL 502 STATUS INPROGRESS", ANSWER_DELAY_MS}},
        },
    },
    {
        // The disk fills up: the history opens, its write fails; once there is
        // room, the calls kept meanwhile are written; when it fills up again,
        // that is said again.
        .name = "AHistoryOnAFullDiskIsSaidOnceAndItsCallsWrittenOnceThereIsRoom",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { run.held = FullDiskAt(run.ring.historyPath()); }},
        .client = std::string(REPLYING_AT_ONCE) + "partner 601 bob\npartner 602 carol\npartner 603 dave\npartner 604 erin\n"
                  + Await("attached") + RingAndRecognise("601") + "miss 601\n" + RingAndRecognise("602")
                  + "miss 602\nmark full\n" + Await("file room", STEP_MS) + RingAndRecognise("603") + "miss 603\nmark room\n"
                  + Await("file full again", STEP_MS) + RingAndRecognise("604") + "miss 604\nmark full again\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "full", 3 * STEP_MS));
            ExpectSaid(run, Because(ERROR_DISK_FULL));
            run.held.reset();
            run.createFileBeside("room");
            ASSERT_TRUE(run.client.waitFor("==", "room", STEP_MS));
            CheckHistory(run, {{"bob", false, "missed"}, {"carol", false, "missed"}, {"dave", false, "missed"}});
            run.held = FullDiskAt(run.ring.historyPath());
            run.createFileBeside("full again");
            ASSERT_TRUE(run.client.waitFor("==", "full again", STEP_MS));
            ExpectSaid(run, Because(ERROR_DISK_FULL), 2);
        },
        .expect = {.commands = {"GET CALL 601 PARTNER_HANDLE", "GET CALL 602 PARTNER_HANDLE",
                                "GET CALL 603 PARTNER_HANDLE", "GET CALL 604 PARTNER_HANDLE"}},
    },
    {
        // A scanner holds the history for a moment as a call ends.
        .name = "AHistoryHeldForAMomentIsWrittenOnARetryWithoutAWord",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { WriteFileBytes(run.ring.historyPath(), HEADER); }},
        .client = std::string(REPLYING_AT_ONCE) + "partner 701 bob\n" + Await("attached") + RingAndRecognise("701")
                  + "mark recognised\n" + Await("file held", STEP_MS) + "miss 701\nmark missed\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "recognised", 3 * STEP_MS));
            HoldFor(run.ring.historyPath(), BRIEFLY_MS);
            run.createFileBeside("held");
            ASSERT_TRUE(run.client.waitFor("==", "missed", STEP_MS));
            EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(run.ring.historyPath()).find("\tbob\t") != std::string::npos; },
                                  static_cast<DWORD>(LOCK_WAIT_MS + LATE_MS)));
            EXPECT_TRUE(run.linesBeginning(HISTORY_WRITE_FAILED_TEXT).empty());
        },
        .expect = {.commands = {"GET CALL 701 PARTNER_HANDLE"}, .history = {{{"bob", false, "missed"}}}},
    },
    {
        .name = "TheTrayItemOpensTheHistoryInTheProgramForTextFiles",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = ATTACHED,
        .act = OpenedFromTheTray,
    },
};

INSTANTIATE_TEST_SUITE_P(History, BlackBox, ::testing::ValuesIn(HISTORY_ROWS), RowName);

}  // namespace
