#ifndef RINGLOCK_LINK_SKYPECOM_H
#define RINGLOCK_LINK_SKYPECOM_H

#include <atomic>

#include "link/UIthread.h"

// Sent synchronously from the link thread to the dialog: wParam is a
// NUL-terminated text valid only during the send, lParam its kind.
constexpr UINT WM_LINK_TEXT = WM_USER + 222;
constexpr LPARAM LINK_TEXT_STATUS = 1;
constexpr LPARAM LINK_TEXT_API = 2;

constexpr UINT_PTR TIMER_DISCOVER = 10;
constexpr UINT DISCOVER_TIMEOUT_MS = 1000;

constexpr LPARAM ATTACH_SUCCESS = 0;
constexpr LPARAM ATTACH_PENDING_AUTHORIZATION = 1;
constexpr LPARAM ATTACH_REFUSED = 2;
constexpr LPARAM ATTACH_NOT_AVAILABLE = 3;
constexpr LPARAM ATTACH_API_AVAILABLE = 0x8001;

extern const char* const DISCOVER_MESSAGE_NAME;  // "SkypeControlAPIDiscover"
extern const char* const ATTACH_MESSAGE_NAME;    // "SkypeControlAPIAttach"

// The one connection to the calling client's window-message API.
class SkypeCom final : public UIthread {
public:
    LRESULT handleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void onThreadStart() override;
    void onThreadEnd() override;

    BOOL startDiscovery(HWND dialog);
    LRESULT sendCommand(const char* command);
    LRESULT ping();
    LRESULT notifyDialog(const char* text, LPARAM kind);

    // Written on one thread and read on the other, hence atomic.
    std::atomic<HWND> m_hDialog{nullptr};
    std::atomic<HWND> m_hSkypeWnd{nullptr};
    UINT m_discoverMsg = 0;
    UINT m_attachMsg = 0;
    std::atomic<LONG> m_copyDataResult{1};
    // Set while TIMER_DISCOVER may still report: a WM_TIMER already queued
    // when the timer is stopped must not report "not running" after an attach.
    std::atomic<bool> m_discoverPending{false};
};

#endif
