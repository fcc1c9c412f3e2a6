#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "tests/support/ListRows.h"
#include "ui/ListView.h"

namespace {

using Lines = std::vector<std::string>;

constexpr char WRITE_FAILED[] = "Could not open config file for writing!";
constexpr char NOT_OVERWRITTEN[] =
    "Could not read config file, so it was not overwritten!\r\n"
    "Close any program that has it open; the next save will try again.";

template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

std::string NewTempFolder()
{
    static int counter = 0;
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + "ringlock-settings-" + std::to_string(GetCurrentProcessId()) +
                               "-" + std::to_string(++counter);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

Lines FolderFiles(const std::string& folder)
{
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveFolder(const std::string& folder)
{
    for (const std::string& name : FolderFiles(folder)) {
        DeleteFileA((folder + "\\" + name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadThrough(HANDLE file)
{
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot read " << path;
        return std::string();
    }
    const std::string bytes = ReadThrough(file);
    CloseHandle(file);
    return bytes;
}

// Opens the file the way another program that wants it for itself does.
HANDLE HoldWithoutSharing(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner;
    HICON icon;
};

// Notes and dismisses, from a thread of its own, every dialog box that this
// process shows besides `host`, as a user clicking OK would.
class BoxWatcher {
public:
    explicit BoxWatcher(HWND host) : host_(host), thread_([this] { Run(); }) {}
    ~BoxWatcher() { Finish(); }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> Finish()
    {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        }
        return seen_;
    }

private:
    void Run()
    {
        while (!stop_) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            Sleep(10);
        }
    }

    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        reinterpret_cast<BoxWatcher*>(self)->Look(window);
        return TRUE;
    }

    static BOOL CALLBACK VisitChild(HWND child, LPARAM box)
    {
        SeenBox& seen = *reinterpret_cast<SeenBox*>(box);
        char className[16] = {};
        GetClassNameA(child, className, sizeof(className));
        if (lstrcmpiA(className, "Static") != 0) {
            return TRUE;
        }
        if (HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0))) {
            seen.icon = icon;
        } else {
            char text[512] = {};
            GetWindowTextA(child, text, sizeof(text));
            if (text[0] != '\0') {
                seen.text = text;
            }
        }
        return TRUE;
    }

    void Look(HWND window)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[16] = {};
        GetClassNameA(window, className, sizeof(className));
        if (process != GetCurrentProcessId() || window == host_ || std::strcmp(className, "#32770") != 0 ||
            !IsWindowVisible(window)) {
            return;
        }
        SeenBox seen{};
        for (int wait = 0; wait < 100 && seen.text.empty(); ++wait) {
            EnumChildWindows(window, VisitChild, reinterpret_cast<LPARAM>(&seen));
            if (seen.text.empty()) {
                Sleep(10);
            }
        }
        char caption[128] = {};
        GetWindowTextA(window, caption, sizeof(caption));
        seen.caption = caption;
        seen.owner = GetWindow(window, GW_OWNER);
        seen_.push_back(seen);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        for (int wait = 0; wait < 500 && IsWindow(window); ++wait) {
            Sleep(10);
        }
    }

    HWND host_;
    std::atomic<bool> stop_{false};
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

INT_PTR CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The program's own main dialog template with its real check boxes and list
// views, wired into g_app as the main dialog does, and a folder of its own.
// The dialog stays hidden, as the main dialog is while it loads the settings.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, HostProc, 0);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_HIDE);
        g_app.mainDialog = dialog_;
        g_app.logView = GetDlgItem(dialog_, IDC_LOG);
        g_app.contactsView = GetDlgItem(dialog_, IDC_CONTACTS);
        ASSERT_EQ(ListInsertColumn(g_app.logView, 0, "Skype Message Log", 280), 0);
        ASSERT_EQ(ListInsertColumn(g_app.contactsView, 0, "Ringlock Contacts", 280), 0);
        folder_ = NewTempFolder();
        path_ = folder_ + "\\Ringlock.ini";
    }

    void TearDown() override
    {
        DestroyWindow(dialog_);
        g_app.mainDialog = nullptr;
        g_app.logView = nullptr;
        g_app.contactsView = nullptr;
        RemoveFolder(folder_);
    }

    Lines Contacts() const { return ListRows(g_app.contactsView); }
    Lines LogLines() const { return ListRows(g_app.logView); }
    UINT Checked(int id) const { return IsDlgButtonChecked(dialog_, id); }
    void Check(int id, UINT state) { CheckDlgButton(dialog_, id, state); }
    void AddContact(const std::string& text) { ListAppendRow(g_app.contactsView, text.c_str(), LIST_UNLIMITED); }
    void ClearControls()
    {
        SendMessageA(g_app.contactsView, LVM_DELETEALLITEMS, 0, 0);
        SendMessageA(g_app.logView, LVM_DELETEALLITEMS, 0, 0);
        Check(IDC_START_VIDEO, BST_UNCHECKED);
        Check(IDC_QUIET_MEDIA, BST_UNCHECKED);
    }

    std::vector<SeenBox> SaveTo(const std::string& path)
    {
        BoxWatcher watcher(dialog_);
        SaveSettingsTo(path);
        return watcher.Finish();
    }
    std::vector<SeenBox> Save() { return SaveTo(path_); }

    static void ExpectOneBox(const std::vector<SeenBox>& boxes, const char* text)
    {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(boxes[0].icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    }

    HWND dialog_ = nullptr;
    std::string folder_;
    std::string path_;
};

struct QuirkCase {
    const char* name;
    std::string file;
    UINT startVideo;
    UINT quietMedia;
    Lines contacts;
    std::string saved;
};

TEST_F(SettingsFileTest, FileQuirksThroughTheRealControls)
{
    const std::string longName(100000, 'z');
    const QuirkCase cases[] = {
        {"mixed CR, LF and CR LF, blank lines, no final end", "1\n\r\r\n0\ralice\r\nbob", BST_CHECKED, BST_UNCHECKED,
         {"alice", "bob"}, "1\r\n0\r\nalice\r\nbob\r\n"},
        {"first line empty", "\r\n1\r\n1\r\ncarol\r\n", BST_CHECKED, BST_CHECKED, {"carol"}, "1\r\n1\r\ncarol\r\n"},
        {"only names", "alice\r\nbob\r\ncarol\r\n", BST_UNCHECKED, BST_UNCHECKED, {"carol"}, "0\r\n0\r\ncarol\r\n"},
        {"options 2 and -1", "2\r\n-1\r\n", BST_CHECKED, BST_CHECKED, {}, "1\r\n1\r\n"},
        {"options blank-one and yes", " 1\r\nyes\r\n", BST_CHECKED, BST_UNCHECKED, {}, "1\r\n0\r\n"},
        {"blanks and duplicates kept", "0\r\n1\r\n  alice \r\n\tbob\r\nalice\r\nalice\r\n", BST_UNCHECKED,
         BST_CHECKED, {"  alice ", "\tbob", "alice", "alice"}, "0\r\n1\r\n  alice \r\n\tbob\r\nalice\r\nalice\r\n"},
        {"300 characters written back as 259", "1\r\n1\r\n" + std::string(300, 'a') + "\r\n", BST_CHECKED,
         BST_CHECKED, {std::string(259, 'a')}, "1\r\n1\r\n" + std::string(259, 'a') + "\r\n"},
        {"NUL ends the text", Bytes("1\r\n1\r\nalice\r\nb\0ob\r\ncarol\r\n"), BST_CHECKED, BST_CHECKED,
         {"alice", "b"}, "1\r\n1\r\nalice\r\nb\r\n"},
        {"no line ends", "1", BST_CHECKED, BST_UNCHECKED, {}, "1\r\n0\r\n"},
        {"only line ends", "\r\n\n\r\r\r\n", BST_UNCHECKED, BST_UNCHECKED, {}, "0\r\n0\r\n"},
        {"empty file", "", BST_UNCHECKED, BST_UNCHECKED, {}, "0\r\n0\r\n"},
        {"lines of thousands of characters", std::string(50000, '7') + "\r\n0\r\n" + longName + "\r\nafter\r\n",
         BST_CHECKED, BST_UNCHECKED, {std::string(259, 'z'), "after"},
         "1\r\n0\r\n" + std::string(259, 'z') + "\r\nafter\r\n"},
    };
    for (const QuirkCase& c : cases) {
        SCOPED_TRACE(c.name);
        ClearControls();
        WriteBytes(path_, c.file);
        LoadSettingsFrom(path_);
        EXPECT_EQ(Checked(IDC_START_VIDEO), c.startVideo);
        EXPECT_EQ(Checked(IDC_QUIET_MEDIA), c.quietMedia);
        EXPECT_EQ(Contacts(), c.contacts);
        EXPECT_EQ(LogLines(), Lines{});
        EXPECT_TRUE(Save().empty());
        EXPECT_EQ(ReadBytes(path_), c.saved);
    }
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});
}

TEST_F(SettingsFileTest, SaveWritesTheControlsExactly)
{
    const struct {
        UINT startVideo;
        UINT quietMedia;
        const char* options;
    } states[] = {
        {BST_UNCHECKED, BST_UNCHECKED, "0\r\n0\r\n"},
        {BST_CHECKED, BST_UNCHECKED, "1\r\n0\r\n"},
        {BST_UNCHECKED, BST_CHECKED, "0\r\n1\r\n"},
        {BST_CHECKED, BST_CHECKED, "1\r\n1\r\n"},
    };
    AddContact("alice");
    AddContact(" b ");
    AddContact("");
    AddContact(std::string(41, 'x') + std::string(259, 'y'));
    AddContact("alice");
    for (const auto& state : states) {
        SCOPED_TRACE(state.options);
        Check(IDC_START_VIDEO, state.startVideo);
        Check(IDC_QUIET_MEDIA, state.quietMedia);
        EXPECT_TRUE(Save().empty());
        EXPECT_EQ(ReadBytes(path_), std::string(state.options) + "alice\r\n b \r\n\r\n" + std::string(41, 'x') +
                                        std::string(218, 'y') + "\r\nalice\r\n");
    }
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});
}

TEST_F(SettingsFileTest, NoFileGivesDefaultsAndTheFirstSaveCreatesIt)
{
    LoadSettingsFrom(path_);
    EXPECT_EQ(Checked(IDC_START_VIDEO), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Checked(IDC_QUIET_MEDIA), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Contacts(), Lines{});
    EXPECT_EQ(LogLines(), Lines{});

    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "0\r\n0\r\n");

    AddContact("dave");
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "0\r\n0\r\ndave\r\n");
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});
}

TEST_F(SettingsFileTest, EmptyContactIsWrittenAsALineEndAndGoneAfterTheNextLoad)
{
    Check(IDC_START_VIDEO, BST_CHECKED);
    AddContact("alice");
    AddContact("");
    AddContact("bob");
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "1\r\n0\r\nalice\r\n\r\nbob\r\n");

    ClearControls();
    LoadSettingsFrom(path_);
    EXPECT_EQ(Checked(IDC_START_VIDEO), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(Contacts(), (Lines{"alice", "bob"}));
}

TEST_F(SettingsFileTest, EveryContactIsLoadedAndSavedPastAHundred)
{
    std::string file = "0\r\n1\r\n";
    Lines expected;
    for (int i = 0; i < 250; ++i) {
        expected.push_back("contact " + std::to_string(i));
        file += expected.back() + "\r\n";
    }
    WriteBytes(path_, file);
    LoadSettingsFrom(path_);
    EXPECT_EQ(Contacts(), expected);

    AddContact("one more");
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), file + "one more\r\n");
}

TEST_F(SettingsFileTest, SaveOverAFileHeldByAnotherProgramKeepsItAndTriesAgainLater)
{
    const std::string old = "1\r\n1\r\nold\r\n";
    WriteBytes(path_, old);
    LoadSettingsFrom(path_);
    AddContact("new");
    Check(IDC_START_VIDEO, BST_UNCHECKED);

    HANDLE holder = HoldWithoutSharing(path_);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectOneBox(Save(), WRITE_FAILED);
    EXPECT_EQ(ReadThrough(holder), old);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path_), old);
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});

    EXPECT_EQ(Contacts(), (Lines{"old", "new"}));
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "0\r\n1\r\nold\r\nnew\r\n");
}

TEST_F(SettingsFileTest, SaveThatCannotCreateItsTemporaryFileKeepsTheOldFile)
{
    const std::string old = "0\r\n0\r\nold\r\n";
    WriteBytes(path_, old);
    LoadSettingsFrom(path_);
    AddContact("new");

    const std::string temporary = path_ + ".tmp";
    WriteBytes(temporary, "someone else's");
    HANDLE holder = HoldWithoutSharing(temporary);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectOneBox(Save(), WRITE_FAILED);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path_), old);
    EXPECT_EQ(ReadBytes(temporary), "someone else's");

    const std::string missingFolder = folder_ + "\\missing";
    ExpectOneBox(SaveTo(missingFolder + "\\Ringlock.ini"), WRITE_FAILED);
    EXPECT_FALSE(FileExists(missingFolder));
}

TEST_F(SettingsFileTest, WriteWholeFileReportsAWriteThatFails)
{
    const std::string bytes = "1\r\n0\r\n" + std::string(3 << 20, 'w') + "\r\n";
    HANDLE readOnly = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(readOnly, bytes));
    CloseHandle(readOnly);

    HANDLE writable = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writable, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteWholeFile(writable, bytes));
    CloseHandle(writable);
    EXPECT_EQ(ReadBytes(path_), bytes);
}

TEST_F(SettingsFileTest, FileUnreadableAtStartIsNeverReplacedByTheDefaults)
{
    const std::string userFile = "1\r\n0\r\nalice\r\nbob\r\n";
    WriteBytes(path_, userFile);
    HANDLE holder = HoldWithoutSharing(path_);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    LoadSettingsFrom(path_);
    EXPECT_EQ(Checked(IDC_START_VIDEO), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Contacts(), Lines{});
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogLines()[0].find(path_), std::string::npos) << LogLines()[0];
    EXPECT_NE(LogLines()[0].find("(error 32)"), std::string::npos) << LogLines()[0];

    // The user carries on meanwhile.
    AddContact("carol");
    AddContact("bob");
    Check(IDC_QUIET_MEDIA, BST_CHECKED);
    ExpectOneBox(Save(), NOT_OVERWRITTEN);
    EXPECT_EQ(ReadThrough(holder), userFile);
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});
    EXPECT_EQ(Contacts(), (Lines{"carol", "bob"}));

    CloseHandle(holder);
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(Checked(IDC_START_VIDEO), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(Checked(IDC_QUIET_MEDIA), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(Contacts(), (Lines{"carol", "bob", "alice"}));
    EXPECT_EQ(ReadBytes(path_), "1\r\n1\r\ncarol\r\nbob\r\nalice\r\n");
    ASSERT_EQ(LogLines().size(), 2u);
    EXPECT_NE(LogLines()[1].find(path_), std::string::npos) << LogLines()[1];

    // From then on it is an ordinary settings file.
    Check(IDC_START_VIDEO, BST_UNCHECKED);
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "0\r\n1\r\ncarol\r\nbob\r\nalice\r\n");
    EXPECT_EQ(Contacts(), (Lines{"carol", "bob", "alice"}));
}

TEST_F(SettingsFileTest, FileUnreadableAtStartAndDeletedSinceIsSavedFromTheControls)
{
    WriteBytes(path_, "1\r\n1\r\nalice\r\n");
    HANDLE holder = HoldWithoutSharing(path_);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    LoadSettingsFrom(path_);
    CloseHandle(holder);
    ASSERT_TRUE(DeleteFileA(path_.c_str()));

    AddContact("carol");
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadBytes(path_), "0\r\n0\r\ncarol\r\n");
}

TEST_F(SettingsFileTest, FileHeldBrieflyAtStartIsReadOnARetry)
{
    WriteBytes(path_, "0\r\n1\r\nalice\r\n");
    HANDLE holder = HoldWithoutSharing(path_);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::thread release([holder] {
        Sleep(50);
        CloseHandle(holder);
    });
    LoadSettingsFrom(path_);
    release.join();
    EXPECT_EQ(Checked(IDC_QUIET_MEDIA), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(Contacts(), Lines{"alice"});
    EXPECT_EQ(LogLines(), Lines{});
}

TEST_F(SettingsFileTest, FileTooLargeToAllocateIsUnreadableAndKept)
{
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER huge{};
    huge.QuadPart = 1LL << 40;
    const bool grown = SetFilePointerEx(file, huge, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(grown) << "this file system cannot hold a sparse file of 1 TiB";

    LoadSettingsFrom(path_);
    EXPECT_EQ(Contacts(), Lines{});
    ASSERT_EQ(LogLines().size(), 1u) << "1 TiB could be allocated on this machine";
    EXPECT_NE(LogLines()[0].find("(error 8)"), std::string::npos) << LogLines()[0];

    AddContact("carol");
    ExpectOneBox(Save(), NOT_OVERWRITTEN);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ASSERT_TRUE(GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &attributes));
    EXPECT_EQ(attributes.nFileSizeHigh, 1u << 8);
    EXPECT_EQ(attributes.nFileSizeLow, 0u);
    EXPECT_EQ(FolderFiles(folder_), Lines{"Ringlock.ini"});
}

// Puts back whatever was at `path` before the test.
class FileRestorer {
public:
    explicit FileRestorer(std::string path)
        : path_(std::move(path)), existed_(FileExists(path_)), previous_(existed_ ? ReadBytes(path_) : std::string())
    {
    }
    ~FileRestorer()
    {
        if (existed_) {
            WriteBytes(path_, previous_);
        } else {
            DeleteFileA(path_.c_str());
        }
        DeleteFileA((path_ + ".tmp").c_str());
    }
    FileRestorer(const FileRestorer&) = delete;
    FileRestorer& operator=(const FileRestorer&) = delete;

private:
    std::string path_;
    bool existed_;
    std::string previous_;
};

TEST_F(SettingsFileTest, ProgramsOwnSettingsFileRoundTrip)
{
    const std::string path = SettingsPath();
    ASSERT_FALSE(path.empty());
    const FileRestorer restorer(path);

    WriteBytes(path, "1\r\n0\r\nalice\r\n");
    LoadSettings();
    EXPECT_EQ(Checked(IDC_START_VIDEO), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(Contacts(), Lines{"alice"});
    AddContact("bob");
    Check(IDC_QUIET_MEDIA, BST_CHECKED);
    {
        BoxWatcher watcher(dialog_);
        SaveSettings();
        EXPECT_TRUE(watcher.Finish().empty());
    }
    EXPECT_EQ(ReadBytes(path), "1\r\n1\r\nalice\r\nbob\r\n");
    EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST(SettingsPathTest, IsBesideTheProgramAndNamedAfterIt)
{
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::string exe(module, length);
    const size_t separator = exe.find_last_of('\\');
    ASSERT_NE(separator, std::string::npos);

    const std::string path = SettingsPath();
    EXPECT_EQ(path.substr(0, separator + 1), exe.substr(0, separator + 1));
    std::string name = path.substr(separator + 1);
    CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    EXPECT_EQ(name, "test_settings.ini");
}

}  // namespace
