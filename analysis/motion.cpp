#include "analysis/motion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tackedit::analysis {

namespace {

// GPS noise allowed on top of the speed and acceleration limits: a few
// metres of scatter must not read as a jump.
constexpr double kNoiseMetres = 10;
// Half the window of the centred fit that smooths speed and course.
constexpr double kSmoothHalfWindow = 2.5;
// Slower than this a course means nothing.
constexpr double kStillMs = 0.2;

double Distance(PlanePoint a, PlanePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct Sample {
    double t;
    PlanePoint p;
    std::int32_t fixes = 1;  // recorded fixes it stands for
};

double Median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// One sample per second: readers that keep whole seconds give a fast logger's
// fixes one time, which would otherwise read as infinite speed. A wild fix
// inside a second is set aside against the second's median.
std::vector<Sample> CombineSeconds(std::vector<Sample> fixes, const MotionLimits& limits, BoatMotion& m)
{
    std::stable_sort(fixes.begin(), fixes.end(), [](const Sample& a, const Sample& b) { return a.t < b.t; });
    std::vector<Sample> out;
    for (std::size_t i = 0; i < fixes.size();) {
        std::size_t j = i;
        const double second = std::floor(fixes[i].t);
        while (j < fixes.size() && std::floor(fixes[j].t) == second)
            ++j;
        const std::size_t n = j - i;
        PlanePoint centre = fixes[i].p;
        if (n >= 3) {
            std::vector<double> xs, ys;
            for (std::size_t k = i; k < j; ++k) {
                xs.push_back(fixes[k].p.x);
                ys.push_back(fixes[k].p.y);
            }
            centre = {Median(xs), Median(ys)};
        }
        double st = 0, sx = 0, sy = 0;
        std::size_t kept = 0;
        for (std::size_t k = i; k < j; ++k) {
            if (n >= 3 && Distance(fixes[k].p, centre) > limits.max_speed_ms + kNoiseMetres) {
                ++m.fixes_rejected;
                continue;
            }
            st += fixes[k].t;
            sx += fixes[k].p.x;
            sy += fixes[k].p.y;
            ++kept;
        }
        if (kept > 0) {
            // Several fixes with one whole-second time were spread over that
            // second: their mean stands for its middle, not its start.
            double t = st / kept;
            if (kept > 1 && fixes[i].t == second && fixes[j - 1].t == second)
                t = second + 0.5 - 0.5 / static_cast<double>(kept);
            out.push_back({t, {sx / kept, sy / kept}, static_cast<std::int32_t>(kept)});
            m.fixes_combined += static_cast<std::int32_t>(kept - 1);
        }
        i = j;
    }
    return out;
}

// Whether a boat could go from a to b: under the speed limit, and not
// faster than its recent speed (negative: unknown) allows with the
// acceleration limit.
bool Reachable(const Sample& a, const Sample& b, double recent_ms, const MotionLimits& limits)
{
    const double dt = b.t - a.t;
    const double top =
        recent_ms < 0 ? limits.max_speed_ms : std::min(limits.max_speed_ms, recent_ms + limits.max_accel_ms2 * dt);
    return Distance(a.p, b.p) <= top * dt + kNoiseMetres;
}

// Jumps: the samples are cut into runs where every step is reachable; the
// longest run is trusted, and from it outwards a run is kept only when it can
// be reached from the last kept sample. A jump out and back (one fix or
// several) is then one run that cannot be reached, whatever its length.
std::vector<Sample> SetAsideJumps(const std::vector<Sample>& s, const MotionLimits& limits, std::int32_t& rejected)
{
    if (s.size() < 2)
        return s;
    std::vector<std::size_t> run_start{0};
    double recent = -1;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (!Reachable(s[i - 1], s[i], recent, limits)) {
            run_start.push_back(i);
            recent = -1;
        } else {
            recent = Distance(s[i - 1].p, s[i].p) / (s[i].t - s[i - 1].t);
        }
    }
    run_start.push_back(s.size());
    const std::size_t runs = run_start.size() - 1;
    std::size_t best = 0;
    for (std::size_t r = 1; r < runs; ++r)
        if (run_start[r + 1] - run_start[r] > run_start[best + 1] - run_start[best])
            best = r;
    std::vector<bool> keep(runs, false);
    keep[best] = true;
    // The boat's speed near the kept end, from its last few steps.
    auto speed_near = [&](std::size_t from, std::size_t to) {
        const std::size_t a = from, b = to;
        const double dt = std::abs(s[b].t - s[a].t);
        return dt > 0 ? Distance(s[a].p, s[b].p) / dt : -1.0;
    };
    std::size_t last = run_start[best + 1] - 1;
    for (std::size_t r = best + 1; r < runs; ++r) {
        const std::size_t first = run_start[r];
        const std::size_t back = last >= 3 ? last - 3 : 0;
        if (Reachable(s[last], s[first], speed_near(back, last), limits)) {
            keep[r] = true;
            last = run_start[r + 1] - 1;
        }
    }
    std::size_t next = run_start[best];
    for (std::size_t r = best; r-- > 0;) {
        const std::size_t end = run_start[r + 1] - 1;
        const std::size_t ahead = std::min(next + 3, s.size() - 1);
        if (Reachable(s[end], s[next], speed_near(next, ahead), limits)) {
            keep[r] = true;
            next = run_start[r];
        }
    }
    std::vector<Sample> out;
    for (std::size_t r = 0; r < runs; ++r)
        for (std::size_t i = run_start[r]; i < run_start[r + 1]; ++i) {
            if (keep[r])
                out.push_back(s[i]);
            else
                rejected += s[i].fixes;
        }
    return out;
}

} // namespace

BoatMotion CleanMotion(const std::vector<RawFix>& fixes, const LocalPlane& plane, const MotionLimits& limits)
{
    BoatMotion m;
    std::vector<Sample> raw;
    raw.reserve(fixes.size());
    for (const RawFix& f : fixes)
        if (std::isfinite(f.t) && std::isfinite(f.lat) && std::isfinite(f.lon))
            raw.push_back({f.t, plane(f.lat, f.lon)});
    const std::vector<Sample> seconds = CombineSeconds(std::move(raw), limits, m);

    std::int32_t rejected_seconds = 0;
    const std::vector<Sample> kept = SetAsideJumps(seconds, limits, rejected_seconds);
    m.fixes_rejected += rejected_seconds;

    const std::size_t n = kept.size();
    m.t.resize(n);
    m.p.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        m.t[i] = kept[i].t;
        m.p[i] = kept[i].p;
    }
    for (std::size_t i = 0; i + 1 < n; ++i)
        if (m.t[i + 1] - m.t[i] > limits.gap_seconds)
            m.gaps.push_back(i);

    // A centred straight-line fit over a few seconds, within the stretch
    // between gaps: its slope is the velocity, its value the smoothed position.
    m.speed_ms.assign(n, 0);
    m.course_deg.assign(n, std::numeric_limits<double>::quiet_NaN());
    m.smooth.resize(n);
    m.sailed_m.assign(n, 0);
    std::size_t stretch_begin = 0;
    std::size_t gap_index = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (gap_index < m.gaps.size() && i > m.gaps[gap_index]) {
            stretch_begin = m.gaps[gap_index] + 1;
            ++gap_index;
        }
        const std::size_t stretch_end = gap_index < m.gaps.size() ? m.gaps[gap_index] + 1 : n;
        std::size_t a = i, b = i + 1;
        while (a > stretch_begin && m.t[i] - m.t[a - 1] <= kSmoothHalfWindow)
            --a;
        while (b < stretch_end && m.t[b] - m.t[i] <= kSmoothHalfWindow)
            ++b;
        double st = 0, sx = 0, sy = 0;
        for (std::size_t k = a; k < b; ++k) {
            st += m.t[k] - m.t[i];
            sx += m.p[k].x;
            sy += m.p[k].y;
        }
        const double cnt = static_cast<double>(b - a), tbar = st / cnt;
        double stt = 0, stx = 0, sty = 0;
        for (std::size_t k = a; k < b; ++k) {
            const double dt = m.t[k] - m.t[i] - tbar;
            stt += dt * dt;
            stx += dt * m.p[k].x;
            sty += dt * m.p[k].y;
        }
        const double vx = stt > 0 ? stx / stt : 0, vy = stt > 0 ? sty / stt : 0;
        m.smooth[i] = {sx / cnt - vx * tbar, sy / cnt - vy * tbar};
        m.speed_ms[i] = std::hypot(vx, vy);
        if (m.speed_ms[i] >= kStillMs) {
            double c = std::atan2(vx, vy) * 180 / 3.14159265358979323846;
            m.course_deg[i] = c < 0 ? c + 360 : c;
        }
        if (i > stretch_begin)
            m.sailed_m[i] = m.sailed_m[i - 1] + Distance(m.smooth[i - 1], m.smooth[i]);
        else if (i > 0)
            m.sailed_m[i] = m.sailed_m[i - 1];
    }
    return m;
}

namespace {

// The kept fix at or before `time` and the share of the way to the next one;
// nullopt outside the fixes and inside a gap.
std::optional<std::pair<std::size_t, double>> Locate(const BoatMotion& m, double time)
{
    if (m.t.empty() || !(time >= m.t.front()) || time > m.t.back())
        return std::nullopt;
    std::size_t i = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), time) - m.t.begin()) - 1;
    if (i + 1 >= m.t.size())
        return std::make_pair(i, 0.0);
    if (std::binary_search(m.gaps.begin(), m.gaps.end(), i) && time > m.t[i])
        return std::nullopt;
    return std::make_pair(i, (time - m.t[i]) / (m.t[i + 1] - m.t[i]));
}

double Interpolate(const std::vector<double>& v, std::size_t i, double f)
{
    return f == 0 ? v[i] : v[i] + (v[i + 1] - v[i]) * f;
}

} // namespace

std::optional<PlanePoint> BoatMotion::PositionAt(double time) const
{
    const auto at = Locate(*this, time);
    if (!at)
        return std::nullopt;
    const auto [i, f] = *at;
    const std::vector<PlanePoint>& q = smooth;
    if (f == 0)
        return q[i];
    return PlanePoint{q[i].x + (q[i + 1].x - q[i].x) * f, q[i].y + (q[i + 1].y - q[i].y) * f};
}

std::optional<double> BoatMotion::SpeedAt(double time) const
{
    const auto at = Locate(*this, time);
    if (!at)
        return std::nullopt;
    return Interpolate(speed_ms, at->first, at->second);
}

double BoatMotion::SailedAt(double time) const
{
    if (t.empty())
        return 0;
    if (time <= t.front())
        return 0;
    if (time >= t.back())
        return sailed_m.back();
    const std::size_t i =
        static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), time) - t.begin()) - 1;
    return Interpolate(sailed_m, i, (time - t[i]) / (t[i + 1] - t[i]));
}

double BoatMotion::SailedBetween(double from, double to) const
{
    return to > from ? SailedAt(to) - SailedAt(from) : 0;
}

double BoatMotion::BestAverageSpeed(double from, double to, double window) const
{
    // Over whole windows inside one stretch between gaps; when no stretch is
    // that long, over the longest one, so a short track still has a top speed.
    double best = 0, fallback = 0, fallback_span = 0;
    const std::size_t n = t.size();
    std::size_t begin = 0;
    for (std::size_t g = 0; g <= gaps.size(); ++g) {
        const std::size_t end = g < gaps.size() ? gaps[g] + 1 : n;  // one past the stretch
        std::size_t a = begin;
        while (a < end && t[a] < from)
            ++a;
        std::size_t last = a;
        for (std::size_t i = a, j = a; i < end && t[i] <= to; ++i) {
            j = std::max(j, i);
            while (j + 1 < end && t[j + 1] <= to && t[j] - t[i] < window)
                ++j;
            last = std::max(last, j);
            if (t[j] - t[i] >= window)
                best = std::max(best, (sailed_m[j] - sailed_m[i]) / (t[j] - t[i]));
        }
        if (a < end && t[last] - t[a] > fallback_span) {
            fallback_span = t[last] - t[a];
            fallback = (sailed_m[last] - sailed_m[a]) / fallback_span;
        }
        begin = end;
    }
    return best > 0 ? best : fallback;
}

} // namespace tackedit::analysis
