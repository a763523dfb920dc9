#pragma once

// A boat's motion as the analysis sees it: the recorded fixes with the
// impossible ones set aside, same-second fixes combined, and speeds and
// courses from a smoothed series, so GPS noise neither draws lines across the
// race area nor inflates speeds and distances. The recorded file is never
// changed.

#include "analysis/plane.h"
#include "base/jump_speed.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tackedit::analysis {

// One fix as a track gives it: seconds since 1970 in UTC (fractions kept where
// the file has them), degrees.
struct RawFix {
    double t = 0;
    double lat = 0, lon = 0;
};

struct MotionLimits {
    // A step faster than this is a jump: the limit the check and the editor use.
    double max_speed_ms = kJumpKnots * kMetresPerSecondPerKnot;
    // Sailing boats do not gain or lose speed faster than this.
    double max_accel_ms2 = 5;
    // Longer than this without a fix is a gap: nothing drawn or worked out across it.
    double gap_seconds = 60;
    // The boat's length (LG), metres; 0 when unknown. Longer boats are allowed
    // no more than the limits above.
    double boat_length_m = 0;
};

struct BoatMotion {
    // The kept fixes, one per second at most, in time order.
    std::vector<double> t;
    std::vector<PlanePoint> p;
    // Smoothed speed over ground (m/s) and course (degrees true, 0 = north,
    // clockwise; NaN when the boat is not moving) at each kept fix.
    std::vector<double> speed_ms, course_deg;
    // The smoothed position at each kept fix, the track the distances follow.
    std::vector<PlanePoint> smooth;
    // Sailed distance from the first kept fix to each kept fix along the
    // smoothed track, metres (flat across a gap).
    std::vector<double> sailed_m;
    // i such that t[i + 1] - t[i] > the gap limit.
    std::vector<std::size_t> gaps;
    std::int32_t fixes_rejected = 0;  // set aside as jumps
    std::int32_t fixes_combined = 0;  // merged into a fix of the same second

    bool Empty() const { return t.empty(); }
    // Where the boat was at `time` on the smoothed track, between two kept
    // fixes; nullopt before the first, after the last and inside a gap.
    std::optional<PlanePoint> PositionAt(double time) const;
    // Smoothed speed at `time` (m/s); nullopt where PositionAt has none.
    std::optional<double> SpeedAt(double time) const;
    // Metres sailed from the first kept fix to `time`, clamped to the kept fixes.
    double SailedAt(double time) const;
    // Metres sailed between two times, each clamped to the kept fixes.
    double SailedBetween(double from, double to) const;
    // The best average speed over `window` seconds between two times (m/s):
    // "top speed" as sailors quote it (10 s).
    double BestAverageSpeed(double from, double to, double window = 10) const;
};

// The motion of one boat's fixes (in any order) on the plane.
BoatMotion CleanMotion(const std::vector<RawFix>& fixes, const LocalPlane& plane, const MotionLimits& limits = {});

} // namespace tackedit::analysis
