#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "res/resource.h"
#include "state/AppState.h"
#include "tests/Contract.h"
#include "tests/support/RingProcess.h"
#include "tools/standin/MediaStandin.h"
#include "tools/standin/StandinClient.h"
#include "ui/ListView.h"

namespace {

using Post = std::tuple<HWND, UINT, WPARAM, LPARAM>;

// SetTimer fails for a window of another process, so with a running
// Ringlock.exe's dialog as the engine's dialog no timer of the engine starts;
// each step must then happen at once instead of never.
TEST(TimerFailure, EachStepHappensAtOnceAndTheEngineStaysOpen)
{
    RingProcess ring;
    ring.writeSettings("1\r\n1\r\n");
    ASSERT_TRUE(ring.start());
    const HWND remote = ring.waitForDialog(20000);
    ASSERT_TRUE(WaitUntil([remote] {
        return IsDlgButtonChecked(remote, IDC_START_VIDEO) == BST_CHECKED
            && IsDlgButtonChecked(remote, IDC_QUIET_MEDIA) == BST_CHECKED;
    }, 10000));
    ASSERT_EQ(SetTimer(remote, TIMER_ANSWER, 1, nullptr), 0u);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HWND contacts = CreateWindowExA(0, WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 200, 100, nullptr, nullptr,
                                          GetModuleHandleA(nullptr), nullptr);
    ListInsertColumn(contacts, 0, "Ringlock Contacts", 180);
    ListAppendRow(contacts, "alice", LIST_UNLIMITED);
    Scenario silent;
    silent.replies = ScenarioReplies::None;
    StandinClient client(silent);
    ASSERT_TRUE(client.start());
    MediaStandin players;
    const HWND wmp = players.open(MediaPlayer::Wmp);
    const HWND wmc = players.open(MediaPlayer::Wmc);
    g_app.mainDialog = remote;
    g_app.contactsView = contacts;
    g_app.skype.m_hSkypeWnd = client.apiWindow();
    ClearCallIds();

    const std::vector<Post> quieting = {{wmp, WM_SYSCOMMAND, SC_MINIMIZE, 0}, {wmc, WM_SYSCOMMAND, SC_MINIMIZE, 0},
                                        {wmp, WM_COMMAND, contract::WMP_PAUSE_COMMAND, 0},
                                        {wmc, WM_APPCOMMAND, 0, contract::WMC_PAUSE_APPCOMMAND},
                                        {wmp, WM_COMMAND, contract::WMP_MUTE_COMMAND, 0}};
    const struct {
        const char* notification;
        std::vector<std::string> commands;
        bool quiets;
    } steps[] = {
        {"CALL 502 STATUS RINGING", {"GET CALL 502 PARTNER_HANDLE"}, false},
        {"CALL 502 PARTNER_HANDLE alice", {"SET CALL 502 STATUS INPROGRESS"}, true},
        {"CALL 502 VIDEO_SEND_STATUS AVAILABLE",
         {"ALTER CALL 502 START_VIDEO_SEND", "SET WINDOWSTATE MAXIMIZED"}, false},
        {"CALL 503 STATUS RINGING", {"GET CALL 503 PARTNER_HANDLE"}, false},
        {"CALL 503 PARTNER_HANDLE alice", {"SET CALL 503 STATUS INPROGRESS"}, true},
    };
    for (const auto& step : steps) {
        const size_t seen = client.commands().size();
        HandleApiMessage(step.notification);
        const std::vector<ReceivedCommand> received = client.commands();
        std::vector<std::string> commands;
        for (size_t i = seen; i < received.size(); ++i) {
            commands.push_back(received[i].text);
        }
        EXPECT_EQ(commands, step.commands) << step.notification;
        std::vector<Post> posts;
        for (const MediaMessage& m : players.received()) {
            posts.emplace_back(m.window, m.msg, m.wParam, m.lParam);
        }
        EXPECT_EQ(posts, step.quiets ? quieting : std::vector<Post>{}) << step.notification;
    }
    g_app.skype.m_hSkypeWnd = nullptr;
    DestroyWindow(contacts);
}

}  // namespace
