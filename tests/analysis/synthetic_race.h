#pragma once

// Boats sailing known paths at known speeds, logged with seeded GPS noise:
// races whose truth the analysis must find again.

#include "analysis/motion.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace tackedit::analysis::synthetic {

// Off Hayama; any place works, the plane is flat metres around it.
inline const LocalPlane kPlane(35.27, 139.57);

struct Leg {
    PlanePoint to;
    double speed_ms;
};

struct Path {
    double t0 = 0;  // when the boat is at `from`
    PlanePoint from;
    std::vector<Leg> legs;

    double End() const
    {
        double t = t0;
        PlanePoint at = from;
        for (const Leg& leg : legs) {
            t += std::hypot(leg.to.x - at.x, leg.to.y - at.y) / leg.speed_ms;
            at = leg.to;
        }
        return t;
    }
    // Where the boat is at t (held at its ends outside the path).
    PlanePoint At(double t) const
    {
        double clock = t0;
        PlanePoint at = from;
        for (const Leg& leg : legs) {
            const double len = std::hypot(leg.to.x - at.x, leg.to.y - at.y), dur = len / leg.speed_ms;
            if (t <= clock + dur) {
                const double f = std::max(0.0, (t - clock) / dur);
                return {at.x + (leg.to.x - at.x) * f, at.y + (leg.to.y - at.y) * f};
            }
            clock += dur;
            at = leg.to;
        }
        return at;
    }
    // When it reaches the end of leg `i` (0-based).
    double Reaches(std::size_t i) const
    {
        double t = t0;
        PlanePoint at = from;
        for (std::size_t k = 0; k <= i; ++k) {
            t += std::hypot(legs[k].to.x - at.x, legs[k].to.y - at.y) / legs[k].speed_ms;
            at = legs[k].to;
        }
        return t;
    }
    double Length() const
    {
        double len = 0;
        PlanePoint at = from;
        for (const Leg& leg : legs) {
            len += std::hypot(leg.to.x - at.x, leg.to.y - at.y);
            at = leg.to;
        }
        return len;
    }
};

// When the path first crosses the line y = `y` after `after` (to 0.01 s).
inline double CrossesY(const Path& path, double y, double after)
{
    for (double t = after; t < path.End(); t += 0.01)
        if ((path.At(t).y - y) * (path.At(t + 0.01).y - y) <= 0 && path.At(t).y != path.At(t + 0.01).y)
            return t + 0.005;
    return -1;
}

// When the path comes closest to p between two times (to 0.1 s).
inline double ClosestTo(const Path& path, PlanePoint p, double from, double to)
{
    double best = from, dist = 1e18;
    for (double t = from; t <= to; t += 0.1) {
        const PlanePoint a = path.At(t);
        const double d = std::hypot(a.x - p.x, a.y - p.y);
        if (d < dist) {
            dist = d;
            best = t;
        }
    }
    return best;
}

struct Logging {
    double from = 0, to = 0;
    double hz = 1;
    double noise_m = 1.5;  // standard deviation, each axis
    bool whole_seconds = false;  // the reader drops the fractions
    unsigned seed = 1;
};

inline std::vector<RawFix> Log(const Path& path, const Logging& log)
{
    std::mt19937 random(log.seed);
    std::normal_distribution<double> noise(0, log.noise_m);
    std::vector<RawFix> fixes;
    const auto steps = static_cast<long>(std::floor((log.to - log.from) * log.hz + 1e-9));
    for (long i = 0; i <= steps; ++i) {
        const double t = log.from + i / log.hz;
        PlanePoint p = path.At(t);
        p.x += noise(random);
        p.y += noise(random);
        fixes.push_back({log.whole_seconds ? std::floor(t + 1e-9) : t, kPlane.Latitude(p), kPlane.Longitude(p)});
    }
    return fixes;
}

// The first fix at time t moved `metres` east and `north` metres north (a logger's jump).
inline void Jump(std::vector<RawFix>& fixes, double t, double metres, double north = 0)
{
    for (RawFix& f : fixes)
        if (std::abs(f.t - t) < 1e-6) {
            PlanePoint p = kPlane(f.lat, f.lon);
            p.x += metres;
            p.y += north;
            f.lat = kPlane.Latitude(p);
            f.lon = kPlane.Longitude(p);
            return;
        }
}

} // namespace tackedit::analysis::synthetic
