#ifndef RINGLOCK_TOOLS_BENCH_BENCHCOMMON_H
#define RINGLOCK_TOOLS_BENCH_BENCHCOMMON_H

// Shared by the benchmark programs; each tools/bench/*.cpp is a program of
// its own, so everything here is inline.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

// The two baseline programs announce themselves by these names.
constexpr char RELAY_LINK_CLASS[] = "RinglockBenchRelayLink";
constexpr char RELAY_TITLE[] = "Ringlock Bench Relay";
constexpr char STATIC_TITLE[] = "Ringlock Bench Static";
constexpr char DIALOG_CLASS[] = "#32770";

// Ringlock's own numbers, as another program sees them.
constexpr char RINGLOCK_TITLE[] = "Skype Ringlock";
constexpr int RINGLOCK_LOG_ID = 1001;
constexpr WPARAM RINGLOCK_RESTORE = 303;
constexpr WPARAM RINGLOCK_EXIT = 304;
constexpr int LOG_ROWS = 100;

// The baseline relay's command texts: "TIMER <ms>" arms a one-shot timer whose
// expiry is answered with "FIRED" to the sender of the text.
constexpr char TIMER_PREFIX[] = "TIMER ";
constexpr char FIRED_TEXT[] = "FIRED";

// The append that Ringlock's log does (insert last, scroll to it, keep the
// last 100 rows), written out again for the baseline.
inline void AppendCappedRow(HWND list, const char* text)
{
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(count);
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count), FALSE);
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > LOG_ROWS) {
        SendMessageA(list, LVM_DELETEITEM, 0, 0);
    }
}

// An in-memory DLGTEMPLATEEX, so the baselines need no resource script.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short cx, short cy, const char* title)
    {
        add16(1);
        add16(0xFFFF);
        add32(0);
        add32(0);
        add32(style | DS_SETFONT);
        m_countAt = m_words.size();
        add16(0);
        add16(6);
        add16(5);
        add16(static_cast<WORD>(cx));
        add16(static_cast<WORD>(cy));
        add16(0);
        add16(0);
        addText(title);
        add16(8);        // point size
        add16(0);        // weight
        add16(0x0100);   // not italic, DEFAULT_CHARSET
        addText("Tahoma");
    }

    void addItem(const char* className, const char* text, DWORD id, DWORD style, DWORD exStyle, short x, short y,
                 short cx, short cy)
    {
        if (m_words.size() % 2 != 0) {
            add16(0);
        }
        add32(0);
        add32(exStyle);
        add32(style);
        add16(static_cast<WORD>(x));
        add16(static_cast<WORD>(y));
        add16(static_cast<WORD>(cx));
        add16(static_cast<WORD>(cy));
        add32(id);
        addText(className);
        addText(text);
        add16(0);
        ++m_words[m_countAt];
    }

    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(m_words.data()); }

private:
    void add16(WORD w) { m_words.push_back(w); }
    void add32(DWORD d)
    {
        add16(LOWORD(d));
        add16(HIWORD(d));
    }
    void addText(const char* text)
    {
        for (const char* c = text; *c != '\0'; ++c) {
            add16(static_cast<WORD>(static_cast<unsigned char>(*c)));
        }
        add16(0);
    }

    std::vector<WORD> m_words;
    size_t m_countAt = 0;
};

// Ringlock asks for the version 6 common controls through its manifest; a
// baseline gets the same controls through an activation context.
inline void UseCommonControls6()
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string file = std::string(path) + "ringlock-bench.manifest";
#ifdef _WIN64
    const char* arch = "amd64";
#else
    const char* arch = "x86";
#endif
    char manifest[1024];
    std::snprintf(manifest, sizeof(manifest),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                  "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
                  "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"%s\" name=\"Ringlock.Bench\" "
                  "type=\"win32\"/>\r\n"
                  "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
                  "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"%s\" "
                  "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/></dependentAssembly></dependency>\r\n"
                  "</assembly>\r\n",
                  arch, arch);
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(out, manifest, static_cast<DWORD>(std::strlen(manifest)), &written, nullptr);
    CloseHandle(out);
    ACTCTXA context{};
    context.cbSize = sizeof(context);
    context.lpSource = file.c_str();
    HANDLE handle = CreateActCtxA(&context);
    ULONG_PTR cookie = 0;
    if (handle != INVALID_HANDLE_VALUE) {
        ActivateActCtx(handle, &cookie);
    }
}

// The same frame and font as Ringlock's main dialog.
constexpr DWORD RINGLOCK_DIALOG_STYLE = 0x10CE0844;
constexpr DWORD RINGLOCK_LIST_STYLE = 0x50318005;

}  // namespace bench

#endif
