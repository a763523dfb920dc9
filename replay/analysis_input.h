#pragma once

// The race analysis's input read from a workspace race file: the race and
// every boat's fixes in UTC seconds, marks and lines placed as the replay
// places them. Each track is read once.

#include "analysis/race_analysis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tackedit {

struct AnalysisInput {
    analysis::AnalysisRace race;
    // What the reading left out and why: tracks that do not read, marks and
    // lines near no track, boats past those the viewer shows, a wind file that does not read.
    std::vector<std::string> notes;
    int time_diff = 0;  // TD: local minus UTC, hours
    std::int64_t start = 0, finish = 0;  // ST and FT, local seconds
};

struct RaceSettings;
struct ReplayRace;
// From a race record and its replay read with utc_fixes: those fixes move
// out of it, the rest stays for drawing. The fixes are cut to the race's
// time unless `whole_tracks` (a look over the whole day).
AnalysisInput MakeAnalysisInput(const RaceSettings& settings, ReplayRace& replay, bool whole_tracks = false);

// Reads WORKSPACE/raceadmin/NAME and its tracks (from `tracks` when given);
// a race file that does not read raises DataError as ReadReplayRace does.
class TrackCache;
AnalysisInput ReadAnalysisInput(const std::string& app_dir, const std::string& race_file,
                                TrackCache* tracks = nullptr);

} // namespace tackedit
