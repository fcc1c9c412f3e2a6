#include "tests/support/LinkReceiver.h"

#include "link/SkypeCom.h"
#include "tests/support/Pump.h"
#include "tools/standin/StandinClient.h"

namespace {

const char* const kClassName = "RinglockLinkReceiver";

}  // namespace

LinkReceiver::LinkReceiver()
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(instance, kClassName, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        RegisterClassExA(&wc);
    }
    m_hWnd = CreateWindowExA(0, kClassName, "Link receiver", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance,
                             this);
}

LinkReceiver::~LinkReceiver()
{
    DestroyWindow(m_hWnd);
}

LRESULT CALLBACK LinkReceiver::windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    } else if (msg == WM_LINK_TEXT) {
        auto* self = reinterpret_cast<LinkReceiver*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (self) {
            self->record(reinterpret_cast<const char*>(wParam), lParam);
        }
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

void LinkReceiver::record(const char* text, LPARAM kind)
{
    LinkText entry{text ? text : "", kind, StandinClock()};
    std::function<void(const LinkText&)> hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.push_back(entry);
        hook = m_hook;
    }
    if (hook) {
        hook(entry);
    }
}

void LinkReceiver::setHook(std::function<void(const LinkText&)> hook)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hook = std::move(hook);
}

std::vector<LinkText> LinkReceiver::texts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

std::vector<std::string> LinkReceiver::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    for (const LinkText& entry : m_texts) {
        out.push_back(entry.text);
    }
    return out;
}

std::vector<std::string> LinkReceiver::linesOfKind(LPARAM kind) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    for (const LinkText& entry : m_texts) {
        if (entry.kind == kind) {
            out.push_back(entry.text);
        }
    }
    return out;
}

size_t LinkReceiver::count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts.size();
}

void LinkReceiver::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_texts.clear();
}

bool LinkReceiver::waitForCount(size_t wanted, DWORD timeoutMs) const
{
    return PumpUntil([this, wanted] { return count() >= wanted; }, timeoutMs);
}
