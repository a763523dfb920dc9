#pragma once

// TCX (training apps): every Trackpoint with a Time and both degrees of its
// Position. XML that is not well-formed raises DataError with its line.

#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseTcxTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseTcxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadTcxTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
