#pragma once

// The results of a race as its lines and the tracks give them: the replay page
// works them out by the same rules, so that both show the same table.

#include "replay/replay_data.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct RaceResult {
    std::string name;
    std::optional<std::int64_t> finish;  // local seconds, rounded
    std::optional<double> elapsed, corrected;  // seconds, to 0.1
    std::optional<int> rank;
    std::string status;  // "OK", "OCS" or "DNF"
};

// Why a race has no results: an entry of its course names nothing the race
// holds (that entry is named), or the course does not end with "F" at a line;
// nullopt when it has them.
std::optional<std::string> WhyNoResults(const ReplayRace& race);

// nullopt when WhyNoResults says why. Entered boats only: finishers by rank,
// then OCS, then DNF.
std::optional<std::vector<RaceResult>> ComputeResults(const ReplayRace& race);

// A boat's first crossing of the finish line after its own start, once it has
// been 100 m away from the line; nullopt when it never crosses. Local seconds.
std::optional<double> FinishCrossing(const ReplayBoat& boat, const ReplayLine& finish, std::int64_t own_start);

// "YYYY-MM-DD HH:MM:SS" of local seconds.
std::string FormatLocalSeconds(std::int64_t seconds);

} // namespace tackedit
