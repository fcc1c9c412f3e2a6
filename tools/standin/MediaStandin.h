#ifndef RINGLOCK_TOOLS_STANDIN_MEDIASTANDIN_H
#define RINGLOCK_TOOLS_STANDIN_MEDIASTANDIN_H

#include <windows.h>

#include <string>
#include <vector>

// Our stand-in for the two media players' main windows: real top-level
// windows with the players' class names and titles, on the thread that opens
// them, that record every WM_SYSCOMMAND, WM_COMMAND and WM_APPCOMMAND reaching
// them and act on none of them. Used in-process by the tests and by the
// stand-in players program.

enum class MediaPlayer {
    Wmp,  // class "WMPlayerApp", title "Windows Media Player"
    Wmc,  // class "eHome Render Window", title "Windows Media Center"
};

// The player's tag in the stand-in players' transcript: "WMP" or "WMC".
const char* MediaPlayerTag(MediaPlayer player);

// What a player makes of a message: "minimise", "pause", "mute" or "other".
const char* MediaMeaning(UINT msg, WPARAM wParam, LPARAM lParam);
// How the stand-in players write a message after the player's tag:
// "WM_COMMAND 0x14978 0x0 pause", with " (sent)" when it was not posted.
std::string DescribeMediaMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool posted = true);

struct MediaMessage {
    MediaPlayer player;
    HWND window;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // came through the queue, not sent from another thread
    double atMs;  // ClockMs() when the window received it
};

class MediaStandin {
public:
    MediaStandin() = default;
    ~MediaStandin();
    MediaStandin(const MediaStandin&) = delete;
    MediaStandin& operator=(const MediaStandin&) = delete;

    // Shown without activation when `visible`, else left hidden; null when
    // the window could not be made.
    HWND open(MediaPlayer player, bool visible = true);
    // What the windows received since the last call; the messages waiting in
    // this thread's queue are dispatched first.
    std::vector<MediaMessage> received();

private:
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_windows[2] = {};
    std::vector<MediaMessage> m_received;
};

#endif
