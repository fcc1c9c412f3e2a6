#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_TESTBED_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_TESTBED_H

// The programs under test and the client they talk to: each Ringlock a copy
// in a temporary folder of its own with its own settings, the baseline relay
// beside this program, and the stand-in client, which answers Ringlock's
// discovery with attach status 0 and records every command with its arrival
// time on ClockMs().

#include <windows.h>

#include <string>

#include "tools/bench/driver/Options.h"
#include "tools/harness/Harness.h"
#include "tools/harness/RingProcess.h"
#include "tools/bench/driver/Workload.h"
#include "tools/standin/StandinClient.h"

namespace bench {

// A running Ringlock; times from the resume of its process, in ms.
struct Ring {
    RingProcess process;
    HWND dialog = nullptr;
    HWND log = nullptr;
    double startMs = 0;
    double dialogMs = 0;     // until its dialog exists
    double discoveryMs = 0;  // until its discovery broadcast reached the client
    double connectedMs = 0;  // until the client's attach send returned
};

// A running bench_relay.exe: `link` takes the texts, `list` is its log.
struct Relay {
    ChildProcess child;
    HWND dialog = nullptr;
    HWND link = nullptr;
    HWND list = nullptr;
};

// Looked for every millisecond, for start-up times.
HWND AwaitWindowOf(const ChildProcess& child, const char* className, const char* title);

class TestBed {
public:
    explicit TestBed(const Options& options);

    bool setUp();
    void tearDown();

    const Options& options() const { return m_options; }
    StandinClient& client() { return m_client; }
    std::wstring programPath(const char* exe) const { return Widen(ProgramFolder() + "\\" + exe); }
    // Started suspended, so that its start can be timed from resume().
    bool launch(const char* exe, const std::string& args, ChildProcess* child) const;

    bool startRinglock(const std::string& args, Ring* ring, int contacts = CONTACTS);
    void endRinglock(Ring* ring);
    bool showRinglock(Ring* ring);
    static std::string unixPid(const Ring& ring);
    // A notification to the Ringlock that attached last.
    LRESULT notifyRinglock(const std::string& text);
    // Rings `call` and, once Ringlock asks who calls, names `caller`; returns
    // when the name was sent, on ClockMs(), or a negative value when Ringlock
    // did not ask.
    double ringAndReply(const std::string& call, const std::string& caller);

    bool startRelay(const std::string& args, Relay* relay);

private:
    Options m_options;
    StandinClient m_client;
};

}  // namespace bench

#endif
