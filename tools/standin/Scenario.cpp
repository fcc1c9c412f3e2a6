#include "tools/standin/Scenario.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

struct NamedStatus {
    const char* name;
    int32_t status;
};

const NamedStatus STATUS_NAMES[] = {
    {"connected", 0}, {"pending", 1}, {"refused", 2}, {"unavailable", 3}, {"available", 0x8001},
};

// The steps whose arguments are only numbers and an optional leading word
// (a call id) or text: which fields they fill and how many numbers they take.
struct StepSyntax {
    const char* keyword;
    StepKind kind;
    enum { NoWord, Word, Text } lead;
    size_t minNumbers;
    size_t maxNumbers;
    bool firstIsCount;  // else the first number is `number`
};

const StepSyntax STEPS[] = {
    {"wait", StepKind::Wait, StepSyntax::NoWord, 1, 1, false},
    {"notify", StepKind::Notify, StepSyntax::Text, 0, 0, false},
    {"nonul", StepKind::NoNul, StepSyntax::Text, 0, 0, false},
    {"foreign", StepKind::Foreign, StepSyntax::Text, 0, 0, false},
    {"mark", StepKind::Mark, StepSyntax::Text, 0, 0, false},
    {"ring", StepKind::Ring, StepSyntax::Word, 0, 2, true},
    {"finish", StepKind::Finish, StepSyntax::Word, 0, 1, true},
    {"miss", StepKind::Miss, StepSyntax::Word, 0, 1, true},
    {"refuse", StepKind::Refuse, StepSyntax::Word, 0, 1, true},
    {"cancel", StepKind::Cancel, StepSyntax::Word, 0, 1, true},
    {"pickup", StepKind::Pickup, StepSyntax::Word, 0, 0, false},
    {"burst", StepKind::Burst, StepSyntax::NoWord, 1, 2, true},
    {"hang", StepKind::Hang, StepSyntax::NoWord, 1, 1, false},
    {"program-exit", StepKind::ProgramExit, StepSyntax::NoWord, 0, 0, false},
    {"program-size", StepKind::ProgramSize, StepSyntax::NoWord, 2, 2, true},
    {"crash", StepKind::Crash, StepSyntax::NoWord, 0, 0, false},
    {"vanish", StepKind::Vanish, StepSyntax::NoWord, 0, 0, false},
};

bool ParseNumber(const std::string& word, uint32_t& value)
{
    if (word.empty() || word[0] == '-' || word[0] == '+') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(word.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFul) {
        return false;
    }
    value = static_cast<uint32_t>(parsed);
    return true;
}

// A name of the format, or a decimal or 0x-hexadecimal number, negative ones
// included.
bool ParseAttachStatus(const std::string& word, int32_t& status)
{
    for (const NamedStatus& named : STATUS_NAMES) {
        if (word == named.name) {
            status = named.status;
            return true;
        }
    }
    uint32_t magnitude = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (!ParseNumber(negative ? word.substr(1) : word, magnitude) || (negative && magnitude > 0x80000000u)) {
        return false;
    }
    status = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : magnitude);
    return true;
}

// The text after the first `skip` words and the blank that follows them,
// kept byte for byte (trailing blanks included).
std::string RestAfterWords(const std::string& line, size_t skip)
{
    size_t at = 0;
    for (size_t i = 0; i < skip; ++i) {
        at = line.find_first_not_of(" \t", at);
        at = line.find_first_of(" \t", at);
        if (at == std::string::npos) {
            return std::string();
        }
    }
    return line.substr(at + 1);
}

// Each returns what is wrong with the line, or nothing.
std::string ParseAttach(const std::vector<std::string>& words, Scenario& scenario)
{
    std::vector<AttachAnswer> answers;
    uint32_t delay = 0;
    for (size_t i = 1; i < words.size(); ++i) {
        uint32_t ms = 0;
        int32_t status = 0;
        if (words[i] == "wait") {
            if (i + 1 >= words.size() || !ParseNumber(words[++i], ms)) {
                return "wait needs milliseconds";
            }
            delay += ms;
        } else if (words[i] != "none") {
            if (!ParseAttachStatus(words[i], status)) {
                return "unknown attach status '" + words[i] + "'";
            }
            answers.push_back(AttachAnswer{status, delay});
            delay = 0;
        }
    }
    scenario.attach.push_back(answers);
    return {};
}

std::string ParseAwait(const std::vector<std::string>& words, const std::string& line, ScenarioStep& step)
{
    if (words.size() < 3 || !ParseNumber(words[1], step.number)) {
        return "await needs a time-out in ms and what to wait for";
    }
    const std::string& what = words[2];
    const struct {
        const char* name;
        StepKind kind;
        bool text;
    } KINDS[] = {{"attached", StepKind::AwaitAttached, false}, {"discover", StepKind::AwaitDiscover, false},
                 {"gone", StepKind::AwaitGone, false},        {"command", StepKind::AwaitCommand, true},
                 {"file", StepKind::AwaitFile, true}};
    for (const auto& kind : KINDS) {
        if (what == kind.name) {
            step.kind = kind.kind;
            step.text = RestAfterWords(line, 3);
            return kind.text || words.size() == 3 ? std::string() : "await " + what + " takes nothing more";
        }
    }
    return "await what? '" + what + "'";
}

std::string ParseStep(const std::vector<std::string>& words, const std::string& line, ScenarioStep& step)
{
    const std::string& keyword = words[0];
    if (keyword == "await") {
        return ParseAwait(words, line, step);
    }
    if (keyword == "announce") {
        step.kind = StepKind::Announce;
        return words.size() == 2 && ParseAttachStatus(words[1], step.status) ? "" : "announce needs one attach status";
    }
    for (const StepSyntax& syntax : STEPS) {
        if (keyword != syntax.keyword) {
            continue;
        }
        step.kind = syntax.kind;
        if (syntax.lead == StepSyntax::Text) {
            step.text = RestAfterWords(line, 1);
            return {};
        }
        const size_t first = syntax.lead == StepSyntax::Word ? 2 : 1;
        if (words.size() < first || words.size() - first < syntax.minNumbers ||
            words.size() - first > syntax.maxNumbers) {
            return keyword + ": wrong number of arguments";
        }
        step.text = first == 2 ? words[1] : std::string();
        std::vector<uint32_t> values;
        for (size_t i = first; i < words.size(); ++i) {
            values.push_back(0);
            if (!ParseNumber(words[i], values.back())) {
                return keyword + ": '" + words[i] + "' is not a number";
            }
        }
        step.count = syntax.firstIsCount ? 1 : 0;
        if (!values.empty()) {
            (syntax.firstIsCount ? step.count : step.number) = values[0];
        }
        step.number = values.size() > 1 ? values[1] : step.number;
        return {};
    }
    return "unknown step '" + keyword + "'";
}

std::string ParseLine(const std::string& line, int number, Scenario& scenario)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    if (words.empty() || words[0][0] == '#') {
        return {};
    }
    if (words[0] == "attach") {
        return ParseAttach(words, scenario);
    }
    if (words[0] == "replies") {
        if (words.size() == 2 && words[1] == "sync") {
            scenario.replies = ScenarioReplies::Sync;
            return {};
        }
        scenario.replies = ScenarioReplies::Deferred;
        return words.size() == 3 && words[1] == "deferred" && ParseNumber(words[2], scenario.replyDelayMs)
                   ? ""
                   : "replies takes sync or deferred <ms>";
    }
    if (words[0] == "partner") {
        if (words.size() < 2) {
            return "partner needs a call id and a caller";
        }
        scenario.partners[words[1]] = RestAfterWords(line, 2);
        return {};
    }
    if (words[0] == "user") {
        if (words.size() != 2) {
            return "user needs one handle";
        }
        scenario.user = words[1];
        return {};
    }
    ScenarioStep step;
    step.line = number;
    const std::string error = ParseStep(words, line, step);
    if (error.empty()) {
        scenario.steps.push_back(step);
    }
    return error;
}

}  // namespace

std::string AttachStatusText(int32_t status)
{
    const char* name = "other";
    for (const NamedStatus& named : STATUS_NAMES) {
        if (status == named.status) {
            name = named.name;
        }
    }
    return std::to_string(status) + " (" + name + ")";
}

bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string why = ParseLine(line, number, scenario);
        if (!why.empty()) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

Scenario SilentlyAttachingScenario()
{
    Scenario scenario;
    scenario.attach = {{AttachAnswer{0, 0}}};
    scenario.replies = ScenarioReplies::None;
    scenario.user.clear();
    return scenario;
}
std::string BackgroundLine(uint32_t index)
{
    static const char* const PRESENCE[] = {"ONLINE", "AWAY", "OFFLINE", "DND", "NA"};
    static const char* const MOODS[] = {"", "back at 5", "on the road", "coffee first"};
    const uint32_t contact = index % 47;
    std::ostringstream line;
    const std::string handle = "friend." + std::to_string(contact);
    switch (index % 6) {
    case 0:
        line << "USER " << handle << " ONLINESTATUS " << PRESENCE[(index / 6) % 5];
        break;
    case 1:
        line << "USER " << handle << " MOOD_TEXT " << MOODS[(index / 6) % 4];
        if ((index / 6) % 4 != 0) {
            line << " (" << index << ")";
        }
        break;
    case 2:
        line << "USER " << handle << " LASTONLINETIMESTAMP " << (1174559278u + index * 7u);
        break;
    case 3:
        line << "CHATMESSAGE " << (5000u + index) << " STATUS " << ((index / 6) % 2 == 0 ? "RECEIVED" : "READ");
        break;
    case 4:
        line << "CHAT #standin.user/$" << handle << ";" << std::hex << (0x9244e98f82d7d391ull + index)
             << std::dec << " ACTIVITY_TIMESTAMP " << (1174560000u + index);
        break;
    default:
        line << "GROUP " << (10u + index) << " NROFUSERS " << (index % 29);
        break;
    }
    return line.str();
}
