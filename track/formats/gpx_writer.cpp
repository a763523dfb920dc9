#include "base/atomic_write.h"
#include "base/datetime.h"
#include "track/formats/track_formats.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace tackedit {

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

namespace {

// One number per second a GPX time shows; only its equality matters.
std::int64_t SecondKey(const DateTimeParts& t)
{
    return ((((std::int64_t{t.year} * 16 + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

} // namespace

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

std::string EncodeGpxTrack(const TrackStore& store, std::int32_t* left_out)
{
    // Template pieces end in LF and every line then gets CR LF: LF CR LF.
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\r\n"
        "<gpx xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://www.topografix.com/GPX/1/0\""
        " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n\r\n"
        "<trk><trkseg>\n\r\n";
    char stamp[48];
    std::int32_t skipped = 0;
    std::optional<std::int64_t> previous;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const DateTimeParts t = DecodeDateTime(store.TrackTime[i]);
        const std::int64_t second = SecondKey(t);
        if (previous == second) {
            ++skipped;
            continue;
        }
        previous = second;
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
        out += "<trkpt lat=\"";
        out += FormatGeneralNumber(store.TrackLat[i] / 60);
        out += "\"  lon=\"";
        out += FormatGeneralNumber(store.TrackLon[i] / 60);
        out += "\"> <ele>0</ele> <time>";
        out += stamp;
        out += "</time></trkpt>\n\r\n";
    }
    out += "</trkseg></trk></gpx>\r\n";
    if (left_out)
        *left_out = skipped;
    return out;
}

std::int32_t WriteGpxTrack(const std::string& path, const TrackStore& store)
{
    std::int32_t left_out = 0;
    WriteFileAtomically(path, EncodeGpxTrack(store, &left_out));
    return left_out;
}

} // namespace tackedit
