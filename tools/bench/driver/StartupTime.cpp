// Start-up: rounds of four starts, one after the other: the static dialog,
// the static dialog after loading Ringlock's DLLs, Ringlock with 100 contacts
// and Ringlock without contacts. Each process is created suspended and the
// clock starts when it is resumed.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/bench/BenchCommon.h"
#include "tools/bench/driver/Phases.h"

namespace bench {

namespace {

struct StartupTimes {
    std::vector<double> staticExists;
    std::vector<double> staticShown;
    std::vector<double> dllsExists;
    std::vector<double> ringDialog;
    std::vector<double> ringDiscovery;
    std::vector<double> ringConnected;
    std::vector<double> emptyConnected;
};

// Start of a static dialog program until its dialog exists; `shownMs` gets
// the time until it is visible.
double StartStatic(TestBed& bed, const char* mode, double* shownMs)
{
    ChildProcess child;
    if (!bed.launch("bench_static.exe", mode, &child)) {
        return -1;
    }
    const double start = ClockMs();
    child.resume();
    HWND dialog = AwaitWindowOf(child, DIALOG_CLASS, BENCH_STATIC_TITLE);
    const double exists = ClockMs() - start;
    const bool visible =
        dialog != nullptr && WaitUntil([dialog] { return IsWindowVisible(dialog) != FALSE; }, 10000, 1);
    *shownMs = ClockMs() - start;
    child.end(dialog, WM_CLOSE, 0);
    if (dialog == nullptr || !visible) {
        Fail(std::string("the static dialog (") + mode + ") did not appear");
        return -1;
    }
    return exists;
}

// One round; false when a program did not start. Round -1 is the warm-up and
// is not kept.
bool StartRound(TestBed& bed, int round, StartupTimes* times)
{
    double shown = 0;
    double dllsShown = 0;
    const double exists = StartStatic(bed, "plain", &shown);
    const double dlls = StartStatic(bed, "dlls", &dllsShown);
    Ring ring;
    if (exists < 0 || dlls < 0 || !bed.startRinglock("", &ring)) {
        return false;
    }
    bed.endRinglock(&ring);
    Ring empty;
    if (!bed.startRinglock("", &empty, 0)) {
        return false;
    }
    bed.endRinglock(&empty);
    if (round < 0) {
        return true;
    }
    times->staticExists.push_back(exists);
    times->staticShown.push_back(shown);
    times->dllsExists.push_back(dlls);
    times->ringDialog.push_back(ring.dialogMs);
    times->ringDiscovery.push_back(ring.discoveryMs);
    times->ringConnected.push_back(ring.connectedMs);
    times->emptyConnected.push_back(empty.connectedMs);
    std::printf("  round %d: static dialog exists %.1f ms (shown %.1f); with Ringlock's DLLs %.1f ms; "
                "Ringlock dialog %.1f ms, discovery %.1f ms, \"Connected to Skype\" logged %.1f ms "
                "(without contacts %.1f ms)\n",
                round + 1, exists, shown, dlls, ring.dialogMs, ring.discoveryMs, ring.connectedMs, empty.connectedMs);
    return true;
}

void ReportStartup(const StartupTimes& times)
{
    const Stats se = Summarise(times.staticExists);
    const Stats sv = Summarise(times.staticShown);
    const Stats sd = Summarise(times.dllsExists);
    const Stats rd = Summarise(times.ringDialog);
    const Stats rs = Summarise(times.ringDiscovery);
    const Stats rc = Summarise(times.ringConnected);
    const Stats ec = Summarise(times.emptyConnected);
    AddMetric("startup_static_dialog_exists_ms", se.median, "ms");
    AddMetric("startup_static_dialog_shown_ms", sv.median, "ms");
    AddMetric("startup_static_dialog_with_ringlock_dlls_ms", sd.median, "ms");
    AddMetric("startup_ringlock_dialog_exists_ms", rd.median, "ms");
    AddMetric("startup_ringlock_discovery_ms", rs.median, "ms");
    AddMetric("startup_ringlock_connected_ms", rc.median, "ms");
    AddMetric("startup_ringlock_no_contacts_connected_ms", ec.median, "ms");
    const double ratio = rc.median / se.median;
    AddMetric("startup_ratio", ratio, "x");
    AddRow("start-up: process start to \"Connected to Skype\" in the log, " + std::to_string(CONTACTS) +
               " contacts (median of " + std::to_string(rc.count) + ")",
           Fixed(rc.median, 1) + " ms (" + Fixed(rc.min, 0) + "-" + Fixed(rc.worst, 0) + ")",
           "static dialog exists " + Fixed(se.median, 1) + " ms (" + Fixed(se.min, 0) + "-" + Fixed(se.worst, 0) +
               "), shown " + Fixed(sv.median, 1) + " ms",
           "<= 1.2x: " + Fixed(ratio, 2) + "x", ratio <= 1.2);
    AddRow("start-up, what it is made of: Ringlock's dialog exists; its discovery reaches the client; "
           "\"Connected\" without contacts; a static dialog after loading Ringlock's DLLs",
           Fixed(rd.median, 1) + " ms; " + Fixed(rs.median, 1) + " ms; " + Fixed(ec.median, 1) + " ms",
           Fixed(sd.median, 1) + " ms", "", -1);
}

}  // namespace

void MeasureStartupTime(TestBed& bed)
{
    std::printf("start-up: %d starts of each program, in turn (one warm-up start each first)\n",
                bed.options().startups);
    StartupTimes times;
    for (int round = -1; round < bed.options().startups; ++round) {
        if (!StartRound(bed, round, &times)) {
            return;
        }
    }
    ReportStartup(times);
}

}  // namespace bench
