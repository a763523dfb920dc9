// A file read in pieces on several threads gives what one pass gives: the same
// points, the same arrays, the same error on the same line. The inputs mix what
// carries state from line to line (header words, the date order, a date that
// does not convert, a point text that runs on, the closing root tag) so that
// the cuts fall everywhere among them.

#include "platform/null_platform.h"
#include "base/data_error.h"
#include "track/formats/format_common.h"
#include "track/formats/gpx_reader.h"
#include "track/formats/nmea_reader.h"
#include "track/formats/text_track_reader.h"
#include "track/formats/gdb_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tackedit {
namespace {

struct Outcome {
    std::int32_t count = 0, capacity = 0;
    std::vector<double> values;  // time, lat, lon of points 1..count
    std::string error;
    std::vector<std::string> notes;
};

using PieceParser = std::function<void(std::string_view, TrackStore&, const PieceOptions&)>;

Outcome Parse(const PieceParser& parse, const std::string& data, const PieceOptions& options)
{
    TrackStore store;
    Outcome out;
    try {
        parse(data, store, options);
    } catch (const DataError& e) {
        out.error = e.what();
    }
    out.count = store.TrackCount;
    out.capacity = store.TrackCapacity;
    out.notes = store.ReadNotes;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        out.values.insert(out.values.end(), {store.TrackTime[i], store.TrackLat[i], store.TrackLon[i]});
    return out;
}

void ExpectSameInPieces(const PieceParser& parse, const std::string& data)
{
    const Outcome whole = Parse(parse, data, {SIZE_MAX, 1});
    for (const std::size_t bytes : {1, 7, 64, 301})
        for (const int threads : {2, 3}) {
            const Outcome pieces = Parse(parse, data, {bytes, threads});
            SCOPED_TRACE("pieces of " + std::to_string(bytes) + " bytes on " + std::to_string(threads) + " threads");
            EXPECT_EQ(pieces.error, whole.error);
            EXPECT_EQ(pieces.count, whole.count);
            EXPECT_EQ(pieces.capacity, whole.capacity);
            EXPECT_EQ(pieces.values, whole.values);
            EXPECT_EQ(pieces.notes, whole.notes);
        }
}

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    int Below(int n)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
    }
    const char* LineEnd() { return Below(3) == 0 ? "\n" : Below(2) ? "\r\n" : "\r"; }

private:
    std::uint32_t state_;
};

// A sentence with its checksum, or a wrong one.
std::string Sentence(const std::string& body, bool damaged = false)
{
    unsigned sum = damaged ? 1 : 0;
    for (const char c : body)
        sum ^= static_cast<unsigned char>(c);
    const char* hex = "0123456789ABCDEF";
    return "$" + body + "*" + hex[sum >> 4] + hex[sum & 15];
}

std::string Nmea(Random& r, int lines, bool with_error)
{
    std::string s;
    for (int i = 0; i < lines; ++i) {
        const std::string ss = std::to_string(10 + r.Below(50));
        switch (r.Below(8)) {
        case 0: s += "$GPGGA,0000" + ss + ".00,3516.8011,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,*6F"; break;
        case 1: s += "$GPRMC,2359" + ss + ",V,,,,,,,,,N*53"; break;               // no fix
        case 2: s += "$GPRMC,0000" + ss + ",A,3512.3,N,13945.6,E,0,0,000000"; break;  // zero date
        case 3: s += "  $gnrmc , 0001" + ss + " ,A,3512." + ss + ",S,13945.6,W,0,0,0" + std::to_string(1 + r.Below(9)) + "0210"; break;
        case 4: s += "$GPRMC,0000" + ss + ",A,3512." + ss + ",N,13945.6,E," + std::string(5100, '9') + ",0,020210"; break;
        case 5: s += Sentence("GPRMC,0003" + ss + ",A,35x2.3,N,13945.6,E,0,0,010210", true); break;  // damaged
        default: s += "$GPRMC,0002" + ss + ".5,A,4807.0" + ss + ",N,01131.000,E,022.4,084.4,230394,003.1,W*6A"; break;
        }
        s += r.LineEnd();
        if (with_error && i == lines * 2 / 3)
            s += Sentence("GPRMC,000001,A,35x2.3,N,13945.6,E,0,0,010210") + "\n";
    }
    return s;
}

// Fixes without RMC: dates now and then, midnight between them, the same fix
// twice, fixes before the first date, damaged and cut sentences.
std::string NmeaFixes(Random& r, int lines, bool with_error)
{
    std::string s;
    int second = 86400 - 40;
    for (int i = 0; i < lines; ++i) {
        second = (second + r.Below(3)) % 86400;
        char hms[16];
        std::snprintf(hms, sizeof hms, "%02d%02d%02d.%d0", second / 3600, second / 60 % 60, second % 60, r.Below(2));
        const std::string t = hms, ss = std::to_string(10 + r.Below(50));
        switch (r.Below(9)) {
        case 0: s += Sentence("GPZDA," + t + ",0" + std::to_string(1 + r.Below(3)) + ",01,2020,00,00"); break;
        case 1: s += "$GPRMC," + t + ",V,,,,,,,3" + std::to_string(r.Below(2)) + "1219,,,N"; break;
        case 2: s += Sentence("GNGNS," + t + ",3516." + ss + ",S,13932.9985,W,AN,09,0.9,2.1,39.4,,,V"); break;
        case 3: s += Sentence("GLGLL,3516." + ss + ",N,13932.9985,E," + t + ",A,A"); break;
        case 4: s += Sentence("GPGGA," + t + ",35x6." + ss + ",N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,", true); break;
        case 5: s += "$GPGGA," + t + ",3516." + ss + ",N,13932.99"; break;  // cut short: no position
        case 6: s += "$GPZDA," + t + ",01,01,20"; break;                      // cut short: damaged
        default: s += Sentence("GPGGA," + t + ",3516." + ss + ",N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,"); break;
        }
        s += r.LineEnd();
        if (with_error && i == lines * 2 / 3)
            s += Sentence("GPGGA," + t + ",35x6.8,N,13932.9,E,1,09,0.9,2.1,M,39.4,M,,") + "\n";
    }
    return s;
}

std::string Text(Random& r, int lines, bool with_error)
{
    std::string s = "H  SOFTWARE NAME & VERSION\r\nH  LATITUDE    LONGITUDE    DATE       TIME     ALT\r\n";
    for (int i = 0; i < lines; ++i) {
        const std::string ss = std::to_string(10 + r.Below(50));
        switch (r.Below(10)) {
        case 0: s += r.Below(2) ? "H  DMS" : "U  LAT LON DEG"; break;
        case 1: s += "H DM"; break;
        case 2: s += "T N35.2" + ss + " E139.7" + ss + " bad 01:00:" + ss + " x"; break;  // keeps the time before
        case 3: s += "T N3512.3 E13945.6 2010/05/03 01:00:00"; break;                     // five fields
        case 4: s += " XT   N351220.7   E1394540." + ss + " 05-03-2010 02:00:" + ss + " x   "; break;
        default: s += "T N351220." + ss + " E1394540.2 05/0" + std::to_string(1 + r.Below(9)) + "/2010 01:02:" + ss + " 0"; break;
        }
        s += r.LineEnd();
        if (with_error && i == lines / 2)
            s += "T N3512 E13945 2010/05/03 01:00:00 x\n";
    }
    return s;
}

std::string Gpx(Random& r, int points, bool with_error)
{
    std::string s = "<?xml version=\"1.0\"?>\n<gpx><trk><trkseg>\n";
    for (int i = 0; i < points; ++i) {
        const std::string ss = std::to_string(10 + r.Below(50));
        const std::string body = " lat=\"35." + ss + "\" lon=\"139." + ss + "\">" + r.LineEnd() +
                                 "  <ele>3</ele><time>2019-06-01T00:00:" + ss + "Z</time>";
        switch (r.Below(9)) {
        case 0: s += "<TRKPT" + body + "</trkpt>"; break;
        case 1: s += "<trkpt" + body + "</TRKPT>"; break;  // runs on to the next lower-case close
        case 2: s += "<<trkpt" + body + "</trkpt>"; break;
        case 3: s += "<trkpt lat=\"1\" lon=\"2\"><ele>5</ele></trkpt>"; break;  // no time
        case 4: s += "<trkpt" + body + "<name>/gpx</name></trkpt>"; break;   // the text ends at /gpx
        case 5: s += "</trkseg><!-- </trkpt> --><trkseg>"; break;
        default: s += "  <trkpt" + body + "</trkpt>"; break;
        }
        s += r.LineEnd();
        if (with_error && i == points / 2)
            s += "<trkpt lat=\"3x\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></trkpt>\n";
    }
    return s + "</trkseg></trk></gpx>\n<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:01Z</time></trkpt>\n";
}

TEST(ParallelLoads, TextReadersGiveWhatOnePassGives)
{
    const PieceParser nmea = [](std::string_view d, TrackStore& s, const PieceOptions& o) {
        ParseNmeaLogInPieces(d, "f.log", s, o);
    };
    const PieceParser text = [](std::string_view d, TrackStore& s, const PieceOptions& o) {
        ParseTextTrackInPieces(d, "f.dtr", s, o);
    };
    const PieceParser gpx = [](std::string_view d, TrackStore& s, const PieceOptions& o) {
        ParseGpxTrackInPieces(d, "f.gpx", s, o);
    };
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        for (const bool with_error : {false, true}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (with_error ? " with an error" : ""));
            Random r(seed);
            ExpectSameInPieces(nmea, Nmea(r, 120, with_error));
            const std::string fixes = NmeaFixes(r, 200, with_error);
            const Outcome whole = Parse(nmea, fixes, {SIZE_MAX, 1});
            EXPECT_EQ(whole.error.empty(), !with_error) << whole.error;
            EXPECT_TRUE(with_error || whole.count > 50) << whole.count;
            ExpectSameInPieces(nmea, fixes);
            ExpectSameInPieces(text, Text(r, 120, with_error));
            ExpectSameInPieces(gpx, Gpx(r, 80, with_error));
        }
    }
    // The first point line, which decides the date order, far into the file.
    Random r(9);
    ExpectSameInPieces(text, std::string(3000, '\n') + "H DEG\n" + Text(r, 50, false));
}

TEST(ParallelLoads, GdbPiecesMeetWhereverTheCutFalls)
{
    // Records of both layouts back to back, some overlapping the next, between
    // stretches of bytes that look like markers.
    Random r(4);
    std::string data(200, '\0');
    while (data.size() < 3000) {
        const std::size_t at = data.size();
        const int kind = r.Below(4);
        data.append(kind == 3 ? 5 + r.Below(20) : 24, static_cast<char>(kind == 3 ? 1 : 0));
        if (kind == 3)
            continue;
        const std::size_t marker = at + (kind == 0 ? 10 : 11);
        data[marker] = 1;
        data[marker + (kind == 0 ? 9 : 0)] = 1;
        data[marker + (kind == 0 ? 10 : 1)] = static_cast<char>(1 + r.Below(100));  // time
        data[marker - (kind == 0 ? 8 : 9)] = static_cast<char>(r.Below(256));       // latitude
    }
    NullPendingEvents events;
    const PieceParser gdb = [&events](std::string_view d, TrackStore& s, const PieceOptions& o) {
        ParseGdbTrackInPieces(d, s, events, o);
    };
    // Every piece size moves the cuts across the records.
    const Outcome whole = Parse(gdb, data, {SIZE_MAX, 1});
    EXPECT_GT(whole.count, 50);
    for (std::size_t bytes = 1; bytes < 70; ++bytes) {
        const Outcome pieces = Parse(gdb, data, {bytes, 2});
        EXPECT_EQ(pieces.count, whole.count) << bytes;
        EXPECT_EQ(pieces.values, whole.values) << bytes;
    }
}

} // namespace
} // namespace tackedit
