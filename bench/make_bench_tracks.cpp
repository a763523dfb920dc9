// Writes the load benchmark's inputs: the same boat's track, POINTS fixes at one
// a second, in every format the loader reads, laid out as loggers and handheld
// units write them.
//   make-bench-tracks DIR POINTS       bench.gpx bench.log bench_fixes.log
//                                      bench_{deg,dm,dms}.dtr bench.gdb bench.trl bench.trb
//   make-bench-tracks --fixes FILE POINTS       a log of GGA and ZDA, no RMC
//   make-bench-tracks --race DIR BOATS POINTS   gpsdat/boatN.gpx, one per boat

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

const char kUsage[] = "usage: make-bench-tracks DIR POINTS\n"
                      "       make-bench-tracks --fixes FILE POINTS\n"
                      "       make-bench-tracks --race DIR BOATS POINTS\n";

// A positive count, or -1: atol would turn a typo into an empty file.
long ParseCount(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && errno == 0 && n > 0) ? n : -1;
}

// A file written through a large buffer; on any write error it says so and
// removes what it wrote, since a short input would make the timings meaningless.
class Output {
public:
    explicit Output(std::string path) : path_(std::move(path)), file_(std::fopen(path_.c_str(), "wb"))
    {
        if (!file_)
            std::fprintf(stderr, "make-bench-tracks: %s: %s\n", path_.c_str(), std::strerror(errno));
        else
            std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output()
    {
        if (file_)
            Close();
    }

    bool ok() const { return file_ != nullptr; }
    void Text(const char* text) { std::fputs(text, file_); }
    void Bytes(const void* data, std::size_t n) { std::fwrite(data, 1, n, file_); }
    template <class... Args>
    void Format(const char* format, Args... args)
    {
        std::fprintf(file_, format, args...);
    }

    bool Close()
    {
        const bool written = !std::ferror(file_);
        const int saved = errno;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (written && closed)
            return true;
        std::fprintf(stderr, "make-bench-tracks: %s: %s\n", path_.c_str(), std::strerror(written ? errno : saved));
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        return false;
    }

private:
    std::string path_;
    std::FILE* file_;
};

struct Civil {
    int year, month, day, hour, minute, second;
};

// Seconds since 1970 to a UTC calendar date (H. Hinnant's algorithm).
Civil ToCivil(std::int64_t t)
{
    std::int64_t z = (t >= 0 ? t : t - 86399) / 86400;
    const std::int64_t secs = t - z * 86400;
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    Civil c{};
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2));
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

// One fix of a boat tacking up and down a course at about six knots, with the
// receiver's jitter; reproducible from the index alone.
struct Fix {
    std::int64_t time;  // seconds since 1970
    double lat, lon;    // degrees
    double speed_knots, course;
    double elevation;
    int heart_rate;
};

class Boat {
public:
    explicit Boat(std::int64_t start, std::uint32_t seed, double lat = 35.28, double lon = 139.55)
        : time_(start), lat_(lat), lon_(lon), seed_(seed) {}

    Fix Next()
    {
        // A tack every five minutes, 45 degrees either side of the wind.
        const double heading = ((count_ / 300) % 2 ? 45.0 : -45.0) + 10 * std::sin(count_ / 97.0);
        const double speed = 6.0 + 0.8 * std::sin(count_ / 611.0);
        const double rad = heading * M_PI / 180;
        lat_ += speed / 3600 / 60 * std::cos(rad);
        lon_ += speed / 3600 / 60 * std::sin(rad) / std::cos(lat_ * M_PI / 180);
        // Stay on a course of about three miles.
        if (std::fabs(lat_ - 35.28) > 0.05)
            lat_ = 35.28;
        if (std::fabs(lon_ - 139.55) > 0.06)
            lon_ = 139.55;
        Fix f;
        f.time = time_++;
        f.lat = lat_ + Jitter() * 2e-6;
        f.lon = lon_ + Jitter() * 2e-6;
        f.speed_knots = speed + Jitter() * 0.2;
        f.course = std::fmod(heading + 360 + Jitter(), 360);
        f.elevation = 3.0 + Jitter();
        f.heart_rate = 95 + static_cast<int>(count_ / 7 % 40);
        ++count_;
        return f;
    }

private:
    // -1..1 from a linear congruential generator: cheap and the same everywhere.
    double Jitter()
    {
        seed_ = seed_ * 1664525u + 1013904223u;
        return (seed_ >> 8) / static_cast<double>(1u << 24) * 2 - 1;
    }

    std::int64_t time_;
    double lat_, lon_;
    std::uint32_t seed_;
    long count_ = 0;
};

constexpr std::int64_t kStart = 1559347200;  // 2019-06-01 00:00:00 UTC

// As watches and handheld units export it: the points two spaces in, their
// elements four, every point with elevation, time and a heart-rate extension; a
// new segment wherever the logger was paused.
bool WriteGpx(const std::string& path, long points, std::uint32_t seed, std::int64_t start = kStart)
{
    Output out(path);
    if (!out.ok())
        return false;
    out.Text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<gpx creator=\"Forerunner 945\" version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
             "xmlns:ns3=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\" "
             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
             "  <metadata>\n    <time>2019-06-01T00:00:00Z</time>\n  </metadata>\n"
             "  <trk>\n    <name>Race day</name>\n    <type>sailing</type>\n    <trkseg>\n");
    Boat boat(start, seed);
    const long segment = points / 8 + 1;
    for (long i = 0; i < points; ++i) {
        if (i > 0 && i % segment == 0)
            out.Text("    </trkseg>\n    <trkseg>\n");
        const Fix f = boat.Next();
        const Civil c = ToCivil(f.time);
        out.Format("  <trkpt lat=\"%.7f\" lon=\"%.7f\">\n    <ele>%.1f</ele>\n"
                   "    <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n    <extensions>\n"
                   "      <ns3:TrackPointExtension>\n        <ns3:hr>%d</ns3:hr>\n"
                   "      </ns3:TrackPointExtension>\n    </extensions>\n  </trkpt>\n",
                   f.lat, f.lon, f.elevation, c.year, c.month, c.day, c.hour, c.minute, c.second, f.heart_rate);
    }
    out.Text("    </trkseg>\n  </trk>\n</gpx>\n");
    return out.Close();
}

// ddmm.mmmm / dddmm.mmmm as NMEA writes a coordinate, with its hemisphere.
void NmeaCoordinate(char* out, std::size_t size, double degrees, int degree_digits)
{
    const double a = std::fabs(degrees);
    const int whole = static_cast<int>(a);
    std::snprintf(out, size, "%0*d%07.4f", degree_digits, whole, (a - whole) * 60);
}

void Sentence(Output& out, const char* body)
{
    unsigned checksum = 0;
    for (const char* p = body; *p; ++p)
        checksum ^= static_cast<unsigned char>(*p);
    out.Format("$%s*%02X\r\n", body, checksum);
}

// GGA, GSA, RMC and VTG for every fix, CR LF, as a receiver logs at 1 Hz.
bool WriteNmea(const std::string& path, long points)
{
    Output out(path);
    if (!out.ok())
        return false;
    Boat boat(kStart, 1);
    char body[200], lat[24], lon[24];
    for (long i = 0; i < points; ++i) {
        const Fix f = boat.Next();
        const Civil c = ToCivil(f.time);
        NmeaCoordinate(lat, sizeof lat, f.lat, 2);
        NmeaCoordinate(lon, sizeof lon, f.lon, 3);
        std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%s,N,%s,E,1,09,0.9,%.1f,M,39.4,M,,", c.hour,
                      c.minute, c.second, lat, lon, f.elevation);
        Sentence(out, body);
        Sentence(out, "GPGSA,A,3,02,05,12,13,15,18,21,25,29,,,,1.6,0.9,1.3");
        std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%s,N,%s,E,%.1f,%.1f,%02d%02d%02d,,,A", c.hour,
                      c.minute, c.second, lat, lon, f.speed_knots, f.course, c.day, c.month, c.year % 100);
        Sentence(out, body);
        std::snprintf(body, sizeof body, "GPVTG,%.1f,T,,M,%.1f,N,%.1f,K,A", f.course, f.speed_knots,
                      f.speed_knots * 1.852);
        Sentence(out, body);
    }
    return out.Close();
}

// A logger without RMC: GGA, GSA, GLL and VTG for every fix, talker GN, and a
// ZDA every minute, half a minute in, so the first fixes and those just past
// each midnight are dated from a ZDA on the other side of them.
bool WriteNmeaFixes(const std::string& path, long points)
{
    Output out(path);
    if (!out.ok())
        return false;
    Boat boat(kStart, 1);
    char body[200], lat[24], lon[24];
    for (long i = 0; i < points; ++i) {
        const Fix f = boat.Next();
        const Civil c = ToCivil(f.time);
        NmeaCoordinate(lat, sizeof lat, f.lat, 2);
        NmeaCoordinate(lon, sizeof lon, f.lon, 3);
        std::snprintf(body, sizeof body, "GNGGA,%02d%02d%02d.00,%s,N,%s,E,1,12,0.8,%.1f,M,39.4,M,,", c.hour,
                      c.minute, c.second, lat, lon, f.elevation);
        Sentence(out, body);
        Sentence(out, "GNGSA,A,3,02,05,12,13,15,18,21,25,29,,,,1.6,0.9,1.3,1");
        std::snprintf(body, sizeof body, "GNGLL,%s,N,%s,E,%02d%02d%02d.00,A,A", lat, lon, c.hour, c.minute,
                      c.second);
        Sentence(out, body);
        std::snprintf(body, sizeof body, "GNVTG,%.1f,T,,M,%.1f,N,%.1f,K,A", f.course, f.speed_knots,
                      f.speed_knots * 1.852);
        Sentence(out, body);
        if (i % 60 == 30) {
            std::snprintf(body, sizeof body, "GNZDA,%02d%02d%02d.00,%02d,%02d,%04d,00,00", c.hour, c.minute,
                          c.second, c.day, c.month, c.year);
            Sentence(out, body);
        }
    }
    return out.Close();
}

// A handheld unit's text track; style "DM", "DEG" or "DMS" names the notation in
// the header, and the DMS file writes its dates month first.
bool WriteText(const std::string& path, long points, const char* style)
{
    Output out(path);
    if (!out.ok())
        return false;
    out.Format("H  SOFTWARE NAME & VERSION\r\nI  PCX5 2.09\r\n\r\n"
               "H  R DATUM                IDX DA            DF            DX            DY            DZ\r\n"
               "M  G WGS 84               121 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 "
               "+0.000000e+00\r\n\r\nH  COORDINATE SYSTEM\r\nU  LAT LON %s\r\n\r\n"
               "H  LATITUDE    LONGITUDE    DATE       TIME     ALT\r\n",
               style);
    Boat boat(kStart, 2);
    const bool dms = std::strcmp(style, "DMS") == 0, deg = std::strcmp(style, "DEG") == 0;
    char lat[32], lon[32];
    for (long i = 0; i < points; ++i) {
        const Fix f = boat.Next();
        const Civil c = ToCivil(f.time);
        if (deg) {
            std::snprintf(lat, sizeof lat, "%.6f", f.lat);
            std::snprintf(lon, sizeof lon, "%.6f", f.lon);
        } else if (dms) {
            const auto put = [](char* to, std::size_t n, double v, int digits) {
                const int d = static_cast<int>(v);
                const int m = static_cast<int>((v - d) * 60);
                std::snprintf(to, n, "%0*d%02d%04.1f", digits, d, m, ((v - d) * 60 - m) * 60);
            };
            put(lat, sizeof lat, f.lat, 2);
            put(lon, sizeof lon, f.lon, 3);
        } else {
            NmeaCoordinate(lat, sizeof lat, f.lat, 2);
            NmeaCoordinate(lon, sizeof lon, f.lon, 3);
        }
        if (dms)
            out.Format("T N%s E%s %02d/%02d/%04d %02d:%02d:%02d %.0f\r\n", lat, lon, c.month, c.day, c.year,
                       c.hour, c.minute, c.second, f.elevation);
        else
            out.Format("T N%s E%s %04d/%02d/%02d %02d:%02d:%02d %.0f\r\n", lat, lon, c.year, c.month, c.day,
                       c.hour, c.minute, c.second, f.elevation);
    }
    return out.Close();
}

void PutInt32(Output& out, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    out.Bytes(b, 4);
}

void PutFloat(Output& out, float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    PutInt32(out, static_cast<std::int32_t>(u));
}

void PutDouble(Output& out, double v)
{
    unsigned char b[8];
    std::memcpy(b, &v, 8);  // little-endian machines only, like the formats
    out.Bytes(b, 8);
}

std::int32_t Semicircles(double degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees / 180 * 2147483648.0));
}

// A MapSource database of version 3 holding one track, laid out as MapSource and
// gpsbabel write it: the file header, the creator record, then a track record
// whose points carry an altitude (24 bytes each) and which ends in a link list.
bool WriteGdb(const std::string& path, long points)
{
    Output out(path);
    if (!out.ok())
        return false;
    out.Bytes("MsRcf", 6);
    PutInt32(out, 2);
    out.Bytes("Dm", 3);
    const char creator[] = "\x5d\x02GPSBabel-1.8.0\0Apr 14 2011\0" "01:30:01";
    PutInt32(out, sizeof creator);
    out.Bytes("A", 1);
    out.Bytes(creator, sizeof creator);
    out.Bytes("MapSource", 10);
    const char name[] = "Race day";
    PutInt32(out, static_cast<std::int32_t>(sizeof name + 1 + 4 + 4 + points * 24 + 4));
    out.Bytes("T", 1);
    out.Bytes(name, sizeof name);
    out.Bytes("\0\0\0\0\0", 5);  // not shown, default colour
    PutInt32(out, static_cast<std::int32_t>(points));
    Boat boat(kStart, 3);
    for (long i = 0; i < points; ++i) {
        const Fix f = boat.Next();
        PutInt32(out, Semicircles(f.lat));
        PutInt32(out, Semicircles(f.lon));
        out.Bytes("\1", 1);
        PutDouble(out, f.elevation);
        out.Bytes("\1", 1);
        PutInt32(out, static_cast<std::int32_t>(f.time));
        out.Bytes("\0\0", 2);  // no depth, no temperature
    }
    PutInt32(out, 0);  // no links
    PutInt32(out, 2);
    out.Bytes("V\0\1", 3);
    return out.Close();
}

// Fixed records: time, latitude, longitude, then `extra` bytes of altitude and
// flags (trl: 20-byte records) or nothing (TRB: 12 bytes).
bool WriteRecords(const std::string& path, long points, bool trl)
{
    Output out(path);
    if (!out.ok())
        return false;
    Boat boat(kStart, trl ? 4 : 5);
    for (long i = 0; i < points; ++i) {
        const Fix f = boat.Next();
        PutInt32(out, static_cast<std::int32_t>(f.time));
        PutFloat(out, static_cast<float>(f.lat));
        PutFloat(out, static_cast<float>(f.lon));
        if (trl) {
            PutFloat(out, static_cast<float>(f.elevation));
            PutInt32(out, 1);
        }
    }
    return out.Close();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--race") == 0) {
        const long boats = ParseCount(argv[3]);
        const long points = ParseCount(argv[4]);
        if (boats < 0 || points < 0) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const std::string folder = std::string(argv[2]) + "/gpsdat";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        for (long b = 1; b <= boats; ++b)
            if (!WriteGpx(folder + "/boat" + std::to_string(b) + ".gpx", points, static_cast<std::uint32_t>(b),
                          kStart + b))
                return 1;
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--fixes") == 0) {
        const long points = ParseCount(argv[3]);
        if (points < 0) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        return WriteNmeaFixes(argv[2], points) ? 0 : 1;
    }
    if (argc != 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const long points = ParseCount(argv[2]);
    if (points < 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const bool ok = WriteGpx(dir + "/bench.gpx", points, 0) && WriteNmea(dir + "/bench.log", points) &&
                    WriteNmeaFixes(dir + "/bench_fixes.log", points) &&
                    WriteText(dir + "/bench_dm.dtr", points, "DM") &&
                    WriteText(dir + "/bench_deg.dtr", points, "DEG") &&
                    WriteText(dir + "/bench_dms.dtr", points, "DMS") && WriteGdb(dir + "/bench.gdb", points) &&
                    WriteRecords(dir + "/bench.trl", points, true) && WriteRecords(dir + "/bench.trb", points, false);
    return ok ? 0 : 1;
}
