#include "tools/bench/driver/Workload.h"

#include <cstdio>

#include "tools/standin/Scenario.h"

namespace bench {

std::string ContactName(int row)
{
    char text[32];
    if (row % 10 == 9) {
        std::snprintf(text, sizeof(text), "+44207946%04d", row);
    } else {
        std::snprintf(text, sizeof(text), "friend.%03d", row);
    }
    return text;
}

std::string SettingsText(int contacts)
{
    std::string text = "1\r\n0\r\n";
    for (int row = 0; row < contacts; ++row) {
        text += ContactName(row) + "\r\n";
    }
    return text;
}

std::vector<std::string> BurstTexts(int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const std::string call = std::string("CALL ") + HELD_CALL;
        texts.push_back(i % 20 == 9   ? call + " PARTNER_HANDLE " + UNLISTED_CALLER
                        : i % 10 == 2 ? call + " DURATION " + std::to_string(i / 10)
                                      : BackgroundLine(static_cast<uint32_t>(i)));
    }
    return texts;
}

double MeanLength(const std::vector<std::string>& texts)
{
    size_t total = 0;
    for (const std::string& t : texts) {
        total += t.size();
    }
    return texts.empty() ? 0.0 : static_cast<double>(total) / static_cast<double>(texts.size());
}

}  // namespace bench
