#ifndef RINGLOCK_ANSWER_DIALOGTIMER_H
#define RINGLOCK_ANSWER_DIALOGTIMER_H

#include <windows.h>

#include "state/AppState.h"

// Starts a one-shot timer of the main dialog. A timer that cannot be started
// would leave its action undone for ever (and, for the answer, the engine
// closed), so on false the caller acts at once.
inline bool StartDialogTimer(UINT_PTR id, UINT delayMs)
{
    return SetTimer(g_app.mainDialog, id, delayMs, nullptr) != 0;
}

#endif
