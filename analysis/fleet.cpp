#include "analysis/race_parts.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tackedit::analysis {

std::vector<LiveBoat> FleetAt(const RaceAnalysis& analysis, const AnalysisRace& race, double t)
{
    std::vector<std::string> notes;  // already in the analysis
    const Course course = ReadCourse(race, analysis.plane, notes);
    const std::size_t points = course.points.size();
    // Course length still to sail from each point to the last.
    std::vector<double> rest(points, 0);
    for (std::size_t k = points; k-- > 1;)
        rest[k - 1] = rest[k] + Distance(course.points[k - 1].where, course.points[k].where);

    const std::size_t n = analysis.boats.size();
    std::vector<LiveBoat> fleet(n);
    std::vector<bool> finished(n, false);
    for (std::size_t i = 0; i < n && i < race.boats.size(); ++i) {
        const BoatAnalysis& b = analysis.boats[i];
        LiveBoat& live = fleet[i];
        if (const auto v = b.motion.SpeedAt(t))
            live.speed_kn = *v / kMetresPerSecondPerKnot;
        if (!race.boats[i].entered || !b.start.crossed || t < *b.start.crossed)
            continue;
        if (b.finish_at && t >= *b.finish_at) {
            finished[i] = true;
            live.leg = static_cast<int>(points) - 1;
            live.rank = 0;  // ordered below
            continue;
        }
        std::size_t leg = 1;
        for (const Rounding& r : b.roundings)
            leg += r.at <= t;
        const auto at = b.motion.PositionAt(t);
        live.leg = static_cast<int>(leg);
        // Not racing: in a gap, after its last fix, or bound for a point we
        // cannot place.
        if (!at || leg >= points || !course.points[leg].known || !course.points[leg - 1].known)
            continue;
        const PlanePoint axis = Unit(Minus(course.points[leg].where, course.points[leg - 1].where));
        live.to_go_m = std::max(0.0, Dot(Minus(course.points[leg].where, *at), axis)) + rest[leg];
        const std::size_t fix = static_cast<std::size_t>(
            std::lower_bound(b.motion.t.begin(), b.motion.t.end(), t) - b.motion.t.begin());
        const double c = fix < b.motion.t.size() ? b.motion.course_deg[fix] : std::nan("");
        if (!std::isnan(c))
            live.vmg_kn = live.speed_kn * (std::sin(c * kPi / 180) * axis.x + std::cos(c * kPi / 180) * axis.y);
        live.rank = 0;
    }

    // Ranks within a class (or the fleet): finished boats first in finishing
    // order, then by distance still to sail. Sorted once per class: the
    // replay asks for the fleet at every sample of a long race.
    std::map<std::string, std::vector<std::size_t>> classes;
    for (std::size_t i = 0; i < n; ++i)
        if (fleet[i].rank)
            classes[race.boats[i].boat_class].push_back(i);
    const auto key = [&](std::size_t i) {
        return finished[i] ? std::pair{0, *analysis.boats[i].elapsed_s} : std::pair{1, fleet[i].to_go_m};
    };
    for (auto& [name, members] : classes) {
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
        double leader = fleet[members.front()].to_go_m;
        for (const std::size_t i : members)
            leader = std::min(leader, fleet[i].to_go_m);
        for (std::size_t j = 0; j < members.size(); ++j) {
            const std::size_t i = members[j];
            // Equal places share a rank.
            const bool tie = j > 0 && key(members[j - 1]) == key(i);
            fleet[i].rank = tie ? *fleet[members[j - 1]].rank : static_cast<int>(j + 1);
            fleet[i].behind_m = fleet[i].to_go_m - leader;
        }
    }
    return fleet;
}

} // namespace tackedit::analysis
