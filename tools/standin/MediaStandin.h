#ifndef RINGLOCK_TOOLS_STANDIN_MEDIASTANDIN_H
#define RINGLOCK_TOOLS_STANDIN_MEDIASTANDIN_H

#include <windows.h>

#include <cstddef>
#include <vector>

// Our stand-in for the two media players' main windows: real top-level
// windows with the players' class names and titles, on a thread of their own,
// that record every WM_SYSCOMMAND, WM_COMMAND and WM_APPCOMMAND reaching them
// and act on none of them (a minimise request leaves the window as it is).
// Used in-process by the tests and wrapped by the stand-in player program.

enum class MediaPlayer {
    Wmp,  // class "WMPlayerApp", title "Windows Media Player"
    Wmc,  // class "eHome Render Window", title "Windows Media Center"
};

struct MediaMessage {
    MediaPlayer player;
    HWND window;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;   // came through the queue, not sent from another thread
    double atMs;   // StandinClock() when the window received it
};

class MediaStandin {
public:
    MediaStandin();
    ~MediaStandin();
    MediaStandin(const MediaStandin&) = delete;
    MediaStandin& operator=(const MediaStandin&) = delete;

    bool start();  // the thread runs when it returns true; no player window yet
    void stop();   // destroys the windows and ends the thread

    // Creates the player's window (again, after close) and returns it; shown
    // without activation when `visible`, else left hidden.
    HWND open(MediaPlayer player, bool visible = true);
    void close(MediaPlayer player);                   // destroys the window
    void show(MediaPlayer player, int showCommand);   // ShowWindow on the window's thread
    HWND window(MediaPlayer player) const;            // null while closed

    std::vector<MediaMessage> messages() const;
    void clear();
    // Returns once every message posted to the stand-in's thread before the
    // call has been handled; does not dispatch the calling thread's messages.
    bool sync(DWORD timeoutMs = 5000) const;
    // Dispatches the calling thread's messages (its timers included) until
    // `count` messages are recorded or `timeoutMs` has passed.
    bool waitForMessageCount(size_t count, DWORD timeoutMs) const;

private:
    struct Impl;
    Impl* m_impl;
};

#endif
