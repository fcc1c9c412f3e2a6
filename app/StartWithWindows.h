#ifndef RINGLOCK_APP_STARTWITHWINDOWS_H
#define RINGLOCK_APP_STARTWITHWINDOWS_H

// The current user's list of programs Windows starts at logon. The program is
// on it when it holds a value named after the program's file name without
// its extension, whose command starts this very program hidden: its full
// path in double quotes, then " -m". Nothing of it is kept elsewhere.
constexpr char RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The log's line when the list could not be changed: this, the reason.
constexpr char START_WITH_WINDOWS_FAILED_TEXT[] = "Could not change \"Start with Windows\": ";

// Read from the list each time it is asked.
bool StartsWithWindows();
// Puts the program on the list, or takes it off when it is on; says in the
// log why when the list refuses, and changes nothing then.
void ToggleStartWithWindows();

#endif
