#ifndef RINGLOCK_TESTS_ANSWER_ENGINEHOST_H
#define RINGLOCK_TESTS_ANSWER_ENGINEHOST_H

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

// What the host dialog saw, in order: a WM_LINK_TEXT (timer 0) or the firing
// of one of the engine's or media timers (text empty).
struct HostEvent {
    std::string text;
    LPARAM kind;
    UINT_PTR timer;
    double atMs;  // StandinClock() on arrival, before the engine ran
};

// The IDD_MAIN dialog, created modeless on the constructing thread, with a
// dialog procedure that does for the engine what the main dialog does: it
// hands WM_LINK_TEXT of kind 2 to HandleApiMessage and WM_TIMER 15 to 20 to
// their handlers, recording each first.
class EngineHost {
public:
    EngineHost();
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    HWND dialog() const { return m_dialog; }
    HWND contacts() const;

    void setContacts(const std::vector<std::string>& contacts) const;
    void setStartVideo(UINT state) const;
    void setQuietMedia(UINT state) const;

    std::vector<HostEvent> events() const;
    std::vector<std::string> apiTexts() const;
    std::vector<UINT_PTR> timersFired() const;
    // The arrival of the first API text equal to `text`, or a negative value.
    double arrivedAt(const std::string& text) const;

private:
    static INT_PTR CALLBACK dialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
    void record(HostEvent event);

    HWND m_dialog = nullptr;
    mutable std::mutex m_mutex;
    std::vector<HostEvent> m_events;
};

// The IDD_MAIN dialog with both option boxes on, in a second process: this
// test program started again in a serving mode. SetTimer fails for a window
// of another process, so the engine can be made to meet a timer that cannot
// be started.
class RemoteHost {
public:
    RemoteHost();
    ~RemoteHost();
    RemoteHost(const RemoteHost&) = delete;
    RemoteHost& operator=(const RemoteHost&) = delete;

    HWND dialog() const { return m_dialog; }

    // The serving side, run by the test RemoteHostChild.Serve in that process.
    static bool InChild();
    static void Serve();

private:
    PROCESS_INFORMATION m_process{};
    HWND m_dialog = nullptr;
};

#endif
