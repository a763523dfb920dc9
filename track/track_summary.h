#pragma once

#include "track/track_store.h"

#include <cstdint>

namespace tackedit {

// What a quick look at a track shows: its extent in time and space and its
// length. Positions in minutes of arc, as the store holds them.
struct TrackSummary {
    std::int32_t count = 0;
    double first_time = 0, last_time = 0;  // of points 1 and TrackCount
    double south = 0, north = 0, west = 0, east = 0;
    double distance = 0;  // nautical miles along the track
};

// Over points 1..TrackCount whatever their marks. Each leg is measured on the
// sphere's local plane: a minute of latitude is a nautical mile and a minute of
// longitude the cosine of the leg's mean latitude of one (the editor's fixed
// 0.81 suits only the latitudes of Japan).
TrackSummary SummarizeTrack(const TrackStore& store);

} // namespace tackedit
