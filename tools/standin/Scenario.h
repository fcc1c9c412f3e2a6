#ifndef RINGLOCK_TOOLS_STANDIN_SCENARIO_H
#define RINGLOCK_TOOLS_STANDIN_SCENARIO_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A scenario for the stand-in client program: how it answers discovery and
// commands, and a timeline of steps it plays. The format is described in
// tools/standin/README.md.

struct AttachAnswer {
    int32_t status;     // lParam of the attach message
    uint32_t delayMs;   // after the discovery (or the previous answer)
};

enum class ScenarioReplies {
    None,      // commands are recorded, never answered
    Sync,      // answered from inside the command's WM_COPYDATA handler
    Deferred,  // answered from the stand-in's thread after a delay
};

enum class StepKind {
    Wait,            // number = ms
    Notify,          // text
    NoNul,           // text, sent without its NUL
    Foreign,         // text, sent naming another window than the API window
    Ring,            // text = call id, count = ringing lines, number = ms between them
    Finish,          // text = call id, count = the final status's lines
    Miss,            // the same
    Refuse,          // the same
    Cancel,          // the same
    Pickup,          // text = call id, answered by the client's user
    Burst,           // count = lines, number = ms between them
    Announce,        // status, broadcast as the attach message
    Mark,            // text, written to the transcript
    AwaitAttached,   // number = time-out ms (also for the await kinds below)
    AwaitDiscover,
    AwaitCommand,    // text = the exact command
    AwaitFile,       // text = path
    AwaitGone,       // the program's window has gone
    ProgramExit,     // the program's tray command "&Exit"
    ProgramSize,     // count = width, number = height (pixels)
    Hang,            // number = ms the API window's thread takes no messages
    Crash,           // the process ends at once, without cleanup
    Vanish,          // the API window goes; the process stays
};

struct ScenarioStep {
    StepKind kind = StepKind::Wait;
    std::string text;
    uint32_t count = 0;
    uint32_t number = 0;
    int32_t status = 0;
    int line = 0;  // in the scenario file, for messages
};

struct Scenario {
    // The n-th discovery is answered with attach[n]; later ones with the last.
    std::vector<std::vector<AttachAnswer>> attach;
    ScenarioReplies replies = ScenarioReplies::Deferred;
    uint32_t replyDelayMs = 10;
    std::map<std::string, std::string> partners;  // call id -> caller
    std::string user = "standin.user";  // pushed after each successful attach; empty: nothing pushed
    std::vector<ScenarioStep> steps;
};

// Parses the scenario text; on failure returns false with `error` naming the line.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error);

// "0 (connected)", "4 (other)": an attach status and its name in the format.
std::string AttachStatusText(int32_t status);

// A client that attaches at once, answers no command and pushes no state:
// everything the program under test hears is what its driver sends.
Scenario SilentlyAttachingScenario();

// The i-th line of realistic background traffic (presence, mood, chat and
// group notifications); any 1,000 lines in a row are all different, and none
// is a call notification.
std::string BackgroundLine(uint32_t index);

#endif
