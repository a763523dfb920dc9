#include "track/track_store.h"

#include "track/data_error.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace tackedit {

namespace {

template <class T>
void Resize(std::vector<T>& array, std::size_t n)
{
    if (n < array.size()) {
        array.resize(n);
        // Give memory back when a long track is followed by a short one.
        if (array.capacity() > 4 * n + 1024)
            array.shrink_to_fit();
        return;
    }
    if (n > array.capacity())
        array.reserve(std::max(n, 2 * array.capacity()));
    array.resize(n);  // value-initialised: the added entries are zero
}

} // namespace

void TrackStore::SetTrackCapacity(std::int32_t n)
{
    if (n < 0)
        throw std::invalid_argument("negative track capacity");
    const auto size = static_cast<std::size_t>(n);
    Resize(TrackTime, size);
    Resize(TrackLat, size);
    Resize(TrackLon, size);
    Resize(TrackMark, size);
}

TrackFiller::TrackFiller(TrackStore& store) : store_(store)
{
    store_.TrackCapacity = 100;
    store_.SetTrackCapacity(100);
}

void TrackFiller::ExpectPoints(std::size_t points)
{
    const std::size_t n = std::min<std::size_t>(points, kMaxTrackPoints) + 101;
    store_.TrackTime.reserve(n);
    store_.TrackLat.reserve(n);
    store_.TrackLon.reserve(n);
    store_.TrackMark.reserve(n);
}

void TrackFiller::CheckRoom(std::size_t points)
{
    if (points > static_cast<std::size_t>(kMaxTrackPoints))
        throw DataError("", 0, "", "more than " + std::to_string(kMaxTrackPoints) +
                                       " track points, more than a track may hold");
}

void TrackFiller::Grow(std::int32_t n)
{
    CheckRoom(static_cast<std::size_t>(n));
    store_.TrackCapacity = n + 100;
    store_.SetTrackCapacity(store_.TrackCapacity);
}

} // namespace tackedit
