#include "analysis/race_parts.h"

#include <limits>

namespace tackedit::analysis {

namespace {

// Candidates this close in time are one passing.
constexpr double kSamePassing = 30;

struct Candidate {
    double t = 0;         // closest approach
    double distance = 0;  // at that time
};

// The boat's closest approach to `mark` on the smoothed track within [from, to]
// (on the segments, not only at fixes).
Candidate ClosestApproach(const BoatMotion& m, PlanePoint mark, double from, double to)
{
    Candidate best{from, std::numeric_limits<double>::infinity()};
    std::size_t i = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), from) - m.t.begin());
    i = i > 0 ? i - 1 : 0;
    for (; i < m.t.size() && m.t[i] <= to; ++i) {
        auto consider = [&](double t, PlanePoint p) {
            const double d = Distance(p, mark);
            if (t >= from && t <= to && d < best.distance)
                best = {t, d};
        };
        consider(m.t[i], m.smooth[i]);
        if (i + 1 < m.t.size() && !std::binary_search(m.gaps.begin(), m.gaps.end(), i)) {
            const Segment seg{m.smooth[i], m.smooth[i + 1]};
            const double f = std::clamp(Along(seg, mark), 0.0, 1.0);
            consider(m.t[i] + (m.t[i + 1] - m.t[i]) * f,
                     {m.smooth[i].x + (m.smooth[i + 1].x - m.smooth[i].x) * f, m.smooth[i].y + (m.smooth[i + 1].y - m.smooth[i].y) * f});
        }
    }
    return best;
}

// Every passing of the course's k-th point (a mark) after `from`: local minima
// of the distance within range, and crossings of its bisecting line near it.
std::vector<Candidate> MarkCandidates(const Course& course, std::size_t k, const BoatMotion& m, double from)
{
    const PlanePoint mark = course.points[k].where;
    std::vector<double> times;
    const std::size_t first = static_cast<std::size_t>(std::lower_bound(m.t.begin(), m.t.end(), from) - m.t.begin());
    for (std::size_t i = std::max<std::size_t>(first, 1); i + 1 < m.t.size(); ++i) {
        auto squared = [&](std::size_t k) {
            const PlanePoint d = Minus(m.smooth[k], mark);
            return Dot(d, d);
        };
        const double d = squared(i);
        if (d <= kRoundingRange * kRoundingRange && d <= squared(i - 1) && d < squared(i + 1))
            times.push_back(m.t[i]);
    }
    const PlanePoint to_prev = Unit(Minus(course.points[k - 1].where, mark));
    // The last mark of a course without F has no next leg: the line then
    // stands square to the leg that comes in.
    const PlanePoint to_next =
        k + 1 < course.points.size() ? Unit(Minus(course.points[k + 1].where, mark)) : PlanePoint{-to_prev.x, -to_prev.y};
    PlanePoint bisector{to_prev.x + to_next.x, to_prev.y + to_next.y};
    if (std::hypot(bisector.x, bisector.y) < 1e-6)  // the course runs straight through
        bisector = {-to_prev.y, to_prev.x};
    const PlanePoint dir = Unit(bisector);
    const Segment line{{mark.x - dir.x * kRoundingRange, mark.y - dir.y * kRoundingRange},
                       {mark.x + dir.x * kRoundingRange, mark.y + dir.y * kRoundingRange}};
    for (const Crossing& c : Crossings(m, line, from, m.t.empty() ? from : m.t.back(), true))
        times.push_back(c.t);
    std::sort(times.begin(), times.end());

    std::vector<Candidate> out;
    for (double t : times) {
        if (!out.empty() && t - out.back().t <= kSamePassing)
            continue;
        out.push_back(ClosestApproach(m, mark, std::max(from, t - kSamePassing), t + kSamePassing));
    }
    return out;
}

std::string Named(const CoursePoint& p) { return p.entry == "F" ? "the finish" : "mark " + p.entry; }

} // namespace

void AnalyseCourse(const Course& course, const BoatMotion& m, BoatAnalysis& boat)
{
    if (!boat.start.crossed || course.points.size() < 2)
        return;
    const std::size_t last = course.points.size() - 1;
    // One past the last mark: the finish, or the end of a course without F.
    const std::size_t marks_end = course.points.back().entry == "F" ? last : last + 1;
    const double end = m.t.back();
    auto finishes_after = [&](double from) -> std::optional<double> {
        if (!course.finish)
            return std::nullopt;
        const auto crossings = Crossings(m, *course.finish, from, end, true);
        return crossings.empty() ? std::nullopt : std::optional<double>(crossings.front().t);
    };

    double cursor = *boat.start.crossed;
    for (std::size_t k = 1; k < marks_end; ++k) {
        const CoursePoint& point = course.points[k];
        if (!point.known)
            return;  // noted once for the race; nothing after it can be checked
        const std::vector<Candidate> candidates = MarkCandidates(course, k, m, cursor);
        if (candidates.empty()) {
            // Skipped, or never got there: a boat that sailed on and finished
            // (or passed a later mark) missed this one.
            bool sailed_on = finishes_after(cursor).has_value();
            for (std::size_t later = k + 1; later < marks_end && !sailed_on; ++later)
                sailed_on = course.points[later].known &&
                            !MarkCandidates(course, later, m, cursor + kSamePassing).empty();
            boat.status = sailed_on ? BoatStatus::Nsc : BoatStatus::Dnf;
            boat.status_reason = sailed_on ? "did not round " + Named(point)
                                           : "the track ends before " + Named(point);
            return;
        }
        // The passing that counts: the closest of this mark's passings before
        // the boat first reaches the next point of the course.
        double next_reached = end;
        if (k + 1 < marks_end && course.points[k + 1].known) {
            for (const Candidate& c : MarkCandidates(course, k + 1, m, candidates.front().t + kSamePassing))
                if (c.t > candidates.front().t + kSamePassing) {
                    next_reached = c.t;
                    break;
                }
        } else if (k + 1 == last && marks_end == last) {
            next_reached = finishes_after(candidates.front().t).value_or(end);
        }
        Candidate chosen = candidates.front();
        for (const Candidate& c : candidates)
            if (c.t < next_reached && c.distance < chosen.distance)
                chosen = c;
        boat.roundings.push_back({point.entry, chosen.t, 0});
        cursor = chosen.t;
    }
    if (!course.scorable)
        return;
    if (const auto finish = finishes_after(cursor)) {
        boat.status = BoatStatus::Finished;
        boat.status_reason.clear();
        boat.finish_at = *finish;
        boat.elapsed_s = *finish - boat.start.gun;
        return;
    }
    boat.status = BoatStatus::Dnf;
    boat.status_reason = last > 1 ? "did not cross the finish line after " + Named(course.points[last - 1])
                                  : "did not cross the finish line";
}

} // namespace tackedit::analysis
