#include "answer/Engine.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "answer/DialogTimer.h"
#include "answer/Media.h"
#include "history/CallHistory.h"
#include "res/resource.h"
#include "state/AppState.h"
#include "ui/ListView.h"

CallState g_callState{};

namespace {

constexpr int32_t ANSWER_PENDING = 1000;

bool SameId(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

void CopyId(char (&to)[CALL_ID_SIZE], const char (&from)[CALL_ID_SIZE])
{
    std::memcpy(to, from, CALL_ID_SIZE);
}

void SendFormatted(const char* format, const char* callId)
{
    char command[COMMAND_TEXT_SIZE];
    if (FormatCommandText(command, format, callId)) {
        g_app.skype.sendCommand(command);
    }
}

// Each test returns false when processing of the message ends.

bool RingingTest(const char* message)
{
    if (!IsRingingNotification(message)) {
        return true;
    }
    char id[CALL_ID_SIZE];
    if (!ExtractRingingCallId(message, id)) {
        return false;
    }
    if (SameId(id, g_callState.ringingCallId)) {
        return false;
    }
    // Stored before the query goes out, so a partner reply that the client
    // sends from inside the query is already recognised.
    CopyId(g_callState.ringingCallId, id);
    SendFormatted(GET_PARTNER_FORMAT, id);
    return true;
}

bool VideoTest(const char* message, bool* startVideoNow)
{
    if (g_callState.answeredCallId[0] == '\0'
        || !IsVideoAvailableFor(message, g_callState.answeredCallId)) {
        return true;
    }
    if (IsDlgButtonChecked(g_app.mainDialog, IDC_START_VIDEO) != BST_CHECKED) {
        return false;
    }
    if (SameId(g_callState.answeredCallId, g_callState.videoCallId)) {
        return false;
    }
    *startVideoNow = !StartDialogTimer(TIMER_START_VIDEO, START_VIDEO_DELAY_MS);
    CopyId(g_callState.videoCallId, g_callState.answeredCallId);
    return true;
}

// Every comparison text of the contact test begins with "CALL ", the ringing
// call's identifier and " PARTNER_HANDLE ", so a message that does not cannot
// equal any of them and needs no pass over the rows.
bool BeginsLikePartnerOfRingingCall(const char* message)
{
    constexpr char head[] = "CALL ";
    constexpr char middle[] = " PARTNER_HANDLE ";
    const size_t idLength = std::strlen(g_callState.ringingCallId);
    return std::strncmp(message, head, sizeof(head) - 1) == 0
        && std::strncmp(message + sizeof(head) - 1, g_callState.ringingCallId, idLength) == 0
        && std::strncmp(message + sizeof(head) - 1 + idLength, middle, sizeof(middle) - 1) == 0;
}

void ContactTest(const char* message, bool* answerNow)
{
    if (g_callState.ringingCallId[0] == '\0' || !BeginsLikePartnerOfRingingCall(message)) {
        return;
    }
    const LRESULT rows = SendMessageA(g_app.contactsView, LVM_GETITEMCOUNT, 0, 0);
    if (rows <= 0) {
        return;
    }
    for (int row = 0; row < rows; ++row) {
        const std::string contact = ListGetRowText(g_app.contactsView, row);
        if (!IsPartnerOf(message, g_callState.ringingCallId, contact.c_str())) {
            continue;
        }
        if (SameId(g_callState.answeredCallId, g_callState.ringingCallId)) {
            return;
        }
        g_callState.answerPending = ANSWER_PENDING;
        *answerNow = !StartDialogTimer(TIMER_ANSWER, ANSWER_DELAY_MS);
        CopyId(g_callState.answeredCallId, g_callState.ringingCallId);
        if (IsDlgButtonChecked(g_app.mainDialog, IDC_QUIET_MEDIA) != BST_UNCHECKED) {
            FindMediaTargets();
            StartMediaTimers();
        }
    }
}

}  // namespace

void ClearCallIds()
{
    std::memset(g_callState.ringingCallId, 0, sizeof(g_callState.ringingCallId));
    std::memset(g_callState.answeredCallId, 0, sizeof(g_callState.answeredCallId));
    std::memset(g_callState.videoCallId, 0, sizeof(g_callState.videoCallId));
}

void HandleApiMessage(const char* message)
{
    if (message == nullptr || g_callState.answerPending != 0) {
        return;
    }
    bool startVideoNow = false;
    bool answerNow = false;
    if (RingingTest(message) && VideoTest(message, &startVideoNow)) {
        ContactTest(message, &answerNow);
    }
    // Run once every state change of this message is in place, because these
    // send and a notification handled during a send re-enters the engine.
    if (startVideoNow) {
        OnStartVideoTimer();
    }
    if (answerNow) {
        OnAnswerTimer();
    }
}

void OnAnswerTimer()
{
    KillTimer(g_app.mainDialog, TIMER_ANSWER);
    g_callState.answerPending = 0;
    // Before the command: the client may report the call in progress from
    // inside it.
    RecordRinglockAnswer(g_callState.ringingCallId);
    SendFormatted(ANSWER_FORMAT, g_callState.ringingCallId);
}

void OnStartVideoTimer()
{
    KillTimer(g_app.mainDialog, TIMER_START_VIDEO);
    SendFormatted(START_VIDEO_FORMAT, g_callState.answeredCallId);
    if (!StartDialogTimer(TIMER_MAXIMIZE, MAXIMIZE_DELAY_MS)) {
        OnMaximizeTimer();
    }
}

void OnMaximizeTimer()
{
    KillTimer(g_app.mainDialog, TIMER_MAXIMIZE);
    g_app.skype.sendCommand(MAXIMIZE_COMMAND);
}
