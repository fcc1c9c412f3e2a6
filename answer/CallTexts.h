#ifndef RINGLOCK_ANSWER_CALLTEXTS_H
#define RINGLOCK_ANSWER_CALLTEXTS_H

#include <cstddef>

// The notification texts the engine recognises and the command texts it
// formats, free of the platform.

constexpr size_t CALL_ID_SIZE = 260;       // identifier buffers: at most 259 bytes + NUL
constexpr size_t COMMAND_TEXT_SIZE = 520;  // every command and comparison text

// When `message` is a ringing notification whose identifier fits in
// CALL_ID_SIZE, copies the identifier into `id` (zero-filled) and returns true.
bool ExtractRingingCallId(const char* message, char (&id)[CALL_ID_SIZE]);

// printf-style formatting into a COMMAND_TEXT_SIZE buffer; false (and an empty
// buffer) when the text would not fit, so a cut text is never used.
bool FormatCommandText(char (&out)[COMMAND_TEXT_SIZE], const char* format, ...)
    __attribute__((format(printf, 2, 3)));

#endif
