#include "app/Entry.h"

#include <shellapi.h>

#include "state/AppState.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int ARGUMENT_BUFFER_SIZE = 1024;

bool FirstArgumentIsStartHidden()
{
    int count = 0;
    const UniqueArguments args(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!args || count < 2) {
        return false;
    }
    char first[ARGUMENT_BUFFER_SIZE] = {};
    WideCharToMultiByte(CP_ACP, 0, args.get()[1], -1, first, ARGUMENT_BUFFER_SIZE - 1, nullptr, nullptr);
    return first[0] == '-' && first[1] == 'm' && first[2] == '\0';
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
