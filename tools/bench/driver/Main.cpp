// Measures Ringlock beside the platform's own floor, in one run: start-up,
// relay cost of a notification burst with the footprint across it, answer
// timing, idle cost and the size of the builds. Ringlock runs as a black box;
// the stand-in client library plays the calling client.
// Usage: bench_driver.exe [--burst N] [--calls N] [--idle S] [--startups N]
//        [--repeats N] [--phases startup,relay,answer,idle]  (relay = relay-hidden,relay-shown)
//        [--size-x86 BYTES] [--size-x64 BYTES] [--ringlock PATH]

#include <cstdio>

#include "tools/bench/driver/Phases.h"

namespace {

void RunPhases(bench::TestBed& bed)
{
    const bench::Options& options = bed.options();
    bench::Findings findings;
    if (options.has("startup")) {
        bench::MeasureStartupTime(bed);
    }
    const bool hiddenRelay = options.has("relay") || options.has("relay-hidden");
    const bool shownRelay = options.has("relay") || options.has("relay-shown");
    if (hiddenRelay || shownRelay) {
        bench::MeasureRelayCost(bed, hiddenRelay, shownRelay, &findings);
    }
    if (options.has("answer")) {
        bench::MeasureAnswerTiming(bed, &findings);
    }
    if (options.has("idle")) {
        bench::MeasureIdleCost(bed, &findings);
    }
    bench::ReportSizes(options);
    bench::ReportAnswerTiming(findings);
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    bench::Options options;
    if (!bench::ParseOptions(argc, argv, &options)) {
        return 2;
    }
    bench::TestBed bed(options);
    if (bed.setUp()) {
        RunPhases(bed);
    }
    bed.tearDown();
    return bench::PrintReport() ? 0 : 1;
}
