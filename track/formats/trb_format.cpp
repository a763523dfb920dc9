#include "track/formats/trb_format.h"

#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "track/formats/binary_records.h"
#include "track/formats/format_common.h"
#include "track/formats/little_endian.h"

#include <algorithm>
#include <cstdint>

namespace tackedit {

void ParseTrbTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    ReadFixedRecords(data, 12, filler, store, throttle);
    filler.Finish();
}

void ReadTrbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseTrbTrack);
}

std::string EncodeTrbTrack(const TrackStore& store, const std::string& file, std::int32_t* left_out)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(store.TrackCount, 0)) * 12);
    std::int32_t skipped = 0;
    std::int64_t previous = 0;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        const std::int64_t seconds = TrbSecondOf(store.TrackTime[i]);
        // A time the 32-bit field cannot hold would come back as another date.
        if (seconds < INT32_MIN || seconds > INT32_MAX) {
            const DateTimeParts parts = DecodeDateTimeToSecond(store.TrackTime[i]);
            throw DataError(file, 0, FormatIsoDateTime(parts),
                            "point " + std::to_string(i) + " has the time " + FormatIsoDateTime(parts) +
                                ", which a TRB file cannot hold (1901-12-13 to 2038-01-19)");
        }
        if (i > 1 && seconds == previous) {
            ++skipped;
            continue;
        }
        previous = seconds;
        AppendInt32LE(out, static_cast<std::int32_t>(seconds));
        AppendFloat32LE(out, static_cast<float>(static_cast<long double>(store.TrackLat[i]) / 60));
        AppendFloat32LE(out, static_cast<float>(static_cast<long double>(store.TrackLon[i]) / 60));
    }
    if (left_out)
        *left_out = skipped;
    return out;
}

std::int32_t WriteTrbTrack(const std::string& path, const TrackStore& store)
{
    std::int32_t left_out = 0;
    WriteFileAtomically(path, EncodeTrbTrack(store, path, &left_out));
    return left_out;
}

} // namespace tackedit
