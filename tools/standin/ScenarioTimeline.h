#ifndef RINGLOCK_TOOLS_STANDIN_SCENARIOTIMELINE_H
#define RINGLOCK_TOOLS_STANDIN_SCENARIOTIMELINE_H

#include "tools/standin/Scenario.h"
#include "tools/standin/StandinClient.h"

// Plays the scenario's timeline on the calling thread with a started
// `client`, writing to its transcript; false when an await step timed out or
// no Ringlock window was there to exit or resize.
bool PlayTimeline(StandinClient& client, const Scenario& scenario);

#endif
