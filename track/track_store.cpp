#include "track/track_store.h"

#include "base/data_error.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace tackedit {

namespace {

template <class T>
void Resize(StoreArray<T>& array, std::size_t n)
{
    if (n < array.size()) {
        array.resize(n);
        // Give memory back when a long track is followed by a short one.
        if (array.capacity() > 4 * n + 1024)
            array.shrink_to_fit();
        return;
    }
    array.resize(n);  // the added entries are zero
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
    ++store_.Changes;
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

std::int32_t TrackFiller::Extend(std::size_t n)
{
    // Past the most points a track may hold, Store raises; so does this, after
    // making room for the points that still fit.
    const std::size_t room = static_cast<std::size_t>(kMaxTrackPoints - count_);
    const std::size_t fits = std::min(n, room);
    const std::int32_t first = count_ + 1;
    const std::int32_t last = count_ + static_cast<std::int32_t>(fits);
    if (last > store_.TrackCapacity - 50) {
        // Every growth step adds 51 entries: the first one past the trigger grows
        // to n + 100, which is the old capacity + 51.
        const std::int64_t steps = (static_cast<std::int64_t>(last) - (store_.TrackCapacity - 50) + 50) / 51;
        store_.TrackCapacity = static_cast<std::int32_t>(store_.TrackCapacity + 51 * steps);
        store_.SetTrackCapacity(store_.TrackCapacity);
    }
    count_ = last;
    if (fits < n)
        CheckRoom(static_cast<std::size_t>(count_) + 1);
    return first;
}

void TrackFiller::Append(const TrackPoint* points, std::size_t n)
{
    const std::int32_t before = count_;
    std::size_t at = 0;
    try {
        at = static_cast<std::size_t>(Extend(n));
    } catch (...) {
        // The points that fit are stored before the error goes on.
        Put(points, static_cast<std::size_t>(before) + 1, static_cast<std::size_t>(count_ - before));
        throw;
    }
    Put(points, at, n);
}

void TrackFiller::Put(const TrackPoint* points, std::size_t at, std::size_t n)
{
    double* time = store_.TrackTime.data() + at;
    double* lat = store_.TrackLat.data() + at;
    double* lon = store_.TrackLon.data() + at;
    for (std::size_t k = 0; k < n; ++k) {
        time[k] = points[k].time;
        lat[k] = points[k].lat;
        lon[k] = points[k].lon;
    }
}

void TrackFiller::Grow(std::int32_t n)
{
    CheckRoom(static_cast<std::size_t>(n));
    store_.TrackCapacity = n + 100;
    store_.SetTrackCapacity(store_.TrackCapacity);
}

} // namespace tackedit
