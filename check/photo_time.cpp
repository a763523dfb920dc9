#include "check/photo_time.h"

#include <libexif/exif-data.h>

#include <memory>
#include <string_view>

namespace tackedit {

std::optional<DateTime> ReadCaptureTime(const std::string& path)
{
    const std::unique_ptr<ExifData, void (*)(ExifData*)> data(exif_data_new_from_file(path.c_str()),
                                                             exif_data_unref);
    if (!data)
        return std::nullopt;
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || entry->size < 19)
        return std::nullopt;
    // "YYYY:MM:DD HH:MM:SS"
    const std::string_view text(reinterpret_cast<const char*>(entry->data), 19);
    std::string date(text.substr(0, 10));
    for (char& c : date)
        if (c == ':')
            c = '/';
    const auto day = ParseDateYmd(date);
    const auto time = ParseTimeOfDay(text.substr(11));
    if (!day || !time || text[10] != ' ')
        return std::nullopt;
    return *day + *time;
}

} // namespace tackedit
