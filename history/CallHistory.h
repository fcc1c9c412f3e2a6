#ifndef RINGLOCK_HISTORY_CALLHISTORY_H
#define RINGLOCK_HISTORY_CALLHISTORY_H

#include <windows.h>

// The call history beside the program, named after it (Ringlock.exe keeps
// "Ringlock calls.txt"): a call's line is written as the call ends, and is on
// the disk before the next message is handled. A write never waits for
// another program that holds the file: it is tried again on a timer of the
// main dialog, as often and as long apart as a save of the settings file
// waits, while calls are answered meanwhile. The lines not yet written are
// kept for the next write, up to the size a trimmed file keeps.
constexpr UINT_PTR TIMER_HISTORY_RETRY = 23;
// Posted to the main dialog when the history could not be opened; wParam is
// the error.
constexpr UINT WM_HISTORY_NOT_OPENED = WM_USER + 226;
// The log's line when the history cannot be written: this, the path, why in
// brackets; said once per run of failed writes.
constexpr char HISTORY_WRITE_FAILED_TEXT[] = "Could not write the call history ";
constexpr char HISTORY_FOREIGN_TEXT[] = "the file is not Ringlock's call history";
// The log's line when no program opens it: this, the path, why in brackets.
constexpr char HISTORY_OPEN_FAILED_TEXT[] = "Could not open the call history ";

// Each text the client sends, before the answering engine sees it.
void RecordApiMessage(const char* text);
// The engine is about to send the command that answers the call.
void RecordRinglockAnswer(const char* callId);
// The client closed, the program ends or the session does: the calls still
// open are written as their end not seen, and lines still waiting for the
// file are tried once more.
void RecordEndOfAllCalls();
bool RinglockAnsweredCallOpen();
void OnHistoryRetryTimer();
// Opens the history in the program Windows uses for text files, beginning it
// first when there is none yet; the shell is asked on a thread of its own.
void OpenCallHistory();
void OnHistoryNotOpened(DWORD error);

#endif
