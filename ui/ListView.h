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
int ListInsertColumn(HWND list, int column, const char* caption, int width);
// Makes the one column of the list as wide as the list, less its vertical
// scroll bar when one shows: a line is cut only where the list ends, and no
// horizontal scroll bar is needed. Again whenever the list's size or its
// number of rows changes.
void ListFitColumn(HWND list);
// Appends text as the last row and scrolls to it; then, when maxRows is
// positive and the list has grown past it, drops the first row. The column
// is fitted again.
void ListAppendRow(HWND list, const char* text, int maxRows);
std::string ListGetRowText(HWND list, int index);
// The highlighted row, or -1. Not the list's selection mark: a click into the
// list's empty part takes the highlight away but leaves the mark.
int ListSelectedRow(HWND list);
void ListSetRowText(HWND list, int index, const char* text);

#endif
