#include "track/formats/binary_records.h"

#include "base/datetime.h"
#include "track/formats/little_endian.h"
#include "track/parallel_parse.h"

#include <algorithm>
#include <thread>

namespace tackedit {

void ReadFixedRecords(std::string_view data, std::size_t record_length, TrackFiller& filler, TrackStore& store,
                      EventThrottle& throttle)
{
    const std::size_t count = data.size() / record_length;
    TrackFiller::CheckRoom(count);
    const std::size_t first = static_cast<std::size_t>(filler.Extend(count));
    double* time = store.TrackTime.data() + first;
    double* lat = store.TrackLat.data() + first;
    double* lon = store.TrackLon.data() + first;
    const std::thread::id loader = std::this_thread::get_id();
    constexpr std::size_t kChunk = std::size_t{1} << 15;
    ShareChunks((count + kChunk - 1) / kChunk, [=, &throttle](std::size_t chunk) {
        const std::size_t from = chunk * kChunk, to = std::min(count, from + kChunk);
        const bool on_loader = std::this_thread::get_id() == loader;
        for (std::size_t r = from; r < to; ++r) {
            if (on_loader)
                throttle.Tick();
            const std::size_t at = r * record_length;
            time[r] = FromEpochSeconds(ReadInt32LE(data, at));
            lat[r] = static_cast<double>(ReadFloat32LE(data, at + 4)) * 60;
            lon[r] = static_cast<double>(ReadFloat32LE(data, at + 8)) * 60;
        }
    });
}

} // namespace tackedit
