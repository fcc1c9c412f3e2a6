#include "history/CallLog.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace {

constexpr char CALL_PREFIX[] = "CALL ";
constexpr size_t CALL_PREFIX_LENGTH = sizeof(CALL_PREFIX) - 1;
constexpr char STATUS_FIELD[] = " STATUS ";
constexpr char PARTNER_FIELD[] = " PARTNER_HANDLE ";
constexpr char RINGING[] = "RINGING";
constexpr char IN_PROGRESS[] = "INPROGRESS";
// The statuses that end a call.
const char* const FINAL_STATUSES[] = {"FINISHED", "MISSED", "REFUSED", "BUSY", "CANCELLED", "FAILED"};
// More calls than this ringing at once: the oldest one's end goes unseen.
constexpr size_t OPEN_CALLS_MAX = 32;
// Calls remembered as ended or never followed, so that a status repeated
// after the end, or a placed call's ringing, changes nothing.
constexpr size_t DONE_CALLS_KEPT = 64;

bool IsFinal(const std::string& status)
{
    return std::any_of(std::begin(FINAL_STATUSES), std::end(FINAL_STATUSES),
                       [&status](const char* final) { return status == final; });
}

std::string LowerCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool IsCallText(const std::string& message)
{
    return message.compare(0, CALL_PREFIX_LENGTH, CALL_PREFIX) == 0;
}

// "CALL <id> STATUS <status>", the status one word; the identifier is all
// that stands between, blanks included, as the answering engine takes it.
bool StatusOf(const std::string& message, std::string& id, std::string& status)
{
    const size_t at = message.rfind(STATUS_FIELD);
    if (!IsCallText(message) || at == std::string::npos || at <= CALL_PREFIX_LENGTH) {
        return false;
    }
    status = message.substr(at + sizeof(STATUS_FIELD) - 1);
    id = message.substr(CALL_PREFIX_LENGTH, at - CALL_PREFIX_LENGTH);
    return !status.empty() && status.find(' ') == std::string::npos;
}

// "CALL <id> PARTNER_HANDLE <caller>", the caller any text.
bool PartnerOf(const std::string& message, std::string& id, std::string& caller)
{
    const size_t at = message.find(PARTNER_FIELD, CALL_PREFIX_LENGTH);
    if (!IsCallText(message) || at == std::string::npos || at <= CALL_PREFIX_LENGTH) {
        return false;
    }
    id = message.substr(CALL_PREFIX_LENGTH, at - CALL_PREFIX_LENGTH);
    caller = message.substr(at + sizeof(PARTNER_FIELD) - 1);
    return true;
}

// At most HISTORY_TEXT_MAX_BYTES, never half of a UTF-8 character.
std::string Kept(const std::string& text)
{
    size_t length = std::min(text.size(), HISTORY_TEXT_MAX_BYTES);
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    return text.substr(0, length);
}

void AppendTwoDigits(std::string& text, int value)
{
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

}  // namespace

void CallLog::onMessage(const std::string& message, std::vector<EndedCall>& ended)
{
    std::string id;
    std::string value;
    if (PartnerOf(message, id, value)) {
        onPartner(id, value);
    } else if (StatusOf(message, id, value)) {
        onStatus(id, value, ended);
    }
}

void CallLog::onStatus(const std::string& id, const std::string& status, std::vector<EndedCall>& ended)
{
    if (id.size() > HISTORY_TEXT_MAX_BYTES || std::find(m_done.begin(), m_done.end(), id) != m_done.end()) {
        return;
    }
    OpenCall* call = find(id);
    if (call == nullptr) {
        if (status != RINGING) {
            forget(id);
            return;
        }
        if (m_open.size() == OPEN_CALLS_MAX) {
            close(0, END_NOT_SEEN, ended);
        }
        m_open.push_back(OpenCall{id, EndedCall{m_around.localTime(), {}, false, {}, 0}, false, false, false, 0, nullptr});
        return;
    }
    if (status == IN_PROGRESS && !call->inProgress) {
        call->inProgress = true;
        call->inProgressAtMs = m_around.nowMs();
        call->talkedOutcome = call->answeredByRinglock ? ANSWERED_BY_RINGLOCK : ANSWERED_BY_HAND;
    } else if (IsFinal(status)) {
        close(static_cast<size_t>(call - m_open.data()), call->inProgress ? call->talkedOutcome : LowerCase(status),
              ended);
    }
}

void CallLog::onPartner(const std::string& id, const std::string& caller)
{
    OpenCall* call = find(id);
    if (call != nullptr && !call->recognised) {
        call->recognised = true;
        call->record.caller = Kept(caller);
        call->record.onList = m_around.isListed(caller);
    }
}

void CallLog::onRinglockAnswer(const std::string& callId)
{
    if (OpenCall* call = find(callId)) {
        call->answeredByRinglock = true;
    }
}

void CallLog::endAll(std::vector<EndedCall>& ended)
{
    while (!m_open.empty()) {
        close(0, END_NOT_SEEN, ended);
    }
}

bool CallLog::ringlockAnswerOpen() const
{
    return std::any_of(m_open.begin(), m_open.end(), [](const OpenCall& call) { return call.answeredByRinglock; });
}

CallLog::OpenCall* CallLog::find(const std::string& id)
{
    const auto call = std::find_if(m_open.begin(), m_open.end(), [&id](const OpenCall& open) { return open.id == id; });
    return call == m_open.end() ? nullptr : &*call;
}

void CallLog::close(size_t index, const std::string& outcome, std::vector<EndedCall>& ended)
{
    OpenCall& call = m_open[index];
    call.record.outcome = outcome;
    call.record.secondsTalked = call.inProgress ? (m_around.nowMs() - call.inProgressAtMs) / 1000 : 0;
    ended.push_back(call.record);
    forget(call.id);
    m_open.erase(m_open.begin() + static_cast<std::ptrdiff_t>(index));
}

void CallLog::forget(const std::string& id)
{
    m_done.push_back(id);
    if (m_done.size() > DONE_CALLS_KEPT) {
        m_done.erase(m_done.begin());
    }
}

std::string HistoryTime(int year, int month, int day, int hour, int minute, int second)
{
    std::string text;
    AppendTwoDigits(text, year / 100);
    AppendTwoDigits(text, year);
    for (const auto& [separator, value] : {std::pair<char, int>{'-', month}, {'-', day}, {' ', hour}, {':', minute},
                                           {':', second}}) {
        text += separator;
        AppendTwoDigits(text, value);
    }
    return text;
}

std::string HistoryLine(const EndedCall& call)
{
    std::string caller = call.caller;
    std::replace_if(caller.begin(), caller.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return call.when + "\t" + caller + "\t" + (call.onList ? "yes" : "no") + "\t" + call.outcome + "\t"
           + std::to_string(call.secondsTalked) + "\r\n";
}

uint64_t HistoryTailStart(uint64_t fileSize)
{
    constexpr uint64_t headerLength = sizeof(HISTORY_HEADER) - 1;
    const uint64_t keptFrom = fileSize > headerLength + HISTORY_KEPT_BYTES ? fileSize - HISTORY_KEPT_BYTES : headerLength;
    return keptFrom - 1;
}

std::string TrimmedHistory(const std::string& tail, const std::string& lines)
{
    const size_t lineEnd = tail.find('\n');
    const std::string kept = lineEnd == std::string::npos ? std::string() : tail.substr(lineEnd + 1);
    return HISTORY_HEADER + kept + HistoryAppend(kept, lines);
}

std::string HistoryAppend(const std::string& lastBytes, const std::string& lines)
{
    return lastBytes.empty() || lastBytes.back() == '\n' ? lines : "\r\n" + lines;
}
