#pragma once

#include "base/datetime.h"

#include <optional>
#include <string>

namespace tackedit {

// The capture time a camera wrote into a JPEG (Exif DateTimeOriginal, the
// camera's local time); nullopt for a file without one or not a picture.
std::optional<DateTime> ReadCaptureTime(const std::string& path);

} // namespace tackedit
