// Writes the benchmark inputs: a GPX track of N points and an NMEA log of M lines
// (RMC sentences interleaved with GGA sentences, as receivers log them).
//   make-bench-tracks GPX_PATH N NMEA_PATH M

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

const char kUsage[] = "usage: make-bench-tracks GPX_PATH POINTS NMEA_PATH LINES\n";

// A positive count, or -1: atol would turn a typo into an empty file.
long ParseCount(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && errno == 0 && n > 0) ? n : -1;
}

std::FILE* OpenOrComplain(const char* path)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        std::fprintf(stderr, "make-bench-tracks: %s: %s\n", path, std::strerror(errno));
    return f;
}

// Closes the file; on a write error says so and removes it, since a short
// benchmark input would make the timings meaningless. Only a regular file is
// removed: the path may name a device.
bool CloseOrComplain(std::FILE* f, const char* path)
{
    const bool ok = !std::ferror(f);
    const int saved = errno;
    if (std::fclose(f) == 0 && ok)
        return true;
    std::fprintf(stderr, "make-bench-tracks: %s: %s\n", path, std::strerror(ok ? errno : saved));
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec))
        std::filesystem::remove(path, ec);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const long points = ParseCount(argv[2]);
    const long lines = ParseCount(argv[4]);
    if (points < 0 || lines < 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::FILE* gpx = OpenOrComplain(argv[1]);
    if (!gpx)
        return 1;
    std::fprintf(gpx, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<gpx version=\"1.1\" creator=\"make-bench-tracks\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                      "<trk><name>bench</name><trkseg>\n");
    const long start = 1262304000;  // 2010-01-01 00:00:00
    for (long i = 0; i < points; ++i) {
        const double lat = 35.0 + 0.01 * std::sin(i * 0.001) + i * 1e-7;
        const double lon = 139.5 + 0.01 * std::cos(i * 0.001);
        const long t = start + i;
        const long day = t / 86400, sec = t % 86400;
        // 2010-01-01 is day 14610 since 1970; keep within one year for simplicity.
        const long doy = day - 14610;
        static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        int month = 0;
        long d = doy % 365;
        while (d >= mdays[month]) {
            d -= mdays[month];
            ++month;
        }
        std::fprintf(gpx,
                     "  <trkpt lat=\"%.7f\" lon=\"%.7f\">\n    <ele>%.1f</ele>\n"
                     "    <time>%04ld-%02d-%02ldT%02ld:%02ld:%02ldZ</time>\n  </trkpt>\n",
                     lat, lon, 10.0 + (i % 50) * 0.1, 2010 + doy / 365, month + 1, d + 1, sec / 3600,
                     sec / 60 % 60, sec % 60);
    }
    std::fprintf(gpx, "</trkseg></trk>\n</gpx>\n");
    if (!CloseOrComplain(gpx, argv[1]))
        return 1;

    std::FILE* nmea = OpenOrComplain(argv[3]);
    if (!nmea)
        return 1;
    for (long i = 0; i < lines; ++i) {
        const long t = i / 2;
        const long sec = t % 86400, day = 1 + (t / 86400) % 28;
        const double lat = 3500.0 + 0.6 * std::sin(t * 0.001);
        const double lon = 13930.0 + 0.6 * std::cos(t * 0.001);
        char body[160];
        if (i % 2 == 0)
            std::snprintf(body, sizeof body, "GPRMC,%02ld%02ld%02ld.00,A,%09.4f,N,%010.4f,E,5.2,84.4,%02ld0310,,,A",
                          sec / 3600, sec / 60 % 60, sec % 60, lat, lon, day);
        else
            std::snprintf(body, sizeof body, "GPGGA,%02ld%02ld%02ld.00,%09.4f,N,%010.4f,E,1,08,0.9,12.3,M,39.0,M,,",
                          sec / 3600, sec / 60 % 60, sec % 60, lat, lon);
        unsigned checksum = 0;
        for (const char* p = body; *p; ++p)
            checksum ^= static_cast<unsigned char>(*p);
        std::fprintf(nmea, "$%s*%02X\r\n", body, checksum);
    }
    return CloseOrComplain(nmea, argv[3]) ? 0 : 1;
}
