#include "tools/bench/driver/Workload.h"

#include <cstdio>

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
    char text[128];
    for (int i = 0; i < count; ++i) {
        const int friendRow = (i * 37) % CONTACTS;
        switch (i % 10) {
        case 0:
            std::snprintf(text, sizeof(text), "USER %s ONLINESTATUS ONLINE", ContactName(friendRow).c_str());
            break;
        case 1:
            std::snprintf(text, sizeof(text), "CHATMESSAGE %d STATUS RECEIVED", 480000 + i);
            break;
        case 2:
            std::snprintf(text, sizeof(text), "CALL %s DURATION %d", HELD_CALL, i / 10);
            break;
        case 3:
            std::snprintf(text, sizeof(text), "USER %s MOOD_TEXT back after lunch", ContactName(friendRow).c_str());
            break;
        case 4:
            std::snprintf(text, sizeof(text), "CHAT #%s/$me;5f2c9a1b ACTIVITY_TIMESTAMP %d",
                          ContactName(friendRow).c_str(), 1700000000 + i);
            break;
        case 5:
            std::snprintf(text, sizeof(text), "GROUP 12 NROFUSERS_ONLINE %d", i % 90);
            break;
        case 6:
            std::snprintf(text, sizeof(text), "CALL %s VIDEO_STATUS VIDEO_NONE", HELD_CALL);
            break;
        case 7:
            std::snprintf(text, sizeof(text), "USER %s LASTONLINETIMESTAMP %d", ContactName(friendRow).c_str(),
                          1700000000 + i);
            break;
        case 8:
            std::snprintf(text, sizeof(text), "CHATMESSAGE %d STATUS READ", 480000 + i - 7);
            break;
        default:
            if (i % 20 == 9) {
                std::snprintf(text, sizeof(text), "CALL %s PARTNER_HANDLE %s", HELD_CALL, UNLISTED_CALLER);
            } else {
                std::snprintf(text, sizeof(text), "CALL %s VAA_INPUT_STATUS FALSE", HELD_CALL);
            }
            break;
        }
        texts.emplace_back(text);
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
