#include "tools/standin/MediaStandin.h"

#include <atomic>
#include <mutex>

#include "tools/standin/StandinClient.h"

namespace {

constexpr UINT MSG_OPEN = WM_APP + 1;   // wParam player, lParam visible
constexpr UINT MSG_CLOSE = WM_APP + 2;  // wParam player
constexpr UINT MSG_SHOW = WM_APP + 3;   // wParam player, lParam show command
constexpr UINT MSG_SYNC = WM_APP + 4;   // wParam sequence number
constexpr UINT MSG_QUIT = WM_APP + 5;

const char* const CONTROL_CLASS = "RinglockMediaStandinControl";

const char* ClassOf(MediaPlayer player)
{
    return player == MediaPlayer::Wmp ? "WMPlayerApp" : "eHome Render Window";
}

const char* TitleOf(MediaPlayer player)
{
    return player == MediaPlayer::Wmp ? "Windows Media Player" : "Windows Media Center";
}

size_t IndexOf(MediaPlayer player)
{
    return player == MediaPlayer::Wmp ? 0 : 1;
}

}  // namespace

struct MediaStandin::Impl {
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    HANDLE synced = nullptr;
    std::atomic<ULONG_PTR> syncPosted{0};
    std::atomic<ULONG_PTR> syncDone{0};
    HWND control = nullptr;
    std::atomic<HWND> windows[2] = {};
    mutable std::mutex mutex;
    std::vector<MediaMessage> messages;

    void record(MediaPlayer player, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        const MediaMessage message{player, hWnd, msg, wParam, lParam, !InSendMessage(), StandinClock()};
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(message);
    }

    template <MediaPlayer P>
    static LRESULT CALLBACK PlayerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        switch (msg) {
        case WM_SYSCOMMAND:
        case WM_COMMAND:
            if (self != nullptr) {
                self->record(P, hWnd, msg, wParam, lParam);
            }
            return 0;
        case WM_APPCOMMAND:
            if (self != nullptr) {
                self->record(P, hWnd, msg, wParam, lParam);
            }
            return TRUE;
        case WM_NCDESTROY:
            if (self != nullptr) {
                HWND expected = hWnd;
                self->windows[IndexOf(P)].compare_exchange_strong(expected, nullptr);
            }
            return DefWindowProcA(hWnd, msg, wParam, lParam);
        default:
            return DefWindowProcA(hWnd, msg, wParam, lParam);
        }
    }

    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcA(hWnd, msg, wParam, lParam);
        }
        switch (msg) {
        case MSG_OPEN:
            return reinterpret_cast<LRESULT>(self->openOnThread(static_cast<MediaPlayer>(wParam), lParam != 0));
        case MSG_CLOSE: {
            const HWND window = self->windows[IndexOf(static_cast<MediaPlayer>(wParam))].exchange(nullptr);
            if (window != nullptr) {
                DestroyWindow(window);
            }
            return 0;
        }
        case MSG_SHOW: {
            const HWND window = self->windows[IndexOf(static_cast<MediaPlayer>(wParam))];
            if (window != nullptr) {
                ShowWindow(window, static_cast<int>(lParam));
            }
            return 0;
        }
        case MSG_SYNC:
            self->syncDone = wParam;
            SetEvent(self->synced);
            return 0;
        case MSG_QUIT:
            DestroyWindow(hWnd);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hWnd, msg, wParam, lParam);
        }
    }

    HWND openOnThread(MediaPlayer player, bool visible)
    {
        HWND window = windows[IndexOf(player)];
        if (window == nullptr) {
            window = CreateWindowExA(0, ClassOf(player), TitleOf(player), WS_OVERLAPPEDWINDOW,
                                     40, 40, 320, 240, nullptr, nullptr, GetModuleHandleA(nullptr), this);
            windows[IndexOf(player)] = window;
        }
        if (window != nullptr && visible) {
            ShowWindow(window, SW_SHOWNOACTIVATE);
        }
        return window;
    }

    static bool RegisterClasses()
    {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        const struct {
            const char* name;
            WNDPROC proc;
        } classes[] = {
            {ClassOf(MediaPlayer::Wmp), &PlayerProc<MediaPlayer::Wmp>},
            {ClassOf(MediaPlayer::Wmc), &PlayerProc<MediaPlayer::Wmc>},
            {CONTROL_CLASS, &ControlProc},
        };
        for (const auto& entry : classes) {
            WNDCLASSEXA existing{};
            existing.cbSize = sizeof(existing);
            if (GetClassInfoExA(instance, entry.name, &existing)) {
                continue;
            }
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = entry.proc;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = entry.name;
            if (!RegisterClassExA(&wc)) {
                return false;
            }
        }
        return true;
    }

    static DWORD WINAPI ThreadMain(LPVOID param)
    {
        auto* self = static_cast<Impl*>(param);
        if (RegisterClasses()) {
            self->control = CreateWindowExA(0, CONTROL_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            GetModuleHandleA(nullptr), self);
        }
        const bool made = self->control != nullptr;
        SetEvent(self->ready);
        if (!made) {
            return 1;
        }
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return 0;
    }
};

MediaStandin::MediaStandin() : m_impl(new Impl) {}

MediaStandin::~MediaStandin()
{
    stop();
    delete m_impl;
}

bool MediaStandin::start()
{
    if (m_impl->thread != nullptr) {
        return m_impl->control != nullptr;
    }
    m_impl->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_impl->synced = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_impl->thread = CreateThread(nullptr, 0, &Impl::ThreadMain, m_impl, 0, nullptr);
    if (m_impl->thread == nullptr) {
        CloseHandle(m_impl->ready);
        CloseHandle(m_impl->synced);
        m_impl->ready = nullptr;
        m_impl->synced = nullptr;
        return false;
    }
    WaitForSingleObject(m_impl->ready, INFINITE);
    return m_impl->control != nullptr;
}

void MediaStandin::stop()
{
    if (m_impl->thread == nullptr) {
        return;
    }
    if (m_impl->control != nullptr) {
        close(MediaPlayer::Wmp);
        close(MediaPlayer::Wmc);
        SendMessageA(m_impl->control, MSG_QUIT, 0, 0);
    }
    WaitForSingleObject(m_impl->thread, INFINITE);
    CloseHandle(m_impl->thread);
    CloseHandle(m_impl->ready);
    CloseHandle(m_impl->synced);
    m_impl->thread = nullptr;
    m_impl->ready = nullptr;
    m_impl->synced = nullptr;
    m_impl->control = nullptr;
}

HWND MediaStandin::open(MediaPlayer player, bool visible)
{
    return reinterpret_cast<HWND>(SendMessageA(m_impl->control, MSG_OPEN, static_cast<WPARAM>(player), visible));
}

void MediaStandin::close(MediaPlayer player)
{
    SendMessageA(m_impl->control, MSG_CLOSE, static_cast<WPARAM>(player), 0);
}

void MediaStandin::show(MediaPlayer player, int showCommand)
{
    SendMessageA(m_impl->control, MSG_SHOW, static_cast<WPARAM>(player), showCommand);
}

HWND MediaStandin::window(MediaPlayer player) const
{
    return m_impl->windows[IndexOf(player)];
}

std::vector<MediaMessage> MediaStandin::messages() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->messages;
}

void MediaStandin::clear()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->messages.clear();
}

bool MediaStandin::sync(DWORD timeoutMs) const
{
    const ULONG_PTR sequence = ++m_impl->syncPosted;
    if (!PostMessageA(m_impl->control, MSG_SYNC, sequence, 0)) {
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (m_impl->syncDone < sequence) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        WaitForSingleObject(m_impl->synced, static_cast<DWORD>(deadline - now));
    }
    return true;
}

bool MediaStandin::waitForMessageCount(size_t count, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        {
            std::lock_guard<std::mutex> lock(m_impl->mutex);
            if (m_impl->messages.size() >= count) {
                return true;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        const ULONGLONG left = deadline - now;
        MsgWaitForMultipleObjectsEx(0, nullptr, left < 5 ? static_cast<DWORD>(left) : 5, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}
