#include "answer/CallTexts.h"

#include <cstdarg>
#include <cstring>

namespace {

constexpr size_t PREFIX_LENGTH = sizeof(RINGING_PREFIX) - 1;
constexpr size_t SUFFIX_LENGTH = sizeof(RINGING_SUFFIX) - 1;

}  // namespace

bool IsRingingNotification(const char* message)
{
    const size_t length = std::strlen(message);
    return length > PREFIX_LENGTH + SUFFIX_LENGTH
        && std::memcmp(message, RINGING_PREFIX, PREFIX_LENGTH) == 0
        && std::memcmp(message + length - SUFFIX_LENGTH, RINGING_SUFFIX, SUFFIX_LENGTH) == 0;
}

bool ExtractRingingCallId(const char* message, char (&id)[CALL_ID_SIZE])
{
    if (!IsRingingNotification(message)) {
        return false;
    }
    const size_t idLength = std::strlen(message) - PREFIX_LENGTH - SUFFIX_LENGTH;
    if (idLength >= CALL_ID_SIZE) {
        return false;
    }
    std::memset(id, 0, sizeof(id));
    std::memcpy(id, message + PREFIX_LENGTH, idLength);
    return true;
}

// Every format here has only %s fields, so a small substitution does the work
// of vsnprintf without pulling a whole printf implementation into the program.
bool FormatCommandText(char (&out)[COMMAND_TEXT_SIZE], const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t used = 0;
    bool fits = true;
    auto append = [&](const char* text, size_t length) {
        if (length >= sizeof(out) - used) {
            fits = false;
            return;
        }
        std::memcpy(out + used, text, length);
        used += length;
    };
    for (const char* p = format; *p != '\0' && fits; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            const char* field = va_arg(args, const char*);
            append(field, std::strlen(field));
            ++p;
        } else {
            append(p, 1);
        }
    }
    va_end(args);
    out[fits ? used : 0] = '\0';
    return fits;
}

bool IsVideoAvailableFor(const char* message, const char* callId)
{
    char expected[COMMAND_TEXT_SIZE];
    return FormatCommandText(expected, VIDEO_AVAILABLE_FORMAT, callId)
        && std::strcmp(message, expected) == 0;
}

bool IsPartnerOf(const char* message, const char* callId, const char* contact)
{
    char expected[COMMAND_TEXT_SIZE];
    return FormatCommandText(expected, PARTNER_FORMAT, callId, contact)
        && std::strcmp(message, expected) == 0;
}
