// Track times against the race window: coverage, gaps and the clock shift that
// would explain a track recorded outside the race.

#include "check/race_check.h"
#include "base/messages.h"

#include <algorithm>
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
    if (!(length > 0) || CoverageOf(sorted, 0, length) >= 0.5)
        return std::nullopt;
    std::vector<std::int64_t> candidates;
    for (int hours = 1; hours <= 14; ++hours) {
        candidates.push_back(hours * 3600LL);
        candidates.push_back(-hours * 3600LL);
    }
    candidates.push_back(kGpsWeekRollover);
    candidates.push_back(-kGpsWeekRollover);
    std::optional<std::int64_t> best;
    double best_coverage = 0.9;
    for (const std::int64_t shift : candidates) {
        // Moving the times by +shift is moving the window by -shift.
        const double coverage = CoverageOf(sorted, -static_cast<double>(shift), length - static_cast<double>(shift));
        if (coverage > best_coverage || (!best && coverage >= best_coverage)) {
            best = shift;
            best_coverage = coverage;
        }
    }
    return best;
}

std::string DescribeShift(std::int64_t shift_seconds, int ui_language)
{
    const std::int64_t magnitude = std::llabs(shift_seconds);
    using namespace texts::check;
    const std::string amount = magnitude % kGpsWeekRollover == 0 ? CountOf(magnitude / (7 * 86400), kWeek, ui_language)
                               : magnitude % 3600 == 0 ? CountOf(magnitude / 3600, kHour, ui_language)
                                                       : Say(kSeconds, ui_language, {std::to_string(magnitude)});
    // Times that need moving forward were recorded early.
    return Say(shift_seconds > 0 ? kEarly : kLate, ui_language, {amount});
}

} // namespace tackedit
