#include "app/Entry.h"

#include <shellapi.h>

#include "state/AppState.h"

namespace {

constexpr int ARGUMENT_BUFFER_SIZE = 1024;

bool FirstArgumentIsStartHidden()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr) {
        return false;
    }
    bool hidden = false;
    if (count >= 2) {
        char first[ARGUMENT_BUFFER_SIZE] = {};
        WideCharToMultiByte(CP_ACP, 0, args[1], -1, first, ARGUMENT_BUFFER_SIZE - 1, nullptr, nullptr);
        hidden = first[0] == '-' && first[1] == 'm' && first[2] == '\0';
    }
    LocalFree(args);
    return hidden;
}

}  // namespace

BOOL CheckStartHidden()
{
    if (FirstArgumentIsStartHidden()) {
        return FALSE;
    }
    g_app.windowShown = 1;
    return TRUE;
}
