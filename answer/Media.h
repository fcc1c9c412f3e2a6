#ifndef RINGLOCK_ANSWER_MEDIA_H
#define RINGLOCK_ANSWER_MEDIA_H

#include <windows.h>

constexpr UINT_PTR TIMER_MEDIA_MUTE = 18;
constexpr UINT_PTR TIMER_MEDIA_PAUSE = 19;
constexpr UINT_PTR TIMER_MEDIA_MINIMIZE = 20;
constexpr UINT MEDIA_MUTE_DELAY_MS = 3000;
constexpr UINT MEDIA_PAUSE_DELAY_MS = 2000;
constexpr UINT MEDIA_MINIMIZE_DELAY_MS = 100;

extern const char* const WMP_CLASS;  // "WMPlayerApp"
extern const char* const WMP_TITLE;  // "Windows Media Player"
extern const char* const WMC_CLASS;  // "eHome Render Window"
extern const char* const WMC_TITLE;  // "Windows Media Center"

constexpr WPARAM WMP_PAUSE_COMMAND = 0x14978;
constexpr WPARAM WMP_MUTE_COMMAND = 0x14981;
constexpr LPARAM WMC_PAUSE_APPCOMMAND = 0x2F0000;

struct MediaTargets {
    HWND wmpWindow;
    HWND wmcWindow;
};

extern MediaTargets g_mediaTargets;

void FindMediaTargets();
void StartMediaTimers();
void OnMediaMuteTimer();
void OnMediaPauseTimer();
void OnMediaMinimizeTimer();

#endif
