#ifndef RINGLOCK_LINK_SENDFAILURE_H
#define RINGLOCK_LINK_SENDFAILURE_H

// Free of the platform: the error codes are Windows' own numbers.

// Why a command was not delivered, from what the send left: its window gone
// is the client closing; a refusal (ERROR_ACCESS_DENIED) comes from a client
// that runs with higher rights, which Windows shields from this program's
// messages; anything else, a time-out above all, is a client that hangs.
enum class SendFailure { Hung, Refused, ClientGone };
constexpr SendFailure SendFailureOf(bool windowExists, unsigned long error)
{
    constexpr unsigned long accessDenied = 5;
    constexpr unsigned long invalidWindow = 1400;
    return !windowExists || error == invalidWindow ? SendFailure::ClientGone
           : error == accessDenied                 ? SendFailure::Refused
                                                   : SendFailure::Hung;
}

#endif
