#include "tests/ui/DialogScript.h"

#include <cstring>
#include <utility>

namespace {

struct Script {
    const char* title;
    std::vector<DialogStage> stages;
    size_t next;
    ULONGLONG giveUpAt;
};

Script* g_script = nullptr;

struct Search {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    char cls[16] = {};
    char text[64] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    GetWindowTextA(hWnd, text, sizeof(text));
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(text, search->title) == 0 && IsWindowVisible(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_script == nullptr) {
        return;
    }
    Search search{g_script->title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        return;
    }
    if (g_script->next < g_script->stages.size()) {
        g_script->stages[g_script->next++](search.found);
    } else if (GetTickCount64() > g_script->giveUpAt) {
        EndDialog(search.found, kDialogTimedOut);
    }
}

}  // namespace

INT_PTR RunScripted(ModalDlg& dlg, HWND parent, WORD templateId, const char* title,
                    std::vector<DialogStage> stages, size_t* stagesRun)
{
    const ULONGLONG allowance = 3000 + 1000 * stages.size();
    Script script{title, std::move(stages), 0, GetTickCount64() + allowance};
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    const INT_PTR result = dlg.runModal(parent, templateId);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    *stagesRun = script.next;
    return result;
}
