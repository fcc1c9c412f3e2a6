#ifndef RINGLOCK_ANSWER_CALLTEXTS_H
#define RINGLOCK_ANSWER_CALLTEXTS_H

#include <cstddef>

// The notification texts the engine recognises and the command texts it
// formats, free of the platform.

constexpr size_t CALL_ID_SIZE = 260;       // identifier buffers: at most 259 bytes + NUL
constexpr size_t COMMAND_TEXT_SIZE = 520;  // every command and comparison text

constexpr char RINGING_PREFIX[] = "CALL ";
constexpr char RINGING_SUFFIX[] = " STATUS RINGING";
constexpr char GET_PARTNER_FORMAT[] = "GET CALL %s PARTNER_HANDLE";
constexpr char ANSWER_FORMAT[] = "SET CALL %s STATUS INPROGRESS";
constexpr char START_VIDEO_FORMAT[] = "ALTER CALL %s START_VIDEO_SEND";
constexpr char MAXIMIZE_COMMAND[] = "SET WINDOWSTATE MAXIMIZED";
constexpr char VIDEO_AVAILABLE_FORMAT[] = "CALL %s VIDEO_SEND_STATUS AVAILABLE";
constexpr char PARTNER_FORMAT[] = "CALL %s PARTNER_HANDLE %s";

// Longer than 20 bytes, begins with "CALL " and ends with " STATUS RINGING",
// whatever the length of the identifier between them.
bool IsRingingNotification(const char* message);

// When `message` is a ringing notification whose identifier fits in
// CALL_ID_SIZE, copies the identifier into `id` (zero-filled) and returns true.
bool ExtractRingingCallId(const char* message, char (&id)[CALL_ID_SIZE]);

// printf-style formatting into a COMMAND_TEXT_SIZE buffer; false (and an empty
// buffer) when the text would not fit, so a cut text is never used.
bool FormatCommandText(char (&out)[COMMAND_TEXT_SIZE], const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Whole-text comparisons with a filled-in format; a comparison text that would
// not fit never matches.
bool IsVideoAvailableFor(const char* message, const char* callId);
bool IsPartnerOf(const char* message, const char* callId, const char* contact);

#endif
