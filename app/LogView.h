#ifndef RINGLOCK_APP_LOGVIEW_H
#define RINGLOCK_APP_LOGVIEW_H

#include <windows.h>

// Each appended line makes the log scroll and repaint (under Wine a repaint of
// the shown log costs tens of milliseconds, and scrolling costs even while it
// is hidden), so a burst of lines is appended with the log's redraw off and
// the log is painted once when the burst ends: a line that comes less than
// LOG_BURST_GAP_MS after the previous one starts or extends a burst, and the
// burst ends when no line has come for LOG_BURST_GAP_MS. A line after a quiet
// spell is painted at once. The lines the log holds are always those that
// ListAppendRow with LOG_MAX_ROWS leaves.
constexpr UINT LOG_BURST_GAP_MS = 50;
// A one-shot timer of the log's parent, with a timer procedure of its own, so
// the parent's window procedure never sees it; it runs only during a burst.
constexpr UINT_PTR TIMER_LOG_REPAINT = 21;
constexpr char LOG_COLUMN_CAPTION[] = "Skype Message Log";

void LogAppendLine(HWND log, const char* text);

#endif
