#pragma once

// The race analysis a replay carries: worked out once when the replay is
// built, so the page only draws it. Its boats are drawn where their kept
// fixes say: the jumps the analysis set aside are left out of the drawing too.

#include "analysis/race_analysis.h"
#include "replay/race_results.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct RaceSettings;
struct ReplayRace;

struct ReplayAnalysis {
    analysis::AnalysisRace race;  // the boats' fixes dropped once analysed
    analysis::RaceAnalysis result;
    std::vector<std::string> notes;  // what could not be analysed and why
};

// Analyses a race read with utc_fixes (they move out of it) and leaves out of
// its drawn fixes the seconds whose fixes the analysis set aside.
void AddAnalysis(const RaceSettings& settings, ReplayRace& race);

// Seconds between two samples of the fleet's ranking in the page's data.
inline constexpr int kFleetSampleStep = 20;

// The page's analysis: the report `analyse --json` prints, the fleet at every
// sample time (rank, behind, leg, speed, VMG per boat, packed as the tracks
// are) and each boat's manoeuvres in local seconds. null without an analysis.
nlohmann::ordered_json AnalysisScript(const ReplayRace& race);

// The race's results as the results command gives them; nullopt with `why`
// set when the race has none (empty when it was read without its analysis).
std::optional<std::vector<RaceResult>> ReplayResults(const ReplayRace& race, std::string& why);

// The results table as the results command gives it, finish times in local
// seconds; with `why` set when the race has none.
nlohmann::ordered_json ResultsScript(const ReplayRace& race, std::string& why);

} // namespace tackedit
