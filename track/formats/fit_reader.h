#pragma once

// FIT (watches, bike computers). What it reads past, or why it found no point,
// goes to store.ReadNotes; a damaged or cut-off file keeps the points before
// the damage. Bytes that do not begin with a FIT header raise DataError.

#include "track/track_store.h"

#include <string>
#include <string_view>

namespace tackedit {

void ParseFitTrack(std::string_view data, const std::string& file, TrackStore& store);
void ReadFitTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
