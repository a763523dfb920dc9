// The binary track formats: gdb (a byte-pattern scan), trl and TRB (fixed records).

#include "track/atomic_write.h"
#include "track/data_error.h"
#include "track/datetime.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tackedit {

namespace {

DateTime FromEpochSeconds(std::int32_t seconds)
{
    return static_cast<DateTime>(TrackEpoch + static_cast<long double>(seconds) / 24 / 3600);
}

// Semicircles (180 / 2^31 degree) to minutes of arc.
double SemicirclesToMinutes(std::int32_t value)
{
    const long double minutes = std::fabs(static_cast<long double>(value) / 2147483648.0L * 180) * 60;
    return static_cast<double>(value < 0 ? -minutes : minutes);
}

std::uint8_t Byte(std::string_view data, std::size_t i)
{
    return static_cast<std::uint8_t>(data[i]);
}

// Layout A, 24 bytes around the marker at i:
//   i-10, i-9  0 0
//   i-8        int32 latitude (semicircles)
//   i-4        int32 longitude
//   i          1 (marker)
//   i+9        1
//   i+10       int32 seconds since 1970
//   i+14, i+15 0 0
bool IsLayoutA(std::string_view d, std::size_t i)
{
    return Byte(d, i - 10) == 0 && Byte(d, i - 9) == 0 && Byte(d, i + 9) == 1 && Byte(d, i + 14) == 0 &&
           Byte(d, i + 15) == 0;
}

// Layout B, 16 bytes around the marker at i:
//   i-11, i-10 0 0
//   i-9        int32 latitude
//   i-5        int32 longitude
//   i-1        0
//   i          1 (marker)
//   i+1        int32 seconds since 1970
//   i+5, i+6   0 0
bool IsLayoutB(std::string_view d, std::size_t i)
{
    return Byte(d, i - 11) == 0 && Byte(d, i - 10) == 0 && Byte(d, i - 1) == 0 && Byte(d, i + 5) == 0 &&
           Byte(d, i + 6) == 0;
}

// Binary readers beep once per file they read, also when it held no point.
template <class Parse>
void ReadBinaryFile(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper,
                    Parse parse)
{
    if (!FileExists(path))
        return;
    const FileBytes data = ReadWholeFile(path);
    parse(data.view(), store, events);
    beeper.Beep();
}

// Fixed records of time, latitude and longitude (single-precision degrees); a
// trailing partial record is dropped rather than read past the data.
void ReadFixedRecords(std::string_view data, std::size_t record_length, TrackFiller& filler,
                      EventThrottle& throttle)
{
    const std::size_t count = data.size() / record_length;
    TrackFiller::CheckRoom(count);
    filler.ExpectPoints(count);
    for (std::size_t r = 0; r < count; ++r) {
        throttle.Tick();
        const std::size_t at = r * record_length;
        filler.Store(FromEpochSeconds(ReadInt32LE(data, at)), static_cast<double>(ReadFloat32LE(data, at + 4)) * 60,
                     static_cast<double>(ReadFloat32LE(data, at + 8)) * 60);
    }
}

} // namespace

void ParseGdbTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    const std::size_t length = data.size();
    if (length >= 60) {
        // Markers are tested up to where a layout still fits in the data rather
        // than stopping 30 bytes short: a file that ends with a track point (as
        // one track saved alone does) would otherwise lose its last point.
        const std::size_t last = length - 7;
        // After a record, testing resumes at its marker + record length - 3.
        std::size_t resume = 0;
        std::size_t i = 30;
        while (i <= last) {
            throttle.Tick();
            const void* marker = std::memchr(data.data() + i, 1, last - i + 1);
            if (!marker)
                break;
            i = static_cast<std::size_t>(static_cast<const char*>(marker) - data.data());
            if (i < resume) {
                i = resume;
                continue;
            }
            std::size_t lat_at, lon_at, time_at, record_length;
            if (i + 15 < length && IsLayoutA(data, i)) {
                lat_at = i - 8, lon_at = i - 4, time_at = i + 10, record_length = 24;
            } else if (IsLayoutB(data, i)) {
                lat_at = i - 9, lon_at = i - 5, time_at = i + 1, record_length = 16;
            } else {
                ++i;
                continue;
            }
            const std::int32_t seconds = ReadInt32LE(data, time_at);
            if (seconds > 0) {
                filler.Store(FromEpochSeconds(seconds), SemicirclesToMinutes(ReadInt32LE(data, lat_at)),
                             SemicirclesToMinutes(ReadInt32LE(data, lon_at)));
                resume = i + record_length - 3;
            }
            ++i;
        }
    }
    filler.Finish();
}

void ReadGdbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseGdbTrack);
}

void ParseTrlTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    // The record length is not stored: the second record's time is whichever of
    // the values at bytes 16 and 20 lies closer to the first record's time.
    if (data.size() >= 24) {
        const std::int64_t a = ReadInt32LE(data, 0);
        const std::int64_t b = ReadInt32LE(data, 16);
        const std::int64_t c = ReadInt32LE(data, 20);
        const std::size_t record_length = std::llabs(a - b) < std::llabs(a - c) ? 16 : 20;
        ReadFixedRecords(data, record_length, filler, throttle);
    }
    filler.Finish();
}

void ReadTrlTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseTrlTrack);
}

void ParseTrbTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    ReadFixedRecords(data, 12, filler, throttle);
    filler.Finish();
}

void ReadTrbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseTrbTrack);
}

std::string EncodeTrbTrack(const TrackStore& store, const std::string& file)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(store.TrackCount, 0)) * 12);
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        const std::int64_t seconds =
            RoundHalfEven((static_cast<long double>(store.TrackTime[i]) - TrackEpoch) * 24 * 3600);
        // A time the 32-bit field cannot hold would come back as another date.
        if (seconds < INT32_MIN || seconds > INT32_MAX) {
            const DateTimeParts parts = DecodeDateTimeToSecond(store.TrackTime[i]);
            throw DataError(file, 0, FormatIsoDateTime(parts),
                            "point " + std::to_string(i) + " has the time " + FormatIsoDateTime(parts) +
                                ", which a TRB file cannot hold (1901-12-13 to 2038-01-19)");
        }
        AppendInt32LE(out, static_cast<std::int32_t>(seconds));
        AppendFloat32LE(out, static_cast<float>(static_cast<long double>(store.TrackLat[i]) / 60));
        AppendFloat32LE(out, static_cast<float>(static_cast<long double>(store.TrackLon[i]) / 60));
    }
    return out;
}

void WriteTrbTrack(const std::string& path, const TrackStore& store)
{
    WriteFileAtomically(path, EncodeTrbTrack(store, path));
}

} // namespace tackedit
