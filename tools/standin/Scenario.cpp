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

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

// The text after "<keyword> ", kept byte for byte (trailing blanks included).
std::string RestAfterKeyword(const std::string& line, const std::string& keyword)
{
    const size_t start = line.find_first_not_of(" \t");
    const size_t after = start + keyword.size();
    return after < line.size() ? line.substr(after + 1) : std::string();
}

// The text after the first `skip` words and the blank that follows them.
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

class Parser {
public:
    Parser(Scenario& scenario, std::string& error) : m_scenario(scenario), m_error(error) {}

    bool line(const std::string& raw, int number)
    {
        m_line = number;
        std::string text = raw;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        const std::vector<std::string> words = Words(text);
        if (words.empty() || words[0][0] == '#') {
            return true;
        }
        const std::string& keyword = words[0];
        if (keyword == "attach") {
            return attach(words);
        }
        if (keyword == "replies") {
            return replies(words);
        }
        if (keyword == "partner") {
            if (words.size() < 2) {
                return fail("partner needs a call id and a caller");
            }
            m_scenario.partners[words[1]] = RestAfterWords(text, 2);
            return true;
        }
        if (keyword == "user") {
            if (words.size() != 2) {
                return fail("user needs one handle");
            }
            m_scenario.user = words[1];
            return true;
        }
        return step(keyword, words, text);
    }

private:
    bool fail(const std::string& message)
    {
        std::ostringstream out;
        out << "line " << m_line << ": " << message;
        m_error = out.str();
        return false;
    }

    bool attach(const std::vector<std::string>& words)
    {
        std::vector<AttachAnswer> answers;
        uint32_t delay = 0;
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "none") {
                continue;
            }
            if (words[i] == "wait") {
                uint32_t ms = 0;
                if (i + 1 >= words.size() || !ParseNumber(words[i + 1], ms)) {
                    return fail("wait needs milliseconds");
                }
                delay += ms;
                ++i;
                continue;
            }
            int32_t status = 0;
            if (!ParseAttachStatus(words[i], status)) {
                return fail("unknown attach status '" + words[i] + "'");
            }
            answers.push_back(AttachAnswer{status, delay});
            delay = 0;
        }
        m_scenario.attach.push_back(answers);
        return true;
    }

    bool replies(const std::vector<std::string>& words)
    {
        if (words.size() == 2 && words[1] == "none") {
            m_scenario.replies = ScenarioReplies::None;
            return true;
        }
        if (words.size() == 2 && words[1] == "sync") {
            m_scenario.replies = ScenarioReplies::Sync;
            return true;
        }
        if (words.size() == 3 && words[1] == "deferred" && ParseNumber(words[2], m_scenario.replyDelayMs)) {
            m_scenario.replies = ScenarioReplies::Deferred;
            return true;
        }
        return fail("replies takes none, sync or deferred <ms>");
    }

    bool numbers(const std::vector<std::string>& words, size_t first, size_t required, size_t allowed,
                 std::vector<uint32_t>& values)
    {
        const size_t given = words.size() - first;
        if (given < required || given > allowed) {
            return fail(words[0] + ": wrong number of arguments");
        }
        for (size_t i = first; i < words.size(); ++i) {
            uint32_t value = 0;
            if (!ParseNumber(words[i], value)) {
                return fail(words[0] + ": '" + words[i] + "' is not a number");
            }
            values.push_back(value);
        }
        return true;
    }

    bool add(ScenarioStep step)
    {
        step.line = m_line;
        m_scenario.steps.push_back(std::move(step));
        return true;
    }

    bool await(const std::vector<std::string>& words, const std::string& text)
    {
        uint32_t timeout = 0;
        if (words.size() < 3 || !ParseNumber(words[1], timeout)) {
            return fail("await needs a time-out in ms and what to wait for");
        }
        const std::string& what = words[2];
        ScenarioStep step{StepKind::AwaitAttached};
        step.number = timeout;
        if (what == "attached" || what == "discover" || what == "gone") {
            if (words.size() != 3) {
                return fail("await " + what + " takes nothing more");
            }
            step.kind = what == "attached" ? StepKind::AwaitAttached
                        : what == "discover" ? StepKind::AwaitDiscover
                                             : StepKind::AwaitGone;
            return add(step);
        }
        if (what == "command" || what == "file") {
            step.kind = what == "command" ? StepKind::AwaitCommand : StepKind::AwaitFile;
            step.text = RestAfterWords(text, 3);
            return add(step);
        }
        return fail("await what? '" + what + "'");
    }

    bool hang(const std::vector<std::string>& words)
    {
        ScenarioStep step{StepKind::Hang};
        if (words.size() == 2 && words[1] == "forever") {
            step.number = HANG_FOREVER;
            return add(step);
        }
        std::vector<uint32_t> values;
        if (!numbers(words, 1, 1, 1, values)) {
            return false;
        }
        if (values[0] == HANG_FOREVER) {
            return fail("hang: use 'forever' for a hang without end");
        }
        step.number = values[0];
        return add(step);
    }

    bool step(const std::string& keyword, const std::vector<std::string>& words, const std::string& text)
    {
        std::vector<uint32_t> values;
        if (keyword == "wait") {
            if (!numbers(words, 1, 1, 1, values)) {
                return false;
            }
            ScenarioStep step{StepKind::Wait};
            step.number = values[0];
            return add(step);
        }
        if (keyword == "notify" || keyword == "nonul" || keyword == "foreign" || keyword == "mark") {
            ScenarioStep step{keyword == "notify"    ? StepKind::Notify
                              : keyword == "nonul"   ? StepKind::NoNul
                              : keyword == "foreign" ? StepKind::Foreign
                                                     : StepKind::Mark};
            step.text = RestAfterKeyword(text, keyword);
            return add(step);
        }
        if (keyword == "ring") {
            if (words.size() < 2 || !numbers(words, 2, 0, 2, values)) {
                return words.size() < 2 ? fail("ring needs a call id") : false;
            }
            ScenarioStep step{StepKind::Ring, words[1]};
            step.count = values.empty() ? 1 : values[0];
            step.number = values.size() < 2 ? 0 : values[1];
            return add(step);
        }
        if (keyword == "finish" || keyword == "miss") {
            if (words.size() != 2) {
                return fail(keyword + " needs one call id");
            }
            return add(ScenarioStep{keyword == "finish" ? StepKind::Finish : StepKind::Miss, words[1]});
        }
        if (keyword == "burst") {
            if (!numbers(words, 1, 1, 2, values)) {
                return false;
            }
            ScenarioStep step{StepKind::Burst};
            step.count = values[0];
            step.number = values.size() < 2 ? 0 : values[1];
            return add(step);
        }
        if (keyword == "announce") {
            ScenarioStep step{StepKind::Announce};
            if (words.size() != 2 || !ParseAttachStatus(words[1], step.status)) {
                return fail("announce needs one attach status");
            }
            return add(step);
        }
        if (keyword == "await") {
            return await(words, text);
        }
        if (keyword == "program-exit" && words.size() == 1) {
            return add(ScenarioStep{StepKind::ProgramExit});
        }
        if (keyword == "program-size") {
            if (!numbers(words, 1, 2, 2, values)) {
                return false;
            }
            ScenarioStep step{StepKind::ProgramSize};
            step.count = values[0];
            step.number = values[1];
            return add(step);
        }
        if (keyword == "hang") {
            return hang(words);
        }
        if (keyword == "crash" && words.size() == 1) {
            return add(ScenarioStep{StepKind::Crash});
        }
        if (keyword == "end" && words.size() == 1) {
            return add(ScenarioStep{StepKind::End});
        }
        return fail("unknown step '" + keyword + "'");
    }

    Scenario& m_scenario;
    std::string& m_error;
    int m_line = 0;
};

}  // namespace

bool ParseAttachStatus(const std::string& word, int32_t& status)
{
    for (const NamedStatus& named : STATUS_NAMES) {
        if (word == named.name) {
            status = named.status;
            return true;
        }
    }
    if (!word.empty() && word[0] == '-') {
        uint32_t magnitude = 0;
        if (!ParseNumber(word.substr(1), magnitude) || magnitude > 0x80000000u) {
            return false;
        }
        status = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
        return true;
    }
    uint32_t value = 0;
    if (!ParseNumber(word, value)) {
        return false;
    }
    status = static_cast<int32_t>(value);
    return true;
}

const char* AttachStatusName(int32_t status)
{
    for (const NamedStatus& named : STATUS_NAMES) {
        if (status == named.status) {
            return named.name;
        }
    }
    return "other";
}

bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error)
{
    Parser parser(scenario, error);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        if (!parser.line(line, ++number)) {
            return false;
        }
    }
    return true;
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
