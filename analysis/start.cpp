#include "analysis/race_parts.h"

namespace tackedit::analysis {

bool AnalyseStart(const Course& course, const BoatMotion& m, double gun, BoatAnalysis& boat)
{
    StartFigures& s = boat.start;
    s.gun = gun;
    if (!course.start || course.pre_start_sign == 0)
        return false;
    const Segment& line = *course.start;
    const double sign = course.pre_start_sign;
    auto pre_start = [&](PlanePoint p) { return sign * Side(line, p); };

    if (const auto at_gun = m.PositionAt(gun)) {
        s.distance_to_line_m = pre_start(*at_gun);
        s.over_at_gun = *s.distance_to_line_m < 0;
        if (const auto v = m.SpeedAt(gun))
            s.speed_kn = *v / kMetresPerSecondPerKnot;
    }

    // After the gun: an early boat first goes back to the pre-start side
    // (round the ends or through the line), then every boat starts by
    // crossing from the pre-start side between the line's ends.
    bool must_return = s.over_at_gun;
    std::size_t i = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), gun) - m.t.begin());
    if (must_return) {
        // A boat that sails on to the first mark never went back: coming to
        // the pre-start side later (a finish below the line, the next race of
        // a day's log) is no return.
        const bool has_mark = course.points.size() > 1 && course.points[1].known && course.points[1].entry != "F";
        const CoursePoint* first_mark = has_mark ? &course.points[1] : nullptr;
        for (; i < m.t.size(); ++i) {
            if (first_mark && Distance(m.smooth[i], first_mark->where) <= kRoundingRange)
                break;
            if (pre_start(m.smooth[i]) > 0) {
                s.returned = true;
                break;
            }
        }
        if (!s.returned) {
            boat.status = BoatStatus::Ocs;
            boat.status_reason = "over the start line at the gun and never returned";
            return false;
        }
    }
    const double from = s.returned ? m.t[i] : gun;
    for (const Crossing& c : Crossings(m, line, from, m.t.empty() ? gun : m.t.back(), true)) {
        // Crossing to the pre-start side's opposite: to_left is the course side
        // when the pre-start side is on the right.
        if (c.to_left != (sign < 0))
            continue;
        s.crossed = c.t;
        s.late_s = c.t - gun;
        s.line_fraction = c.along;
        return true;
    }
    boat.status = BoatStatus::Dns;
    boat.status_reason = "never crossed the start line between its ends after the gun";
    return false;
}

} // namespace tackedit::analysis
