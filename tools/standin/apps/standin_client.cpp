// The stand-in for the calling client as a program of its own: plays a
// scenario file (format: tools/standin/README.md) against whatever program
// discovers it, and writes a transcript of both directions.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/standin/Scenario.h"
#include "tools/standin/ScenarioPlayer.h"
#include "tools/standin/Transcript.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: standin_client SCENARIO TRANSCRIPT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "standin_client: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Scenario scenario;
    std::string error;
    if (!ParseScenario(text, scenario, error)) {
        std::fprintf(stderr, "standin_client: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    Transcript transcript;
    if (!transcript.open(argv[2])) {
        std::fprintf(stderr, "standin_client: cannot write %s\n", argv[2]);
        return 2;
    }
    ScenarioPlayer player(scenario, transcript);
    if (!player.start()) {
        std::fprintf(stderr, "standin_client: cannot create the client window\n");
        return 3;
    }
    return player.play() ? 0 : 1;
}
