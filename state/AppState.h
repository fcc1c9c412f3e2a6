#ifndef RINGLOCK_STATE_APPSTATE_H
#define RINGLOCK_STATE_APPSTATE_H

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "link/SkypeCom.h"
#include "ui/DlgLayout.h"

// The program-wide record. Construction order matters: the link is built
// before the layout. It is never destroyed: the link thread runs on while
// the process exits and must find the link, its handles still open, as it was.
struct AppState {
    SkypeCom skype;
    DlgLayout layout;
    NOTIFYICONDATAA trayIcon;
    HINSTANCE instance;
    HWND mainDialog;
    HWND logView;
    HWND contactsView;
    int32_t windowShown;
};

extern AppState& g_app;

#endif
