#ifndef RINGLOCK_APP_KEEPAWAKE_H
#define RINGLOCK_APP_KEEPAWAKE_H

// A sleeping PC answers nothing, and a screen that goes dark minutes into an
// answered video call shows nothing. While "Keep this PC awake" is checked,
// Windows is asked not to let the PC sleep for idleness (the screen may still
// turn off); while a call the program answered goes on, to keep the screen on
// and, as Windows asks of a program that keeps it on, the PC awake. With a
// power request, whose reason `powercfg /requests` shows, where Windows has
// them (from Windows 7 on) and grants one; otherwise with the main thread's
// execution state.

// The choice is the user's: unchecked, it is this value, 0, under this key of
// the current user's; checked, there is no value.
constexpr char KEEP_AWAKE_KEY[] = "Software\\Ringlock";
constexpr char KEEP_AWAKE_VALUE[] = "KeepAwake";
constexpr wchar_t POWER_REQUEST_REASON[] = L"Ringlock answers calls from your contacts";
// The log's line when the choice could not be stored: this, the reason.
constexpr char KEEP_AWAKE_FAILED_TEXT[] = "Could not change \"Keep this PC awake\": ";
// The log's line, once, when Windows refuses the power request: this, the
// reason, then what is done instead.
constexpr char POWER_REFUSED_TEXT[] = "Windows refused Ringlock's power request: ";
constexpr char POWER_KEPT_OTHERWISE_TEXT[] = "; the older way is used instead";
constexpr char POWER_NOT_KEPT_TEXT[] = "; the PC may sleep";

// Reads the choice and asks Windows accordingly; at start, on the main thread,
// which every later call shares.
void StartKeepingAwake();
bool KeepsAwake();
// Stores the other choice and follows it at once; when the choice cannot be
// stored, says why in the log and changes nothing.
void ToggleKeepAwake();
void KeepScreenOn(bool on);
// Withdraws every request, as the program exits.
void StopKeepingAwake();

#endif
