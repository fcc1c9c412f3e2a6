// Idle cost: Ringlock attached and hidden, left alone beside a static dialog
// (the floor) and a program with a 100 ms timer (to show that the method sees
// polling). Meanwhile the platform's own timer error is measured: bare
// one-shot timers on a thread of the driver, and the same through the
// baseline relay (text sent, two hops, timer, one hop back); neither touches
// Ringlock.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/Contract.h"
#include "tools/bench/BenchCommon.h"
#include "tools/bench/driver/Phases.h"

namespace bench {

namespace {

// Long enough for the last timer, the answer's, to fire before the idle span ends.
constexpr double LAST_TIMER_MARGIN_MS = contract::ANSWER_DELAY_MS + 100.0;

struct IdlePrograms {
    Ring ring;
    ChildProcess plain;
    ChildProcess poller;
    Relay base;
    HWND plainDialog = nullptr;
    HWND pollerDialog = nullptr;
};

struct IdleSample {
    SchedSample ring;
    SchedSample plain;
    SchedSample poller;
};

struct IdlePids {
    std::string ring;
    std::string plain;
    std::string poller;
};

UINT TimerDelay(int i)
{
    return i % 2 ? contract::START_VIDEO_DELAY_MS : contract::ANSWER_DELAY_MS;
}

struct TimerThread {
    std::vector<double> errors;
    double untilMs = 0;
    HANDLE thread = nullptr;
};

DWORD WINAPI BareTimers(LPVOID param)
{
    auto* self = static_cast<TimerThread*>(param);
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (int i = 0; ClockMs() + LAST_TIMER_MARGIN_MS < self->untilMs; ++i) {
        const UINT delay = TimerDelay(i);
        const double start = ClockMs();
        SetTimer(window, 1, delay, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER) {
                break;
            }
            DispatchMessageA(&msg);
        }
        self->errors.push_back(ClockMs() - start - delay);
        KillTimer(window, 1);
    }
    DestroyWindow(window);
    return 0;
}

bool StartIdlePrograms(TestBed& bed, IdlePrograms* p)
{
    if (!bed.startRinglock("-m", &p->ring)) {
        return false;
    }
    if (!bed.launch("bench_static.exe", "plain", &p->plain) || !bed.launch("bench_static.exe", "poll", &p->poller) ||
        !bed.startRelay("-m rows=100", &p->base)) {
        Fail("cannot start the idle references");
        bed.endRinglock(&p->ring);
        return false;
    }
    p->plain.resume();
    p->poller.resume();
    p->plainDialog = AwaitWindowOf(p->plain, DIALOG_CLASS, BENCH_STATIC_TITLE);
    p->pollerDialog = AwaitWindowOf(p->poller, DIALOG_CLASS, BENCH_STATIC_TITLE);
    return true;
}

void EndIdlePrograms(TestBed& bed, IdlePrograms* p)
{
    bed.endRinglock(&p->ring);
    p->plain.end(p->plainDialog, WM_CLOSE, 0);
    p->poller.end(p->pollerDialog, WM_CLOSE, 0);
    p->base.child.end(p->base.dialog, WM_CLOSE, 0);
}

IdleSample SampleIdle(const IdlePids& pids)
{
    return IdleSample{SampleSched(pids.ring), SampleSched(pids.plain), SampleSched(pids.poller)};
}

// One-shot timers through the baseline relay until `endMs`; the error of
// each is the arrival of its "FIRED" minus the send minus the delay.
std::vector<double> TimeBaselinePath(TestBed& bed, const Relay& base, double endMs)
{
    std::vector<double> errors;
    StandinClient& client = bed.client();
    for (int i = 0; ClockMs() + LAST_TIMER_MARGIN_MS < endMs; ++i) {
        const UINT delay = TimerDelay(i);
        const size_t from = client.commands().size();
        const double sent = ClockMs();
        client.notify(std::string(TIMER_PREFIX) + std::to_string(delay), base.link);
        ReceivedCommand fired;
        if (!client.waitForCommandStartingWith(FIRED_TEXT, from, delay + 2000, &fired)) {
            Fail("the baseline timer did not fire");
            break;
        }
        errors.push_back(fired.atMs - sent - delay);
    }
    return errors;
}

void ReportIdle(double seconds, const IdleSample& before, const IdleSample& after)
{
    const double ringCpu = after.ring.cpuMs - before.ring.cpuMs;
    const long long ringRuns = after.ring.runs - before.ring.runs;
    const long long ringSwitches = after.ring.switches - before.ring.switches;
    const double plainCpu = after.plain.cpuMs - before.plain.cpuMs;
    const long long plainRuns = after.plain.runs - before.plain.runs;
    const double pollerCpu = after.poller.cpuMs - before.poller.cpuMs;
    const long long pollerRuns = after.poller.runs - before.poller.runs;
    std::printf("  over %.1f s: Ringlock %.2f ms CPU, %lld runs, %lld context switches (%d threads); static "
                "dialog %.2f ms, %lld runs; 100 ms poller %.2f ms, %lld runs\n",
                seconds, ringCpu, ringRuns, ringSwitches, after.ring.threads, plainCpu, plainRuns, pollerCpu,
                pollerRuns);
    AddMetric("idle_seconds", seconds, "s");
    AddMetric("idle_ringlock_cpu_ms", ringCpu, "ms");
    AddMetric("idle_ringlock_wakeups", static_cast<double>(ringRuns), "count");
    AddMetric("idle_ringlock_context_switches", static_cast<double>(ringSwitches), "count");
    AddMetric("idle_static_dialog_cpu_ms", plainCpu, "ms");
    AddMetric("idle_static_dialog_wakeups", static_cast<double>(plainRuns), "count");
    AddMetric("idle_poller_100ms_cpu_ms", pollerCpu, "ms");
    AddMetric("idle_poller_100ms_wakeups", static_cast<double>(pollerRuns), "count");
    AddRow("idle " + Fixed(seconds, 0) + " s, attached: CPU time of the process", Fixed(ringCpu, 2) + " ms",
           "static dialog " + Fixed(plainCpu, 2) + " ms", "", -1);
    AddRow("idle " + Fixed(seconds, 0) + " s, attached: wake-ups (times any thread was run)",
           std::to_string(ringRuns),
           "static dialog " + std::to_string(plainRuns) + "; a 100 ms timer " + std::to_string(pollerRuns), "0",
           ringRuns == 0);
}

void ReportTimers(const std::vector<double>& bareErrors, const std::vector<double>& pathErrors, Findings* out)
{
    const Stats b = Summarise(bareErrors);
    const Stats p = Summarise(pathErrors);
    AddMetric("timer_bare_median_ms", b.median, "ms");
    AddMetric("timer_bare_worst_ms", b.worst, "ms");
    AddMetric("timer_bare_min_ms", b.min, "ms");
    AddMetric("timer_baseline_path_median_ms", p.median, "ms");
    AddMetric("timer_baseline_path_worst_ms", p.worst, "ms");
    AddMetric("timer_baseline_path_min_ms", p.min, "ms");
    out->bareTimer = b;
    out->baselineTimerPath = p;
    std::printf("  bare SetTimer error median %.2f worst %.2f min %.2f ms (%zu); through the baseline relay "
                "%.2f / %.2f / %.2f ms (%zu)\n",
                b.median, b.worst, b.min, b.count, p.median, p.worst, p.min, p.count);
}

}  // namespace

void MeasureIdleCost(TestBed& bed, Findings* out)
{
    std::printf("idle: Ringlock attached and hidden for %d s, beside a static dialog and a program with a "
                "100 ms timer; the bare timers are measured meanwhile\n",
                bed.options().idleSeconds);
    IdlePrograms programs;
    if (!StartIdlePrograms(bed, &programs)) {
        return;
    }
    // The three programs' start-up work is over before their idle is measured.
    Sleep(2000);
    const IdlePids pids{TestBed::unixPid(programs.ring), UnixPidOf("bench_static.exe plain"), UnixPidOf("bench_static.exe poll")};
    if (pids.ring.empty() || pids.plain.empty() || pids.poller.empty()) {
        Fail("the Linux processes of the idle programs were not found");
    }
    const IdleSample before = SampleIdle(pids);
    const double start = ClockMs();
    const double end = start + bed.options().idleSeconds * 1000.0;

    TimerThread bare;
    bare.untilMs = end;
    bare.thread = CreateThread(nullptr, 0, BareTimers, &bare, 0, nullptr);
    const std::vector<double> pathErrors = TimeBaselinePath(bed, programs.base, end);
    const double left = end - ClockMs();
    if (left > 0) {
        // The idle period is the measurement: it is waited out whole.
        Sleep(static_cast<DWORD>(left));
    }
    const double seconds = (ClockMs() - start) / 1000.0;
    const IdleSample after = SampleIdle(pids);
    WaitForSingleObject(bare.thread, 5000);
    CloseHandle(bare.thread);
    EndIdlePrograms(bed, &programs);

    ReportIdle(seconds, before, after);
    ReportTimers(bare.errors, pathErrors, out);
}

}  // namespace bench
