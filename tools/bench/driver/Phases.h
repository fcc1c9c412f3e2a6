#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_PHASES_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_PHASES_H

// The measuring phases, each in a file of its own, in the order they run.

#include <map>
#include <vector>

#include "tools/bench/driver/Options.h"
#include "tools/bench/driver/ProcessMeter.h"
#include "tools/bench/driver/Report.h"
#include "tools/bench/driver/TestBed.h"

namespace bench {

// Figures one phase takes from another: the answer targets allow one shown
// log append (relay phase), and the answer rows show the bare timers (idle
// phase).
struct Findings {
    double shownAppendMs = 0;
    std::map<bool, std::vector<Stats>> answer;  // hidden -> answer, video, maximise errors
    Stats bareTimer;
    Stats baselineTimerPath;
};

void MeasureStartupTime(TestBed& bed);                                        // StartupTime.cpp
void MeasureRelayCost(TestBed& bed, bool hidden, bool shown, Findings* out);  // RelayCost.cpp
void MeasureAnswerTiming(TestBed& bed, Findings* out);                        // AnswerTiming.cpp
void MeasureIdleCost(TestBed& bed, Findings* out);                            // IdleCost.cpp
void ReportSizes(const Options& options);                                    // Footprint.cpp
// Added last: they need the figures of the relay and idle phases.
void ReportAnswerTiming(const Findings& findings);  // AnswerTiming.cpp

// Memory across the relay bursts (Footprint.cpp).
void ReportFootprint(const char* mode, int logRows, int repeats, const Memory& before, const Memory& afterFirst,
                     const Memory& afterLast);

}  // namespace bench

#endif
