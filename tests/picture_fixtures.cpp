#include "picture_fixtures.h"

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace tackedit::fixtures {

namespace {

void PutShort(std::string& out, std::size_t at, std::uint16_t v, bool big)
{
    out[at] = static_cast<char>(big ? v >> 8 : v & 0xff);
    out[at + 1] = static_cast<char>(big ? v & 0xff : v >> 8);
}

} // namespace

void PutTiffLong(std::string& payload, std::size_t at, std::uint32_t v, bool big)
{
    for (int i = 0; i < 4; ++i)
        payload[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (big ? 24 - 8 * i : 8 * i) & 0xff);
}

std::string ExifPayload(const ExifBlock& block)
{
    const bool big = block.big_endian;
    const std::string text = block.date_time_original + std::string(1, '\0');
    std::string tiff(44, '\0');
    tiff[0] = tiff[1] = big ? 'M' : 'I';
    PutShort(tiff, 2, 42, big);
    PutTiffLong(tiff, 4, 8, big);
    // IFD0 at 8: one entry, the Exif IFD pointer (LONG) to 26.
    PutShort(tiff, 8, 1, big);
    PutShort(tiff, 10, 0x8769, big);
    PutShort(tiff, 12, 4, big);
    PutTiffLong(tiff, 14, 1, big);
    PutTiffLong(tiff, 18, 26, big);
    PutTiffLong(tiff, 22, 0, big);
    // Exif IFD at 26: DateTimeOriginal, its text at 44.
    PutShort(tiff, 26, 1, big);
    PutShort(tiff, 28, 0x9003, big);
    PutShort(tiff, 30, block.type, big);
    PutTiffLong(tiff, 32, static_cast<std::uint32_t>(text.size()), big);
    PutTiffLong(tiff, 36, 44, big);
    PutTiffLong(tiff, 40, 0, big);
    return std::string("Exif\0\0", 6) + tiff + text;
}

std::string MakeJpeg(int width, int height, int quality, const std::optional<std::string>& exif_payload,
                     unsigned seed, bool grayscale, bool progressive)
{
    const int channels = grayscale ? 1 : 3;
    std::mt19937 random(seed);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * channels);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = channels;
    cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.write_JFIF_header = FALSE;  // cameras start with the Exif block
    jpeg_start_compress(&cinfo, TRUE);
    if (exif_payload)
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif_payload->data()),
                          static_cast<unsigned>(exif_payload->size()));
    const int phase = static_cast<int>(seed % 97);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const int noise = static_cast<int>(random() % 24) - 12;
            const int checker = ((x + phase) / 16 + y / 16) % 2 ? 40 : 0;
            const int base[3] = {x * 200 / width + checker, y * 200 / height + checker,
                                 (x + y) * 100 / (width + height) + 60};
            for (int c = 0; c < channels; ++c)
                row[static_cast<std::size_t>(x * channels + c)] =
                    static_cast<unsigned char>(std::clamp(base[c] + noise, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

namespace {

// Calls f(marker, payload) for each segment before the image data.
template <class F>
void Segments(const std::string& jpeg, F f)
{
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[pos]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[pos + 1]);
        const std::size_t length =
            static_cast<unsigned char>(jpeg[pos + 2]) << 8 | static_cast<unsigned char>(jpeg[pos + 3]);
        if (marker == 0xDA || length < 2 || pos + 2 + length > jpeg.size())
            return;
        f(marker, jpeg.substr(pos + 4, length - 2));
        pos += 2 + length;
    }
}

} // namespace

std::optional<std::string> QuantTable(const std::string& jpeg, int table)
{
    std::optional<std::string> found;
    Segments(jpeg, [&](unsigned char marker, const std::string& payload) {
        for (std::size_t i = 0; marker == 0xDB && i + 65 <= payload.size(); i += 65)
            if ((payload[i] & 0x0F) == table && (payload[i] & 0xF0) == 0)
                found = payload.substr(i + 1, 64);
    });
    return found;
}

std::optional<JpegFrame> ReadFrame(const std::string& jpeg)
{
    std::optional<JpegFrame> frame;
    bool app1 = false;
    Segments(jpeg, [&](unsigned char marker, const std::string& p) {
        if (marker == 0xE1)
            app1 = true;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC && p.size() >= 5)
            frame = JpegFrame{static_cast<unsigned char>(p[3]) << 8 | static_cast<unsigned char>(p[4]),
                              static_cast<unsigned char>(p[1]) << 8 | static_cast<unsigned char>(p[2]),
                              marker == 0xC0, false};
    });
    if (frame)
        frame->has_app1 = app1;
    return frame;
}

} // namespace tackedit::fixtures
