#include "replay/race_results.h"

#include "race/course.h"
#include "race/race_settings.h"
#include "replay/analysis_input.h"
#include "replay/analysis_report.h"
#include "replay/replay_analysis.h"
#include "base/datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tackedit {

namespace {

// A race made in code may give only its placed marks and lines.
std::size_t MarkCount(const ReplayRace& race) { return std::max(race.mark_count, race.marks.size()); }
std::size_t LineCount(const ReplayRace& race) { return std::max(race.line_count, race.lines.size()); }

} // namespace

std::optional<std::string> WhyNoResults(const ReplayRace& race)
{
    // A course that names nothing somewhere may be scored against the wrong
    // line or side: no ranks beat wrong ones.
    if (const auto i = FirstUnnamedEntry(race.course, MarkCount(race), LineCount(race))) {
        const std::string& entry = race.course[*i];
        const std::string named = "the course's entry " + std::to_string(*i + 1) + ", '" + entry + "', ";
        switch (ReadCourseEntry(entry, MarkCount(race), LineCount(race)).kind) {
        case CourseEntry::NoSuchMark:
            return named + "names no mark: the race has " + std::to_string(MarkCount(race)) + " MK lines";
        case CourseEntry::NoLine: return named + "names a line, but the race has no LN line";
        default: return named + "is no mark number, S or F";
        }
    }
    if (race.course.empty() || race.lines.empty() ||
        ReadCourseEntry(race.course.back(), MarkCount(race), LineCount(race)).kind != CourseEntry::Finish)
        return "the course does not end with F at a line (CRS and LN lines)";
    return std::nullopt;
}

std::optional<std::vector<RaceResult>> ResultsOf(const analysis::AnalysisRace& race,
                                                 const analysis::RaceAnalysis& result, int time_diff,
                                                 std::string* why_none)
{
    using analysis::BoatStatus;
    std::vector<RaceResult> finished;
    // Boats without a finish, in the order a results list gives them.
    std::vector<RaceResult> by_status[4];
    for (std::size_t k = 0; k < result.boats.size() && k < race.boats.size(); ++k) {
        if (!race.boats[k].entered)
            continue;
        const analysis::BoatAnalysis& b = result.boats[k];
        if (b.status == BoatStatus::Unscored) {
            if (why_none)
                *why_none = b.status_reason;
            return std::nullopt;
        }
        RaceResult r;
        r.name = race.boats[k].name;
        r.boat_class = race.boats[k].boat_class;
        r.start = static_cast<std::int64_t>(std::llround(b.start.gun + 3600.0 * time_diff));
        if (b.finish_at)
            r.finish = static_cast<std::int64_t>(std::llround(*b.finish_at + 3600.0 * time_diff));
        if (b.elapsed_s)
            r.elapsed = Tenths(*b.elapsed_s);
        if (b.corrected_s)
            r.corrected = Tenths(*b.corrected_s);
        r.rank = b.rank;
        switch (b.status) {
        case BoatStatus::Finished: r.status = "OK"; finished.push_back(r); break;
        case BoatStatus::Ocs: r.status = "OCS"; by_status[0].push_back(r); break;
        case BoatStatus::Nsc: r.status = "NSC"; by_status[1].push_back(r); break;
        case BoatStatus::Dnf: r.status = "DNF"; by_status[2].push_back(r); break;
        default: r.status = "DNS"; by_status[3].push_back(r); break;
        }
    }
    std::stable_sort(finished.begin(), finished.end(), [](const RaceResult& a, const RaceResult& b) {
        if (a.boat_class != b.boat_class)
            return a.boat_class < b.boat_class;
        return a.rank.value_or(INT32_MAX) < b.rank.value_or(INT32_MAX);
    });
    for (auto& rows : by_status)
        finished.insert(finished.end(), rows.begin(), rows.end());
    return finished;
}

std::optional<std::vector<RaceResult>> ComputeResults(ReplayRace race, std::string* why_none)
{
    if (const auto why = WhyNoResults(race)) {
        if (why_none)
            *why_none = *why;
        return std::nullopt;
    }
    if (race.analysis)
        return ResultsOf(race.analysis->race, race.analysis->result, race.time_diff, why_none);
    // A race made in code gives only the fixes the page draws.
    const double utc_shift = -3600.0 * race.time_diff;
    for (ReplayBoat& b : race.boats)
        if (b.utc_fixes.empty())
            for (std::size_t i = 0; i < b.time.size(); ++i)
                b.utc_fixes.push_back({static_cast<double>(b.time[i]) + utc_shift, b.lat[i] / 1e6, b.lon[i] / 1e6});
    const int time_diff = race.time_diff;
    const AnalysisInput input = MakeAnalysisInput(RaceSettings{}, race);
    return ResultsOf(input.race, analysis::AnalyseRace(input.race), time_diff, why_none);
}

std::string FormatLocalSeconds(std::int64_t seconds)
{
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    // Whole days and the second of the day apart: no rounding can move the second.
    const DateTime date = TrackEpoch + static_cast<double>(days);
    const DateTimeParts day = DecodeDateTimeToSecond(date);
    DateTimeParts parts = day;
    const std::int64_t rest = seconds - days * 86400;
    parts.hour = static_cast<int>(rest / 3600);
    parts.minute = static_cast<int>(rest / 60 % 60);
    parts.second = static_cast<int>(rest % 60);
    return FormatIsoDateTime(parts);
}

} // namespace tackedit
