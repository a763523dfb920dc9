// Writes the benchmark inputs: a GPX track of N points and an NMEA log of M lines
// (RMC sentences interleaved with GGA sentences, as receivers log them).
//   make-bench-tracks GPX_PATH N NMEA_PATH M

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: make-bench-tracks GPX_PATH POINTS NMEA_PATH LINES\n");
        return 2;
    }
    const long points = std::atol(argv[2]);
    const long lines = std::atol(argv[4]);

    std::FILE* gpx = std::fopen(argv[1], "wb");
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
    if (std::fclose(gpx) != 0)
        return 1;

    std::FILE* nmea = std::fopen(argv[3], "wb");
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
    return std::fclose(nmea) == 0 ? 0 : 1;
}
