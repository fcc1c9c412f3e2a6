#include "tests/link/LinkFixture.h"

#include <tlhelp32.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>

#include "tests/support/Isolated.h"

namespace {

// Records, in order, every message its handleMessage sees and every hook.
class Probe : public UIthread {
public:
    struct Event {
        enum Kind { Message, Destroy, ThreadStart, ThreadEnd } kind;
        UINT msg;
        HWND boundWindowAtTheTime;  // m_hWnd when it happened
        HWND hWnd;
    };

    LRESULT handleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM) override
    {
        add({Event::Message, msg, m_hWnd, hWnd});
        if (msg == WM_APP + 5) {
            return static_cast<LRESULT>(wParam) * 2;
        }
        if (msg == WM_CREATE) {
            Sleep(createDelayMs);
            return createResult;
        }
        return 0;
    }
    void onDestroy() override
    {
        add({Event::Destroy, 0, m_hWnd, nullptr});
        UIthread::onDestroy();
    }
    void onThreadStart() override { add({Event::ThreadStart, 0, m_hWnd, nullptr}); }
    void onThreadEnd() override { add({Event::ThreadEnd, 0, m_hWnd, nullptr}); }

    std::vector<Event> events() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return log;
    }
    int count(Event::Kind kind, UINT msg = 0) const
    {
        int n = 0;
        for (const Event& e : events()) {
            n += e.kind == kind && (kind != Event::Message || e.msg == msg);
        }
        return n;
    }

    LRESULT createResult = 0;
    DWORD createDelayMs = 0;

private:
    void add(const Event& e)
    {
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back(e);
    }
    mutable std::mutex mutex;
    std::vector<Event> log;
};

// Starts `probe` on a helper thread; false when start did not return in time.
bool StartWithin(Probe& probe, DWORD ms, bool& result)
{
    auto task = std::make_shared<std::packaged_task<bool()>>([&probe] { return probe.start(); });
    std::future<bool> done = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (done.wait_for(std::chrono::milliseconds(ms)) != std::future_status::ready) {
        return false;
    }
    result = done.get();
    return true;
}

std::string ExpectedClassName(UINT counter, DWORD threadId)
{
    char name[260];
    std::snprintf(name, sizeof(name), "WndClass 0x%X 0x%X 0x%" PRIXPTR, counter, static_cast<unsigned>(threadId),
                  reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)));
    return name;
}

DWORD WindowThread(HWND hWnd)
{
    return GetWindowThreadProcessId(hWnd, nullptr);
}

int CountThreadsOfThisProcess()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    int n = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return n;
}

struct ClassCount {
    const char* className;
    int windows;
};

BOOL CALLBACK CountWindowOfClass(HWND hWnd, LPARAM param)
{
    auto* count = reinterpret_cast<ClassCount*>(param);
    char name[260] = {};
    GetClassNameA(hWnd, name, sizeof(name));
    count->windows += std::strcmp(name, count->className) == 0;
    return TRUE;
}

TEST(WindowThread, RoutesFromCreateUntilCloseAndEndsInOrder)
{
    Probe probe;
    ASSERT_TRUE(probe.start());
    const HWND hWnd = probe.m_hWnd;
    ASSERT_TRUE(IsWindow(hWnd));
    EXPECT_NE(WindowThread(hWnd), GetCurrentThreadId());
    EXPECT_EQ(reinterpret_cast<Probe*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA)), &probe);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    EXPECT_EQ(GetParent(hWnd), nullptr);
    EXPECT_EQ(probe.m_hInstance, GetModuleHandleA(nullptr));

    // The default processing of WM_NCCREATE stored the title; WM_GETTEXT
    // afterwards goes to the object alone, which answers 0.
    WCHAR wide[64] = {};
    InternalGetWindowText(hWnd, wide, 64);
    EXPECT_STREQ(wide, L"MyWndClass");
    char title[64] = {};
    EXPECT_EQ(GetWindowTextA(hWnd, title, sizeof(title)), 0);
    EXPECT_EQ(SendMessageA(hWnd, WM_APP + 5, 21, 0), 42);

    std::vector<Probe::Event> events = probe.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Probe::Event::Message);
    EXPECT_EQ(events[0].msg, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(events[0].boundWindowAtTheTime, nullptr);
    EXPECT_EQ(events[0].hWnd, hWnd);
    EXPECT_EQ(probe.count(Probe::Event::Message, WM_NCCREATE), 0);
    EXPECT_EQ(probe.count(Probe::Event::ThreadStart), 1);

    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), probe.m_hThread, GetCurrentProcess(), &thread, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    probe.stop();
    EXPECT_EQ(probe.m_hThread, nullptr);
    EXPECT_EQ(probe.m_hWnd, hWnd);
    EXPECT_FALSE(IsWindow(hWnd));
    DWORD code = STILL_ACTIVE;
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(thread);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(GetClassInfoExA(probe.m_hInstance, probe.m_className, &wc));

    events = probe.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2].kind, Probe::Event::Destroy);
    EXPECT_EQ(events.back().kind, Probe::Event::ThreadEnd);
    EXPECT_EQ(probe.count(Probe::Event::Destroy), 1);
    for (UINT msg : {WM_CLOSE, WM_DESTROY, WM_NCDESTROY}) {
        EXPECT_EQ(probe.count(Probe::Event::Message, msg), 0) << msg;
    }
}

TEST(WindowThread, AWindowClosedFromOutsideEndsTheThreadByItself)
{
    Probe probe;
    ASSERT_TRUE(probe.start());
    ASSERT_TRUE(PostMessageA(probe.m_hWnd, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForSingleObject(probe.m_hThread, kWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(probe.count(Probe::Event::Destroy), 1);
    EXPECT_EQ(probe.count(Probe::Event::ThreadEnd), 1);
    EXPECT_EQ(probe.count(Probe::Event::Message, WM_CLOSE), 0);
    probe.stop();
    EXPECT_EQ(probe.m_hThread, nullptr);
}

TEST(WindowThread, ASecondStartKeepsOneThreadAndOneWindow)
{
    Probe probe;
    ASSERT_TRUE(probe.start());
    const HANDLE thread = probe.m_hThread;
    const HWND hWnd = probe.m_hWnd;
    const std::string name = probe.m_className;
    const int threads = CountThreadsOfThisProcess();

    EXPECT_TRUE(probe.start());
    EXPECT_EQ(probe.m_hThread, thread);
    EXPECT_EQ(probe.m_hWnd, hWnd);
    EXPECT_EQ(probe.m_className, name);
    EXPECT_EQ(CountThreadsOfThisProcess(), threads);
    ClassCount count{name.c_str(), 0};
    EnumWindows(CountWindowOfClass, reinterpret_cast<LPARAM>(&count));
    EXPECT_EQ(count.windows, 1);
    EXPECT_EQ(probe.count(Probe::Event::ThreadStart), 1);
    EXPECT_EQ(probe.count(Probe::Event::Message, WM_CREATE), 1);
    probe.stop();
}

TEST(WindowThread, StopOnANeverStartedObjectDoesNothing)
{
    Probe probe;
    probe.stop();
    EXPECT_EQ(probe.m_hThread, nullptr);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_TRUE(probe.events().empty());
}

TEST(WindowThread, StartReportsFailurePromptlyWhenNoWindowIsMade)
{
    // Left alive if start hangs, since its thread still uses it.
    auto owned = std::make_unique<Probe>();
    Probe& probe = *owned;
    probe.createResult = -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        bool started = true;
        if (!StartWithin(probe, 10000, started)) {
            owned.release();
            FAIL() << "start did not return";
        }
        EXPECT_FALSE(started);
        EXPECT_EQ(probe.m_hThread, nullptr);
        EXPECT_EQ(probe.m_hStartEvent, nullptr);
        EXPECT_EQ(probe.m_hWnd, nullptr);
    }
    EXPECT_EQ(probe.count(Probe::Event::Message, WM_CREATE), 2);
    EXPECT_EQ(probe.count(Probe::Event::ThreadStart), 0);
    EXPECT_EQ(probe.count(Probe::Event::ThreadEnd), 0);
}

// A signalled event named as a shared start event would be must not let start
// return before this object's window exists.
TEST(WindowThread, StartWaitsForItsOwnWindowWhateverOtherEventsExist)
{
    const HANDLE foreign = CreateEventA(nullptr, TRUE, TRUE, "ThreadStart");
    ASSERT_NE(foreign, nullptr);
    Probe probe;
    probe.createDelayMs = 300;
    ASSERT_TRUE(probe.start());
    EXPECT_TRUE(IsWindow(probe.m_hWnd));
    probe.stop();
    CloseHandle(foreign);
}

TEST(WindowThread, ClassNamesCountUpAndCarryThreadAndWholeInstance)
{
    Probe first;
    Probe second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    UINT counter = 0;
    ASSERT_EQ(std::sscanf(first.m_className, "WndClass 0x%X ", &counter), 1);
    EXPECT_EQ(first.m_className, ExpectedClassName(counter, WindowThread(first.m_hWnd)));
    EXPECT_EQ(second.m_className, ExpectedClassName(counter + 1, WindowThread(second.m_hWnd)));
    char registered[260] = {};
    GetClassNameA(first.m_hWnd, registered, sizeof(registered));
    EXPECT_STREQ(registered, first.m_className);
    const char* lastField = std::strrchr(first.m_className, ' ') + 1;
    EXPECT_EQ(std::strtoull(lastField, nullptr, 16), reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)));
    first.stop();
    second.stop();
}

TEST(WindowThreadIsolated, FirstWindowOfTheProcessIsNumberOne)
{
    if (!InIsolatedProcess()) {
        GTEST_SKIP() << "runs in its own process";
    }
    Probe probe;
    ASSERT_TRUE(probe.start());
    const std::string prefix = "WndClass 0x1 0x";
    EXPECT_EQ(std::string(probe.m_className).compare(0, prefix.size(), prefix), 0) << probe.m_className;
    EXPECT_EQ(probe.m_className, ExpectedClassName(1, WindowThread(probe.m_hWnd)));
    probe.stop();
}

TEST(WindowThread, FirstWindowOfAFreshProcessIsNumberOne)
{
    EXPECT_EQ(RunIsolated("WindowThreadIsolated.FirstWindowOfTheProcessIsNumberOne", 60000), 0);
}

}  // namespace
