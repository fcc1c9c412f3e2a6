#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_PROCESSMETER_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_PROCESSMETER_H

// What another process costs: CPU time, scheduler runs and memory. Under
// wine 8 GetProcessTimes and GetProcessMemoryInfo say little about another
// process, so the Linux side of each Wine process is read through Wine's Z:
// drive from /proc, and committed memory is walked with VirtualQueryEx.

#include <windows.h>

#include <string>

namespace bench {

// The Linux process whose command line holds `marker` (Wine shows the
// Windows command line there); empty when there is none.
std::string UnixPidOf(const std::string& marker);

// Summed over the process's threads: a thread that sleeps in GetMessage adds
// neither CPU time nor runs.
struct SchedSample {
    double cpuMs = 0;
    long long runs = 0;
    long long switches = 0;
    int threads = 0;
};

SchedSample SampleSched(const std::string& unixPid);

struct Memory {
    long long linuxKb = -1;      // resident pages no other process shares, Wine's own included
    long long committedKb = -1;  // private bytes as Windows counts them
};

// `unixPid` may be empty; the Linux figure is then -1.
Memory MemoryOf(HANDLE process, const std::string& unixPid);

}  // namespace bench

#endif
