#include "tools/standin/TaskbarStandin.h"

#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <future>
#include <mutex>
#include <thread>

#include "tools/harness/Harness.h"
#include "ui/WideText.h"

namespace {

// How Wine's shell (8.0) hands over the record of a call: its own layout,
// not Windows'. It begins like this.
struct WineIconRecord {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
};

std::string TipOf(const COPYDATASTRUCT& block)
{
    if (block.cbData < sizeof(WineIconRecord)) {
        return {};
    }
    const auto* record = static_cast<const WineIconRecord*>(block.lpData);
    if ((record->flags & NIF_TIP) == 0) {
        return {};
    }
    return Utf8FromWide(record->tip, wcsnlen(record->tip, ARRAYSIZE(record->tip)));
}

}  // namespace

struct TaskbarStandin::State {
    std::thread thread;
    HWND window = nullptr;
    std::atomic<bool> taking{false};
    mutable std::mutex mutex;
    std::vector<TaskbarCall> calls;

    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrA(hWnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<State*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (self != nullptr && msg == WM_COPYDATA) {
            const bool taken = self->taking;
            const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            std::lock_guard<std::mutex> lock(self->mutex);
            self->calls.push_back(TaskbarCall{static_cast<DWORD>(block->dwData), taken, ClockMs(), TipOf(*block)});
            return taken ? TRUE : FALSE;
        }
        if (msg == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }

    void run(std::promise<HWND>& made)
    {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        RegisterWindowClassOnce(TASKBAR_CLASS, windowProc);
        const HWND created = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TASKBAR_CLASS, "", WS_POPUP, 0, 0, 1,
                                             1, nullptr, nullptr, instance, this);
        made.set_value(created);
        if (created == nullptr) {
            return;
        }
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageA(&msg);
        }
    }
};

TaskbarStandin::~TaskbarStandin()
{
    if (m_state == nullptr) {
        return;
    }
    if (m_state->window != nullptr) {
        PostMessageA(m_state->window, WM_CLOSE, 0, 0);
    }
    if (m_state->thread.joinable()) {
        m_state->thread.join();
    }
    delete m_state;
}

bool TaskbarStandin::start()
{
    m_state = new State;
    std::promise<HWND> made;
    std::future<HWND> window = made.get_future();
    m_state->thread = std::thread([this, &made] { m_state->run(made); });
    m_state->window = window.get();
    return m_state->window != nullptr;
}

void TaskbarStandin::takeIcons()
{
    m_state->taking = true;
}

std::vector<TaskbarCall> TaskbarStandin::calls() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->calls;
}

std::vector<std::string> TaskbarStandin::tips() const
{
    std::vector<std::string> tips;
    for (const TaskbarCall& call : calls()) {
        if (!call.tip.empty() && (tips.empty() || tips.back() != call.tip)) {
            tips.push_back(call.tip);
        }
    }
    return tips;
}
