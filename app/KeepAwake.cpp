#include "app/KeepAwake.h"

#include <windows.h>

#include <string>

#include "app/LogView.h"
#include "app/TrayIcon.h"
#include "state/AppState.h"
#include "ui/WideText.h"
#include "win/UniqueHandle.h"

namespace {

using CreateRequest = HANDLE(WINAPI*)(PREASON_CONTEXT);
using ChangeRequest = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);

struct Wanted {
    bool system;
    bool screen;
};

struct Keeper {
    bool keepAwake = true;
    Wanted wanted{};
    Wanted granted{};
    UniqueHandle request;
    ChangeRequest set = nullptr;
    ChangeRequest clear = nullptr;
    bool refusalSaid = false;
};

Keeper g_keeper;

// Windows before 7 lacks power requests: looked up, not linked.
FARPROC PowerCall(const char* name)
{
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

template <typename Call>
Call AsCall(FARPROC found)
{
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

void SayRefused(DWORD error, bool keptOtherwise)
{
    if (g_keeper.refusalSaid) {
        return;
    }
    g_keeper.refusalSaid = true;
    // A call that fails without a reason is one this Windows does not carry out.
    const std::string why = SystemErrorText(error != ERROR_SUCCESS ? error : ERROR_NOT_SUPPORTED);
    LogAppendLine(g_app.logView,
                  (POWER_REFUSED_TEXT + why + (keptOtherwise ? POWER_KEPT_OTHERWISE_TEXT : POWER_NOT_KEPT_TEXT)).c_str());
}

void MakeRequest()
{
    const auto create = AsCall<CreateRequest>(PowerCall("PowerCreateRequest"));
    g_keeper.set = AsCall<ChangeRequest>(PowerCall("PowerSetRequest"));
    g_keeper.clear = AsCall<ChangeRequest>(PowerCall("PowerClearRequest"));
    if (create == nullptr || g_keeper.set == nullptr || g_keeper.clear == nullptr) {
        return;
    }
    REASON_CONTEXT reason{};
    reason.Version = POWER_REQUEST_CONTEXT_VERSION;
    reason.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
    reason.Reason.SimpleReasonString = const_cast<LPWSTR>(POWER_REQUEST_REASON);
    g_keeper.request = UniqueHandle(create(&reason));
    if (!g_keeper.request) {
        SayRefused(GetLastError(), true);
    }
}

bool Change(POWER_REQUEST_TYPE type, bool on)
{
    return (on ? g_keeper.set : g_keeper.clear)(g_keeper.request.get(), type) != FALSE;
}

// Windows keeps the screen on only while it keeps the PC awake too.
void Follow()
{
    const Wanted wanted{g_keeper.wanted.system || g_keeper.wanted.screen, g_keeper.wanted.screen};
    Wanted& granted = g_keeper.granted;
    if (g_keeper.request) {
        if (wanted.system != granted.system && !Change(PowerRequestSystemRequired, wanted.system) && wanted.system) {
            SayRefused(GetLastError(), false);
        }
        if (wanted.screen != granted.screen && !Change(PowerRequestDisplayRequired, wanted.screen) && wanted.screen) {
            SayRefused(GetLastError(), false);
        }
        granted = wanted;
        return;
    }
    const EXECUTION_STATE state =
        ES_CONTINUOUS | (wanted.system ? ES_SYSTEM_REQUIRED : 0) | (wanted.screen ? ES_DISPLAY_REQUIRED : 0);
    if (SetThreadExecutionState(state) == 0 && (wanted.system || wanted.screen)) {
        SayRefused(GetLastError(), false);
    }
    granted = wanted;
}

bool StoredChoice()
{
    DWORD value = 1;
    DWORD size = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, KEEP_AWAKE_VALUE, RRF_RT_REG_DWORD, nullptr, &value, &size)
               != ERROR_SUCCESS
           || value != 0;
}

// Unchecked is stored as the value 0; checked, as no value at all.
LONG StoreChoice(bool keepAwake)
{
    HKEY opened = nullptr;
    if (keepAwake) {
        LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, 0, KEY_SET_VALUE, &opened);
        const UniqueKey key(opened);
        if (result == ERROR_SUCCESS) {
            result = RegDeleteValueA(key.get(), KEEP_AWAKE_VALUE);
        }
        return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    }
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                                  nullptr);
    const UniqueKey key(opened);
    if (result == ERROR_SUCCESS) {
        const DWORD off = 0;
        result = RegSetValueExA(key.get(), KEEP_AWAKE_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                                sizeof(off));
    }
    return result;
}

}  // namespace

void StartKeepingAwake()
{
    g_keeper.keepAwake = StoredChoice();
    g_keeper.wanted.system = g_keeper.keepAwake;
    MakeRequest();
    Follow();
}

bool KeepsAwake()
{
    return g_keeper.keepAwake;
}

void ToggleKeepAwake()
{
    const LONG result = StoreChoice(!g_keeper.keepAwake);
    if (result != ERROR_SUCCESS) {
        LogAppendLine(g_app.logView, (KEEP_AWAKE_FAILED_TEXT + SystemErrorText(static_cast<DWORD>(result))).c_str());
        return;
    }
    g_keeper.keepAwake = !g_keeper.keepAwake;
    g_keeper.wanted.system = g_keeper.keepAwake;
    Follow();
    SetTrayTip(g_app.skype.m_state);
}

void KeepScreenOn(bool on)
{
    if (g_keeper.wanted.screen != on) {
        g_keeper.wanted.screen = on;
        Follow();
    }
}

void StopKeepingAwake()
{
    g_keeper.wanted = Wanted{};
    Follow();
}
