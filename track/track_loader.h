#pragma once

#include "platform/beeper.h"
#include "platform/cursor.h"
#include "platform/pending_events.h"
#include "track/track_store.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tackedit {

struct VkxEvents;

// Values every load resets and the editor reads.
struct TrackEditState {
    std::string CurrentTrackFile;  // the caller's to set
    std::int32_t FirstPresent = 1;
    std::int32_t LastPresent = 0;
    std::int32_t LoadedInterval = 0;  // mean sampling interval, seconds
    double LoadedIntervalSeconds = 0;  // the same unrounded: a 10 Hz track's 0.1
    std::int32_t DeletedCount = 0;
    std::int32_t AreaDeletedCount = 0;
    std::int32_t TimeDeletedCount = 0;
    std::int32_t PointDeletedCount = 0;
    std::int32_t AutoDeletedCount = 0;
};

// What a load needs from the window.
struct LoadServices {
    PendingEvents& events;
    Beeper& beeper;
    CursorControl& cursor;
    std::function<void()> ShowDeletionCounts;  // the editor's; may be empty
    // Given, it receives what a race timer's file holds besides the track
    // (emptied by every load, whatever the file).
    VkxEvents* vkx_events = nullptr;
};

// The reader chosen by the last three characters of the name, lower-cased.
enum class TrackFileKind { None, Gpx, Gdb, Trb, Trl, Text, Nmea, Fit, Vkx, Tcx, Kml, Kmz };
TrackFileKind TrackFileKindOf(const std::string& path);

// Span of the track in single precision, times 86400, divided by the point count
// (not the interval count), halves to even; 0 for an empty track.
std::int32_t MeanSamplingInterval(const TrackStore& store);
// The same before rounding.
double MeanSamplingSeconds(const TrackStore& store);

// The note of a load that left out fixes at latitude 0 and longitude 0.
std::string ZeroFixesNote(std::int32_t fixes);

// Reads the file into the store. A missing file changes nothing. A conversion
// error propagates as DataError; TrackCount is then 0 for the text formats and the
// points stored so far for the binary ones. Fixes at latitude 0 and longitude 0
// are left out, counted in ZeroFixesLeftOut and said in a note (the first one
// when no other fix is left).
void LoadTrackFile(const std::string& path, TrackStore& store, TrackEditState& edit, LoadServices& services);

} // namespace tackedit
