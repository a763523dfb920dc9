// Writes the race check benchmark's workspace: BOATS boats with POINTS-point
// tracks one second apart (GPX, NMEA logs and TRB in turn) and the race file
// "bench_race.txt" naming them. Boat 7's logger wrote local time as UTC and boat
// 21 has three wild positions, so the check has something to find.
// With HZ (the analysis benchmark), POINTS seconds of HZ fixes a second (the
// readers keep whole seconds), a course round two marks between two lines,
// and up to 200 boats: a race file holds 80, so boats past the 80th go to
// bench_race_2.txt and bench_race_3.txt.
//   make-check-workspace FOLDER BOATS POINTS [HZ]

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: make-check-workspace FOLDER BOATS POINTS [HZ]\n";
long g_hz = 1;         // fixes a second
bool g_course = false;  // the analysis's workspace
const long kStart = 1718412900;  // 2024-06-15 00:55:00 UTC, five minutes before the gun

long ParseCount(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && errno == 0 && n > 0) ? n : -1;
}

struct Fix {
    long time;
    double lat, lon;  // degrees
};

// Fix i of a boat: at one fix a second (the check's workspace) boats lie 11 m
// apart; the analysis's fleet sails its course within 40 m of each other.
Fix FixOf(long boat, long i)
{
    const double phase = static_cast<double>(i) / static_cast<double>(g_hz) * 0.002 + boat * 0.7;
    const double apart = g_course ? (boat % 40) * 1e-5 : boat * 1e-4;
    Fix f{kStart + i / g_hz, 35.25 + 0.01 * std::sin(phase) + apart, 139.45 + 0.012 * std::cos(phase)};
    if (boat == 7)
        f.time += 9 * 3600;
    if (boat == 21 && i % (3000 * g_hz) == 1500)
        f.lat += 0.1;
    return f;
}

void Clock(long t, int& hour, int& minute, int& second)
{
    hour = static_cast<int>(t % 86400 / 3600);
    minute = static_cast<int>(t % 3600 / 60);
    second = static_cast<int>(t % 60);
}

// The date is 2024-06-15 or, past midnight, the 16th.
int Day(long t) { return 15 + static_cast<int>((t - 1718409600) / 86400); }

void WriteGpx(std::FILE* f, long boat, long points)
{
    std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\">\n"
                    "<trk><trkseg>\n");
    for (long i = 0; i < points; ++i) {
        const Fix x = FixOf(boat, i);
        int h, m, s;
        Clock(x.time, h, m, s);
        std::fprintf(f, "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>2.0</ele><time>2024-06-%02dT%02d:%02d:%02dZ</time>"
                        "</trkpt>\n", x.lat, x.lon, Day(x.time), h, m, s);
    }
    std::fprintf(f, "</trkseg></trk>\n</gpx>\n");
}

void WriteNmea(std::FILE* f, long boat, long points)
{
    for (long i = 0; i < points; ++i) {
        const Fix x = FixOf(boat, i);
        int h, m, s;
        Clock(x.time, h, m, s);
        const double lat = std::floor(x.lat) * 100 + (x.lat - std::floor(x.lat)) * 60;
        const double lon = std::floor(x.lon) * 100 + (x.lon - std::floor(x.lon)) * 60;
        char body[2][160];
        std::snprintf(body[0], sizeof body[0], "GPRMC,%02d%02d%02d.00,A,%09.4f,N,%010.4f,E,5.2,84.4,%02d0624,,,A", h,
                      m, s, lat, lon, Day(x.time));
        std::snprintf(body[1], sizeof body[1], "GPGGA,%02d%02d%02d.00,%09.4f,N,%010.4f,E,1,08,0.9,2.0,M,39.0,M,,", h,
                      m, s, lat, lon);
        for (const char* sentence : body) {
            unsigned checksum = 0;
            for (const char* p = sentence; *p; ++p)
                checksum ^= static_cast<unsigned char>(*p);
            std::fprintf(f, "$%s*%02X\r\n", sentence, checksum);
        }
    }
}

void PutLittleEndian(std::FILE* f, std::uint32_t v)
{
    const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(bytes, 1, 4, f);
}

void WriteTrb(std::FILE* f, long boat, long points)
{
    for (long i = 0; i < points; ++i) {
        const Fix x = FixOf(boat, i);
        const float lat = static_cast<float>(x.lat), lon = static_cast<float>(x.lon);
        std::uint32_t bits[2];
        std::memcpy(&bits[0], &lat, 4);
        std::memcpy(&bits[1], &lon, 4);
        PutLittleEndian(f, static_cast<std::uint32_t>(x.time));
        PutLittleEndian(f, bits[0]);
        PutLittleEndian(f, bits[1]);
    }
}

bool Write(const std::filesystem::path& path, long boat, long points, void (*writer)(std::FILE*, long, long))
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "make-check-workspace: %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (writer)
        writer(f, boat, points);
    const bool ok = !std::ferror(f);
    if (std::fclose(f) == 0 && ok)
        return true;
    std::fprintf(stderr, "make-check-workspace: %s: write failed\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const long boats = ParseCount(argv[2]);
    const long seconds = ParseCount(argv[3]);
    g_hz = argc == 5 ? ParseCount(argv[4]) : 1;
    const bool course = g_course = argc == 5;
    if (boats < 0 || boats > (course ? 240 : 80) || seconds < 0 || g_hz < 0 || g_hz > 50) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    std::error_code error;
    for (const char* folder : {"gpsdat", "raceadmin"})
        fs::create_directories(root / folder, error);

    const long points = seconds * g_hz;
    // The race runs from the first fix plus five minutes to the last minus five.
    const long finish = kStart + seconds - 300 + 9 * 3600;
    int fh, fm, fs_;
    Clock(finish, fh, fm, fs_);
    std::string race = "T1,Check benchmark\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/" + std::to_string(Day(finish)) +
                       " " + std::to_string(fh) + ":" + (fm < 10 ? "0" : "") + std::to_string(fm) + ":" +
                       (fs_ < 10 ? "0" : "") + std::to_string(fs_) + "\r\nTD,9\r\n";
    if (course)  // the marks north and south of the loop, both lines across its east side
        race += "LG,8\r\nMG,0\r\nWD, 0\r\nMK,35.2605,139.4500\r\nMK,35.2395,139.4500\r\n"
                "LN,35.2500,139.4600,35.2500,139.4680\r\nLN,35.2510,139.4600,35.2510,139.4680\r\nCRS,S,1,2,F\r\n";
    std::vector<std::string> races(1, race);
    for (long b = 1; b <= boats; ++b) {
        static const char* const kEndings[] = {"gpx", "log", "gpx", "trb"};
        const char* ending = kEndings[b % 4];
        char name[32];
        std::snprintf(name, sizeof name, "boat%02ld.%s", b, ending);
        const auto writer = ending[0] == 'g' ? WriteGpx : ending[0] == 'l' ? WriteNmea : WriteTrb;
        if (!Write(root / "gpsdat" / name, b, points, writer))
            return 1;
        if (b > 1 && (b - 1) % 80 == 0)
            races.push_back(race);
        races.back() += "BN," + std::string(name) + ",Boat " + std::to_string(b) + "\r\n";
    }
    for (std::size_t k = 0; k < races.size(); ++k) {
        const std::string file = k == 0 ? "bench_race.txt" : "bench_race_" + std::to_string(k + 1) + ".txt";
        std::FILE* f = std::fopen((root / "raceadmin" / file).c_str(), "wb");
        const std::string& text = races[k];
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "make-check-workspace: cannot write the race file\n");
            return 1;
        }
    }
    return Write(root / "tackvue.exe", 0, 0, nullptr) ? 0 : 1;
}
