#pragma once

#include "track/store_array.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tackedit {

// The one loaded GPS track: parallel arrays indexed from 1 (entry 0 unused).
//
// TrackCapacity is the logical length every caller sees and follows the linear
// rule of the readers (grow to n + 100 once n > capacity - 50). The arrays under
// it grow geometrically, so a million-point load copies the data O(n) times.
// Entries above TrackCount keep an earlier track's values unless a growth step
// has just created them, in which case they are zero.
struct TrackStore {
    StoreArray<double> TrackTime;       // day-based date-time, as the file gives it
    StoreArray<double> TrackLat;        // minutes of arc, south negative
    StoreArray<double> TrackLon;        // minutes of arc, west negative
    StoreArray<std::int32_t> TrackMark; // 0 = present
    std::int32_t TrackCount = 0;
    std::int32_t TrackCapacity = 0;
    // Counts the loads and the edits of the marks made through the readers, the
    // loader and the editor's functions, so what is worked out from the track
    // (the hover's index) knows when to work it out again. Code that writes the
    // arrays itself counts its change here.
    std::uint64_t Changes = 0;
    // What the reader said of the file besides its points, one English line each:
    // what it skipped and, when it found no point, why. The loader empties it.
    std::vector<std::string> ReadNotes;
    // Fixes at latitude 0 and longitude 0 the loader left out of the last load.
    std::int32_t ZeroFixesLeftOut = 0;

    // Sets the length of all four arrays to n; the first min(old, n) entries keep
    // their values, added entries are zero. TrackCapacity is the caller's to set.
    void SetTrackCapacity(std::int32_t n);
};

// The most points a track may hold: 185 days at one point a second. Beyond it a
// read stops with a DataError instead of taking memory without end (a 1 GB file
// of random bytes read as TRB would be 89 million points, 2.5 GB of arrays).
inline constexpr std::int32_t kMaxTrackPoints = 16'000'000;

// One point as a reader produces it, before it reaches the store.
struct TrackPoint {
    double time, lat, lon;
};

// The reader protocol shared by every track reader: capacity 100 at the start,
// one point after another by the growth rule, TrackCount set when the reader is
// done (Finish). A reader that stops on an error without calling Finish leaves
// TrackCount as the loader set it.
class TrackFiller {
public:
    explicit TrackFiller(TrackStore& store);

    void Store(double time, double lat, double lon)
    {
        const std::int32_t n = count_ + 1;
        if (n > store_.TrackCapacity - 50)
            Grow(n);
        store_.TrackTime[n] = time;
        store_.TrackLat[n] = lat;
        store_.TrackLon[n] = lon;
        count_ = n;
    }

    // Stores the points one after another, as Store would; the arrays end as
    // long as the growth rule leaves them.
    void Append(const TrackPoint* points, std::size_t n);

    // Counts n more points whose values the caller writes itself, at the index
    // returned and after; the arrays grow as n calls of Store would grow them.
    std::int32_t Extend(std::size_t n);

    // Room for about this many points without moving the arrays; only the storage
    // underneath grows, the logical capacity still follows the rule above.
    void ExpectPoints(std::size_t points);

    // Raises the DataError of a track too long (without a file name, which the
    // loader adds) when `points` exceeds kMaxTrackPoints.
    static void CheckRoom(std::size_t points);

    std::int32_t Count() const { return count_; }
    void Finish()
    {
        store_.TrackCount = count_;
        ++store_.Changes;
    }

private:
    void Grow(std::int32_t n);
    void Put(const TrackPoint* points, std::size_t at, std::size_t n);

    TrackStore& store_;
    std::int32_t count_ = 0;
};

} // namespace tackedit
