#include "answer/Media.h"

#include "answer/DialogTimer.h"
#include "state/AppState.h"

const char* const WMP_CLASS = "WMPlayerApp";
const char* const WMP_TITLE = "Windows Media Player";
const char* const WMC_CLASS = "eHome Render Window";
const char* const WMC_TITLE = "Windows Media Center";

MediaTargets g_mediaTargets{};

namespace {

void PostIfVisible(HWND target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (target != nullptr && IsWindowVisible(target)) {
        PostMessageA(target, msg, wParam, lParam);
    }
}

}  // namespace

void FindMediaTargets()
{
    g_mediaTargets.wmpWindow = FindWindowA(WMP_CLASS, WMP_TITLE);
    g_mediaTargets.wmcWindow = FindWindowA(WMC_CLASS, WMC_TITLE);
}

void StartMediaTimers()
{
    const bool muteNow = !StartDialogTimer(TIMER_MEDIA_MUTE, MEDIA_MUTE_DELAY_MS);
    const bool pauseNow = !StartDialogTimer(TIMER_MEDIA_PAUSE, MEDIA_PAUSE_DELAY_MS);
    const bool minimizeNow = !StartDialogTimer(TIMER_MEDIA_MINIMIZE, MEDIA_MINIMIZE_DELAY_MS);
    // Those that could not be started act now, in the order they would have
    // fired.
    if (minimizeNow) {
        OnMediaMinimizeTimer();
    }
    if (pauseNow) {
        OnMediaPauseTimer();
    }
    if (muteNow) {
        OnMediaMuteTimer();
    }
}

void OnMediaMuteTimer()
{
    KillTimer(g_app.mainDialog, TIMER_MEDIA_MUTE);
    PostIfVisible(g_mediaTargets.wmpWindow, WM_COMMAND, WMP_MUTE_COMMAND, 0);
}

void OnMediaPauseTimer()
{
    KillTimer(g_app.mainDialog, TIMER_MEDIA_PAUSE);
    PostIfVisible(g_mediaTargets.wmpWindow, WM_COMMAND, WMP_PAUSE_COMMAND, 0);
    PostIfVisible(g_mediaTargets.wmcWindow, WM_APPCOMMAND, 0, WMC_PAUSE_APPCOMMAND);
}

void OnMediaMinimizeTimer()
{
    KillTimer(g_app.mainDialog, TIMER_MEDIA_MINIMIZE);
    PostIfVisible(g_mediaTargets.wmpWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PostIfVisible(g_mediaTargets.wmcWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}
