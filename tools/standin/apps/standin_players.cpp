// Stand-in windows for the two media players as a program of its own: logs
// every command message they receive, with the player's name, and minimises a
// window asked to minimise, as the players do.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/Contract.h"
#include "tools/harness/Harness.h"
#include "tools/standin/MediaStandin.h"
#include "tools/standin/Transcript.h"

namespace {

const char* const USAGE =
    "usage: standin_players [--hidden wmp|wmc] [--follow] [--timeout-ms N] LOG\n"
    "  --follow      end once a Skype Ringlock window has been seen and is gone\n"
    "  --timeout-ms  end after N ms at the latest (default 120000)\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    bool visible[2] = {true, true};
    bool follow = false;
    unsigned long timeoutMs = 120000;
    const char* const path = argv[argc - 1];
    for (int i = 1; i < argc - 1; ++i) {
        const char* next = i + 2 < argc ? argv[i + 1] : "";
        if (std::strcmp(argv[i], "--hidden") == 0 && (std::strcmp(next, "wmp") == 0 || std::strcmp(next, "wmc") == 0)) {
            visible[std::strcmp(next, "wmp") == 0 ? 0 : 1] = false;
            ++i;
        } else if (std::strcmp(argv[i], "--follow") == 0) {
            follow = true;
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 2 < argc) {
            timeoutMs = std::strtoul(argv[++i], nullptr, 10);
        } else {
            std::fputs(USAGE, stderr);
            return 2;
        }
    }
    Transcript log;
    if (!log.open(path)) {
        std::fprintf(stderr, "standin_players: cannot write %s\n", path);
        return 2;
    }
    MediaStandin media;
    for (int i = 0; i < 2; ++i) {
        if (media.open(static_cast<MediaPlayer>(i), visible[i]) == nullptr) {
            std::fprintf(stderr, "standin_players: cannot open the %s window\n",
                         MediaPlayerTag(static_cast<MediaPlayer>(i)));
            return 3;
        }
    }
    log.write("==", "ready");

    bool sawProgram = false;
    const auto programGone = [&] {
        const bool present = FindWindowA(contract::MAIN_DIALOG_CLASS, contract::MAIN_DIALOG_TITLE) != nullptr;
        const bool gone = sawProgram && !present;
        sawProgram = sawProgram || present;
        return follow && gone;
    };
    const double deadline = ClockMs() + static_cast<double>(timeoutMs);
    while (ClockMs() < deadline && !WaitUntil(programGone, 50, 10, nullptr, true)) {
        for (const MediaMessage& message : media.received()) {
            log.writeAt(message.atMs, MediaPlayerTag(message.player),
                        DescribeMediaMessage(message.msg, message.wParam, message.lParam, message.posted));
            if (std::strcmp(MediaMeaning(message.msg, message.wParam, message.lParam), "minimise") == 0) {
                ShowWindow(message.window, SW_SHOWMINNOACTIVE);
            }
        }
    }
    log.write("==", "end");
    return 0;
}
