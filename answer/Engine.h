#ifndef RINGLOCK_ANSWER_ENGINE_H
#define RINGLOCK_ANSWER_ENGINE_H

#include <windows.h>

#include <cstdint>

#include "answer/CallTexts.h"

constexpr UINT_PTR TIMER_ANSWER = 15;
constexpr UINT_PTR TIMER_START_VIDEO = 16;
constexpr UINT_PTR TIMER_MAXIMIZE = 17;
constexpr UINT ANSWER_DELAY_MS = 2500;
constexpr UINT START_VIDEO_DELAY_MS = 1000;
constexpr UINT MAXIMIZE_DELAY_MS = 1000;

struct CallState {
    char ringingCallId[CALL_ID_SIZE];
    char answeredCallId[CALL_ID_SIZE];
    char videoCallId[CALL_ID_SIZE];
    int32_t answerPending;
};

extern CallState g_callState;

void ClearCallIds();
// A timer of the engine that cannot be started has its action done at once,
// once the message's own changes are in place, rather than never.
void HandleApiMessage(const char* message);
void OnAnswerTimer();
void OnStartVideoTimer();
void OnMaximizeTimer();

#endif
