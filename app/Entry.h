#ifndef RINGLOCK_APP_ENTRY_H
#define RINGLOCK_APP_ENTRY_H

#include <windows.h>

// TRUE to show the dialog, FALSE when started hidden with "-m".
BOOL CheckStartHidden();

#endif
