#include "replay/day_starts.h"

#include "analysis/start_detect.h"
#include "replay/analysis_input.h"
#include "replay/replay_data.h"
#include "base/data_error.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tackedit {

namespace {

// UTC seconds as the race's local time of day.
std::string Clock(double utc, int time_diff)
{
    const auto local = static_cast<long long>(std::llround(utc)) + time_diff * 3600LL;
    const long long day = ((local % 86400) + 86400) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", day / 3600, day / 60 % 60, day % 60);
    return text;
}

std::string How(const analysis::StartFound& s, int time_diff)
{
    if (!s.estimated)
        return s.boats == 1 ? "race timer start in one boat's VKX log"
                            : "race timer start in " + std::to_string(s.boats) + " boats' VKX logs";
    return "estimated, the whole minute before the first crossing: " + std::to_string(s.boats) + " of " +
           std::to_string(s.fleet) + " boats crossed the start line from " + Clock(s.first_crossing, time_diff) +
           " to " + Clock(s.last_crossing, time_diff) + " after sailing near it";
}

} // namespace

std::vector<FoundStart> DetectStarts(const SplitSource& source, std::vector<std::string>& notes)
{
    ReplayReadOptions options;
    options.pictures = false;
    options.land = false;
    options.utc_fixes = true;
    options.timer_starts = true;
    ReplayRace replay = MakeReplayRace(source.race, source.app_dir, source.name, options);
    std::vector<std::vector<double>> timers;
    bool any_timer = false;
    for (const ReplayBoat& boat : replay.boats) {
        timers.push_back(boat.timer_starts);
        any_timer = any_timer || !boat.timer_starts.empty();
    }
    const int time_diff = source.race.TimeDiff;
    AnalysisInput in = MakeAnalysisInput(source.race, replay, true);
    notes.insert(notes.end(), in.notes.begin(), in.notes.end());

    std::vector<analysis::StartFound> found;
    if (any_timer) {
        found = analysis::StartsFromTimers(timers);
    } else {
        std::string why;
        found = analysis::StartsFromFleet(in.race, why);
        if (why.empty())
            why = "no fleet crossing the start line together after a pre-start";
        if (found.empty())
            throw DataError(source.path, 0, "",
                            "no start found: no race timer start event in the boats' VKX logs, and " + why);
    }
    std::vector<analysis::StartFound> recalled;
    const auto kept = analysis::DropRecalledStarts(found, recalled);
    for (const analysis::StartFound& r : recalled)
        notes.push_back("the start at " + Clock(r.gun, time_diff) + " is followed by another within " +
                        std::to_string(static_cast<int>(analysis::kShortestRaceSeconds / 60)) +
                        " minutes, as after a general recall: the later one is the race");
    std::vector<FoundStart> starts;
    for (const analysis::StartFound& s : kept) {
        const auto local = static_cast<std::int64_t>(std::llround(s.gun)) + time_diff * std::int64_t{3600};
        starts.push_back({static_cast<double>(std::int64_t{25569} * 86400 + local) / SecondsPerDay, How(s, time_diff)});
    }
    return starts;
}

} // namespace tackedit
