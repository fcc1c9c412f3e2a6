#ifndef RINGLOCK_UI_LISTVIEW_H
#define RINGLOCK_UI_LISTVIEW_H

#include <windows.h>

#include <string>

#include "ui/TextLimits.h"

// A report-view list view with one column used as a list of text lines. The
// texts are UTF-8 (WidenText: bytes that are not show as the code page's
// characters); the control holds them in UTF-16.

constexpr int LOG_MAX_ROWS = 100;      // the log keeps its last 100 lines
constexpr int LIST_UNLIMITED = 0;      // the contact list keeps every contact
constexpr int LIST_ROW_TEXT_SIZE = ROW_TEXT_MAX_UNITS + 1; // a row reads back whole characters only
// The dialog's lists have one column, which takes the share of its list that
// it has at 96 DPI (100 %): LIST_COLUMN_WIDTH of the list's
// LIST_WIDTH_AT_96_DPI pixels wide client area. As the dialog grows with the
// display's scale (and with its font, which does not grow exactly as much),
// so do its lists and their columns.
constexpr int LIST_COLUMN_WIDTH = 280;
constexpr int LIST_WIDTH_AT_96_DPI = 388;

int ListInsertColumn(HWND list, int column, const char* caption, int width);
// The width of a column that takes LIST_COLUMN_WIDTH of every
// LIST_WIDTH_AT_96_DPI pixels of the list's client area.
int ListColumnWidth(HWND list);
// Appends text as the last row and scrolls to it; then, when maxRows is
// positive and the list has grown past it, drops the first row.
void ListAppendRow(HWND list, const char* text, int maxRows);
std::string ListGetRowText(HWND list, int index);
void ListSetRowText(HWND list, int index, const char* text);

#endif
