#pragma once

// Photographs made at test time: JPEGs encoded here, with an Exif block of our
// own writing in either byte order, so no binary picture is kept in the tree.

#include <cstdint>
#include <optional>
#include <string>

namespace tackedit::fixtures {

struct ExifBlock {
    bool big_endian = false;
    std::string date_time_original = "2010:05:12 10:20:30";
    std::uint16_t type = 2;  // 2 = ASCII
};

// The APP1 payload: "Exif\0\0", a TIFF header, IFD0 pointing to the Exif IFD,
// whose one entry is DateTimeOriginal.
std::string ExifPayload(const ExifBlock& block);

// Offsets inside the payload (after "Exif\0\0" is offset 6), for damaging it.
inline constexpr std::size_t kExifIfdPointerValue = 6 + 8 + 2 + 8;  // IFD0's Exif IFD pointer
inline constexpr std::size_t kExifIfdEntryCount = 6 + 26;
inline constexpr std::size_t kDateCountField = 6 + 26 + 2 + 4;   // count of the DateTimeOriginal entry
inline constexpr std::size_t kDateOffsetField = 6 + 26 + 2 + 8;  // where its text is

// Writes a 32-bit value in the payload's byte order.
void PutTiffLong(std::string& payload, std::size_t at, std::uint32_t value, bool big_endian);

// A baseline JPEG of a gradient with a checker pattern and some noise (seeded),
// with the Exif payload as its first segment when given. grayscale: one channel;
// progressive: the library's usual sequence of scans.
std::string MakeJpeg(int width, int height, int quality, const std::optional<std::string>& exif_payload,
                     unsigned seed = 1, bool grayscale = false, bool progressive = false);

// Writes bytes to a file, creating nothing else.
void WriteBytes(const std::string& path, const std::string& bytes);

// The quantisation table values of a JPEG's DQT segments in file order (table
// 0 first), natural zig-zag order as stored.
std::optional<std::string> QuantTable(const std::string& jpeg, int table);

// Width and height from a JPEG's SOF segment, and whether it is baseline (SOF0).
struct JpegFrame {
    int width = 0, height = 0;
    bool baseline = false;
    bool has_app1 = false;
};
std::optional<JpegFrame> ReadFrame(const std::string& jpeg);

} // namespace tackedit::fixtures
