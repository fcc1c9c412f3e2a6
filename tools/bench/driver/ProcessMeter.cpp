#include "tools/bench/driver/ProcessMeter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "tools/harness/Harness.h"

namespace bench {

namespace {

std::string ReadProcFile(const std::string& path)
{
    return ReadFileBytes(Widen(path));
}

// The entries of a /proc folder that are numbers: processes or threads.
std::vector<std::string> NumberedEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (entry.cFileName[0] >= '0' && entry.cFileName[0] <= '9') {
            names.emplace_back(entry.cFileName);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

long long FieldOf(const std::string& text, const char* key)
{
    const size_t at = text.find(key);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + std::strlen(key));
}

long long LinuxPrivateKb(const std::string& unixPid)
{
    const std::string rollup = ReadProcFile("Z:\\proc\\" + unixPid + "\\smaps_rollup");
    const long long clean = FieldOf(rollup, "Private_Clean:");
    const long long dirty = FieldOf(rollup, "Private_Dirty:");
    return clean < 0 || dirty < 0 ? -1 : clean + dirty;
}

// Committed private regions; Wine's GetProcessMemoryInfo leaves PrivateUsage
// 0 for another process.
long long CommittedPrivateKb(HANDLE process)
{
    long long total = 0;
    MEMORY_BASIC_INFORMATION info;
    char* address = nullptr;
    while (VirtualQueryEx(process, address, &info, sizeof(info)) == sizeof(info)) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            total += static_cast<long long>(info.RegionSize);
        }
        char* next = static_cast<char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total / 1024;
}

}  // namespace

std::string UnixPidOf(const std::string& marker)
{
    for (const std::string& pid : NumberedEntries("Z:\\proc")) {
        std::string line = ReadProcFile("Z:\\proc\\" + pid + "\\cmdline");
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find(marker) != std::string::npos) {
            return pid;
        }
    }
    return std::string();
}

SchedSample SampleSched(const std::string& unixPid)
{
    SchedSample sample;
    const std::string base = "Z:\\proc\\" + unixPid + "\\task";
    for (const std::string& tid : NumberedEntries(base)) {
        std::istringstream sched(ReadProcFile(base + "\\" + tid + "\\schedstat"));
        double ns = 0;
        double wait = 0;
        long long runs = 0;
        sched >> ns >> wait >> runs;
        sample.cpuMs += ns / 1e6;
        sample.runs += runs;
        const std::string status = ReadProcFile(base + "\\" + tid + "\\status");
        sample.switches +=
            FieldOf(status, "\nvoluntary_ctxt_switches:") + FieldOf(status, "\nnonvoluntary_ctxt_switches:");
        ++sample.threads;
    }
    return sample;
}

Memory MemoryOf(HANDLE process, const std::string& unixPid)
{
    Memory m;
    m.linuxKb = unixPid.empty() ? -1 : LinuxPrivateKb(unixPid);
    m.committedKb = CommittedPrivateKb(process);
    return m;
}

}  // namespace bench
