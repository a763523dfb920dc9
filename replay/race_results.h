#pragma once

// The results of a race as the race analysis gives them: the results command
// and the replay page show this one table.

#include "analysis/race_analysis.h"
#include "replay/replay_data.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct RaceResult {
    std::string name, boat_class;
    std::optional<std::int64_t> start, finish;  // local seconds, rounded; start: its own gun
    std::optional<double> elapsed, corrected;  // seconds, to 0.1
    std::optional<int> rank;  // within its class where classes are set
    std::string status;  // "OK", "OCS", "NSC", "DNF" or "DNS"
};

// Why a race has no results: an entry of its course names nothing the race
// holds (that entry is named), or the course does not end with "F" at a line;
// nullopt when it has them.
std::optional<std::string> WhyNoResults(const ReplayRace& race);

// The results the race analysis gives, entered boats only: finishers by rank
// (class by class), then OCS, NSC, DNF and DNS. nullopt, with why, when the
// analysis could not score the race. `time_diff` is the race's TD.
std::optional<std::vector<RaceResult>> ResultsOf(const analysis::AnalysisRace& race,
                                                 const analysis::RaceAnalysis& result, int time_diff,
                                                 std::string* why_none = nullptr);

// The same for a race as ReadReplayRace gives it (utc_fixes filled) or made
// in code (its drawn fixes are used).
std::optional<std::vector<RaceResult>> ComputeResults(ReplayRace race, std::string* why_none = nullptr);

// "YYYY-MM-DD HH:MM:SS" of local seconds.
std::string FormatLocalSeconds(std::int64_t seconds);

} // namespace tackedit
