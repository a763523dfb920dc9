#pragma once

// GPX: the track points (trkpt) with their lat, lon and time.
//
// Like every text reader: the path form is what the loader calls (a missing
// file changes nothing), the buffer form does the work, so tests and fuzzers
// can feed bytes directly. A value that does not convert raises DataError
// naming the file and line, and then TrackCount stays as the loader set it (0).

#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseGpxTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseGpxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadGpxTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
