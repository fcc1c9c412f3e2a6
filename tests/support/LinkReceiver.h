#ifndef RINGLOCK_TESTS_SUPPORT_LINKRECEIVER_H
#define RINGLOCK_TESTS_SUPPORT_LINKRECEIVER_H

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct LinkText {
    std::string text;  // copied during the send
    LPARAM kind;       // LINK_TEXT_STATUS or LINK_TEXT_API
    double atMs;       // StandinClock() when it arrived
};

// Stands in for the main dialog: a real hidden top-level window, on the thread
// that constructs it, that records every WM_LINK_TEXT it receives, in order.
class LinkReceiver {
public:
    LinkReceiver();
    ~LinkReceiver();
    LinkReceiver(const LinkReceiver&) = delete;
    LinkReceiver& operator=(const LinkReceiver&) = delete;

    HWND hwnd() const { return m_hWnd; }

    // Runs on the receiver's thread after each text is recorded, while the
    // link still waits in its send (a command sent from here re-enters).
    void setHook(std::function<void(const LinkText&)> hook);

    std::vector<LinkText> texts() const;
    std::vector<std::string> lines() const;                // every text, any kind
    std::vector<std::string> linesOfKind(LPARAM kind) const;
    size_t count() const;
    void clear();
    // Pumps the calling thread's messages until `count` texts have arrived.
    bool waitForCount(size_t count, DWORD timeoutMs) const;

private:
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void record(const char* text, LPARAM kind);

    HWND m_hWnd = nullptr;
    mutable std::mutex m_mutex;
    std::vector<LinkText> m_texts;
    std::function<void(const LinkText&)> m_hook;
};

#endif
