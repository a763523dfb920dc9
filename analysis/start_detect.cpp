#include "analysis/start_detect.h"

#include "analysis/race_parts.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tackedit::analysis {

namespace {

// Before a start the fleet sails about near the line: every fix from four
// minutes to half a minute before the boat's crossing within this of it.
constexpr double kNearLine = 400;
constexpr double kLingerFrom = 240, kLingerTo = 30;
// An early boat comes back to the pre-start side within minutes; a boat that
// started is on its way to the first mark.
constexpr double kBackWithin = 180, kBackMargin = 10;
// The crossings of one start: late boats take a minute or two.
constexpr double kStartSpan = 180;

double DistanceToSegment(const Segment& s, PlanePoint p)
{
    const double f = std::clamp(Along(s, p), 0.0, 1.0);
    return Distance(p, {s.a.x + (s.b.x - s.a.x) * f, s.a.y + (s.b.y - s.a.y) * f});
}

bool Lingered(const BoatMotion& m, const Segment& line, double crossed)
{
    const double from = crossed - kLingerFrom, to = crossed - kLingerTo;
    if (!m.PositionAt(from))
        return false;  // not logging then, or in a gap
    const auto first = static_cast<std::size_t>(std::lower_bound(m.t.begin(), m.t.end(), from) - m.t.begin());
    for (std::size_t i = first; i < m.t.size() && m.t[i] <= to; ++i)
        if (DistanceToSegment(line, m.smooth[i]) > kNearLine || std::binary_search(m.gaps.begin(), m.gaps.end(), i))
            return false;
    return true;
}

bool WentBack(const BoatMotion& m, const Segment& line, double sign, double crossed)
{
    const auto first = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), crossed) - m.t.begin());
    for (std::size_t i = first; i < m.t.size() && m.t[i] <= crossed + kBackWithin; ++i)
        if (sign * Side(line, m.smooth[i]) > kBackMargin)
            return true;
    return false;
}

struct Candidate {
    double t = 0;
    std::size_t boat = 0;
};

} // namespace

std::vector<StartFound> StartsFromTimers(const std::vector<std::vector<double>>& per_boat)
{
    std::vector<Candidate> events;
    for (std::size_t b = 0; b < per_boat.size(); ++b)
        for (const double t : per_boat[b])
            events.push_back({t, b});
    std::sort(events.begin(), events.end(), [](const Candidate& x, const Candidate& y) { return x.t < y.t; });
    std::vector<StartFound> starts;
    for (std::size_t i = 0; i < events.size();) {
        std::size_t end = i;
        std::set<std::size_t> boats;
        for (; end < events.size() && events[end].t - events[i].t <= kSameGunSeconds; ++end)
            boats.insert(events[end].boat);
        // The median: one timer synced late does not move the gun.
        const std::size_t n = end - i;
        const double median = n % 2 ? events[i + n / 2].t : (events[i + n / 2 - 1].t + events[i + n / 2].t) / 2;
        StartFound s;
        s.gun = std::round(median);
        s.boats = static_cast<int>(boats.size());
        starts.push_back(s);
        i = end;
    }
    return starts;
}

std::vector<StartFound> StartsFromFleet(const AnalysisRace& race, std::string& why_none)
{
    const LocalPlane plane =
        race.lines.empty() ? LocalPlane() : LocalPlane(race.lines.front().lat1, race.lines.front().lon1);
    std::vector<std::string> notes;
    const Course course = ReadCourse(race, plane, notes);
    if (!course.start || course.start->Length() <= 0) {
        why_none = "the race has no start line (a line LN and a course CRS beginning with S)";
        return {};
    }
    if (course.pre_start_sign == 0) {
        why_none = "which side of the start line the boats start from is unknown (no first mark, no wind)";
        return {};
    }
    const Segment& line = *course.start;
    const double sign = course.pre_start_sign;

    MotionLimits limits;
    limits.boat_length_m = race.boat_length_m;
    std::vector<Candidate> crossings;
    std::vector<std::pair<double, double>> logged;  // each racing boat's first and last fix
    for (std::size_t b = 0; b < race.boats.size(); ++b) {
        if (!race.boats[b].entered)
            continue;
        const BoatMotion m = CleanMotion(race.boats[b].fixes, plane, limits);
        if (m.t.size() < 2)
            continue;
        logged.emplace_back(m.t.front(), m.t.back());
        for (const Crossing& c : Crossings(m, line, m.t.front(), m.t.back(), true))
            if (c.to_left == (sign < 0) && Lingered(m, line, c.t) && !WentBack(m, line, sign, c.t))
                crossings.push_back({c.t, b});
    }
    std::sort(crossings.begin(), crossings.end(), [](const Candidate& x, const Candidate& y) { return x.t < y.t; });

    const auto boats_from = [&](std::size_t i) {
        std::set<std::size_t> boats;
        for (std::size_t j = i; j < crossings.size() && crossings[j].t <= crossings[i].t + kStartSpan; ++j)
            boats.insert(crossings[j].boat);
        return static_cast<int>(boats.size());
    };
    const auto racing_at = [&](double t) {
        return static_cast<int>(std::count_if(logged.begin(), logged.end(),
                                              [&](const auto& span) { return span.first <= t && t <= span.second; }));
    };
    std::vector<StartFound> starts;
    for (std::size_t i = 0; i < crossings.size();) {
        int boats = boats_from(i);
        if (boats < 2 || 2 * boats < racing_at(crossings[i].t)) {
            ++i;
            continue;
        }
        // A boat that crossed on its own ahead of the fleet does not set the gun.
        while (i + 1 < crossings.size() && crossings[i + 1].t <= crossings[i].t + kStartSpan &&
               boats_from(i + 1) >= boats) {
            ++i;
            boats = boats_from(i);
        }
        StartFound s;
        s.estimated = true;
        s.first_crossing = crossings[i].t;
        s.gun = std::floor(s.first_crossing / 60) * 60;
        s.boats = boats;
        s.fleet = racing_at(s.first_crossing);
        std::size_t end = i;
        while (end < crossings.size() && crossings[end].t <= s.first_crossing + kStartSpan)
            s.last_crossing = crossings[end++].t;
        starts.push_back(s);
        i = end;
    }
    return starts;
}

std::vector<StartFound> DropRecalledStarts(const std::vector<StartFound>& starts, std::vector<StartFound>& recalled)
{
    std::vector<StartFound> kept;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        if (k + 1 < starts.size() && starts[k + 1].gun - starts[k].gun < kShortestRaceSeconds)
            recalled.push_back(starts[k]);
        else
            kept.push_back(starts[k]);
    }
    return kept;
}

} // namespace tackedit::analysis
