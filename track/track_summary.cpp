#include "track/track_summary.h"

#include "track/parallel_parse.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tackedit {

namespace {

// cos of a latitude in minutes, looked up to the nearest hundredth of a minute
// of the latitude (a relative error below 1e-8). The cosines of the last few
// hundred such latitudes are kept: a track wanders among a few of them, and
// the cosine dominates the cost of the sum otherwise.
class LatitudeCosine {
public:
    LatitudeCosine()
    {
        for (Entry& e : entries_)
            e.key = std::nan("");
    }

    double operator()(double minutes)
    {
        const double x = minutes * 100;
        double key;
        std::size_t slot = 0;
        // nearbyint without the library call: adding 1.5 * 2^52 leaves the
        // nearest whole number, halves to even, in the low bits.
        if (std::fabs(x) < 2251799813685248.0) {
            constexpr double kShift = 6755399441055744.0;
            const double shifted = x + kShift;
            key = shifted - kShift;
            std::uint64_t bits;
            std::memcpy(&bits, &shifted, sizeof bits);
            slot = static_cast<std::size_t>(bits % kSlots);
        } else {
            key = std::nearbyint(x);
        }
        Entry& e = entries_[slot];
        if (!(e.key == key)) {
            e.key = key;
            e.value = std::cos(key / 100 / 60 * (M_PI / 180));
        }
        return e.value;
    }

private:
    static constexpr std::size_t kSlots = 256;
    struct Entry {
        double key, value;
    };
    Entry entries_[kSlots];
};

// A sum of squares is never negative: no error to report, no library call.
double SquareRoot(double x)
{
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(x)));
#else
    return std::sqrt(x);
#endif
}

// The extent of points [from, to) and the length of the legs that end at them.
struct Stretch {
    double south, north, west, east, distance;
};

Stretch SummarizeStretch(const double* lat, const double* lon, std::size_t from, std::size_t to)
{
    // In locals: the compiler cannot tell a result in memory from the arrays.
    double south = lat[from], north = lat[from], west = lon[from], east = lon[from], distance = 0;
    LatitudeCosine cosine;
    for (std::size_t i = from; i < to; ++i) {
        south = std::min(south, lat[i]);
        north = std::max(north, lat[i]);
        west = std::min(west, lon[i]);
        east = std::max(east, lon[i]);
        const double dlat = lat[i] - lat[i - 1];
        double dlon = lon[i] - lon[i - 1];
        // A leg across the 180th meridian is the short way round.
        if (std::fabs(dlon) > 10800)
            dlon -= std::copysign(21600.0, dlon);
        dlon *= cosine((lat[i] + lat[i - 1]) / 2);
        distance += SquareRoot(dlat * dlat + dlon * dlon);
    }
    return {south, north, west, east, distance};
}

} // namespace

TrackSummary SummarizeTrack(const TrackStore& store)
{
    TrackSummary s;
    s.count = store.TrackCount;
    if (s.count <= 0)
        return s;
    s.first_time = store.TrackTime[1];
    s.last_time = store.TrackTime[store.TrackCount];
    const double* lat = store.TrackLat.data();
    const double* lon = store.TrackLon.data();
    s.south = s.north = lat[1];
    s.west = s.east = lon[1];
    // The legs are summed in blocks of a fixed length, block sums in order,
    // so the length does not depend on how many threads shared the work.
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    const std::size_t legs = static_cast<std::size_t>(s.count) - 1;
    const std::size_t blocks = (legs + kBlock - 1) / kBlock;
    std::vector<Stretch> stretches(blocks);
    ShareChunks(blocks, [&](std::size_t b) {
        stretches[b] = SummarizeStretch(lat, lon, 2 + b * kBlock, 2 + std::min(legs, (b + 1) * kBlock));
    });
    for (const Stretch& stretch : stretches) {
        s.south = std::min(s.south, stretch.south);
        s.north = std::max(s.north, stretch.north);
        s.west = std::min(s.west, stretch.west);
        s.east = std::max(s.east, stretch.east);
        s.distance += stretch.distance;
    }
    return s;
}

} // namespace tackedit
