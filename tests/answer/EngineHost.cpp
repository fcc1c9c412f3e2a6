#include "tests/answer/EngineHost.h"

#include <commctrl.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "link/SkypeCom.h"
#include "res/resource.h"
#include "tools/standin/StandinClient.h"
#include "ui/ListView.h"

EngineHost::EngineHost()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, dialogProc,
                                  reinterpret_cast<LPARAM>(this));
    ListInsertColumn(contacts(), 0, "Ringlock Contacts", 280);
}

EngineHost::~EngineHost()
{
    DestroyWindow(m_dialog);
}

HWND EngineHost::contacts() const
{
    return GetDlgItem(m_dialog, IDC_CONTACTS);
}

void EngineHost::setContacts(const std::vector<std::string>& contacts) const
{
    SendMessageA(this->contacts(), LVM_DELETEALLITEMS, 0, 0);
    for (const std::string& contact : contacts) {
        ListAppendRow(this->contacts(), contact.c_str(), LIST_UNLIMITED);
    }
}

void EngineHost::setStartVideo(UINT state) const
{
    SendDlgItemMessageA(m_dialog, IDC_START_VIDEO, BM_SETCHECK, state, 0);
}

void EngineHost::setQuietMedia(UINT state) const
{
    SendDlgItemMessageA(m_dialog, IDC_QUIET_MEDIA, BM_SETCHECK, state, 0);
}

std::vector<HostEvent> EngineHost::events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<std::string> EngineHost::apiTexts() const
{
    std::vector<std::string> texts;
    for (const HostEvent& event : events()) {
        if (event.timer == 0 && event.kind == LINK_TEXT_API) {
            texts.push_back(event.text);
        }
    }
    return texts;
}

std::vector<UINT_PTR> EngineHost::timersFired() const
{
    std::vector<UINT_PTR> timers;
    for (const HostEvent& event : events()) {
        if (event.timer != 0) {
            timers.push_back(event.timer);
        }
    }
    return timers;
}

double EngineHost::arrivedAt(const std::string& text) const
{
    for (const HostEvent& event : events()) {
        if (event.timer == 0 && event.kind == LINK_TEXT_API && event.text == text) {
            return event.atMs;
        }
    }
    return -1;
}

void EngineHost::record(HostEvent event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(std::move(event));
}

INT_PTR CALLBACK EngineHost::dialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hDlg, GWLP_USERDATA, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<EngineHost*>(GetWindowLongPtrA(hDlg, GWLP_USERDATA));
    if (self == nullptr) {
        return FALSE;
    }
    switch (msg) {
    case WM_LINK_TEXT: {
        const char* text = reinterpret_cast<const char*>(wParam);
        self->record(HostEvent{text != nullptr ? text : "", lParam, 0, StandinClock()});
        if (lParam == LINK_TEXT_API) {
            HandleApiMessage(text);
        }
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_TIMER: {
        void (*handler)() = nullptr;
        switch (wParam) {
        case TIMER_ANSWER: handler = OnAnswerTimer; break;
        case TIMER_START_VIDEO: handler = OnStartVideoTimer; break;
        case TIMER_MAXIMIZE: handler = OnMaximizeTimer; break;
        case TIMER_MEDIA_MUTE: handler = OnMediaMuteTimer; break;
        case TIMER_MEDIA_PAUSE: handler = OnMediaPauseTimer; break;
        case TIMER_MEDIA_MINIMIZE: handler = OnMediaMinimizeTimer; break;
        default: return FALSE;
        }
        self->record(HostEvent{std::string(), 0, wParam, StandinClock()});
        handler();
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

namespace {

const char* const kRemoteMarker = "RINGLOCK_ANSWER_REMOTE_HOST";

}  // namespace

RemoteHost::RemoteHost()
{
    const std::string title = "Ringlock remote host " + std::to_string(GetCurrentProcessId());
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string commandLine = std::string("\"") + exe + "\" --gtest_brief=1 --gtest_filter=RemoteHostChild.Serve";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    SetEnvironmentVariableA(kRemoteMarker, title.c_str());
    const BOOL started =
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_process);
    SetEnvironmentVariableA(kRemoteMarker, nullptr);
    if (!started) {
        m_process = PROCESS_INFORMATION{};
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + 15000;
    while (m_dialog == nullptr && GetTickCount64() < deadline
           && WaitForSingleObject(m_process.hProcess, 20) == WAIT_TIMEOUT) {
        m_dialog = FindWindowA("#32770", title.c_str());
    }
}

RemoteHost::~RemoteHost()
{
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (m_dialog != nullptr) {
        PostThreadMessageA(GetWindowThreadProcessId(m_dialog, nullptr), WM_QUIT, 0, 0);
    }
    if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

bool RemoteHost::InChild()
{
    char value[8] = {};
    return GetEnvironmentVariableA(kRemoteMarker, value, sizeof(value)) > 0;
}

void RemoteHost::Serve()
{
    char title[128] = {};
    GetEnvironmentVariableA(kRemoteMarker, title, sizeof(title));
    EngineHost host;
    host.setStartVideo(BST_CHECKED);
    host.setQuietMedia(BST_CHECKED);
    SetWindowTextA(host.dialog(), title);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
