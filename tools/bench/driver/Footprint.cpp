// Footprint: Ringlock's memory across the relay bursts, and the size of its
// two builds.

#include <string>

#include "tools/bench/driver/Phases.h"

namespace bench {

namespace {

// What the log filling up from a few lines to 100 may take.
constexpr long long LOG_GROWTH_ALLOWANCE_KB = 64;

void ReportSize(const char* arch, long long bytes, const char* target, int met)
{
    AddMetric(std::string("size_") + arch + "_bytes", static_cast<double>(bytes), "bytes");
    const std::string kb = Fixed(static_cast<double>(bytes) / 1024.0, 1) + " KB";
    AddRow(std::string("size of build/") + arch + "/Ringlock.exe", kb, "", target, met);
}

}  // namespace

// Committed private memory is what Windows calls private bytes and what a
// leak grows; the resident figure also moves as Wine's code pages are
// touched, so it is shown but not judged.
void ReportFootprint(const char* mode, int logRows, int repeats, const Memory& before, const Memory& afterFirst,
                     const Memory& afterLast)
{
    const std::string name = std::string("footprint_") + mode;
    AddMetric(name + "_resident_private_before_kb", static_cast<double>(before.linuxKb), "KB");
    AddMetric(name + "_resident_private_after_kb", static_cast<double>(afterLast.linuxKb), "KB");
    AddMetric(name + "_private_bytes_before_kb", static_cast<double>(before.committedKb), "KB");
    AddMetric(name + "_private_bytes_after_kb", static_cast<double>(afterLast.committedKb), "KB");
    const long long growthFirst = afterFirst.linuxKb - before.linuxKb;
    const long long growthLater = afterLast.linuxKb - afterFirst.linuxKb;
    const long long committedFirst = afterFirst.committedKb - before.committedKb;
    const long long committedLater = afterLast.committedKb - afterFirst.committedKb;
    AddMetric(name + "_resident_private_growth_first_burst_kb", static_cast<double>(growthFirst), "KB");
    AddMetric(name + "_private_bytes_growth_first_burst_kb", static_cast<double>(committedFirst), "KB");
    std::string measured = "committed private " + std::to_string(before.committedKb) + " -> " +
                           std::to_string(afterFirst.committedKb) + " KB (resident private " +
                           std::to_string(before.linuxKb) + " -> " + std::to_string(afterFirst.linuxKb) + " KB)";
    bool met = committedFirst <= LOG_GROWTH_ALLOWANCE_KB;
    if (repeats > 1) {
        AddMetric(name + "_resident_private_growth_later_bursts_kb", static_cast<double>(growthLater), "KB");
        AddMetric(name + "_private_bytes_growth_later_bursts_kb", static_cast<double>(committedLater), "KB");
        measured += "; over " + std::to_string(repeats - 1) + " more bursts with the log full: " +
                    std::to_string(committedLater) + " KB (resident " + std::to_string(growthLater) + " KB)";
        met = met && committedLater <= 0;
    }
    AddRow(std::string("memory across the burst, dialog ") + mode + " (log " + std::to_string(logRows) +
               " -> 100 lines)",
           measured, "",
           "committed growth <= " + std::to_string(LOG_GROWTH_ALLOWANCE_KB) +
               " KB (the log filling up), none once it is full",
           met ? 1 : 0);
}

void ReportSizes(const Options& options)
{
    if (options.sizeX86 >= 0) {
        ReportSize("x86", options.sizeX86, "< 200 KB", options.sizeX86 < 200 * 1024);
    }
    if (options.sizeX64 >= 0) {
        ReportSize("x64", options.sizeX64, "", -1);
    }
}

}  // namespace bench
