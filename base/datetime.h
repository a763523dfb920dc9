#pragma once

// Day-based date-times: whole days since 30 December 1899, the fraction of the
// day as the time of day. Before day 0 the whole part counts back while the
// fraction still runs forward (-1.25 is 29 December 1899, 06:00).

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tackedit {

using DateTime = double;

// 1970-01-01 00:00:00; the binary track formats count seconds from here.
inline constexpr double TrackEpoch = 25569.0;
inline constexpr double SecondsPerDay = 86400.0;

// Seconds since 1970-01-01 as a day-based date-time: the nearest double to
// TrackEpoch + seconds / 86400 as extended precision gives it.
inline DateTime FromEpochSeconds(std::int32_t seconds)
{
    // From 1970 on (and for decades before) one division in double precision
    // gives exactly that, checked for every second; it costs a fraction.
    if (seconds >= 0)
        return static_cast<double>(std::int64_t{25569} * 86400 + seconds) / SecondsPerDay;
    return static_cast<DateTime>(TrackEpoch + static_cast<long double>(seconds) / 24 / 3600);
}

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

namespace datetime_detail {

// The day fractions of the whole seconds, an hour's worth at a time as a load
// first meets it: a track of a second a point takes each of them many times,
// and the extended-precision division behind one costs as much as the rest of
// a point's time.
class WholeSeconds {
public:
    DateTime Of(int hour, int second_of_hour)
    {
        if (!filled_[hour].load(std::memory_order_acquire))
            Fill(hour);
        return table_[hour * 3600 + second_of_hour];
    }

private:
    void Fill(int hour);

    std::atomic<bool> filled_[24] = {};
    std::mutex filling_;
    DateTime table_[24 * 3600];
};

inline WholeSeconds whole_seconds;

} // namespace datetime_detail

// ParseTimeOfDay for "hh:mm:ss", as nearly every track writes its times, read
// inline: false for any other text, which ParseTimeOfDay then reads (or refuses).
inline bool QuickTimeOfDay(std::string_view text, DateTime& time)
{
    if (text.size() != 8)
        return false;
    // The eight bytes at once: a high nibble of 3 before and after adding 6
    // marks a digit (a carry out of a byte only comes from a byte that fails
    // anyway), and the colons stand where they must.
    std::uint64_t x;
    std::memcpy(&x, text.data(), sizeof x);
    constexpr std::uint64_t kDigits = 0xf0f000f0f000f0f0;  // the high nibbles of the digits
    if ((x & (kDigits | 0x0000ff0000ff0000)) != 0x30303a30303a3030 ||
        ((x + 0x0606000606000606) & kDigits) != 0x3030003030003030)
        return false;
    // Each pair's value in the byte of its first digit.
    const std::uint64_t d = x & 0x0f0f000f0f000f0f;
    const std::uint64_t pairs = d * 10 + (d >> 8);
    const unsigned hour = pairs & 0xff, minute = pairs >> 24 & 0xff, second = pairs >> 48 & 0xff;
    if (hour >= 24 || minute >= 60 || second >= 60)
        return false;
    time = datetime_detail::whole_seconds.Of(static_cast<int>(hour), static_cast<int>(minute * 60 + second));
    return true;
}

namespace datetime_detail {
std::optional<DateTime> ParseAnyTimeOfDay(std::string_view text);
} // namespace datetime_detail

// h:mm or h:mm:ss, optionally with ".fff" after the seconds.
inline std::optional<DateTime> ParseTimeOfDay(std::string_view text)
{
    DateTime time;
    if (QuickTimeOfDay(text, time))
        return time;
    return datetime_detail::ParseAnyTimeOfDay(text);
}

// The same into `time`, false when the text does not convert: for the readers'
// loops, where an optional passed around costs a stall in memory per point.
inline bool ReadTimeOfDay(std::string_view text, DateTime& time)
{
    if (QuickTimeOfDay(text, time))
        return true;
    const auto parsed = datetime_detail::ParseAnyTimeOfDay(text);
    if (parsed)
        time = *parsed;
    return parsed.has_value();
}

// Three numbers separated by "/" or "-", year first. A year of one or two digits
// falls in 1980..2079 (no GPS track is older than 1980).
std::optional<DateTime> ParseDateYmd(std::string_view text);

// How far ahead of UTC a time written in a zone is: the "+09:00", "-04:00" or
// "+0115" that follows the seconds and any fraction from `at` on. "Z" or nothing
// is UTC.
DateTime IsoZoneOffset(std::string_view text, std::size_t at);

// "2024-06-15T19:00:00Z" or "...+09:00" in UTC, as the GPX reader reads it: any
// fraction of the second is cut off. False when the date or time does not convert.
bool ReadIsoDateTime(std::string_view text, DateTime& time);


} // namespace tackedit
