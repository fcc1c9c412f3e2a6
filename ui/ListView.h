#ifndef RINGLOCK_UI_LISTVIEW_H
#define RINGLOCK_UI_LISTVIEW_H

#include <windows.h>

#include <string>

// A report-view list view with one column used as a list of text lines. The
// texts are UTF-8 (WidenText: bytes that are not show as the code page's
// characters); the control holds them in UTF-16.

constexpr int LOG_MAX_ROWS = 100;      // the log keeps its last 100 lines
constexpr int LIST_UNLIMITED = 0;      // the contact list keeps every contact
constexpr int LIST_ROW_TEXT_SIZE = 260; // a row reads back as at most 259 characters, none cut in half
constexpr int LIST_COLUMN_WIDTH = 280;  // the dialog's lists have one column this wide

int ListInsertColumn(HWND list, int column, const char* caption, int width);
// Appends text as the last row and scrolls to it; then, when maxRows is
// positive and the list has grown past it, drops the first row.
void ListAppendRow(HWND list, const char* text, int maxRows);
std::string ListGetRowText(HWND list, int index);
void ListSetRowText(HWND list, int index, const char* text);

#endif
