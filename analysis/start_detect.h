#pragma once

// The day's starts found in the data when nobody typed them: the guns the
// race timers logged, else the moments the fleet left the start line together
// after a pre-start near it.

#include "analysis/race_analysis.h"

#include <string>
#include <vector>

namespace tackedit::analysis {

struct StartFound {
    double gun = 0;  // UTC seconds
    bool estimated = false;  // from the crossings, not a timer's log
    int boats = 0;   // timers that logged it, or boats that crossed
    int fleet = 0;   // boats racing then (crossings only)
    double first_crossing = 0, last_crossing = 0;  // crossings only
};

// Timers within this of each other logged one gun.
inline constexpr double kSameGunSeconds = 60;

// Race-start events, one list per boat (UTC seconds, any order), as guns in
// time order: each the median of the timers that logged it, to the second.
std::vector<StartFound> StartsFromTimers(const std::vector<std::vector<double>>& per_boat);

// The race's start line (as the analysis reads it from the lines and the
// course) crossed towards the course by at least half the boats racing, and
// at least two, within a few minutes, each after lingering near the line and
// not going back over it. The gun is estimated as the whole minute before the
// first such crossing. `why_none` is set when the race has no start line or
// no known course side; otherwise an empty result means the fleet never did.
std::vector<StartFound> StartsFromFleet(const AnalysisRace& race, std::string& why_none);

// Starts closer than this are a general recall and its restart: one race.
inline constexpr double kShortestRaceSeconds = 300;

// Of two starts less than kShortestRaceSeconds apart only the later stays;
// the earlier goes to `recalled`.
std::vector<StartFound> DropRecalledStarts(const std::vector<StartFound>& starts, std::vector<StartFound>& recalled);

} // namespace tackedit::analysis
