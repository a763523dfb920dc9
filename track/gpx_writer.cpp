#include "track/atomic_write.h"
#include "track/datetime.h"
#include "track/track_formats.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

std::string EncodeGpxTrack(const TrackStore& store)
{
    // Template pieces end in LF and every line then gets CR LF: LF CR LF.
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\r\n"
        "<gpx xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\"http://www.topografix.com/GPX/1/0\""
        " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n\r\n"
        "<trk><trkseg>\n\r\n";
    char stamp[48];
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        if (store.TrackMark[i] != 0)
            continue;
        const DateTimeParts t = DecodeDateTime(store.TrackTime[i]);
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
    return out;
}

void WriteGpxTrack(const std::string& path, const TrackStore& store)
{
    WriteFileAtomically(path, EncodeGpxTrack(store));
}

} // namespace tackedit
