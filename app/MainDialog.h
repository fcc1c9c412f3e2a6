#ifndef RINGLOCK_APP_MAINDIALOG_H
#define RINGLOCK_APP_MAINDIALOG_H

#include <windows.h>

#include "res/resource.h"

// A running program is recognised by its dialog's class and title.
constexpr char MAIN_DIALOG_CLASS[] = "#32770";
constexpr char MAIN_DIALOG_TITLE[] = MAIN_DIALOG_CAPTION;
constexpr char CONTACT_DIALOG_TITLE[] = CONTACT_DIALOG_CAPTION;
// Held by the running program for the whole session.
constexpr char SINGLE_INSTANCE_NAME[] = "Local\\Skype Ringlock";
// What Windows starts the program with again after a crash, a hang or an
// update restart: hidden.
constexpr wchar_t RESTART_COMMAND_LINE[] = L"-m";

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
void RestoreMainWindow();

#endif
