#pragma once

// Day-based date-times: whole days since 30 December 1899, the fraction of the
// day as the time of day. Before day 0 the whole part counts back while the
// fraction still runs forward (-1.25 is 29 December 1899, 06:00).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tackedit {

using DateTime = double;

// 1970-01-01 00:00:00; the binary track formats count seconds from here.
inline constexpr double TrackEpoch = 25569.0;
inline constexpr double SecondsPerDay = 86400.0;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Fail (nullopt) outside 0001-01-01..9999-12-31 or on an impossible day.
std::optional<DateTime> TryEncodeDate(int year, int month, int day);
// hour < 24, minute < 60, second < 60, millisecond < 1000.
std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond = 0);

// A date (whole days) and a time of day as one value: before day 0 the time is
// subtracted, since the fraction runs forward from the day's start there too.
inline DateTime CombineDateTime(DateTime date, DateTime time_of_day)
{
    return date < 0 ? date - time_of_day : date + time_of_day;
}

// Date and time of day, the time rounded to the millisecond and the seconds cut
// off below that: what a formatted date-time shows.
DateTimeParts DecodeDateTime(DateTime value);
// Date and time of day rounded to the nearest whole second, halves to even.
DateTimeParts DecodeDateTimeToSecond(DateTime value);

// "YYYY-MM-DD HH:MM:SS".
std::string FormatIsoDateTime(const DateTimeParts& parts);

// Three numbers separated by "/" or "-", year first. A year of one or two digits
// falls in 1980..2079 (no GPS track is older than 1980).
std::optional<DateTime> ParseDateYmd(std::string_view text);
// h:mm or h:mm:ss, optionally with ".fff" after the seconds.
std::optional<DateTime> ParseTimeOfDay(std::string_view text);

} // namespace tackedit
