#include "base/datetime.h"

#include "base/numbers.h"

#include <cmath>
#include <cstdio>

namespace tackedit {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kDay0FromUnix = 25569;  // 1899-12-30 is 25569 days before 1970-01-01

// Splits a day-based value into its day number and the unit count of the time of
// day, rounding the fraction with the given rounding; a fraction that rounds up to
// a whole day moves to the next day.
template <class Round>
DateTimeParts Decode(DateTime value, std::int64_t units_per_day, std::int64_t units_per_second, Round round)
{
    DateTimeParts parts;
    if (!std::isfinite(value))
        return parts;
    const long double whole = std::trunc(static_cast<long double>(value));
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t units = round(std::fabs(static_cast<long double>(value) - whole) * units_per_day);
    if (units >= units_per_day) {
        units -= units_per_day;
        day += 1;
    }
    CivilFromDays(day - kDay0FromUnix, parts.year, parts.month, parts.day);
    const std::int64_t seconds = units / units_per_second;
    parts.millisecond = static_cast<int>((units % units_per_second) * (1000 / units_per_second));
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::optional<DateTime> TryEncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return static_cast<DateTime>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                                 kDay0FromUnix);
}

namespace {

DateTime DayFraction(long double milliseconds)
{
    return static_cast<DateTime>(milliseconds / 86400000.0L);
}

} // namespace

void datetime_detail::WholeSeconds::Fill(int hour)
{
    std::lock_guard lock(filling_);
    if (filled_[hour].load(std::memory_order_relaxed))
        return;
    for (int s = 0; s < 3600; ++s)
        table_[hour * 3600 + s] = DayFraction((static_cast<long double>(hour) * 3600 + s) * 1000);
    filled_[hour].store(true, std::memory_order_release);
}

std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
        millisecond < 0 || millisecond >= 1000)
        return std::nullopt;
    if (millisecond == 0)
        return datetime_detail::whole_seconds.Of(hour, minute * 60 + second);
    return DayFraction(((static_cast<long double>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond);
}

DateTimeParts DecodeDateTime(DateTime value)
{
    // Rounded to the millisecond first, so 12:34:56.7 shows as 12:34:56 and a value a
    // hair below a whole second (binary fractions) still shows that second.
    return Decode(value, 86400000, 1000, [](long double x) { return std::llround(x); });
}

DateTimeParts DecodeDateTimeToSecond(DateTime value)
{
    return Decode(value, 86400, 1, [](long double x) { return RoundHalfEven(x); });
}

std::string FormatIsoDateTime(const DateTimeParts& p)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return buffer;
}

std::optional<DateTime> ParseDateYmd(std::string_view text)
{
    text = TrimBlanks(text);
    int numbers[3] = {0, 0, 0};
    std::size_t digits[3] = {0, 0, 0};
    std::size_t i = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= text.size() || (text[i] != '/' && text[i] != '-'))
                return std::nullopt;
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) {
            if (i - start >= 4 && numbers[part] > 9999)
                return std::nullopt;
            numbers[part] = numbers[part] * 10 + (text[i] - '0');
            ++i;
        }
        digits[part] = i - start;
        if (digits[part] == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    int year = numbers[0];
    if (digits[0] <= 2)
        year += year < 80 ? 2000 : 1900;
    return TryEncodeDate(year, numbers[1], numbers[2]);
}

std::optional<DateTime> datetime_detail::ParseAnyTimeOfDay(std::string_view text)
{
    text = TrimBlanks(text);
    int numbers[3] = {0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    while (count < 3) {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i]) && i - start < 3) {
            numbers[count] = numbers[count] * 10 + (text[i] - '0');
            ++i;
        }
        if (i == start || (i < text.size() && IsDigit(text[i])))
            return std::nullopt;
        ++count;
        if (i < text.size() && text[i] == ':' && count < 3) {
            ++i;
            continue;
        }
        break;
    }
    if (count < 2)
        return std::nullopt;
    int millisecond = 0;
    if (count == 3 && i < text.size() && text[i] == '.') {
        ++i;
        int scale = 100;
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) {
            millisecond += (text[i] - '0') * scale;
            scale /= 10;
            ++i;
        }
        if (i == start)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return TryEncodeTime(numbers[0], numbers[1], numbers[2], millisecond);
}

DateTime IsoZoneOffset(std::string_view text, std::size_t at)
{
    const auto digit = [&text](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    while (at < text.size() && (text[at] == '.' || digit(at)))
        ++at;
    if (at >= text.size() || (text[at] != '+' && text[at] != '-') || !digit(at + 1) || !digit(at + 2))
        return 0;
    const int sign = text[at] == '-' ? -1 : 1;
    const int hours = (text[at + 1] - '0') * 10 + (text[at + 2] - '0');
    std::size_t m = at + 3;
    if (m < text.size() && text[m] == ':')
        ++m;
    const int minutes = digit(m) && digit(m + 1) ? (text[m] - '0') * 10 + (text[m + 1] - '0') : 0;
    return sign * (hours * 60 + minutes) / 1440.0;
}

bool ReadIsoDateTime(std::string_view text, DateTime& time)
{
    text = TrimBlanks(text);
    const std::size_t t = text.find_first_of("Tt");
    if (t == std::string_view::npos)
        return false;
    const auto date = ParseDateYmd(text.substr(0, t));
    DateTime of_day;
    if (!date || !ReadTimeOfDay(text.substr(t + 1, 8), of_day))
        return false;
    time = CombineDateTime(*date, of_day) - IsoZoneOffset(text, t + 9);
    return true;
}

} // namespace tackedit
