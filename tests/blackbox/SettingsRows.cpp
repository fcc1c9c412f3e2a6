// The settings file: read at start, written at exit, after each contact
// command and when the session ends, in a folder of any name, and never lost
// when another program holds it.
#include "tests/blackbox/BlackBox.h"

#include <memory>

#include "tests/support/Utf16Bytes.h"

namespace {

using namespace contract;

const std::string LONGEST(ROW_TEXT_MAX_UNITS, 'z');
// "Zvonok dianhua", which no Western code page can spell.
const std::wstring ANY_SCRIPT = L"\u0417\u0432\u043e\u043d\u043e\u043a \u7535\u8bdd";
// What another program may hold open while Ringlock saves.
const std::wstring TEMPORARY = L".tmp";

std::string ManyContacts()
{
    std::string contacts;
    for (int i = 0; i < 150; ++i) {
        contacts += "c" + std::to_string(i) + "\r\n";
    }
    return contacts;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The log's line about a settings file that was there but could not be read.
std::string NotReadLine(const Run& run, const std::string& why)
{
    return READ_FAILED_TEXT + run.ring.folder() + "\\Ringlock.ini (" + why + ")" + UNTIL_READ_TEXT;
}

// Larger than any settings file the program writes: only a broken or hostile
// file is.
std::string Oversized()
{
    return "1\r\n0\r\nalice\r\n" + std::string(SETTINGS_FILE_MAX_BYTES, 'x');
}

// The file named by the settings file's path and `suffix` is held briefly
// from the moment the user confirms `contact`.
void AddWhileHeldBriefly(Run& run, const std::wstring& suffix, const std::string& contact, const std::string& written)
{
    run.chooseFromContactsMenu('a');
    HoldFor(run.ring.settingsPath() + suffix, BRIEFLY_MS);
    run.answerContactDialog(contact, IDOK);
    EXPECT_EQ(run.messageBox(), nullptr) << "no message box";
    EXPECT_EQ(run.ring.readSettings(), written);
    EXPECT_FALSE(Exists(run.ring.settingsPath() + TEMPORARY));
}

// What Windows sends every top-level window of the program as the session
// ends, or as an end that was asked for is called off.
void EndSession(const Run& run, BOOL ending)
{
    const std::vector<HWND> windows = TopLevelWindows(run.ring.processId());
    bool hiddenAsked = false;
    for (HWND window : windows) {
        DWORD_PTR allowed = 0;
        ASSERT_NE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, STEP_MS, &allowed), 0);
        EXPECT_NE(allowed, 0u) << (IsWindowVisible(window) ? "the dialog" : "a hidden window") << " vetoes the end";
        hiddenAsked = hiddenAsked || !IsWindowVisible(window);
    }
    EXPECT_TRUE(hiddenAsked) << "the hidden windows are asked too";
    for (HWND window : windows) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_ENDSESSION, static_cast<WPARAM>(ending), 0, SMTO_NORMAL, STEP_MS, &ignored);
    }
}

const Row SETTINGS_ROWS[] = {
    {
        .name = "QuirksAreReadAndTheProgramsOwnFormatIsWritten",
        .given = {.settings = "2\r\n\r\nyes\nalice\r  bob \r\n" + ManyContacts() + LONGEST + "zzz\r\n"},
        .client = ATTACHED,
        .expect = {.settings = "1\r\n0\r\nalice\r\n  bob \r\n" + ManyContacts() + LONGEST + "\r\n"},
    },
    {
        // Read as UTF-16, NUL bytes and all.
        .name = "FileSavedAsUtf16KeepsItsOptionsAndContacts",
        .given = {.settings = Utf16Bytes(u"1\r\n1\r\nalice\r\n\u0141ucja\r\n")},
        .client = ATTACHED,
        .expect = {.settings = "1\r\n1\r\nalice\r\n\xC5\x81ucja\r\n"},
    },
    {
        // Held for a while as the program starts, as a scanner may at logon:
        // only a contact read on a retry can be answered.
        .name = "ProgramInAFolderOfAnyNameReadsItsSettingsOnARetryAnswersAndKeepsThem",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .programFolder = ANY_SCRIPT,
                  .before = [](Run& run) { HoldFor(run.ring.settingsPath(), 2 * BRIEFLY_MS); }},
        .client = std::string(ATTACHED)
                  + "partner 901 alice\n" + Await("attached") + Ring("901")
                  + Await("command SET CALL 901 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = [](Run& run) {
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("dave", IDOK);
        },
        .expect = {.commands = {"GET CALL 901 PARTNER_HANDLE", "SET CALL 901 STATUS INPROGRESS"},
                   .settings = "0\r\n0\r\nalice\r\ndave\r\n"},
    },
    {
        // An indexer reads it, sharing reading, for longer than a lock is waited for.
        .name = "FileOpenForReadingElsewhereIsReadAtOnce",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { HoldFor(run.ring.settingsPath(), 2 * LOCK_WAIT_MS, FILE_SHARE_READ); }},
        .client = std::string(ATTACHED)
                  + "partner 902 alice\n" + Await("attached") + Ring("902")
                  + Await("command SET CALL 902 STATUS INPROGRESS", ANSWER_DELAY_MS),
        .act = [](Run& run) { EXPECT_EQ(run.ring.contactLines(), std::vector<std::string>{"alice"}); },
        .expect = {.commands = {"GET CALL 902 PARTNER_HANDLE", "SET CALL 902 STATUS INPROGRESS"}},
    },
    {
        .name = "SessionEndIsNotVetoedAndWritesTheSettingsBeforeTheProcessIsEnded",
        .given = {.settings = "0\r\n0\r\nalice\r\n"},
        .client = std::string(REPLYING_AT_ONCE) + "partner 903 bob\n" + Await("attached") + Ring("903")
                  + Await("command GET CALL 903 PARTNER_HANDLE") + "mark ringing\n",
        .act = [](Run& run) {
            ASSERT_TRUE(run.client.waitFor("==", "ringing", STEP_MS));
            SendMessageA(run.item(IDC_QUIET_MEDIA), BM_CLICK, 0, 0);
            EndSession(run, FALSE);
            EXPECT_EQ(run.ring.readSettings(), "0\r\n0\r\nalice\r\n") << "an end called off writes nothing";
            EXPECT_EQ(ReadFileBytes(run.ring.historyPath()), "") << "nor ends a call";
            run.held = Hold(run.ring.settingsPath());
            EndSession(run, TRUE);
            EXPECT_EQ(run.messageBox(), nullptr) << "a save that fails as the session ends holds nothing up";
            run.held.reset();
            EndSession(run, TRUE);
            EXPECT_EQ(run.ring.readSettings(), "0\r\n1\r\nalice\r\n") << "written before the session ends";
            // As Windows may, as soon as the program has answered.
            run.ring.kill();
        },
        .expect = {.commands = {"GET CALL 903 PARTNER_HANDLE"}, .history = {{{"bob", false, END_NOT_SEEN}}}},
    },
    {
        // A temporary file left over from an earlier save, then the file itself.
        .name = "LeftoverTemporaryOrSettingsFileHeldBrieflyAtASaveIsWrittenOnARetry",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { WriteFileBytes(run.ring.settingsPath() + TEMPORARY, "left over"); }},
        .client = ATTACHED,
        .act = [](Run& run) {
            AddWhileHeldBriefly(run, TEMPORARY, "dave", "0\r\n0\r\nalice\r\ndave\r\n");
            AddWhileHeldBriefly(run, L"", "erin", "0\r\n0\r\nalice\r\ndave\r\nerin\r\n");
        },
    },
    {
        // Held for longer than a save waits, then made read-only.
        .name = "FileHeldForLongerIsGivenUpAfterASecondAReadOnlyOneAtOnceAndEachKeptAsItWas",
        .given = {.settings = "1\r\n0\r\nalice\r\n"},
        .client = ATTACHED,
        .act = [](Run& run) {
            const auto keptAsItWas = [&run] {
                EXPECT_EQ(run.ring.readSettings(), "1\r\n0\r\nalice\r\n");
                EXPECT_FALSE(Exists(run.ring.settingsPath() + TEMPORARY));
            };
            run.chooseFromContactsMenu('a');
            run.held = Hold(run.ring.settingsPath());
            double confirmed = ClockMs();
            run.answerContactDialog("dave", IDOK);
            EXPECT_EQ(run.dismissMessageBox(), WRITE_FAILED_TEXT);
            const double waited = ClockMs() - confirmed;
            EXPECT_GE(waited, LOCK_WAIT_MS) << "a brief lock is waited out";
            EXPECT_LT(waited, LOCK_WAIT_MS + LATE_MS) << "for about a second";
            run.held.reset();
            keptAsItWas();
            SetFileAttributesW(run.ring.settingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
            run.chooseFromContactsMenu('a');
            confirmed = ClockMs();
            run.answerContactDialog("erin", IDOK);
            EXPECT_EQ(run.dismissMessageBox(), WRITE_FAILED_TEXT);
            EXPECT_LT(ClockMs() - confirmed, LOCK_WAIT_MS) << "refused at once";
            run.exit(WRITE_FAILED_TEXT);
            const DWORD attributes = GetFileAttributesW(run.ring.settingsPath().c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0);
            keptAsItWas();
        },
    },
    {
        // The disk fills up under the save: the new file opens, its write fails.
        .name = "WriteThatFailsAfterTheFileOpenedIsAFailedSaveThatKeepsTheOldFile",
        .given = {.settings = "1\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { run.held = FullDiskAt(run.ring.settingsPath() + TEMPORARY); }},
        .client = ATTACHED,
        .act = [](Run& run) {
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("dave", IDOK);
            EXPECT_EQ(run.dismissMessageBox(), WRITE_FAILED_TEXT);
            EXPECT_EQ(run.ring.readSettings(), "1\r\n0\r\nalice\r\n");
            run.awaitLogBeginning(SAVE_FAILED_TEXT + run.ring.folder() + "\\Ringlock.ini (",
                                  "(error " + std::to_string(ERROR_DISK_FULL) + "))");
            run.exit(WRITE_FAILED_TEXT);
            EXPECT_EQ(run.writtenAtExit(), "1\r\n0\r\nalice\r\n");
        },
    },
    {
        // Once read, the file's contacts follow those added meanwhile.
        .name = "FileUnreadableAtStartIsNotOverwrittenUntilReadThenMerged",
        .given = {.settings = "1\r\n0\r\nalice\r\n",
                  .before = [](Run& run) { run.held = Hold(run.ring.settingsPath()); }},
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog(NotReadLine(run, "error 32"));
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("dave", IDOK);
            EXPECT_EQ(run.dismissMessageBox(), NOT_OVERWRITTEN_TEXT);
            run.held.reset();
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("", IDCANCEL);
        },
        .expect = {.settings = "1\r\n0\r\ndave\r\nalice\r\n"},
    },
    {
        .name = "FileLargerThanAnySettingsFileIsRefusedSaidAndKept",
        .given = {.before = [](Run& run) { run.ring.writeSettings(Oversized()); }},
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog(NotReadLine(run, TOO_LARGE_TEXT));
            run.exit(NOT_OVERWRITTEN_TEXT);
            EXPECT_TRUE(run.writtenAtExit() == Oversized());
        },
    },
};

INSTANTIATE_TEST_SUITE_P(Settings, BlackBox, ::testing::ValuesIn(SETTINGS_ROWS), RowName);

}  // namespace
