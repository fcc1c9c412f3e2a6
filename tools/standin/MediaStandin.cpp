#include "tools/standin/MediaStandin.h"

#include <cstdio>

#include "tests/Contract.h"
#include "tools/harness/Harness.h"

namespace {

struct PlayerWindow {
    const char* className;
    const char* title;
};

const PlayerWindow PLAYERS[2] = {{contract::WMP_CLASS, contract::WMP_TITLE}, {contract::WMC_CLASS, contract::WMC_TITLE}};

}  // namespace

const char* MediaPlayerTag(MediaPlayer player)
{
    return player == MediaPlayer::Wmp ? "WMP" : "WMC";
}

const char* MediaMeaning(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        return "minimise";
    }
    if (msg == WM_COMMAND && wParam == contract::WMP_PAUSE_COMMAND) {
        return "pause";
    }
    if (msg == WM_COMMAND && wParam == contract::WMP_MUTE_COMMAND) {
        return "mute";
    }
    if (msg == WM_APPCOMMAND && GET_APPCOMMAND_LPARAM(lParam) == APPCOMMAND_MEDIA_PAUSE) {
        return "pause";
    }
    return "other";
}

std::string DescribeMediaMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool posted)
{
    char text[128];
    const char* name = msg == WM_SYSCOMMAND ? "WM_SYSCOMMAND" : msg == WM_COMMAND ? "WM_COMMAND" : "WM_APPCOMMAND";
    std::snprintf(text, sizeof(text), "%s 0x%llx 0x%llx %s%s", name, static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(lParam), MediaMeaning(msg, wParam, lParam),
                  posted ? "" : " (sent)");
    return text;
}

MediaStandin::~MediaStandin()
{
    for (HWND window : m_windows) {
        if (window != nullptr) {
            DestroyWindow(window);
        }
    }
}

HWND MediaStandin::open(MediaPlayer player, bool visible)
{
    const PlayerWindow& kind = PLAYERS[static_cast<int>(player)];
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClassOnce(kind.className, windowProc);
    HWND& window = m_windows[static_cast<int>(player)];
    window = CreateWindowExA(0, kind.className, kind.title, WS_OVERLAPPEDWINDOW, 40, 40, 320, 240, nullptr, nullptr,
                             instance, this);
    if (window != nullptr && visible) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    return window;
}

std::vector<MediaMessage> MediaStandin::received()
{
    DispatchWaitingMessages();
    std::vector<MediaMessage> taken;
    taken.swap(m_received);
    return taken;
}

LRESULT CALLBACK MediaStandin::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<MediaStandin*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self == nullptr || (msg != WM_SYSCOMMAND && msg != WM_COMMAND && msg != WM_APPCOMMAND)) {
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    const MediaPlayer player = hWnd == self->m_windows[0] ? MediaPlayer::Wmp : MediaPlayer::Wmc;
    self->m_received.push_back(MediaMessage{player, hWnd, msg, wParam, lParam, !InSendMessage(), ClockMs()});
    return msg == WM_APPCOMMAND ? TRUE : 0;
}
