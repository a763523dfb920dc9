#include "check/photo_time.h"

#include "pictures/photo_metadata.h"
#include "race/race_file.h"

namespace tackedit {

std::optional<DateTime> ReadCaptureTime(const std::string& path)
{
    const std::string text = ReadPhotoMetadata(path);
    if (text.empty())
        return std::nullopt;
    return ParseRaceDateTime(text);
}

} // namespace tackedit
