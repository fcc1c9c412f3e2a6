#ifndef RINGLOCK_APP_MAINDIALOG_H
#define RINGLOCK_APP_MAINDIALOG_H

#include <windows.h>

#include "res/resource.h"

// A running program is recognised by its dialog's class and title.
constexpr char MAIN_DIALOG_CLASS[] = "#32770";
constexpr char MAIN_DIALOG_TITLE[] = MAIN_DIALOG_CAPTION;
constexpr char CONTACT_DIALOG_TITLE[] = CONTACT_DIALOG_CAPTION;

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
void RestoreMainWindow();

#endif
