// The stand-in for the calling client as a program of its own: plays a
// scenario file (format: tools/standin/README.md) against whatever program
// discovers it, and writes a transcript of both directions.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/harness/Harness.h"
#include "tools/standin/Scenario.h"
#include "tools/standin/ScenarioTimeline.h"
#include "tools/standin/StandinClient.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: standin_client SCENARIO TRANSCRIPT\n");
        return 2;
    }
    const std::string text = ReadFileBytes(Widen(argv[1]));
    if (text.empty()) {
        std::fprintf(stderr, "standin_client: cannot read %s\n", argv[1]);
        return 2;
    }
    Scenario scenario;
    std::string error;
    if (!ParseScenario(text, scenario, error)) {
        std::fprintf(stderr, "standin_client: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    StandinClient client(scenario);
    if (!client.writeTranscriptTo(argv[2])) {
        std::fprintf(stderr, "standin_client: cannot write %s\n", argv[2]);
        return 2;
    }
    if (!client.start()) {
        std::fprintf(stderr, "standin_client: cannot create the client window\n");
        return 3;
    }
    return PlayTimeline(client, scenario) ? 0 : 1;
}
