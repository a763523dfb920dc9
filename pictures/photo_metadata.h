#pragma once

// The capture time of a photograph, from the Exif block in its JPEG header.

#include <string>
#include <string_view>

namespace tackedit {

// The Exif DateTimeOriginal item (36867) of a JPEG, reformatted: the first two
// colons become "/" ("2010:05:12 10:20:30" gives "2010/05/12 10:20:30").
// Empty for anything that is not a JPEG with that item as ASCII text. Only the
// markers before the image data are read; no pixel is decoded, so a picture
// whose scan data is cut short still has its time. Never throws for bad data.
std::string CaptureTimeFromJpeg(std::string_view jpeg);

// The same for a file; empty also when the file is missing or unreadable.
std::string ReadPhotoMetadata(const std::string& path);

// The time and whether the file could be read as a JPEG at all: false when it
// cannot be opened, does not start as a JPEG, or its header is broken or runs
// past a sane length before the image data.
struct PhotoCaptureTime {
    std::string text;
    bool readable = false;
};
PhotoCaptureTime ReadPhotoCaptureTime(const std::string& path);

// The reformatting alone, on the item's text.
std::string CaptureTimeText(std::string_view exif_text);

} // namespace tackedit
