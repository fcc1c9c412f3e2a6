#ifndef RINGLOCK_TOOLS_STANDIN_SCENARIOPLAYER_H
#define RINGLOCK_TOOLS_STANDIN_SCENARIOPLAYER_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/standin/Scenario.h"
#include "tools/standin/StandinClient.h"
#include "tools/standin/Transcript.h"

// The exit code of a process ended by the `crash` step.
constexpr UINT CRASH_EXIT_CODE = 9;

// Plays a scenario as the calling client: a StandinClient window answers the
// commands (from its own thread, or deferred to this one), while the calling
// thread answers discoveries, pushes the client's state after each successful
// attach, sends the call-duration ticks of answered calls and runs the
// timeline. Everything sent and received goes to the transcript.
class ScenarioPlayer {
public:
    ScenarioPlayer(const Scenario& scenario, Transcript& transcript);
    ~ScenarioPlayer();
    ScenarioPlayer(const ScenarioPlayer&) = delete;
    ScenarioPlayer& operator=(const ScenarioPlayer&) = delete;

    bool start();
    // Plays the timeline to its end; false when an await step timed out or
    // the program to exit or resize was not found.
    bool play();

private:
    enum class Kind { Attach, Notify, Duration };
    struct Timed {
        double dueMs;
        Kind kind;
        int32_t status;
        std::string text;  // notification, or the call id of a duration tick
        uint32_t seconds;
    };

    void onCommand(const ReceivedCommand& command);
    void enqueue(Timed item);
    void sendNotification(const std::string& text);
    void noticeDiscoveries();
    void runDue();
    void runItem(const Timed& item);
    // Serves discoveries, replies and ticks until `done` holds or `untilMs`
    // (StandinClock) has passed; returns whether `done` held.
    bool serve(double untilMs, const std::function<bool()>& done);
    bool await(const ScenarioStep& step);
    void endCall(const std::string& callId, const char* status);
    bool runStep(const ScenarioStep& step);
    bool hang(const ScenarioStep& step);
    void crash();

    const Scenario& m_scenario;
    Transcript& m_transcript;
    StandinClient m_client;
    HANDLE m_wake = nullptr;
    HWND m_foreign = nullptr;

    std::mutex m_mutex;
    std::vector<Timed> m_queue;  // by dueMs, then insertion
    std::vector<std::string> m_commands;
    std::set<std::string> m_activeCalls;

    int m_seenDiscovers = 0;
    bool m_attached = false;
    bool m_ok = true;
};

#endif
