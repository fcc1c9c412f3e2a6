#ifndef RINGLOCK_APP_MAINDIALOG_H
#define RINGLOCK_APP_MAINDIALOG_H

#include <windows.h>

constexpr const char* MAIN_DIALOG_CLASS = "#32770";
constexpr const char* MAIN_DIALOG_TITLE = "Skype Ringlock";

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
void RestoreMainWindow();

#endif
