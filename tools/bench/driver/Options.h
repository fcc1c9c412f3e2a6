#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_OPTIONS_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_OPTIONS_H

#include <string>

namespace bench {

struct Options {
    int burst = 2000;
    int calls = 20;
    int idleSeconds = 30;
    int startups = 5;
    int repeats = 3;
    std::string phases = "startup,relay,answer,idle";
    long long sizeX86 = -1;
    long long sizeX64 = -1;
    std::string ringlock;  // another Ringlock.exe to measure than the one beside this program

    bool has(const char* phase) const;
};

// Pairs of `--name value`; false (and a line on stderr) for an unknown name.
bool ParseOptions(int argc, char** argv, Options* options);

}  // namespace bench

#endif
