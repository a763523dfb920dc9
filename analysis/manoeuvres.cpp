#include "analysis/race_parts.h"

#include <cmath>

namespace tackedit::analysis {

namespace {

// A manoeuvre turns the smoothed course more than this within kTurnWindow.
constexpr double kTurnDegrees = 60;
constexpr double kTurnWindow = 15;
// Slower than this the course is too noisy to tell a turn.
constexpr double kManoeuvreMinSpeed = 1;
// The loss is counted until VMG is back to its value before, at most this long.
constexpr double kRecoveryLimit = 40;
// VMG this close to its value before counts as back (GPS noise keeps it
// from ever being exactly back).
constexpr double kRecovered = 0.9;
// How far either side the smoothed course spreads a sharp turn.
constexpr double kSmoothSettle = 2.5;
// How long a course is held to count as steady before or after a turn.
constexpr double kSteadySpan = 5;

// The course unwrapped into a continuous angle, so a turn's size is a
// difference; NaN courses (a stopped boat) carry the last one.
std::vector<double> Unwrapped(const BoatMotion& m)
{
    std::vector<double> u(m.t.size(), std::nan(""));
    double last = std::nan("");
    for (std::size_t i = 0; i < m.t.size(); ++i) {
        const double c = m.course_deg[i];
        if (std::isnan(c)) {
            u[i] = last;
            continue;
        }
        last = std::isnan(last) ? c : last + std::remainder(c - std::fmod(last, 360.0), 360.0);
        u[i] = last;
    }
    return u;
}

double ValueAt(const BoatMotion& m, const std::vector<double>& v, double time)
{
    if (time <= m.t.front())
        return v.front();
    if (time >= m.t.back())
        return v.back();
    const std::size_t i = static_cast<std::size_t>(std::upper_bound(m.t.begin(), m.t.end(), time) - m.t.begin()) - 1;
    const double f = (time - m.t[i]) / (m.t[i + 1] - m.t[i]);
    return v[i] + (v[i + 1] - v[i]) * f;
}

// The mean course over a few seconds from `from`: a steady course, less
// noisy than one smoothed value.
double Steady(const BoatMotion& m, const std::vector<double>& u, double from)
{
    double sum = 0;
    for (int k = 0; k <= 4; ++k)
        sum += ValueAt(m, u, from + k * kSteadySpan / 4);
    return sum / 5;
}

// Whether the angle path from a to a + turn passes through `through` (mod 360).
bool Passes(double a, double turn, double through)
{
    const double lo = std::min(a, a + turn), hi = std::max(a, a + turn);
    const double k = std::ceil((lo - through) / 360);
    return through + k * 360 <= hi;
}

} // namespace

std::vector<Manoeuvre> FindManoeuvres(const AnalysisRace& race, const BoatMotion& m, double from, double to)
{
    std::vector<Manoeuvre> out;
    if (m.t.size() < 3)
        return out;
    const std::vector<double> u = Unwrapped(m);
    const double half = kTurnWindow / 2;
    // The turn over the window centred on each fix; candidates are the
    // fixes where it exceeds the threshold.
    std::vector<std::pair<double, std::size_t>> candidates;  // turn, fix
    // Fix-indexed windows (two pointers) and running sums of speed keep this
    // linear in the fixes.
    std::vector<double> speed_sum(m.t.size() + 1, 0);
    for (std::size_t i = 0; i < m.t.size(); ++i)
        speed_sum[i + 1] = speed_sum[i] + m.speed_ms[i];
    std::size_t lo = 0, hi = 0, gap = 0;
    const double margin = half + kSmoothSettle + kSteadySpan;
    for (std::size_t i = 0; i < m.t.size(); ++i) {
        const double t = m.t[i];
        while (lo < i && m.t[lo] < t - half)
            ++lo;
        hi = std::max(hi, i);
        while (hi + 1 < m.t.size() && m.t[hi + 1] <= t + half)
            ++hi;
        while (gap < m.gaps.size() && m.t[m.gaps[gap] + 1] <= t - margin)
            ++gap;
        const bool gap_near = gap < m.gaps.size() && m.t[m.gaps[gap]] < t + margin;
        if (t < from || t > to || t - half < m.t.front() || t + half > m.t.back() || gap_near)
            continue;
        const double turn = std::abs(u[hi] - u[lo]);
        // Slow for a moment inside a tack is fine; drifting is not.
        const double speed = (speed_sum[hi + 1] - speed_sum[lo]) / static_cast<double>(hi + 1 - lo);
        if (turn > kTurnDegrees && speed >= kManoeuvreMinSpeed)
            candidates.emplace_back(turn, i);
    }

    // Candidates close together are one turn (a slow tack turns unevenly,
    // and noise at its slowest moment can add a wiggle): it runs from the
    // steady course before the first to the steady course after the last.
    for (std::size_t c = 0; c < candidates.size();) {
        std::size_t d = c + 1;
        while (d < candidates.size() && m.t[candidates[d].second] - m.t[candidates[d - 1].second] <= half)
            ++d;
        const double first = m.t[candidates[c].second], last = m.t[candidates[d - 1].second];
        c = d;
        const double before = Steady(m, u, first - half - kSmoothSettle - kSteadySpan);
        const double after = Steady(m, u, last + half + kSmoothSettle);
        // The short way round: at a tack's slowest moment the course is
        // noisy enough to wind a spurious full turn into the unwrapped one.
        const double turn = std::remainder(after - before, 360.0);
        if (!(std::abs(turn) > kTurnDegrees))
            continue;
        const double window_middle = (first + last) / 2;
        const std::size_t centre = static_cast<std::size_t>(
            std::lower_bound(m.t.begin(), m.t.end(), window_middle) - m.t.begin());
        // The turn itself: where the course is half way round (the window's
        // middle can sit anywhere on a slow tack's plateau).
        double at = window_middle;
        for (double t = first - half - kSmoothSettle; t <= last + half + kSmoothSettle; t += 0.25)
            if (std::remainder(ValueAt(m, u, t) - before, 360.0) / turn >= 0.5) {
                at = t;
                break;
            }
        const auto wind = WindAt(race, at);
        if (!wind)
            continue;
        const double wind_angle = before - *wind;  // 0: head to wind, 180: dead downwind
        const bool tack = Passes(wind_angle, turn, 0), gybe = Passes(wind_angle, turn, 180);
        if (tack == gybe)  // a bear-away, a luff, or a full turn: not counted
            continue;
        Manoeuvre man;
        man.at = at;
        man.tack = tack;
        man.where = m.PositionAt(at).value_or(m.smooth[centre]);
        // VMG along the wind (up for a tack, down for a gybe) before the turn,
        // then what the turn cost until VMG is back.
        const PlanePoint up = Upwind(*wind);
        const PlanePoint axis = tack ? up : PlanePoint{-up.x, -up.y};
        auto vmg = [&](double t) {
            const double c = ValueAt(m, u, t) * kPi / 180;
            return ValueAt(m, m.speed_ms, t) * (std::sin(c) * axis.x + std::cos(c) * axis.y);
        };
        // VMG before: over the steady stretch the course before was taken
        // from; the loss counts from the last steady seconds before the turn.
        double base = 0;
        for (int k = 0; k <= 4; ++k)
            base += vmg(first - half - kSmoothSettle - kSteadySpan + k * kSteadySpan / 4) / 5;
        const double start = std::max(first - half - kSmoothSettle, at - 2 * kSmoothSettle);
        if (base > 0) {
            double lost = 0;
            for (double t = start; t < at + kRecoveryLimit && t < m.t.back(); t += 1) {
                const double v = vmg(t + 0.5);
                const double settled = (vmg(t - 0.5) + v + vmg(t + 1.5)) / 3;
                if (t > at + kSmoothSettle && settled >= kRecovered * base)
                    break;
                lost += base - v;
            }
            man.loss_m = std::max(0.0, lost);
            man.loss_s = man.loss_m / base;
        }
        out.push_back(man);
    }
    return out;
}

} // namespace tackedit::analysis
