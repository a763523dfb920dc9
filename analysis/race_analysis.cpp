#include "analysis/race_parts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

namespace tackedit::analysis {

const char* StatusCode(BoatStatus status)
{
    switch (status) {
    case BoatStatus::Finished: return "finished";
    case BoatStatus::Ocs: return "ocs";
    case BoatStatus::Nsc: return "nsc";
    case BoatStatus::Dnf: return "dnf";
    case BoatStatus::Dns: return "dns";
    case BoatStatus::Unscored: return "unscored";
    }
    return "dns";
}

std::optional<double> WindAt(const AnalysisRace& race, double t)
{
    const WindSample* before = nullptr;
    const WindSample* after = nullptr;
    for (const WindSample& w : race.wind) {
        if (w.t <= t && (!before || w.t > before->t))
            before = &w;
        if (w.t >= t && (!after || w.t < after->t))
            after = &w;
    }
    if (!before || !after)
        return race.wind_from_deg;
    if (after->t == before->t)
        return before->from_deg;
    // The short way round between the two samples.
    const double turn = std::remainder(after->from_deg - before->from_deg, 360.0);
    const double from = before->from_deg + turn * (t - before->t) / (after->t - before->t);
    return from < 0 ? from + 360 : std::fmod(from, 360.0);
}

Course ReadCourse(const AnalysisRace& race, const LocalPlane& plane, std::vector<std::string>& notes)
{
    Course c;
    auto unscored = [&](const std::string& why) {
        notes.push_back(why);
        if (c.unscored_reason.empty())
            c.unscored_reason = why;
    };
    auto segment = [&](const CourseLine& l) { return Segment{plane(l.lat1, l.lon1), plane(l.lat2, l.lon2)}; };
    if (race.course.empty())
        unscored("the race has no course (CRS): no roundings, finishes or ranks");
    if (race.lines.empty())
        unscored("the race has no lines (LN): no start figures, finishes or ranks");
    if (!race.course.empty() && race.course.front() != "S")
        unscored("the course does not begin with S: no start figures, finishes or ranks");
    if (!race.course.empty() && race.course.back() != "F")
        unscored("the course does not end with F: no finishes or ranks");
    if (!race.lines.empty()) {
        if (!race.course.empty() && race.course.front() == "S")
            c.start = segment(race.lines.front());
        if (!race.course.empty() && race.course.back() == "F" && race.course.size() > 1)
            c.finish = segment(race.lines.back());
    }
    for (std::size_t k = 0; k < race.course.size(); ++k) {
        const std::string& entry = race.course[k];
        CoursePoint point{entry, false, {}};
        if (entry == "S" && k == 0 && c.start) {
            point = {entry, true, c.start->Middle()};
        } else if (entry == "F" && k + 1 == race.course.size() && c.finish) {
            point = {entry, true, c.finish->Middle()};
        } else if (entry != "S" && entry != "F") {
            int number = 0;
            const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), number);
            if (error == std::errc() && end == entry.data() + entry.size() && number >= 1 &&
                static_cast<std::size_t>(number) <= race.marks.size() && race.marks[number - 1]) {
                const auto [lat, lon] = *race.marks[number - 1];
                point = {entry, true, plane(lat, lon)};
            } else {
                unscored("the course names mark " + entry +
                         ", which the race does not have: no roundings from there on, no finishes or ranks");
            }
        } else if ((entry == "S" && k == 0) || (entry == "F" && k + 1 == race.course.size())) {
            unscored(std::string("the course's ") + entry + " names no " + (entry == "S" ? "start" : "finish") +
                     " line: no finishes or ranks");
        } else {
            unscored("the course has " + entry + " in the middle: no finishes or ranks");
        }
        c.points.push_back(point);
    }
    // The pre-start side is the one away from the first mark (or, with none,
    // downwind of the line).
    if (c.start && c.start->Length() > 0) {
        std::optional<PlanePoint> ahead;
        if (c.points.size() > 1 && c.points[1].known && c.points[1].entry != "F")
            ahead = c.points[1].where;
        else if (const auto wind = WindAt(race, race.gun)) {
            const PlanePoint up = Upwind(*wind);
            ahead = PlanePoint{c.start->Middle().x + up.x * 100, c.start->Middle().y + up.y * 100};
        }
        const double side = ahead ? Side(*c.start, *ahead) : 0;
        if (side != 0)
            c.pre_start_sign = side > 0 ? -1 : 1;
        else
            unscored("which side of the start line is the pre-start side is unknown (no first mark, no wind): "
                     "no start figures, finishes or ranks");
    }
    c.scorable = c.unscored_reason.empty();
    return c;
}

namespace {

LocalPlane PlaneFor(const AnalysisRace& race)
{
    for (const auto& mark : race.marks)
        if (mark)
            return LocalPlane(mark->first, mark->second);
    if (!race.lines.empty())
        return LocalPlane(race.lines.front().lat1, race.lines.front().lon1);
    for (const AnalysisBoat& b : race.boats)
        if (!b.fixes.empty())
            return LocalPlane(b.fixes.front().lat, b.fixes.front().lon);
    return {};
}

// 1 + how many of the group did better; nullopt for a boat without a value.
std::vector<std::optional<int>> Ranks(const std::vector<std::optional<double>>& value,
                                      const std::vector<std::string>& group)
{
    std::vector<std::optional<int>> rank(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!value[i])
            continue;
        int better = 0;
        for (std::size_t j = 0; j < value.size(); ++j)
            if (value[j] && group[j] == group[i] && *value[j] < *value[i])
                ++better;
        rank[i] = 1 + better;
    }
    return rank;
}

} // namespace

namespace {

// The wind of the leg's middle serves the whole leg: a shift of a few degrees
// moves no boat onto the other side but one sailing dead downwind.
void TimeOnEachSide(const BoatMotion& m, double from, double to, double wind_from, LegFigures& leg)
{
    double starboard = 0, port = 0;
    const auto first = std::lower_bound(m.t.begin(), m.t.end(), from) - m.t.begin();
    for (auto i = static_cast<std::size_t>(first); i + 1 < m.t.size() && m.t[i] < to; ++i) {
        const double dt = std::min(m.t[i + 1], to) - m.t[i];
        if (m.t[i + 1] - m.t[i] > 60 || std::isnan(m.course_deg[i]))
            continue;  // a gap, or not moving
        const double angle = std::remainder(m.course_deg[i] - wind_from, 360.0);
        (angle > 0 ? port : starboard) += angle == 0 ? 0 : dt;
    }
    leg.starboard_s = starboard;
    leg.port_s = port;
}

} // namespace

RaceAnalysis AnalyseRace(const AnalysisRace& race)
{
    RaceAnalysis r;
    r.plane = PlaneFor(race);
    const Course course = ReadCourse(race, r.plane, r.notes);
    const std::optional<double> wind = WindAt(race, race.gun);
    if (!wind)
        r.notes.push_back("no wind (WD or a wind file): no line bias, no distances along the wind, "
                          "no tacks or gybes, VMG along the legs' own axes");
    if (course.start && wind && course.start->Length() > 0)
        r.line_bias_deg = std::asin(std::clamp(Dot(Minus(course.start->b, course.start->a), Upwind(*wind)) /
                                                   course.start->Length(), -1.0, 1.0)) * 180 / kPi;

    MotionLimits limits;
    limits.boat_length_m = race.boat_length_m;
    for (const AnalysisBoat& entry : race.boats) {
        BoatAnalysis& b = r.boats.emplace_back();
        b.motion = CleanMotion(entry.fixes, r.plane, limits);
        const double gun = race.gun + entry.start_offset_s;
        b.start.gun = gun;
        if (b.motion.Empty() || b.motion.t.back() < gun) {
            b.status = BoatStatus::Dns;
            b.status_reason = "no fixes after its gun";
            continue;
        }
        b.status = BoatStatus::Unscored;
        b.status_reason = course.unscored_reason;
        if (AnalyseStart(course, b.motion, gun, b))
            AnalyseCourse(course, b.motion, b);
        if (b.status == BoatStatus::Finished)
            b.corrected_s = *b.elapsed_s * (entry.tcf > 0 ? entry.tcf : 1);
        if (!entry.entered) {
            b.status = BoatStatus::Unscored;
            b.status_reason = "not entered";
        }
        const double from = b.start.crossed.value_or(gun);
        const double to = b.finish_at.value_or(b.motion.t.back());
        b.sailed_m = b.motion.SailedBetween(from, to);
        b.max_speed_kn = b.motion.BestAverageSpeed(from, to) / kMetresPerSecondPerKnot;
        b.manoeuvres = FindManoeuvres(race, b.motion, from, to);
        for (const Manoeuvre& man : b.manoeuvres)
            (man.tack ? b.tacks : b.gybes) += 1;
    }

    // Ranks among the entered boats of one class (or of the fleet).
    bool classes = false;
    for (const AnalysisBoat& b : race.boats)
        classes = classes || !b.boat_class.empty();
    const std::size_t n = r.boats.size();
    std::vector<std::string> group(n);
    for (std::size_t i = 0; i < n; ++i)
        group[i] = !race.boats[i].entered ? "\n" : classes ? race.boats[i].boat_class : "";
    auto scored = [&](std::size_t i) { return race.boats[i].entered; };

    std::vector<std::optional<double>> corrected(n), finish_elapsed(n), start_late(n);
    for (std::size_t i = 0; i < n; ++i)
        if (scored(i)) {
            if (r.boats[i].status == BoatStatus::Finished) {
                corrected[i] = r.boats[i].corrected_s;
                finish_elapsed[i] = r.boats[i].elapsed_s;
            }
            start_late[i] = r.boats[i].start.late_s;
        }
    const auto finish_rank = Ranks(corrected, group);
    for (std::size_t i = 0; i < n; ++i)
        r.boats[i].rank = finish_rank[i];

    // Elapsed from its own gun at each point of the course; the start is
    // point 0, the finish the last.
    const std::size_t points = course.points.size();
    std::vector<std::vector<std::optional<double>>> elapsed_at(points, std::vector<std::optional<double>>(n));
    for (std::size_t i = 0; i < n && points > 0; ++i) {
        if (!scored(i))
            continue;
        const BoatAnalysis& b = r.boats[i];
        elapsed_at[0][i] = start_late[i];
        for (std::size_t k = 0; k < b.roundings.size(); ++k)
            elapsed_at[k + 1][i] = b.roundings[k].at - b.start.gun;
        if (points > 1 && course.points.back().entry == "F")
            elapsed_at[points - 1][i] = finish_elapsed[i];
    }
    std::vector<std::vector<std::optional<int>>> rank_at(points);
    for (std::size_t k = 0; k < points; ++k)
        rank_at[k] = Ranks(elapsed_at[k], group);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < r.boats[i].roundings.size(); ++k)
            r.boats[i].roundings[k].rank = rank_at[k + 1][i].value_or(0);

    // Legs: from one point of the course to the next, where the boat reached both.
    for (std::size_t i = 0; i < n; ++i) {
        BoatAnalysis& b = r.boats[i];
        auto time_at = [&](std::size_t k) -> std::optional<double> {
            if (k == 0)
                return b.start.crossed;
            if (k + 1 == points && course.points[k].entry == "F")
                return b.finish_at;
            return k - 1 < b.roundings.size() ? std::optional<double>(b.roundings[k - 1].at) : std::nullopt;
        };
        for (std::size_t k = 0; k + 1 < points; ++k) {
            const auto t0 = time_at(k), t1 = time_at(k + 1);
            if (!t0 || !t1 || *t1 <= *t0)
                break;
            LegFigures leg;
            leg.from = course.points[k].entry;
            leg.to = course.points[k + 1].entry;
            leg.elapsed_s = *t1 - *t0;
            leg.sailed_m = b.motion.SailedBetween(*t0, *t1);
            leg.avg_speed_kn = leg.sailed_m / leg.elapsed_s / kMetresPerSecondPerKnot;
            for (const Manoeuvre& man : b.manoeuvres)
                if (man.at > *t0 && man.at <= *t1)
                    (man.tack ? leg.tacks : leg.gybes) += 1;
            if (const auto w = WindAt(race, (*t0 + *t1) / 2))
                TimeOnEachSide(b.motion, *t0, *t1, *w, leg);
            // Toward the next point; on a beat or a run, along the wind.
            PlanePoint axis = Unit(Minus(course.points[k + 1].where, course.points[k].where));
            if (const auto w = WindAt(race, *t0)) {
                const PlanePoint up = Upwind(*w);
                const double along = Dot(axis, up);
                if (std::abs(along) >= std::cos(45 * kPi / 180))
                    axis = along > 0 ? up : PlanePoint{-up.x, -up.y};
            }
            const auto p0 = b.motion.PositionAt(*t0), p1 = b.motion.PositionAt(*t1);
            const PlanePoint made = p0 && p1 ? Minus(*p1, *p0) : Minus(course.points[k + 1].where, course.points[k].where);
            leg.vmg_kn = Dot(made, axis) / leg.elapsed_s / kMetresPerSecondPerKnot;
            if (rank_at[k][i] && rank_at[k + 1][i])
                leg.places_gained = *rank_at[k][i] - *rank_at[k + 1][i];
            if (elapsed_at[k + 1][i]) {
                double leader = *elapsed_at[k + 1][i];
                for (std::size_t j = 0; j < n; ++j)
                    if (elapsed_at[k + 1][j] && group[j] == group[i])
                        leader = std::min(leader, *elapsed_at[k + 1][j]);
                leg.behind_s = *elapsed_at[k + 1][i] - leader;
            }
            b.legs.push_back(leg);
        }
    }

    // Behind the leader along the wind, among the boats sharing a gun.
    for (double after : {0.0, 60.0}) {
        std::map<double, double> leader;  // gun -> most upwind progress
        std::vector<std::optional<double>> progress(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double t = r.boats[i].start.gun + after;
            const auto w = WindAt(race, t);
            const auto p = r.boats[i].motion.PositionAt(t);
            if (!w || !p || !scored(i))
                continue;
            progress[i] = Dot(*p, Upwind(*w));
            auto [it, fresh] = leader.emplace(r.boats[i].start.gun, *progress[i]);
            if (!fresh)
                it->second = std::max(it->second, *progress[i]);
        }
        for (std::size_t i = 0; i < n; ++i)
            if (progress[i])
                (after == 0 ? r.boats[i].start.behind_at_gun_m : r.boats[i].start.behind_after_minute_m) =
                    leader[r.boats[i].start.gun] - *progress[i];
    }
    return r;
}

} // namespace tackedit::analysis
