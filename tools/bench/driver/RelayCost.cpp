// Relay cost: bursts of notifications to Ringlock while a call rings, and the
// same texts to the baseline relay, prefilled with as many rows as Ringlock's
// log held. µs per message is the burst's wall time over its length, as the
// sender sees it; the receiving process's CPU time is shown beside it. Hidden:
// bursts alternate between the two programs running side by side. Shown: one
// burst each, one program at a time, since two shown windows would cover each
// other.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/LogView.h"
#include "tests/Contract.h"
#include "tools/bench/driver/Phases.h"

namespace bench {

namespace {

struct BurstResult {
    double us = 0;     // wall time per message, as the sender sees it
    double cpuUs = 0;  // CPU time of the receiving process per message
};

struct RelayFigures {
    std::vector<double> ringUs;
    std::vector<double> ringCpu;
    std::vector<double> baseUs;
    std::vector<double> baseCpu;
    Memory before;
    Memory afterFirst;
    Memory afterLast;
    double ringRepaint = 0;
    double baseRepaint = 0;
    int rows = 0;
};

bool LogHoldsTail(HWND list, const std::vector<std::string>& texts, std::string* problem)
{
    const std::vector<std::string> rows = ReadRemoteListView(list);
    const size_t expected = std::min<size_t>(contract::LOG_MAX_ROWS, texts.size());
    if (rows.size() > static_cast<size_t>(contract::LOG_MAX_ROWS) || rows.size() < expected) {
        *problem = "holds " + std::to_string(rows.size()) + " rows";
        return false;
    }
    for (size_t i = 0; i < expected; ++i) {
        const std::string& want = texts[texts.size() - expected + i];
        const std::string& got = rows[rows.size() - expected + i];
        if (want != got) {
            *problem = "row " + std::to_string(rows.size() - expected + i) + " is \"" + got + "\", expected \"" +
                       want + "\"";
            return false;
        }
    }
    return true;
}

// Each send returns once the receiver has logged the text (and, in Ringlock,
// the engine has looked at it); afterwards the log must hold the last texts.
BurstResult MeasureBurst(TestBed& bed, HWND target, HWND list, const std::string& unixPid,
                         const std::vector<std::string>& texts, const char* who)
{
    const SchedSample before = SampleSched(unixPid);
    BurstResult result;
    const double start = ClockMs();
    for (const std::string& text : texts) {
        bed.client().notify(text, target);
    }
    result.us = (ClockMs() - start) * 1000.0 / static_cast<double>(texts.size());
    const SchedSample after = SampleSched(unixPid);
    result.cpuUs = (after.cpuMs - before.cpuMs) * 1000.0 / static_cast<double>(texts.size());
    std::string problem;
    if (!LogHoldsTail(list, texts, &problem)) {
        Fail(std::string(who) + "'s log after the burst: " + problem);
    }
    return result;
}

// One full repaint of a shown list, forced from here: RDW_UPDATENOW makes the
// list's thread paint it before RedrawWindow returns.
double RepaintMs(HWND list)
{
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const double start = ClockMs();
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        times.push_back(ClockMs() - start);
    }
    return Summarise(times).median;
}

// Ringlock started hidden or shown, attached, with call 900 ringing.
bool StartWithHeldCall(TestBed& bed, bool hidden, Ring* ring)
{
    if (!bed.startRinglock(hidden ? "-m" : "", ring)) {
        return false;
    }
    // A start with -m hides the dialog after making it; no event marks the end of that.
    Sleep(300);
    if (hidden == (IsWindowVisible(ring->dialog) != FALSE)) {
        Fail(std::string("Ringlock's dialog is not ") + (hidden ? "hidden" : "shown"));
    }
    if (bed.ringAndReply(HELD_CALL, UNLISTED_CALLER) < 0.0) {
        bed.endRinglock(ring);
        return false;
    }
    return true;
}

// A burst to Ringlock; it must not send any command meanwhile.
BurstResult RinglockBurst(TestBed& bed, const Ring& ring, const std::string& ringPid,
                          const std::vector<std::string>& texts, int rep, RelayFigures* f)
{
    const size_t commandsBefore = bed.client().commands().size();
    const BurstResult r = MeasureBurst(bed, bed.client().attachment().appWindow, ring.log, ringPid, texts, "Ringlock");
    f->ringUs.push_back(r.us);
    f->ringCpu.push_back(r.cpuUs);
    if (bed.client().commands().size() != commandsBefore) {
        Fail("Ringlock sent a command during the burst: " + bed.client().commands()[commandsBefore].text);
    }
    (rep == 0 ? f->afterFirst : f->afterLast) = MemoryOf(ring.process.child().handle(), ringPid);
    if (rep == 0) {
        f->afterLast = f->afterFirst;
    }
    return r;
}

BurstResult BaselineBurst(TestBed& bed, const Relay& base, const std::string& basePid,
                          const std::vector<std::string>& texts, RelayFigures* f)
{
    const BurstResult b = MeasureBurst(bed, base.link, base.list, basePid, texts, "the baseline");
    f->baseUs.push_back(b.us);
    f->baseCpu.push_back(b.cpuUs);
    return b;
}

bool BurstsSideBySide(TestBed& bed, Ring& ring, const std::string& ringPid, const std::vector<std::string>& texts,
                      RelayFigures* f)
{
    Relay base;
    if (!bed.startRelay("-m rows=" + std::to_string(f->rows), &base)) {
        bed.endRinglock(&ring);
        return false;
    }
    const std::string basePid = UnixPidOf("bench_relay.exe");
    for (int rep = 0; rep < bed.options().repeats; ++rep) {
        const BurstResult r = RinglockBurst(bed, ring, ringPid, texts, rep, f);
        std::printf("  hidden burst %d: Ringlock %.1f us/message (its CPU %.1f us)", rep + 1, r.us, r.cpuUs);
        const BurstResult b = BaselineBurst(bed, base, basePid, texts, f);
        std::printf(", baseline %.1f us/message (its CPU %.1f us)\n", b.us, b.cpuUs);
    }
    bed.endRinglock(&ring);
    base.child.end(base.dialog, WM_CLOSE, 0);
    return true;
}

bool BurstsOneAfterTheOther(TestBed& bed, Ring& ring, const std::string& ringPid,
                            const std::vector<std::string>& texts, RelayFigures* f)
{
    const BurstResult r = RinglockBurst(bed, ring, ringPid, texts, 0, f);
    std::printf("  shown burst 1: Ringlock %.1f us/message (its CPU %.1f us)\n", r.us, r.cpuUs);
    // The burst's deferred repaint has come and gone, so the next one is timed alone.
    Sleep(300);
    f->ringRepaint = RepaintMs(ring.log);
    bed.endRinglock(&ring);
    Relay base;
    if (!bed.startRelay("rows=" + std::to_string(f->rows), &base)) {
        return false;
    }
    const BurstResult b = BaselineBurst(bed, base, UnixPidOf("bench_relay.exe"), texts, f);
    // As for Ringlock: the burst's repaint is over.
    Sleep(300);
    f->baseRepaint = RepaintMs(base.list);
    std::printf("  shown burst: baseline %.1f us/message (its CPU %.1f us); one repaint of the list: "
                "Ringlock %.1f ms, baseline %.1f ms\n",
                b.us, b.cpuUs, f->ringRepaint, f->baseRepaint);
    base.child.end(base.dialog, WM_CLOSE, 0);
    return true;
}

void ReportRelay(const char* mode, size_t burst, int repeats, const RelayFigures& f)
{
    const Stats r = Summarise(f.ringUs);
    const Stats b = Summarise(f.baseUs);
    const Stats rc = Summarise(f.ringCpu);
    const Stats bc = Summarise(f.baseCpu);
    const double ratio = r.median / b.median;
    const std::string prefix = std::string("relay_") + mode;
    AddMetric(prefix + "_ringlock_us", r.median, "us");
    AddMetric(prefix + "_baseline_us", b.median, "us");
    AddMetric(prefix + "_ratio", ratio, "x");
    AddMetric(prefix + "_ringlock_cpu_us", rc.median, "us");
    AddMetric(prefix + "_baseline_cpu_us", bc.median, "us");
    const std::string spread = repeats > 1 ? " (" + Fixed(r.min, 0) + "-" + Fixed(r.worst, 0) + ")" : "";
    const std::string baseSpread = repeats > 1 ? " (" + Fixed(b.min, 0) + "-" + Fixed(b.worst, 0) + ")" : "";
    AddRow(std::string("relay cost per message, dialog ") + mode + " (" + std::to_string(burst) + "-message burst" +
               (repeats > 1 ? ", median of " + std::to_string(repeats) : "") + ")",
           Fixed(r.median, 1) + " us" + spread + "; its CPU " + Fixed(rc.median, 1) + " us",
           "baseline " + Fixed(b.median, 1) + " us" + baseSpread + "; its CPU " + Fixed(bc.median, 1) + " us",
           "<= 1.5x: " + Fixed(ratio, 2) + "x", ratio <= 1.5);
}

// Counted in full: the pause after which Ringlock's deferred repaint comes,
// and one repaint of each list at the end.
void ReportStretch(size_t burst, const RelayFigures& f)
{
    const double n = static_cast<double>(burst);
    const double ringSettled = Summarise(f.ringUs).median + (LOG_BURST_GAP_MS + f.ringRepaint) * 1000.0 / n;
    const double baseSettled = Summarise(f.baseUs).median + f.baseRepaint * 1000.0 / n;
    const double speedup = baseSettled / ringSettled;
    AddMetric("relay_shown_repaint_ringlock_ms", f.ringRepaint, "ms");
    AddMetric("relay_shown_repaint_baseline_ms", f.baseRepaint, "ms");
    AddMetric("relay_shown_settled_ringlock_us", ringSettled, "us");
    AddMetric("relay_shown_settled_baseline_us", baseSettled, "us");
    AddMetric("relay_shown_speedup", speedup, "x");
    AddRow("stretch: burst absorbed and painted, dialog shown (per message, with the " +
               std::to_string(LOG_BURST_GAP_MS) + " ms pause and one " + Fixed(f.ringRepaint, 1) +
               " ms repaint at the end)",
           Fixed(ringSettled, 1) + " us", "baseline " + Fixed(baseSettled, 1) + " us",
           ">= 3x faster: " + Fixed(speedup, 1) + "x", speedup >= 3.0);
}

void MeasureRelayMode(TestBed& bed, const std::vector<std::string>& texts, bool hidden, Findings* out)
{
    const char* mode = hidden ? "hidden" : "shown";
    const int repeats = hidden ? bed.options().repeats : 1;
    Ring ring;
    if (!StartWithHeldCall(bed, hidden, &ring)) {
        return;
    }
    RelayFigures f;
    f.rows = static_cast<int>(SendMessageA(ring.log, LVM_GETITEMCOUNT, 0, 0));
    const std::string ringPid = TestBed::unixPid(ring);
    f.before = MemoryOf(ring.process.child().handle(), ringPid);
    const bool done = hidden ? BurstsSideBySide(bed, ring, ringPid, texts, &f)
                             : BurstsOneAfterTheOther(bed, ring, ringPid, texts, &f);
    if (!done) {
        return;
    }
    ReportRelay(mode, texts.size(), repeats, f);
    if (!hidden) {
        out->shownAppendMs = Summarise(f.baseUs).median / 1000.0;
        ReportStretch(texts.size(), f);
    }
    ReportFootprint(mode, f.rows, repeats, f.before, f.afterFirst, f.afterLast);
}

}  // namespace

void MeasureRelayCost(TestBed& bed, bool hidden, bool shown, Findings* out)
{
    const std::vector<std::string> texts = BurstTexts(bed.options().burst);
    std::printf("relay: bursts of %d notifications (mean %.1f bytes), Ringlock with %d contacts and call %s "
                "ringing, against bench_relay\n",
                bed.options().burst, MeanLength(texts), CONTACTS, HELD_CALL);
    if (hidden) {
        MeasureRelayMode(bed, texts, true, out);
    }
    if (shown) {
        MeasureRelayMode(bed, texts, false, out);
    }
}

}  // namespace bench
