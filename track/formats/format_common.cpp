#include "track/formats/format_common.h"

#include "base/datetime.h"
#include "base/numbers.h"
#include "track/formats/coordinate_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace tackedit {

namespace {

// The decimal point of a short number, without a library call.
std::size_t FindPoint(std::string_view number)
{
    for (std::size_t i = 0; i < number.size(); ++i)
        if (number[i] == '.')
            return i;
    return std::string_view::npos;
}

} // namespace

std::optional<double> ParseCoordinate(std::string_view text, int style)
{
    const char letter = text.empty() ? '\0' : text[0];
    // The first character is the hemisphere letter even when it is a digit.
    const std::string_view number = text.substr(text.empty() ? 0 : 1, 300);
    double quick;
    if (QuickCoordinate(letter, number, style, quick))
        return quick;
    long double value = 0;
    switch (style) {
    case CoordDegrees: {
        const auto degrees = ParseReal(number);
        if (!degrees)
            return std::nullopt;
        value = *degrees * 60;
        break;
    }
    case CoordDegreesMinutes: {
        // ddmm.mmm: the two digits before the point and what follows are minutes.
        const std::size_t point = FindPoint(number);
        if (point == std::string_view::npos || point < 2)
            return std::nullopt;
        const auto degrees = ParseReal(number.substr(0, point - 2));
        const auto minutes = ParseReal(number.substr(point - 2));
        if (!degrees || !minutes)
            return std::nullopt;
        value = *degrees * 60 + *minutes;
        break;
    }
    case CoordDegreesMinutesSeconds: {
        // ddmmss.s: two digits of minutes, then the seconds with their decimals.
        const std::size_t point = FindPoint(number);
        if (point == std::string_view::npos || point < 4)
            return std::nullopt;
        const auto degrees = ParseReal(number.substr(0, point - 4));
        const auto minutes = ParseReal(number.substr(point - 4, 2));
        const auto seconds = ParseReal(number.substr(point - 2));
        if (!degrees || !minutes || !seconds)
            return std::nullopt;
        value = *degrees * 60 + *minutes + *seconds / 60;
        break;
    }
    default:
        return 0.0;
    }
    if (letter == 'S' || letter == 'W')
        value = -value;
    return static_cast<double>(value);
}

std::string FormatGeneralNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return "0";
    // Fifteen significant digits, then the shorter of fixed and exponent form as
    // the general format picks it.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const std::string text = buffer;
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits + std::string(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole) + "." + digits.substr(whole);
        }
    }
    return out;
}

std::int64_t TrbSecondOf(double track_time)
{
    return RoundHalfEven((static_cast<long double>(track_time) - TrackEpoch) * 24 * 3600);
}

namespace {

// One number per second a GPX time shows; only its equality matters.
std::int64_t SecondKey(const DateTimeParts& t)
{
    return ((((std::int64_t{t.year} * 16 + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

} // namespace

std::int64_t GpxSecondOf(const DateTimeParts& t) { return SecondKey(t); }

std::int64_t GpxSecondOf(double track_time) { return SecondKey(DecodeDateTime(track_time)); }

std::int32_t SameSecondFixes(const TrackStore& store, WholeSecondFormat format, bool present_only)
{
    std::int32_t same = 0;
    std::optional<std::int64_t> previous;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        if ((present_only || format == WholeSecondFormat::Gpx) && store.TrackMark[i] != 0)
            continue;
        const std::int64_t second =
            format == WholeSecondFormat::Trb ? TrbSecondOf(store.TrackTime[i]) : GpxSecondOf(store.TrackTime[i]);
        if (previous == second)
            ++same;
        previous = second;
    }
    return same;
}

} // namespace tackedit
