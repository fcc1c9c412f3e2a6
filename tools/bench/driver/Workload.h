#ifndef RINGLOCK_TOOLS_BENCH_DRIVER_WORKLOAD_H
#define RINGLOCK_TOOLS_BENCH_DRIVER_WORKLOAD_H

// What Ringlock is given to work on: its contact list and the client's
// traffic while a call rings.

#include <string>
#include <vector>

namespace bench {

constexpr int CONTACTS = 100;
// The ringing call the relay bursts go by, and its unlisted caller.
constexpr char HELD_CALL[] = "900";
constexpr char UNLISTED_CALLER[] = "caller.unlisted";
// The contact whose calls the answer timing takes.
constexpr int LISTED_ROW = 57;

// 90 Skype names and 10 phone numbers.
std::string ContactName(int row);

// The settings file: "Start Video" on, "quiet media" off, `contacts` contacts.
std::string SettingsText(int contacts);

// The client's background traffic (the stand-in's), every tenth line the held
// call's duration and every twentieth a partner notification for the held
// call that names somebody who is not listed.
std::vector<std::string> BurstTexts(int count);
double MeanLength(const std::vector<std::string>& texts);

}  // namespace bench

#endif
