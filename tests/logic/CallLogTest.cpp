#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "history/CallLog.h"
#include "tests/Contract.h"

namespace {

using Lines = std::vector<std::string>;

// The clock, the local time (the clock's seconds) and the contacts, as a
// script sets them.
class Surroundings final : public CallSurroundings {
public:
    uint64_t nowMs() override { return clockMs; }
    std::string localTime() override { return "T" + std::to_string(clockMs / 1000); }
    bool isListed(const std::string& caller) override
    {
        return std::find(contacts.begin(), contacts.end(), caller) != contacts.end();
    }
    uint64_t clockMs = 0;
    Lines contacts{"alice"};
};

// A script's steps: "@<ms>" sets the clock, "answer <id>" is the program's
// answer, "end" ends every open call unseen, "+<name>" lists a contact, and
// any other step is a text of the client's. Each ended call as its line.
Lines Play(const Lines& steps)
{
    Surroundings around;
    CallLog calls(around);
    std::vector<EndedCall> ended;
    for (const std::string& step : steps) {
        if (step[0] == '@') {
            around.clockMs = std::stoull(step.substr(1));
        } else if (step.rfind("answer ", 0) == 0) {
            calls.onRinglockAnswer(step.substr(7));
        } else if (step == "end") {
            calls.endAll(ended);
        } else if (step[0] == '+') {
            around.contacts.push_back(step.substr(1));
        } else {
            calls.onMessage(step, ended);
        }
    }
    Lines lines;
    for (const EndedCall& call : ended) {
        const std::string line = HistoryLine(call);
        lines.push_back(line.substr(0, line.size() - 2));
    }
    return lines;
}

Lines ManyRinging(int count)
{
    Lines steps;
    for (int call = 1; call <= count; ++call) {
        steps.push_back("CALL " + std::to_string(call) + " STATUS RINGING");
    }
    return steps;
}

const std::string BY_HAND = std::string("\t") + contract::ANSWERED_BY_HAND + "\t";
const std::string NOT_SEEN = std::string("\t") + contract::END_NOT_SEEN + "\t";
const std::string LONG_NAME = std::string(contract::HISTORY_TEXT_MAX_BYTES - 1, 'a') + "\xC5\x81";

struct Case { const char* what; Lines steps; Lines lines; };
const Case CASES[] = {
    {"in progress before the program's answer: by hand, and a repeated status changes nothing",
     {"CALL 5 STATUS RINGING", "CALL 5 PARTNER_HANDLE alice", "@500", "CALL 5 STATUS INPROGRESS", "@2500", "answer 5",
      "CALL 5 STATUS INPROGRESS", "@4600", "CALL 5 STATUS FAILED"},
     {"T0\talice\tyes" + BY_HAND + "4"}},
    {"an identifier with blanks; the client's final status in lower case; a later partner line changes nothing",
     {"CALL 12 34 STATUS RINGING", "CALL 12 34 PARTNER_HANDLE +44 20 7946", "CALL 12 34 PARTNER_HANDLE alice",
      "CALL 12 34 STATUS BUSY"},
     {"T0\t+44 20 7946\tno\tbusy\t0"}},
    {"placed here, or going on before: never written; repeated after its end: nothing",
     {"CALL 7 STATUS ROUTING", "CALL 7 STATUS RINGING", "CALL 7 STATUS FINISHED", "CALL 8 STATUS INPROGRESS",
      "CALL 8 STATUS FINISHED", "CALL 9 STATUS RINGING", "CALL 9 STATUS MISSED", "CALL 9 STATUS MISSED",
      "CALL 9 STATUS RINGING", "CALL 9 STATUS REFUSED", "CALLS 10 STATUS RINGING", "CALL 11 STATUS RINGING NOW"},
     {"T0\t\tno\tmissed\t0"}},
    {"listed or not as the caller was recognised; a tab, CR or LF in a name a blank",
     {"CALL 5 STATUS RINGING", "CALL 5 PARTNER_HANDLE bob", "+bob", "CALL 6 STATUS RINGING",
      "CALL 6 PARTNER_HANDLE a\tb\rc\nd", "CALL 6 STATUS CANCELLED", "CALL 5 STATUS REFUSED"},
     {"T0\ta b c d\tno\tcancelled\t0", "T0\tbob\tno\trefused\t0"}},
    {"a name kept to its limit in whole characters",
     {"CALL 5 STATUS RINGING", "CALL 5 PARTNER_HANDLE " + LONG_NAME, "CALL 5 STATUS MISSED"},
     {"T0\t" + LONG_NAME.substr(0, contract::HISTORY_TEXT_MAX_BYTES - 1) + "\tno\tmissed\t0"}},
    {"the open calls end unseen in the order they rang, talked until then",
     {"@1000", "CALL 5 STATUS RINGING", "CALL 6 STATUS RINGING", "CALL 6 STATUS INPROGRESS", "@4000", "end"},
     {"T1\t\tno" + NOT_SEEN + "0", "T1\t\tno" + NOT_SEEN + "3"}},
};

TEST(CallLog, EachCallThatRangIsWrittenOnceAsItEnds)
{
    for (const Case& c : CASES) {
        EXPECT_EQ(Play(c.steps), c.lines) << c.what;
    }
}

// More calls ringing at once than are followed: the oldest one's end is not
// seen, and it is written then.
TEST(CallLog, TheOldestOfTooManyRingingCallsEndsUnseen)
{
    constexpr int followed = 32;
    EXPECT_TRUE(Play(ManyRinging(followed)).empty());
    EXPECT_EQ(Play(ManyRinging(followed + 1)), Lines{"T0\t\tno" + NOT_SEEN + "0"});
}

struct TrimCase { const char* what; std::string tail; std::string kept; };
const TrimCase TRIM_CASES[] = {
    {"from the line after the first line end", "ll\tno\tmissed\t0\r\nT1\tbob\tno\tmissed\t0\r\n",
     "T1\tbob\tno\tmissed\t0\r\n"},
    {"the whole tail when it begins with a line end", "\nT1\tbob\r\n", "T1\tbob\r\n"},
    {"a last line cut short ended first", "x\r\nT1\tbo", "T1\tbo\r\n"},
    {"nothing of a tail without a line end", "T1\tbob", ""},
};

TEST(CallLog, ATrimKeepsTheHeaderAndTheTailsWholeLinesThenTheNewOnes)
{
    const std::string header = contract::HISTORY_HEADER;
    for (const TrimCase& c : TRIM_CASES) {
        EXPECT_EQ(TrimmedHistory(c.tail, "T2\tnew\r\n"), header + c.kept + "T2\tnew\r\n") << c.what;
    }
    const size_t grown = contract::HISTORY_MAX_BYTES + 1;
    EXPECT_EQ(grown - HistoryTailStart(grown), contract::HISTORY_KEPT_BYTES + 1) << "the kept half and a line end";
    EXPECT_EQ(HistoryTailStart(header.size() + 10), header.size() - 1) << "a small file from its header's end";
}

}  // namespace
