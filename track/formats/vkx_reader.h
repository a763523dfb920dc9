#pragma once

// Vakaros race-timer logs (.vkx): rows of one key byte and a payload whose size
// the key and the format version fix. The track is the position rows; what the
// timer knows of the start (its race start and end, the pinged line ends) is
// kept beside it for the race check and `tackedit-cli info`.

#include "base/datetime.h"
#include "track/track_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct VkxEvent {
    enum Kind { RaceStart, RaceEnd, Pin, Boat } kind;
    DateTime time;          // UTC, to the millisecond
    double lat = 0, lon = 0;  // minutes of arc; pings only
};

// In file order. The pings whose position is not one are left out.
struct VkxEvents {
    std::vector<VkxEvent> list;
};

// The first format version this reader does not know.
inline constexpr unsigned kVkxVersions = 6;

// Raises DataError naming the byte offset for a key or a version it does not
// know; a row cut off at the end is left out and said in store.ReadNotes.
// `events` (may be null) is replaced by the file's events once it has read.
void ParseVkxTrack(std::string_view data, const std::string& file, TrackStore& store, VkxEvents* events = nullptr);
void ReadVkxTrack(const std::string& path, TrackStore& store, VkxEvents* events = nullptr);

// "race_start", "race_end", "pin", "boat".
const char* VkxEventName(VkxEvent::Kind kind);

} // namespace tackedit
