#pragma once

// TRB, the viewer's own track format: fixed records of 12 bytes (seconds since
// 1970, then latitude and longitude as single-precision degrees). The reader
// sets TrackCount whenever it finishes; the path form beeps once per file read.

#include "platform/beeper.h"
#include "platform/pending_events.h"
#include "track/track_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tackedit {

void ParseTrbTrack(std::string_view data, TrackStore& store, PendingEvents& events);
void ReadTrbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

// Points 1..TrackCount whatever their marks, 12 bytes each, leaving out those
// of the second before (see WholeSecondFormat). The file is replaced only once
// it is completely written.
std::string EncodeTrbTrack(const TrackStore& store, const std::string& file, std::int32_t* left_out = nullptr);
std::int32_t WriteTrbTrack(const std::string& path, const TrackStore& store);

} // namespace tackedit
