#include "track/track_summary.h"

#include <algorithm>
#include <cmath>

namespace tackedit {

namespace {

// cos of a latitude in minutes, looked up to the nearest hundredth of a minute
// of the latitude (a relative error below 1e-8): consecutive legs mostly share
// it, and the cosine dominates the cost of the sum otherwise.
class LatitudeCosine {
public:
    double operator()(double minutes)
    {
        const double key = std::nearbyint(minutes * 100);
        if (key != key_) {
            key_ = key;
            value_ = std::cos(key / 100 / 60 * (M_PI / 180));
        }
        return value_;
    }

private:
    double key_ = std::nan("");
    double value_ = 1;
};

} // namespace

TrackSummary SummarizeTrack(const TrackStore& store)
{
    TrackSummary s;
    s.count = store.TrackCount;
    if (s.count <= 0)
        return s;
    s.first_time = store.TrackTime[1];
    s.last_time = store.TrackTime[store.TrackCount];
    s.south = s.north = store.TrackLat[1];
    s.west = s.east = store.TrackLon[1];
    LatitudeCosine cosine;
    double distance = 0;
    for (std::int32_t i = 2; i <= store.TrackCount; ++i) {
        const double lat = store.TrackLat[i], lon = store.TrackLon[i];
        s.south = std::min(s.south, lat);
        s.north = std::max(s.north, lat);
        s.west = std::min(s.west, lon);
        s.east = std::max(s.east, lon);
        const double dlat = lat - store.TrackLat[i - 1];
        double dlon = lon - store.TrackLon[i - 1];
        // A leg across the 180th meridian is the short way round.
        if (std::fabs(dlon) > 10800)
            dlon -= std::copysign(21600.0, dlon);
        dlon *= cosine((lat + store.TrackLat[i - 1]) / 2);
        distance += std::sqrt(dlat * dlat + dlon * dlon);
    }
    s.distance = distance;
    return s;
}

} // namespace tackedit
