#pragma once

// The GPX the viewer and other programs read back: present points only
// (TrackMark 0), as one track segment, one point a second (see
// WholeSecondFormat). The file is replaced only once it is completely written.

#include "track/track_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tackedit {

std::string EncodeGpxTrack(const TrackStore& store, std::int32_t* left_out = nullptr);
std::int32_t WriteGpxTrack(const std::string& path, const TrackStore& store);

} // namespace tackedit
