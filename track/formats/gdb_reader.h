#pragma once

// gdb (Garmin's database files): no structure is read, the track points are
// found by a byte-pattern scan for their two record layouts. The reader sets
// TrackCount whenever it finishes; the path form beeps once per file read.

#include "platform/beeper.h"
#include "platform/pending_events.h"
#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseGdbTrack(std::string_view data, TrackStore& store, PendingEvents& events);
// Scans pieces of options.bytes at once, each on the guess that no record
// before it reaches into it, and puts each right where that guess was wrong.
void ParseGdbTrackInPieces(std::string_view data, TrackStore& store, PendingEvents& events,
                           const PieceOptions& options);
void ReadGdbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

} // namespace tackedit
