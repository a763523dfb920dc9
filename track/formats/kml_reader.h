#pragma once

// KML: gx:Track and Track, their n-th `when` with their n-th coord; a file of
// lines and places only gives no points and a note. KMZ: the first .kml entry
// of the zip, refused when it would inflate beyond 1 GB. XML that is not
// well-formed raises DataError with its line.

#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseKmlTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseKmlTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadKmlTrack(const std::string& path, TrackStore& store);

void ParseKmzTrack(std::string_view data, const std::string& file, TrackStore& store);
void ReadKmzTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
