#include "track/formats/trl_reader.h"

#include "track/formats/binary_records.h"
#include "track/formats/little_endian.h"

#include <cstdlib>

namespace tackedit {

void ParseTrlTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    // The record length is not stored: the second record's time is whichever of
    // the values at bytes 16 and 20 lies closer to the first record's time.
    if (data.size() >= 24) {
        const std::int64_t a = ReadInt32LE(data, 0);
        const std::int64_t b = ReadInt32LE(data, 16);
        const std::int64_t c = ReadInt32LE(data, 20);
        const std::size_t record_length = std::llabs(a - b) < std::llabs(a - c) ? 16 : 20;
        ReadFixedRecords(data, record_length, filler, store, throttle);
    }
    filler.Finish();
}

void ReadTrlTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseTrlTrack);
}

} // namespace tackedit
