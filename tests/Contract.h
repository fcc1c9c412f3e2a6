// What a user, the calling client or a media player can observe of Ringlock,
// each value written once from what the program is meant to do, never taken
// from the program: rows, stand-ins, the demo's report and the benchmark
// expect these; one test of tests/inprocess/ProgramTest.cpp compares each with
// the program's own, of the same name. Included as it is, the file declares
// each CONTRACT(name, value) as a constant in namespace contract; defining
// CONTRACT first lists them.
#ifndef CONTRACT
#ifndef RINGLOCK_TESTS_CONTRACT_H
#define RINGLOCK_TESTS_CONTRACT_H
#define CONTRACT(name, value) constexpr auto name = value;
namespace contract {
#include "tests/Contract.h"
}  // namespace contract
#undef CONTRACT
#endif
#else

// A call's identifier, with its NUL; a text formatted with it (and a contact),
// with its NUL, or it matches nothing.
CONTRACT(CALL_ID_SIZE, 260)
CONTRACT(COMMAND_TEXT_SIZE, 520)

// Answering a listed caller, timed from the moment the caller is recognised.
CONTRACT(ANSWER_DELAY_MS, 2500)
CONTRACT(START_VIDEO_DELAY_MS, 1000)  // from the client's "video can be sent"
CONTRACT(MAXIMIZE_DELAY_MS, 1000)     // from the video command

// The media players, timed from the same moment.
CONTRACT(MEDIA_MINIMIZE_DELAY_MS, 100)
CONTRACT(MEDIA_PAUSE_DELAY_MS, 2000)
CONTRACT(MEDIA_MUTE_DELAY_MS, 3000)
CONTRACT(WMP_CLASS, "WMPlayerApp")
CONTRACT(WMP_TITLE, "Windows Media Player")
CONTRACT(WMC_CLASS, "eHome Render Window")
CONTRACT(WMC_TITLE, "Windows Media Center")
CONTRACT(WMP_PAUSE_COMMAND, 0x14978)        // WM_COMMAND's wParam: 18808, from an accelerator
CONTRACT(WMP_MUTE_COMMAND, 0x14981)         // the same for 18817
CONTRACT(WMC_PAUSE_APPCOMMAND, 0x2F0000)    // WM_APPCOMMAND's lParam: APPCOMMAND_MEDIA_PAUSE

// The client: its messages, how long its answers are waited for, how often a
// client that never answered is looked for again.
CONTRACT(DISCOVER_MESSAGE_NAME, "SkypeControlAPIDiscover")
CONTRACT(ATTACH_MESSAGE_NAME, "SkypeControlAPIAttach")
CONTRACT(DISCOVER_TIMEOUT_MS, 1000)
CONTRACT(REDISCOVER_INTERVAL_MS, 30000)
CONTRACT(COMMAND_TIMEOUT_MS, 3000)
CONTRACT(PING_TIMEOUT_MS, 500)

// The log: its lines about the client, and how many lines it keeps.
CONTRACT(CONNECTED_TEXT, "Connected to Skype")
CONTRACT(WAITING_TEXT, "Waiting for Skype to Accept this App...")
CONTRACT(WAITING_HINT_TEXT, "  It may take up to 10sec for skype to notify you")
CONTRACT(DENIED_TEXT, "Skype Denied this App Access")
CONTRACT(NOT_SIGNED_IN_TEXT, "Skype is not signed-in")
CONTRACT(AVAILABLE_TEXT, "Skype is now signed-in, and is avaliable")
CONTRACT(UNKNOWN_STATUS_TEXT, "Unknown Skype message")
CONTRACT(NOT_RUNNING_TEXT, "Skype is not running, you need to start Skype")
CONTRACT(NOT_DELIVERED_TEXT, "Skype is not responding, the command was not delivered")
CONTRACT(HIGHER_RIGHTS_TEXT,
         "Skype runs with higher rights than Ringlock and refuses its commands: start both as administrator, or neither")
CONTRACT(CLIENT_CLOSED_TEXT, "Skype has closed")
CONTRACT(LOG_MAX_ROWS, 100)

// A contact's characters kept, in UTF-16 units; the contact dialog keeps one fewer.
CONTRACT(ROW_TEXT_MAX_UNITS, 259)

// The dialogs, and what the tray icon and a second start send the main one.
CONTRACT(MAIN_DIALOG_CLASS, "#32770")
CONTRACT(MAIN_DIALOG_TITLE, "Skype Ringlock")
CONTRACT(CONTACT_DIALOG_TITLE, "Ringlock Contact")
CONTRACT(WM_TRAY_NOTIFY, 1357)
CONTRACT(IDM_RESTORE, 303)
CONTRACT(IDM_EXIT, 304)

// The tray icon: its balloon, how often a taskbar that refused it is asked
// again, and its tip: whether calls are answered now, and if not, why.
CONTRACT(BALLOON_TITLE, "Still Running")
CONTRACT(BALLOON_TEXT, "Ringlock is Still Running\nin the System Tray")
CONTRACT(BALLOON_TIMEOUT_MS, 5000)
CONTRACT(TRAY_RETRY_INTERVAL_MS, 4000)
CONTRACT(TRAY_RETRY_LIMIT, 30)
CONTRACT(TIP_LOOKING, "Ringlock - looking for Skype")
CONTRACT(TIP_NOT_RUNNING, "Ringlock - Skype is not running")
CONTRACT(TIP_WAITING, "Ringlock - waiting for Skype to allow access")
CONTRACT(TIP_REFUSED, "Ringlock - Skype refused access")
CONTRACT(TIP_NOT_SIGNED_IN, "Ringlock - Skype is not signed in")
CONTRACT(TIP_ANSWERING, "Ringlock - answering calls")
CONTRACT(TIP_NOT_RESPONDING, "Ringlock - Skype is not responding")
CONTRACT(TIP_HIGHER_RIGHTS, "Ringlock - Skype runs with higher rights")

// Starting with Windows: a value in this key named after the program's file,
// whose command is its path in quotes and " -m"; a refusal is logged so.
CONTRACT(RUN_KEY, "Software\\Microsoft\\Windows\\CurrentVersion\\Run")
CONTRACT(START_WITH_WINDOWS_FAILED_TEXT, "Could not change \"Start with Windows\": ")

// The settings file: how long a held file is waited for, what a failed save
// says, and the log's line on a file that cannot be read (READ_FAILED_TEXT,
// path, why in brackets, UNTIL_READ_TEXT), as one too large is not.
CONTRACT(LOCK_WAIT_MS, 900)
CONTRACT(SETTINGS_MESSAGE_CAPTION, "Error")
CONTRACT(WRITE_FAILED_TEXT, "Could not open config file for writing!")
CONTRACT(SAVE_FAILED_TEXT, "Could not write config file ")  // then the path and why in brackets
CONTRACT(NOT_OVERWRITTEN_TEXT, "Could not read config file, so it was not overwritten!\r\n"
                               "Close any program that has it open; the next save will try again.")
CONTRACT(READ_FAILED_TEXT, "Could not read config file ")
CONTRACT(UNTIL_READ_TEXT, "; it will not be overwritten until it has been read")
CONTRACT(TOO_LARGE_TEXT, "larger than a settings file can be")
CONTRACT(SETTINGS_FILE_MAX_BYTES, 16 * 1024 * 1024)

// The call history beside the program: its name after the program's (the
// file name without its extension, then this), its first line, what happened
// besides the client's own final status in lower case, how large it grows
// and how much of it a trim keeps, and the log's lines when it cannot be
// written (then the path and why in brackets) or opened.
CONTRACT(HISTORY_FILE_ENDING, L" calls.txt")
CONTRACT(HISTORY_HEADER, "\xEF\xBB\xBF" "When\tCaller\tOn the list\tWhat happened\tSeconds talked\r\n")
CONTRACT(ANSWERED_BY_RINGLOCK, "answered by Ringlock")
CONTRACT(ANSWERED_BY_HAND, "answered by hand")
CONTRACT(END_NOT_SEEN, "end not seen")
CONTRACT(HISTORY_MAX_BYTES, 1024 * 1024)
CONTRACT(HISTORY_KEPT_BYTES, 512 * 1024)
CONTRACT(HISTORY_TEXT_MAX_BYTES, 512)  // of a caller's name, in whole characters
CONTRACT(HISTORY_WRITE_FAILED_TEXT, "Could not write the call history ")
CONTRACT(HISTORY_FOREIGN_TEXT, "the file is not Ringlock's call history")
CONTRACT(HISTORY_OPEN_FAILED_TEXT, "Could not open the call history ")

// Keeping the PC answering: the choice, stored only when unchecked, as the
// value 0 under the current user's key; the reason a power request gives;
// the log's lines when the choice cannot be stored (then why) and, once, when
// Windows refuses a power request (then why, then what is done instead); the
// tip when calls are answered but the PC may sleep; what Windows starts the
// program with again after a crash, a hang or an update restart.
CONTRACT(KEEP_AWAKE_KEY, "Software\\Ringlock")
CONTRACT(KEEP_AWAKE_VALUE, "KeepAwake")
CONTRACT(POWER_REQUEST_REASON, L"Ringlock answers calls from your contacts")
CONTRACT(KEEP_AWAKE_FAILED_TEXT, "Could not change \"Keep this PC awake\": ")
CONTRACT(POWER_REFUSED_TEXT, "Windows refused Ringlock's power request: ")
CONTRACT(POWER_KEPT_OTHERWISE_TEXT, "; the older way is used instead")
CONTRACT(POWER_NOT_KEPT_TEXT, "; the PC may sleep")
CONTRACT(TIP_ANSWERING_MAY_SLEEP, "Ringlock - answering calls, but this PC may sleep")
CONTRACT(RESTART_COMMAND_LINE, L"-m")

#endif
