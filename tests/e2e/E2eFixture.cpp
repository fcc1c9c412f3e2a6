#include "tests/e2e/E2eFixture.h"

#include <algorithm>

#include "res/resource.h"

const char* const ATTACH_AT_ONCE = "attach connected\nreplies deferred 10\n";
const char* const SERVE_TO_THE_END = "await 600000 gone\n";

bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected)
{
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

size_t CountOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

void E2eTest::Launch(const std::string& settings, const std::string& scenario, const std::string& arguments,
                     bool withPlayers)
{
    ring_.writeSettings(settings);
    if (withPlayers) {
        ASSERT_TRUE(players_.start(ring_.folder()));
    }
    ASSERT_TRUE(client_.start(ring_.folder(), scenario));
    ASSERT_TRUE(ring_.start(arguments));
    ASSERT_NE(ring_.waitForDialog(START_TIMEOUT_MS), nullptr);
}

void E2eTest::SendByHand(const std::string& command) const
{
    SendMessageA(ring_.dialogItem(IDC_COMMAND), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command.c_str()));
    SendMessageA(ring_.dialogItem(IDC_SEND), BM_CLICK, 0, 0);
}
