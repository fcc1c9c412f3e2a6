#include "tools/bench/driver/Options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace bench {

namespace {

// A Linux path names the file through Wine's Z: drive.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

bool Options::has(const char* phase) const
{
    std::istringstream list(phases);
    for (std::string name; std::getline(list, name, ',');) {
        if (name == phase) {
            return true;
        }
    }
    return false;
}

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--burst") {
            options->burst = std::atoi(value);
        } else if (key == "--calls") {
            options->calls = std::atoi(value);
        } else if (key == "--idle") {
            options->idleSeconds = std::atoi(value);
        } else if (key == "--startups") {
            options->startups = std::atoi(value);
        } else if (key == "--repeats") {
            options->repeats = std::atoi(value);
        } else if (key == "--phases") {
            options->phases = value;
        } else if (key == "--size-x86") {
            options->sizeX86 = std::atoll(value);
        } else if (key == "--size-x64") {
            options->sizeX64 = std::atoll(value);
        } else if (key == "--ringlock") {
            options->ringlock = WindowsPath(value);
        } else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace bench
