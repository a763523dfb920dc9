#include "track/formats/gpx_writer.h"

#include "base/atomic_write.h"
#include "base/datetime.h"
#include "track/formats/format_common.h"

#include <cstdio>
#include <optional>

namespace tackedit {

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
        const std::int64_t second = GpxSecondOf(t);
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
