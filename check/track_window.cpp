// Track times against the race window: coverage, gaps, the clock shift that
// would explain a track recorded outside the race, how far it lay from the
// course, and the durations the findings tell.

#include "check/race_check.h"
#include "base/messages.h"
#include "track/track_store.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tackedit {

std::vector<double> SortedSeconds(std::span<const double> track_time, std::int32_t count, DateTime reference)
{
    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (std::int32_t i = 1; i <= count; ++i)
        seconds.push_back((track_time[static_cast<std::size_t>(i)] - reference) * SecondsPerDay);
    if (!std::is_sorted(seconds.begin(), seconds.end()))
        std::sort(seconds.begin(), seconds.end());
    return seconds;
}

double CoverageOf(const std::vector<double>& sorted, double from, double to)
{
    if (!(to > from))
        return 0;
    double covered = 0;
    double reach = from;  // everything before it is counted already
    for (auto it = std::lower_bound(sorted.begin(), sorted.end(), from - kCoverageFixSeconds);
         it != sorted.end() && *it - kCoverageFixSeconds < to; ++it) {
        const double begin = std::max(*it - kCoverageFixSeconds, reach);
        const double end = std::min(*it + kCoverageFixSeconds, to);
        if (end > begin) {
            covered += end - begin;
            reach = end;
        }
    }
    return std::min(covered / (to - from), 1.0);
}

Gap LargestGapOf(const std::vector<double>& sorted, double from, double to)
{
    Gap largest{from, from};
    double previous = from;
    for (auto it = std::lower_bound(sorted.begin(), sorted.end(), from); it != sorted.end() && *it <= to; ++it) {
        if (*it - previous > largest.Length())
            largest = {previous, *it};
        previous = *it;
    }
    if (to - previous > largest.Length())
        largest = {previous, to};
    return largest;
}

std::optional<std::int64_t> SuggestShift(const std::vector<double>& sorted, double length)
{
    if (!(length > 0) || sorted.empty() || CoverageOf(sorted, 0, length) >= 0.5)
        return std::nullopt;
    // Days, years and rollovers are whole hours too: every whole hour that
    // brings a fix into the window is a candidate.
    constexpr std::int64_t kHour = 3600, kLimit = 2 * kGpsWeekRollover;
    constexpr double kMostHours = kLimit / kHour;
    const auto lowest = static_cast<std::int64_t>(std::max(-kMostHours, std::floor(-sorted.back() / kHour)));
    const auto highest = static_cast<std::int64_t>(std::min(kMostHours, std::ceil((length - sorted.front()) / kHour)));
    std::optional<std::int64_t> best;
    double best_coverage = 0.9;
    for (std::int64_t hours = lowest; hours <= highest; ++hours) {
        const std::int64_t shift = hours * kHour;
        if (shift == 0)
            continue;
        // Moving the times by +shift is moving the window by -shift.
        const double from = -static_cast<double>(shift), to = length - static_cast<double>(shift);
        const auto first = std::lower_bound(sorted.begin(), sorted.end(), from - kCoverageFixSeconds);
        if (first == sorted.end() || *first - kCoverageFixSeconds >= to)
            continue;
        const double coverage = CoverageOf(sorted, from, to);
        const bool smaller = best && (std::llabs(shift) < std::llabs(*best) || (shift == -*best && shift > 0));
        if (coverage > best_coverage + 1e-9 || (coverage >= best_coverage - 1e-9 && (!best || smaller))) {
            best = shift;
            best_coverage = std::max(coverage, best_coverage);
        }
    }
    return best;
}

std::int64_t RolloversIn(std::int64_t shift_seconds)
{
    const std::int64_t n = std::llround(static_cast<double>(shift_seconds) / kGpsWeekRollover);
    const std::int64_t rest = shift_seconds - n * kGpsWeekRollover;
    return rest % 3600 == 0 && std::llabs(rest) <= 14 * 3600 ? n : 0;
}

namespace {

// `time` moved by whole calendar years; the 29th of February of a year
// without one becomes the 28th.
std::optional<DateTime> AddYears(DateTime time, int years)
{
    const DateTimeParts p = DecodeDateTimeToSecond(time);
    const int year = p.year + years;
    if (year < 1 || year > 9999)
        return std::nullopt;
    const auto date = TryEncodeDate(year, p.month, std::min(p.day, DaysInMonth(year, p.month)));
    const auto day = TryEncodeDate(p.year, p.month, p.day);
    if (!date || !day)
        return std::nullopt;
    return *date + (time - *day);
}

} // namespace

std::string DescribeShift(std::int64_t shift_seconds, int ui_language, std::optional<DateTime> from)
{
    using namespace texts::check;
    const auto said = [&](std::int64_t seconds, const std::string& amount) {
        // Times that need moving forward were recorded early.
        return Say(seconds > 0 ? kEarly : kLate, ui_language, {amount});
    };
    const std::int64_t magnitude = std::llabs(shift_seconds);
    const auto as_weeks = [&](std::int64_t seconds) {
        return CountOf(std::llabs(seconds) / (7 * 86400), kWeek, ui_language);
    };
    const std::int64_t rollovers = RolloversIn(shift_seconds);
    if (rollovers != 0) {
        const std::int64_t weeks = rollovers * kGpsWeekRollover, hours = shift_seconds - weeks;
        if (hours == 0)
            return said(weeks, as_weeks(weeks));
        const std::string in_hours = CountOf(std::llabs(hours) / 3600, kHour, ui_language);
        if ((hours > 0) == (weeks > 0))
            return said(weeks, as_weeks(weeks) + Say(kAnd, ui_language) + in_hours);
        return said(weeks, as_weeks(weeks)) + Say(kAnd, ui_language) + said(hours, in_hours);
    }

    // The whole years that leave the least over.
    std::int64_t years = 0, rest = shift_seconds;
    if (from && magnitude >= 300 * 86400) {
        const int guess = static_cast<int>(std::llround(static_cast<double>(shift_seconds) / (365.2425 * 86400)));
        for (int y = guess - 1; y <= guess + 1; ++y)
            if (const auto moved = AddYears(*from, y)) {
                const auto left = std::llround((*from - *moved) * SecondsPerDay) + shift_seconds;
                if (y != 0 && std::llabs(left) < std::llabs(rest)) {
                    years = y;
                    rest = left;
                }
            }
    }
    const std::int64_t left = std::llabs(rest);
    std::string amount;
    const auto add = [&](const std::string& part) {
        amount += (amount.empty() ? "" : Say(kAnd, ui_language)) + part;
    };
    if (left / 86400 > 0)
        add(CountOf(left / 86400, kDay, ui_language));
    if (left % 86400 != 0)
        add(left % 3600 == 0 ? CountOf(left % 86400 / 3600, kHour, ui_language)
                             : Say(kSeconds, ui_language, {std::to_string(left % 86400)}));
    if (years == 0)
        return said(shift_seconds, amount);
    const std::string in_years = CountOf(std::llabs(years), kYear, ui_language);
    if (rest == 0)
        return said(years, in_years);
    if ((rest > 0) == (years > 0))
        return said(years, in_years + Say(kAnd, ui_language) + amount);
    return said(years, in_years) + Say(kAnd, ui_language) + said(rest, amount);
}

namespace {

// Flat metres are close enough at the few kilometres that matter here.
double MetresToSegment(double lat, double lon, double lat1, double lon1, double lat2, double lon2)
{
    constexpr double kMetresPerDegree = 111120;
    const double east = std::cos(lat1 * 3.14159265358979323846 / 180) * kMetresPerDegree;
    const double px = (lon - lon1) * east, py = (lat - lat1) * kMetresPerDegree;
    const double sx = (lon2 - lon1) * east, sy = (lat2 - lat1) * kMetresPerDegree;
    const double squared = sx * sx + sy * sy;
    const double along = squared > 0 ? std::clamp((px * sx + py * sy) / squared, 0.0, 1.0) : 0;
    return std::hypot(px - along * sx, py - along * sy);
}

} // namespace

std::optional<double> CourseDistance(const TrackStore& track, std::int32_t first, std::int32_t last,
                                     const RaceSettings& race)
{
    if (race.MarkList.empty() && race.LineList.empty())
        return std::nullopt;
    double nearest = HUGE_VAL;
    for (std::int32_t i = first; i <= last; ++i) {
        const double lat = track.TrackLat[i] / 60, lon = track.TrackLon[i] / 60;  // minutes of arc
        for (const auto& m : race.MarkList)
            nearest = std::min(nearest, MetresToSegment(lat, lon, m[0], m[1], m[0], m[1]));
        for (const auto& l : race.LineList)
            nearest = std::min(nearest, MetresToSegment(lat, lon, l[0], l[1], l[2], l[3]));
    }
    return nearest;
}

std::string FormatDuration(double seconds, int ui_language)
{
    using namespace texts::check;
    const auto total = static_cast<std::int64_t>(std::llround(seconds));
    const std::int64_t h = total / 3600, m = total % 3600 / 60, s = total % 60;
    std::string text;
    if (h > 0)
        text += Say(kDurationH, ui_language, {std::to_string(h)});
    if (h > 0 || m > 0)
        text += Say(kDurationMin, ui_language, {std::to_string(m)});
    if (h == 0)
        text += (text.empty() || ui_language == 0 ? "" : " ") + Say(kDurationS, ui_language, {std::to_string(s)});
    return text;
}

} // namespace tackedit
