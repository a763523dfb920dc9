#pragma once

// trl: fixed records of time (seconds since 1970), latitude and longitude
// (single-precision degrees), 16 or 20 bytes each. The reader sets TrackCount
// whenever it finishes; the path form beeps once per file read.

#include "platform/beeper.h"
#include "platform/pending_events.h"
#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseTrlTrack(std::string_view data, TrackStore& store, PendingEvents& events);
void ReadTrlTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

} // namespace tackedit
