#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "link/SkypeCom.h"
#include "tests/Contract.h"
#include "tools/harness/Harness.h"
#include "tools/standin/StandinClient.h"

namespace {

using Lines = std::vector<std::string>;

// What the link relayed to the recorder, which stands in for the dialog.
Lines g_relayed;

LRESULT CALLBACK RecorderProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LINK_TEXT) {
        g_relayed.emplace_back(reinterpret_cast<const char*>(wParam));
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// A window that records what is relayed to it from now on.
HWND NewRecorder()
{
    const HWND recorder = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(recorder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecorderProc));
    g_relayed.clear();
    return recorder;
}

// A link that has looked for the client playing `scenario`; the link's texts
// go to a recorder.
struct Linked {
    explicit Linked(const Scenario& scenario) : client(scenario)
    {
        client.acceptDiscoverOnlyFrom(GetCurrentProcessId());
        EXPECT_TRUE(client.start() && link.start());
        link.startDiscovery(recorder);
        EXPECT_TRUE(WaitUntil([this] { return client.attachment().attachesSent == 1; }, 10000, 10, nullptr, true));
    }
    ~Linked()
    {
        link.stop();
        DestroyWindow(recorder);
    }

    HWND recorder = NewRecorder();
    StandinClient client;
    SkypeCom link;
};

// A block without NUL whose last byte is the last of a page that cannot be
// read beyond: a relay that looks for the NUL past cbData faults there. The
// client's sends are answered 1 until PING, 0 from then on; commands go with
// their NUL and name the link's window.
TEST(Link, RelaysWhatTheClientSendsAndSendsTextsWithTheirNul)
{
    Linked linked(SilentlyAttachingScenario());
    StandinClient& client = linked.client;
    g_relayed.clear();
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const SIZE_T page = info.dwPageSize;
    auto* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    ASSERT_TRUE(base != nullptr && VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
    char* text = base + page - 9;
    std::memcpy(text, "USERSTATE", 9);
    EXPECT_EQ(client.sendBlock(nullptr, 5, client.apiWindow()), 1);
    EXPECT_EQ(client.sendBlock(text, 0, client.apiWindow()), 1);
    EXPECT_EQ(client.sendBlock(text, 9, client.apiWindow()), 1);
    VirtualFree(base, 0, MEM_RELEASE);
    LRESULT insidePing = -1;
    client.setCommandHook([&](const ReceivedCommand& command) {
        if (command.text == "PING") {
            insidePing = client.notify("PONG");
        }
    });
    linked.link.sendCommand("GET CALL 12 PARTNER_HANDLE");
    linked.link.ping();
    client.setCommandHook(nullptr);
    EXPECT_EQ(insidePing, 0);
    EXPECT_EQ(client.notify("CALL 12 STATUS FINISHED"), 0);
    EXPECT_EQ(g_relayed, (Lines{"USERSTATE", "PONG", "CALL 12 STATUS FINISHED"}));
    std::vector<std::tuple<std::string, DWORD, HWND>> commands;
    for (const ReceivedCommand& c : client.commands()) {
        commands.emplace_back(c.text, c.cbData, c.sender);
    }
    const HWND sender = linked.link.m_hWnd;
    EXPECT_EQ(commands, (decltype(commands){{"GET CALL 12 PARTNER_HANDLE", 27, sender}, {"PING", 5, sender}}));
}

// Any answer ends the search for the client, a refusal and a question to its
// user included: the timer's expiry, even one already queued when the answer
// came, broadcasts no more. Until the client lets the program in, commands go
// nowhere.
TEST(LinkDiscovery, AnyAnswerIsLoggedAndEndsTheSearch)
{
    // The client's statuses: refused, asking its user, nobody signed in, attached.
    const std::pair<int32_t, const char*> answers[] = {
        {2, contract::DENIED_TEXT}, {1, contract::WAITING_TEXT}, {3, contract::NOT_SIGNED_IN_TEXT},
        {0, contract::CONNECTED_TEXT}};
    for (const auto& [status, logged] : answers) {
        Scenario scenario;
        scenario.attach = {{AttachAnswer{status, 0}}};
        scenario.user.clear();
        Linked linked(scenario);
        ASSERT_FALSE(g_relayed.empty());
        EXPECT_EQ(g_relayed.front(), logged);
        linked.link.sendCommand("GET USERSTATUS");
        EXPECT_EQ(linked.client.commands().size(), status == 0 ? 1u : 0u) << logged;
        // Each thread handles what was posted to it before it is stopped: any
        // broadcast the expiry makes has reached the client by then.
        PostMessageA(linked.link.m_hWnd, WM_TIMER, TIMER_DISCOVER, 0);
        linked.link.stop();
        linked.client.stop();
        EXPECT_EQ(linked.client.attachment().discovers, 1) << logged;
    }
}

// SetTimer fails for a window of another process, as the desktop's is.
TEST(LinkDiscovery, ATimerThatCannotBeSetSaysAtOnceThatNoClientAnswered)
{
    const HWND foreign = GetDesktopWindow();
    ASSERT_EQ(SetTimer(foreign, TIMER_DISCOVER, 1, nullptr), 0u);
    const HWND recorder = NewRecorder();
    SkypeCom link;
    ASSERT_TRUE(link.start());
    link.m_hDialog = recorder;
    link.handleMessage(foreign, WM_LINK_DISCOVER, 0, 0);
    EXPECT_EQ(g_relayed, Lines{contract::NOT_RUNNING_TEXT});
    link.stop();
    DestroyWindow(recorder);
}

class Probe final : public UIthread {
public:
    explicit Probe(LRESULT createResult) : m_createResult(createResult) {}
    LRESULT handleMessage(HWND, UINT msg, WPARAM, LPARAM) override { return msg == WM_CREATE ? m_createResult : 0; }
    LRESULT m_createResult;
};

TEST(WindowThread, StartSaysPromptlyWhetherItsWindowWasMade)
{
    for (const LRESULT createResult : {LRESULT{-1}, LRESULT{0}}) {
        // Leaked when start never returns, as its thread still uses it.
        auto* probe = new Probe(createResult);
        std::promise<bool> started;
        std::future<bool> result = started.get_future();
        std::thread([probe](std::promise<bool> done) { done.set_value(probe->start()); }, std::move(started))
            .detach();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready) << createResult;
        EXPECT_EQ(result.get(), createResult == 0);
        EXPECT_EQ(IsWindow(probe->m_hWnd) != FALSE, createResult == 0);
        probe->stop();
        delete probe;
    }
}

}  // namespace
