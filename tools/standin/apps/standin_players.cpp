// Stand-in windows for the two media players as a program of its own: logs
// every command message they receive, with the player's name, and minimises a
// window asked to minimise, as the players do.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/standin/MediaStandin.h"
#include "tools/standin/StandinClient.h"
#include "tools/standin/Transcript.h"

namespace {

const char* const USAGE =
    "usage: standin_players LOG [--only wmp|wmc] [--hidden wmp|wmc] [--follow] [--timeout-ms N]\n"
    "  --follow      end once a Skype Ringlock window has been seen and is gone\n"
    "  --timeout-ms  end after N ms at the latest (default 120000)\n";

const char* MessageName(UINT msg)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        return "WM_SYSCOMMAND";
    case WM_COMMAND:
        return "WM_COMMAND";
    case WM_APPCOMMAND:
        return "WM_APPCOMMAND";
    default:
        return "WM_OTHER";
    }
}

// What a player makes of the message.
const char* Meaning(const MediaMessage& message)
{
    if (message.msg == WM_SYSCOMMAND && (message.wParam & 0xFFF0) == SC_MINIMIZE) {
        return "minimise";
    }
    if (message.msg == WM_COMMAND && message.wParam == 0x14978) {
        return "pause";
    }
    if (message.msg == WM_COMMAND && message.wParam == 0x14981) {
        return "mute";
    }
    if (message.msg == WM_APPCOMMAND && GET_APPCOMMAND_LPARAM(message.lParam) == APPCOMMAND_MEDIA_PAUSE) {
        return "pause";
    }
    return "other";
}

std::string Describe(const MediaMessage& message)
{
    char text[128];
    std::snprintf(text, sizeof(text), "%s 0x%llx 0x%llx %s%s", MessageName(message.msg),
                  static_cast<unsigned long long>(message.wParam),
                  static_cast<unsigned long long>(message.lParam), Meaning(message),
                  message.posted ? "" : " (sent)");
    return text;
}

bool ParsePlayer(const char* word, MediaPlayer& player)
{
    if (std::strcmp(word, "wmp") == 0) {
        player = MediaPlayer::Wmp;
        return true;
    }
    if (std::strcmp(word, "wmc") == 0) {
        player = MediaPlayer::Wmc;
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    bool open[2] = {true, true};
    bool visible[2] = {true, true};
    bool follow = false;
    unsigned long timeoutMs = 120000;
    for (int i = 2; i < argc; ++i) {
        MediaPlayer player = MediaPlayer::Wmp;
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc && ParsePlayer(argv[i + 1], player)) {
            open[player == MediaPlayer::Wmp ? 1 : 0] = false;
            ++i;
        } else if (std::strcmp(argv[i], "--hidden") == 0 && i + 1 < argc && ParsePlayer(argv[i + 1], player)) {
            visible[player == MediaPlayer::Wmp ? 0 : 1] = false;
            ++i;
        } else if (std::strcmp(argv[i], "--follow") == 0) {
            follow = true;
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeoutMs = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fputs(USAGE, stderr);
            return 2;
        }
    }
    Transcript log;
    if (!log.open(argv[1])) {
        std::fprintf(stderr, "standin_players: cannot write %s\n", argv[1]);
        return 2;
    }
    MediaStandin media;
    if (!media.start()) {
        std::fprintf(stderr, "standin_players: cannot start\n");
        return 3;
    }
    const MediaPlayer players[2] = {MediaPlayer::Wmp, MediaPlayer::Wmc};
    const char* const tags[2] = {"WMP", "WMC"};
    for (int i = 0; i < 2; ++i) {
        if (open[i] && media.open(players[i], visible[i]) == nullptr) {
            std::fprintf(stderr, "standin_players: cannot open the %s window\n", tags[i]);
            return 3;
        }
    }
    log.write("==", "ready");

    const double deadline = StandinClock() + static_cast<double>(timeoutMs);
    size_t seen = 0;
    bool sawProgram = false;
    while (StandinClock() < deadline) {
        media.waitForMessageCount(seen + 1, 50);
        const std::vector<MediaMessage> messages = media.messages();
        for (; seen < messages.size(); ++seen) {
            const MediaMessage& message = messages[seen];
            const int index = message.player == MediaPlayer::Wmp ? 0 : 1;
            log.writeAt(message.atMs, tags[index], Describe(message));
            if (std::strcmp(Meaning(message), "minimise") == 0) {
                media.show(message.player, SW_SHOWMINNOACTIVE);
            }
        }
        if (follow) {
            const bool present = FindWindowA("#32770", "Skype Ringlock") != nullptr;
            if (sawProgram && !present) {
                break;
            }
            sawProgram = sawProgram || present;
        }
    }
    log.write("==", "end");
    media.stop();
    return 0;
}
