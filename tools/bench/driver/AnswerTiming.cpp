// Answer timing: calls from a listed contact, dialog hidden and then shown.
// Each error is the arrival of Ringlock's command on the stand-in client,
// minus the moment the driver sent what the command's timer runs from, minus
// the timer's delay (tests/Contract.h): ANSWER_DELAY_MS for the answer,
// START_VIDEO_DELAY_MS for the video command, MAXIMIZE_DELAY_MS from the video
// command for the maximise command.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/Contract.h"
#include "tools/bench/driver/Phases.h"

namespace bench {

namespace {

struct CallErrors {
    std::vector<double> answer;
    std::vector<double> video;
    std::vector<double> maximise;
};

// A call from the listed contact; returns when its name was sent.
double RingAndReply(TestBed& bed, int call)
{
    return bed.ringAndReply(std::to_string(call), ContactName(LISTED_ROW));
}

// The calls overlap: the next call rings as soon as the previous one is
// answered and has reported video, so its answer timer runs while the video
// and maximise timers of the previous call run. The engine allows that (it is
// open again once the answer is sent); the video command then names the
// newer call, which does not change when it is sent.
bool AnswerCalls(TestBed& bed, int firstCall, CallErrors* errors)
{
    StandinClient& client = bed.client();
    const int calls = bed.options().calls;
    size_t from = client.commands().size();
    double replySent = RingAndReply(bed, firstCall);
    for (int i = 0; i < calls; ++i) {
        const std::string id = std::to_string(firstCall + i);
        ReceivedCommand answered;
        size_t at = 0;
        if (!client.waitForCommandStartingWith("SET CALL " + id + " STATUS INPROGRESS", from, 6000, &answered, &at)) {
            Fail(std::string("call ") + id + " was not answered");
            return false;
        }
        errors->answer.push_back(answered.atMs - replySent - contract::ANSWER_DELAY_MS);
        from = at + 1;
        const double videoSent = ClockMs();
        bed.notifyRinglock("CALL " + id + " VIDEO_SEND_STATUS AVAILABLE");
        if (i + 1 < calls) {
            replySent = RingAndReply(bed, firstCall + i + 1);
        }
        ReceivedCommand video;
        ReceivedCommand maximised;
        if (!client.waitForCommandStartingWith("ALTER CALL ", from, 4000, &video, &at) ||
            !client.waitForCommandStartingWith("SET WINDOWSTATE MAXIMIZED", at + 1, 4000, &maximised)) {
            Fail(std::string("call ") + id + ": no video or maximise command");
            return false;
        }
        errors->video.push_back(video.atMs - videoSent - contract::START_VIDEO_DELAY_MS);
        errors->maximise.push_back(maximised.atMs - video.atMs - contract::MAXIMIZE_DELAY_MS);
    }
    return true;
}

void TimeCalls(TestBed& bed, bool hidden, int firstCall, Findings* out)
{
    CallErrors errors;
    if (!AnswerCalls(bed, firstCall, &errors)) {
        return;
    }
    const Stats a = Summarise(errors.answer);
    const Stats v = Summarise(errors.video);
    const Stats m = Summarise(errors.maximise);
    std::printf("  %s: answer error median %.2f worst %.2f min %.2f ms; video %.2f / %.2f / %.2f; maximise "
                "%.2f / %.2f / %.2f\n",
                hidden ? "hidden" : "shown", a.median, a.worst, a.min, v.median, v.worst, v.min, m.median, m.worst,
                m.min);
    out->answer[hidden] = {a, v, m};
}

std::string TimerReference(const Findings& findings)
{
    const Stats& bare = findings.bareTimer;
    const Stats& path = findings.baselineTimerPath;
    return "bare SetTimer median " + Fixed(bare.median, 2) + ", worst " + Fixed(bare.worst, 2) +
           "; baseline relay+timer median " + Fixed(path.median, 2) + ", worst " + Fixed(path.worst, 2) + " ms";
}

// Shown, the limits allow one shown log append more.
void ReportMode(const Findings& findings, bool hidden)
{
    const char* names[3] = {"answer", "video", "maximise"};
    const std::string delays[3] = {std::to_string(contract::ANSWER_DELAY_MS) + " ms after the partner reply",
                                   std::to_string(contract::START_VIDEO_DELAY_MS) + " ms after video available",
                                   std::to_string(contract::MAXIMIZE_DELAY_MS) + " ms after the video command"};
    const std::vector<Stats>& s = findings.answer.at(hidden);
    const char* mode = hidden ? "hidden" : "shown";
    const double extra = hidden ? 0.0 : findings.shownAppendMs;
    for (int k = 0; k < 3; ++k) {
        const std::string base = std::string(names[k]) + "_" + mode;
        AddMetric(base + "_median_ms", s[k].median, "ms");
        AddMetric(base + "_worst_ms", s[k].worst, "ms");
        AddMetric(base + "_min_ms", s[k].min, "ms");
        const bool met = s[k].median <= 5.0 + extra && s[k].worst <= 20.0 + extra && s[k].min >= 0.0;
        std::string target =
            "median <= " + Fixed(5.0 + extra, 1) + ", worst <= " + Fixed(20.0 + extra, 1) + ", never early";
        if (!hidden) {
            target += " (+ one shown log append, " + Fixed(extra, 1) + " ms)";
        }
        AddRow(std::string(names[k]) + " error against " + delays[k] + ", dialog " + mode + " (" +
                   std::to_string(s[k].count) + " calls)",
               "median " + Fixed(s[k].median, 2) + ", worst " + Fixed(s[k].worst, 2) + ", earliest " +
                   Fixed(s[k].min, 2) + " ms",
               k == 0 && findings.bareTimer.count > 0 ? TimerReference(findings) : "", target, met);
    }
}

}  // namespace

void MeasureAnswerTiming(TestBed& bed, Findings* out)
{
    std::printf("answer: %d calls from a listed contact, dialog hidden then shown\n", bed.options().calls);
    Ring ring;
    if (!bed.startRinglock("-m", &ring)) {
        return;
    }
    // The client's state, pushed once it attached, is handled before the first call is timed.
    Sleep(300);
    TimeCalls(bed, true, 1001, out);
    if (!bed.showRinglock(&ring)) {
        Fail("Ringlock's dialog could not be shown");
    }
    TimeCalls(bed, false, 2001, out);
    bed.endRinglock(&ring);
}

void ReportAnswerTiming(const Findings& findings)
{
    for (const bool hidden : {true, false}) {
        if (findings.answer.count(hidden) != 0) {
            ReportMode(findings, hidden);
        }
    }
}

}  // namespace bench
