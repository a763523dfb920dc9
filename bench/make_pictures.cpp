// Writes camera-like JPEG photographs with an Exif capture time, for the
// picture benchmarks, the command-line tests and the demo workspace.
// Usage: make-pictures FOLDER COUNT WIDTH HEIGHT QUALITY "YYYY:MM:DD HH:MM:SS" STEP_SECONDS [DISTINCT [progressive]]
// Only DISTINCT pictures are encoded (all of them by default); the others are
// their copies with their own capture time.

#include "picture_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace tackedit::fixtures;
    if (argc < 8) {
        std::fprintf(stderr, "usage: make-pictures FOLDER COUNT WIDTH HEIGHT QUALITY \"YYYY:MM:DD HH:MM:SS\" STEP "
                             "[DISTINCT]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const int quality = std::atoi(argv[5]);
    std::tm start{};
    if (std::sscanf(argv[6], "%d:%d:%d %d:%d:%d", &start.tm_year, &start.tm_mon, &start.tm_mday, &start.tm_hour,
                    &start.tm_min, &start.tm_sec) != 6)
        return 2;
    start.tm_year -= 1900;
    start.tm_mon -= 1;
    const long step = std::atol(argv[7]);
    const int distinct = argc > 8 ? std::atoi(argv[8]) : count;
    const bool progressive = argc > 9 && std::string(argv[9]) == "progressive";
    const std::time_t base = timegm(&start);
    std::vector<std::string> encoded;
    for (int i = 0; i < count; ++i) {
        const std::time_t t = base + i * step;
        std::tm parts{};
        gmtime_r(&t, &parts);
        char text[32];
        std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &parts);
        ExifBlock block;
        block.date_time_original = text;
        block.big_endian = i % 2 == 1;
        const std::string exif = ExifPayload(block);
        std::string jpeg;
        if (i < distinct) {
            jpeg = MakeJpeg(width, height, quality, exif, static_cast<unsigned>(i + 1), false, progressive);
            encoded.push_back(jpeg);
        } else {
            // The Exif block is the first segment and always the same length.
            jpeg = encoded[static_cast<std::size_t>(i % distinct)];
            jpeg.replace(6, exif.size(), exif);
        }
        char name[64];
        std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i + 1);
        WriteBytes(folder + name, jpeg);
    }
    return 0;
}
