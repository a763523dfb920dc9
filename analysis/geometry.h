#pragma once

// Flat geometry the analysis shares: lines, sides, crossings between kept
// fixes. Internal to the analysis library.

#include "analysis/motion.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace tackedit::analysis {

inline constexpr double kPi = 3.14159265358979323846;

struct Segment {
    PlanePoint a, b;  // the first and second end
    PlanePoint Middle() const { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
    double Length() const { return std::hypot(b.x - a.x, b.y - a.y); }
};

inline double Dot(PlanePoint u, PlanePoint v) { return u.x * v.x + u.y * v.y; }
inline PlanePoint Minus(PlanePoint u, PlanePoint v) { return {u.x - v.x, u.y - v.y}; }
inline double Distance(PlanePoint u, PlanePoint v) { return std::hypot(u.x - v.x, u.y - v.y); }
inline PlanePoint Unit(PlanePoint v)
{
    const double len = std::hypot(v.x, v.y);
    return len > 0 ? PlanePoint{v.x / len, v.y / len} : PlanePoint{0, 0};
}
// The unit vector pointing to where the wind comes from.
inline PlanePoint Upwind(double from_deg)
{
    return {std::sin(from_deg * kPi / 180), std::cos(from_deg * kPi / 180)};
}

// Signed distance from the line through the segment: + on its left seen from a to b.
inline double Side(const Segment& s, PlanePoint p)
{
    const double len = s.Length();
    if (len <= 0)
        return 0;
    return ((s.b.x - s.a.x) * (p.y - s.a.y) - (s.b.y - s.a.y) * (p.x - s.a.x)) / len;
}

// Where along the segment (0 at a, 1 at b) the foot of p falls.
inline double Along(const Segment& s, PlanePoint p)
{
    const PlanePoint d = Minus(s.b, s.a);
    const double len2 = Dot(d, d);
    return len2 > 0 ? Dot(Minus(p, s.a), d) / len2 : 0;
}

struct Crossing {
    double t = 0;
    double along = 0;      // where on the line, 0 at its first end, 1 at its second
    bool to_left = false;  // from its right side to its left
};

// Every crossing of the line through `line` by the boat's smoothed track between
// two times, never across a gap. `ends` limits them to crossings between the
// line's ends; otherwise `reach` metres either way of its middle count.
inline std::vector<Crossing> Crossings(const BoatMotion& m, const Segment& line, double from, double to,
                                       bool ends, double reach = 0)
{
    std::vector<Crossing> out;
    if (m.t.size() < 2 || line.Length() <= 0)
        return out;
    // Side() without its square root at every fix.
    const double len = line.Length();
    const PlanePoint normal{-(line.b.y - line.a.y) / len, (line.b.x - line.a.x) / len};
    auto side = [&](PlanePoint p) { return normal.x * (p.x - line.a.x) + normal.y * (p.y - line.a.y); };
    std::size_t i = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), from) - m.t.begin());
    i = i > 0 ? i - 1 : 0;
    std::size_t gap = static_cast<std::size_t>(std::lower_bound(m.gaps.begin(), m.gaps.end(), i) - m.gaps.begin());
    for (; i + 1 < m.t.size() && m.t[i] <= to; ++i) {
        while (gap < m.gaps.size() && m.gaps[gap] < i)
            ++gap;
        if (gap < m.gaps.size() && m.gaps[gap] == i)
            continue;
        const double s0 = side(m.smooth[i]), s1 = side(m.smooth[i + 1]);
        if ((s0 > 0) == (s1 > 0) || s0 == s1)
            continue;
        const double f = s0 / (s0 - s1);
        const double t = m.t[i] + (m.t[i + 1] - m.t[i]) * f;
        if (t < from || t > to)
            continue;
        const PlanePoint at{m.smooth[i].x + (m.smooth[i + 1].x - m.smooth[i].x) * f, m.smooth[i].y + (m.smooth[i + 1].y - m.smooth[i].y) * f};
        const double along = Along(line, at);
        if (ends ? (along < 0 || along > 1) : std::abs(Distance(at, line.Middle())) > reach)
            continue;
        out.push_back({t, along, s1 > 0});
    }
    return out;
}

} // namespace tackedit::analysis
