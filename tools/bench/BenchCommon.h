#ifndef RINGLOCK_TOOLS_BENCH_BENCHCOMMON_H
#define RINGLOCK_TOOLS_BENCH_BENCHCOMMON_H

// Shared by the benchmark programs and their resource script.

#define IDD_BENCH_RELAY 1
#define IDD_BENCH_STATIC 2
// The common controls' manifest, activated only where a program asks for it.
#define IDR_COMMON_CONTROLS_6 100
#define BENCH_RELAY_TITLE "Ringlock Bench Relay"
#define BENCH_STATIC_TITLE "Ringlock Bench Static"

#ifndef RC_INVOKED
#include <windows.h>

namespace bench {

constexpr char RELAY_LINK_CLASS[] = "RinglockBenchRelayLink";
constexpr char DIALOG_CLASS[] = "#32770";  // the platform's own

// The baseline relay's command texts: "TIMER <ms>" arms a one-shot timer whose
// expiry is answered with "FIRED" to the sender of the text.
constexpr char TIMER_PREFIX[] = "TIMER ";
constexpr char FIRED_TEXT[] = "FIRED";

// Ringlock asks for the version 6 common controls through its manifest; a
// baseline gets the same controls by activating the same manifest, which it
// carries under another resource number than the loader looks at.
inline void UseCommonControls6()
{
    ACTCTXA context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = GetModuleHandleA(nullptr);
    context.lpResourceName = MAKEINTRESOURCEA(IDR_COMMON_CONTROLS_6);
    HANDLE handle = CreateActCtxA(&context);
    ULONG_PTR cookie = 0;
    if (handle != INVALID_HANDLE_VALUE) {
        ActivateActCtx(handle, &cookie);
    }
}

}  // namespace bench
#endif

#endif
