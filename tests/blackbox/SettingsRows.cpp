// The settings file: read at start, written at exit and after each contact
// command, and never lost when another program holds it.
#include <thread>

#include "tests/blackbox/BlackBox.h"

namespace {

const std::string LONGEST(259, 'z');
const char* const WRITE_FAILED = "Could not open config file for writing!";

std::string ManyContacts()
{
    std::string contacts;
    for (int i = 0; i < 150; ++i) {
        contacts += "c" + std::to_string(i) + "\r\n";
    }
    return contacts;
}

bool LogHasLineBeginning(const Run& run, const std::string& head)
{
    for (const std::string& line : run.ring.logLines()) {
        if (line.compare(0, head.size(), head) == 0) {
            return true;
        }
    }
    return false;
}

const Row SETTINGS_ROWS[] = {
    {
        .name = "QuirksAreReadAndTheProgramsOwnFormatIsWritten",
        .settings = "2\r\n\r\nyes\nalice\r  bob \r\n" + ManyContacts() + LONGEST + "zzz\r\n",
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog("USERSTATUS ONLINE");
            const std::vector<std::string> contacts = run.ring.contactLines();
            ASSERT_EQ(contacts.size(), 153u);
            EXPECT_EQ(contacts.front(), "alice");
            EXPECT_EQ(contacts[1], "  bob ");
        },
        .commands = {"PING"},
        .settingsAfter = "1\r\n0\r\nalice\r\n  bob \r\n" + ManyContacts() + LONGEST + "\r\n",
    },
    {
        .name = "FileHeldBrieflyAtStartIsReadOnARetry",
        .settings = "0\r\n0\r\nalice\r\n",
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog("USERSTATUS ONLINE");
            EXPECT_EQ(run.ring.contactLines(), (std::vector<std::string>{"alice"}));
            EXPECT_FALSE(LogHasLineBeginning(run, "Could not read config file"));
        },
        .commands = {"PING"},
        .before = [](Run& run) {
            HANDLE file = CreateFileA(run.ring.settingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
            std::thread([file] {
                Sleep(600);
                CloseHandle(file);
            }).detach();
        },
    },
    {
        .name = "FileUnreadableAtStartIsNotOverwrittenUntilReadThenMerged",
        .settings = "1\r\n0\r\nalice\r\n",
        .client = ATTACHED,
        .act = [](Run& run) {
            ASSERT_TRUE(WaitUntil([&] { return LogHasLineBeginning(run, "Could not read config file"); }, STEP_MS));
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("dave", IDOK);
            EXPECT_EQ(run.dismissMessageBox(),
                      "Could not read config file, so it was not overwritten!\r\n"
                      "Close any program that has it open; the next save will try again.");
            run.held->release();
        },
        .commands = {"PING"},
        .settingsAfter = "1\r\n0\r\ndave\r\nalice\r\n",
        .before = [](Run& run) { run.held.emplace(run.ring.settingsPath()); },
    },
    {
        .name = "SaveThatCannotReplaceTheFileKeepsItAndLeavesNoTemporaryFile",
        .settings = "0\r\n0\r\nalice\r\n",
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog("USERSTATUS ONLINE");
            SendMessageA(run.item(1015), BM_CLICK, 0, 0);
            run.held.emplace(run.ring.settingsPath());
            run.exit(WRITE_FAILED);
            run.held->release();
            EXPECT_EQ(GetFileAttributesA((run.ring.settingsPath() + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
        },
        .commands = {"PING"},
        .settingsAfter = "0\r\n0\r\nalice\r\n",
    },
    {
        .name = "ReadOnlyFileIsNeverReplaced",
        .settings = "1\r\n0\r\nalice\r\n",
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitLog("USERSTATUS ONLINE");
            run.chooseFromContactsMenu('a');
            run.answerContactDialog("dave", IDOK);
            EXPECT_EQ(run.dismissMessageBox(), WRITE_FAILED);
            run.exit(WRITE_FAILED);
            const DWORD attributes = GetFileAttributesA(run.ring.settingsPath().c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0);
            EXPECT_EQ(GetFileAttributesA((run.ring.settingsPath() + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
        },
        .commands = {"PING"},
        .settingsAfter = "1\r\n0\r\nalice\r\n",
        .before = [](Run& run) { SetFileAttributesA(run.ring.settingsPath().c_str(), FILE_ATTRIBUTE_READONLY); },
    },
};

INSTANTIATE_TEST_SUITE_P(Settings, BlackBox, ::testing::ValuesIn(SETTINGS_ROWS), RowName);

}  // namespace
