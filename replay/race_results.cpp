#include "replay/race_results.h"

#include "race/course.h"
#include "base/datetime.h"

#include <algorithm>
#include <cmath>

#include <cstdio>

namespace tackedit {

namespace {

constexpr double kMetresPerDegree = 111120;  // 60 nautical miles
constexpr double kAwayMetres = 100;

struct Point {
    double x = 0, y = 0;
};

// Flat metres around the finish line's middle: the race area is small.
struct Plane {
    explicit Plane(const ReplayLine& line)
        : lat0((line.lat1 + line.lat2) / 2), lon0((line.lon1 + line.lon2) / 2),
          cos0(std::cos(lat0 * 3.14159265358979323846 / 180))
    {
    }
    Point operator()(double lat, double lon) const
    {
        return {(lon - lon0) * cos0 * kMetresPerDegree, (lat - lat0) * kMetresPerDegree};
    }
    Point Fix(const ReplayBoat& b, std::size_t i) const { return (*this)(b.lat[i] / 1e6, b.lon[i] / 1e6); }
    double lat0, lon0, cos0;
};

double Cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

int Sign(double v) { return (v > 0) - (v < 0); }

double DistanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double u = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    u = std::clamp(u, 0.0, 1.0);
    return std::hypot(p.x - (a.x + u * dx), p.y - (a.y + u * dy));
}

// Where along p→q the segment a–b is met (touching counts); nullopt when it is not.
std::optional<double> Meets(Point p, Point q, Point a, Point b)
{
    const int d1 = Sign(Cross(a, b, p)), d2 = Sign(Cross(a, b, q));
    const int d3 = Sign(Cross(p, q, a)), d4 = Sign(Cross(p, q, b));
    if (d1 * d2 > 0 || d3 * d4 > 0)
        return std::nullopt;
    const double denom = (q.x - p.x) * (b.y - a.y) - (q.y - p.y) * (b.x - a.x);
    if (denom == 0)
        return d1 == 0 ? std::optional<double>(0.0) : std::nullopt;  // along the line: met at its start
    return ((a.x - p.x) * (b.y - a.y) - (a.y - p.y) * (b.x - a.x)) / denom;
}

double Tenths(double v) { return std::round(v * 10) / 10; }

// The boat's position at a time between its first and last fix.
std::optional<Point> PositionAt(const ReplayBoat& b, const Plane& plane, double t)
{
    if (b.time.empty() || t < static_cast<double>(b.time.front()) || t > static_cast<double>(b.time.back()))
        return std::nullopt;
    const auto it = std::upper_bound(b.time.begin(), b.time.end(), static_cast<std::int64_t>(std::floor(t)));
    const std::size_t j = static_cast<std::size_t>(it - b.time.begin());
    if (j == 0)
        return plane.Fix(b, 0);
    if (j >= b.time.size())
        return plane.Fix(b, b.time.size() - 1);
    const Point p = plane.Fix(b, j - 1), q = plane.Fix(b, j);
    const double u = (t - static_cast<double>(b.time[j - 1])) / static_cast<double>(b.time[j] - b.time[j - 1]);
    return Point{p.x + u * (q.x - p.x), p.y + u * (q.y - p.y)};
}

} // namespace

std::optional<double> FinishCrossing(const ReplayBoat& boat, const ReplayLine& finish, std::int64_t own_start)
{
    const Plane plane(finish);
    const Point a = plane(finish.lat1, finish.lon1), b = plane(finish.lat2, finish.lon2);
    bool away = false;
    for (std::size_t i = 0; i < boat.time.size(); ++i) {
        const Point q = plane.Fix(boat, i);
        if (i > 0 && boat.time[i] > own_start && away) {
            if (const auto u = Meets(plane.Fix(boat, i - 1), q, a, b)) {
                const double t0 = static_cast<double>(boat.time[i - 1]);
                const double tc = t0 + *u * (static_cast<double>(boat.time[i]) - t0);
                if (tc >= static_cast<double>(own_start))
                    return tc;
            }
        }
        if (boat.time[i] >= own_start && DistanceToSegment(q, a, b) >= kAwayMetres)
            away = true;
    }
    return std::nullopt;
}

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

std::optional<std::vector<RaceResult>> ComputeResults(const ReplayRace& race)
{
    if (WhyNoResults(race))
        return std::nullopt;
    const ReplayLine& finish = race.lines.back();
    const ReplayLine& start_line = race.lines.front();
    const Plane plane(finish);
    const Point sa = plane(start_line.lat1, start_line.lon1), sb = plane(start_line.lat2, start_line.lon2);
    // The course side of the start line: where the course's first mark lies.
    int course_side = 0;
    for (const std::string& entry : race.course) {
        const CourseEntry named = ReadCourseEntry(entry, MarkCount(race), LineCount(race));
        if (named.kind != CourseEntry::Mark)
            continue;
        // A mark left out as lying near no track has no place to tell a side by.
        const auto mark = std::find_if(race.marks.begin(), race.marks.end(), [&](const ReplayMark& m) {
            return m.label == std::to_string(named.mark);
        });
        if (mark != race.marks.end()) {
            course_side = Sign(Cross(sa, sb, plane(mark->lat, mark->lon)));
            break;
        }
    }
    std::vector<RaceResult> ok, ocs, dnf;
    for (const ReplayBoat& boat : race.boats) {
        if (!boat.entered)
            continue;
        RaceResult r;
        r.name = boat.name;
        const std::int64_t own_start = race.start + boat.start_offset;
        if (const auto tc = FinishCrossing(boat, finish, own_start)) {
            r.finish = static_cast<std::int64_t>(std::llround(*tc));
            const double elapsed = *tc - static_cast<double>(own_start);
            r.elapsed = Tenths(elapsed);
            r.corrected = Tenths(elapsed * (boat.tcf == 0 ? 1 : boat.tcf));
        }
        const auto at_start = PositionAt(boat, plane, static_cast<double>(own_start));
        if (course_side != 0 && at_start && Sign(Cross(sa, sb, *at_start)) == course_side) {
            r.status = "OCS";
            ocs.push_back(r);
        } else if (!r.finish) {
            r.status = "DNF";
            dnf.push_back(r);
        } else {
            r.status = "OK";
            ok.push_back(r);
        }
    }
    std::stable_sort(ok.begin(), ok.end(), [](const RaceResult& a, const RaceResult& b) { return *a.corrected < *b.corrected; });
    for (std::size_t i = 0; i < ok.size(); ++i)
        ok[i].rank = i > 0 && *ok[i].corrected == *ok[i - 1].corrected ? *ok[i - 1].rank : static_cast<int>(i + 1);
    ok.insert(ok.end(), ocs.begin(), ocs.end());
    ok.insert(ok.end(), dnf.begin(), dnf.end());
    return ok;
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
