#include "track/formats/vkx_reader.h"

#include "base/data_error.h"
#include "base/file_buffer.h"
#include "track/formats/little_endian.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tackedit {

namespace {

// Payload bytes after the key byte; -1 for a key no version defines. Every
// known version uses this one table: the rows later versions added never
// reuse a key.
constexpr int PayloadSize(unsigned key)
{
    switch (key) {
    case 0xFF: return 7;   // page header: version, 6 bytes of the logger's state
    case 0xFE: return 2;   // page terminator: length of the page
    case 0x01: return 32;  // internal
    case 0x02: return 44;  // position, velocity and orientation
    case 0x03: return 20;  // declination
    case 0x04: return 13;  // race timer event
    case 0x05: return 17;  // line position
    case 0x06: return 18;  // shift angle
    case 0x07: return 12;  // internal
    case 0x08: return 13;  // device configuration
    case 0x0A: return 16;  // wind
    case 0x0B: return 16;  // speed through water
    case 0x0C: return 12;  // depth
    case 0x0E: return 16;  // internal
    case 0x0F: return 16;  // load
    case 0x10: return 12;  // temperature
    case 0x20: return 13;  // internal
    case 0x21: return 52;  // internal
    default: return -1;
    }
}

constexpr unsigned kPageHeader = 0xFF;
constexpr unsigned kPosition = 0x02;
constexpr unsigned kTimerEvent = 0x04;
constexpr unsigned kLinePosition = 0x05;
constexpr int kPositionPayload = PayloadSize(kPosition);

// Timer event types kept; the others (reset, start, sync) say nothing of the race.
constexpr unsigned kTimerRaceStart = 3;
constexpr unsigned kTimerRaceEnd = 4;

// 9999-12-31 23:59:59.999, the last time a day-based date-time shows.
constexpr std::uint64_t kLastMillisecond = 253402300799999;
constexpr std::uint64_t kEpochMilliseconds = 25569ULL * 86400000;

unsigned Byte(std::string_view data, std::size_t at) { return static_cast<unsigned char>(data[at]); }

std::uint64_t ReadUInt64LE(std::string_view data, std::size_t at)
{
    return static_cast<std::uint32_t>(ReadInt32LE(data, at)) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(ReadInt32LE(data, at + 4))) << 32;
}

std::string Hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

bool InRange(std::uint64_t ms) { return ms <= kLastMillisecond; }

// Both sums are exact integers below 2^53, so the division gives the nearest
// double to the true day-based time.
DateTime DayTime(std::uint64_t ms) { return static_cast<double>(kEpochMilliseconds + ms) / 86400000.0; }

DateTime RowTime(std::string_view data, std::size_t payload, const std::string& file, unsigned key)
{
    const std::uint64_t ms = ReadUInt64LE(data, payload);
    if (!InRange(ms))
        throw DataError(file, 0, std::to_string(ms),
                        "the time of the row " + Hex(key) + " at byte " + std::to_string(payload - 1) +
                            " is past the year 9999 (" + std::to_string(ms) + " ms since 1970)");
    return DayTime(ms);
}

// 1e-7 degree to minutes of arc; value * 6 is exact, so is the rounding after it.
double TenMillionthsToMinutes(std::int32_t value) { return static_cast<double>(value) * 6 / 1e6; }

bool IsPosition(float lat, float lon)
{
    return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 180;
}

} // namespace

const char* VkxEventName(VkxEvent::Kind kind)
{
    switch (kind) {
    case VkxEvent::RaceStart: return "race_start";
    case VkxEvent::RaceEnd: return "race_end";
    case VkxEvent::Pin: return "pin";
    case VkxEvent::Boat: return "boat";
    }
    return "";
}

void ParseVkxTrack(std::string_view data, const std::string& file, TrackStore& store, VkxEvents* events)
{
    TrackFiller filler(store);
    VkxEvents found;
    const std::size_t size = data.size();
    if (size == 0) {
        store.ReadNotes.push_back("the file is empty");
        filler.Finish();
        if (events)
            *events = std::move(found);
        return;
    }
    // Every page starts with its header, the file with its first page.
    if (Byte(data, 0) != kPageHeader)
        throw DataError(file, 0, Hex(Byte(data, 0)),
                        "not a VKX file: it starts with " + Hex(Byte(data, 0)) + ", not a page header (0xFF)");
    filler.ExpectPoints(size / (1 + kPositionPayload));
    // An event without a time or a ping without a position costs the track nothing.
    std::size_t bad_events = 0;
    std::size_t at = 0;
    while (at < size) {
        const unsigned key = Byte(data, at);
        const std::size_t payload = at + 1;
        // The position rows are nearly all of a file.
        if (key == kPosition && size - payload >= static_cast<std::size_t>(kPositionPayload)) {
            // 0 time (ms, U8), 8 latitude, 12 longitude (I4, 1e-7 degree), 16..43 speed,
            // course, altitude and orientation (F4), not kept.
            filler.Store(RowTime(data, payload, file, key), TenMillionthsToMinutes(ReadInt32LE(data, payload + 8)),
                         TenMillionthsToMinutes(ReadInt32LE(data, payload + 12)));
            at = payload + kPositionPayload;
            continue;
        }
        const int length = PayloadSize(key);
        if (length < 0)
            throw DataError(file, 0, Hex(key), "unknown row key " + Hex(key) + " at byte " + std::to_string(at));
        if (size - payload < static_cast<std::size_t>(length)) {
            store.ReadNotes.push_back("the last row (key " + Hex(key) + " at byte " + std::to_string(at) +
                                      ") is cut off after " + std::to_string(size - at) + " of its " +
                                      std::to_string(length + 1) + " bytes and is left out");
            break;
        }
        if (key == kPageHeader) {
            // 0 version (U1), 1..6 the logger's state.
            const unsigned version = Byte(data, payload);
            if (version >= kVkxVersions)
                throw DataError(file, 0, std::to_string(version),
                                "the page at byte " + std::to_string(at) + " is of VKX format version " +
                                    std::to_string(version) + ", which this reader does not know (0 to " +
                                    std::to_string(kVkxVersions - 1) + ")");
        } else if (key == kTimerEvent) {
            // 0 time (ms, U8), 8 event type (U1), 9 timer value (I4, seconds).
            const unsigned type = Byte(data, payload + 8);
            const std::uint64_t ms = ReadUInt64LE(data, payload);
            if ((type == kTimerRaceStart || type == kTimerRaceEnd) && InRange(ms))
                found.list.push_back({type == kTimerRaceStart ? VkxEvent::RaceStart : VkxEvent::RaceEnd, DayTime(ms)});
            else if (type == kTimerRaceStart || type == kTimerRaceEnd)
                ++bad_events;
        } else if (key == kLinePosition) {
            // 0 time (ms, U8), 8 line end (U1: 0 pin, 1 boat), 9 latitude, 13 longitude (F4, degrees).
            const unsigned end = Byte(data, payload + 8);
            const std::uint64_t ms = ReadUInt64LE(data, payload);
            const float lat = ReadFloat32LE(data, payload + 9), lon = ReadFloat32LE(data, payload + 13);
            if (end <= 1 && IsPosition(lat, lon) && InRange(ms))
                found.list.push_back({end == 0 ? VkxEvent::Pin : VkxEvent::Boat, DayTime(ms),
                                      static_cast<double>(lat) * 60, static_cast<double>(lon) * 60});
            else
                ++bad_events;
        }
        at = payload + static_cast<std::size_t>(length);
    }
    if (bad_events > 0)
        store.ReadNotes.push_back(std::to_string(bad_events) +
                                  " race timer events or line pings left out: no time, no position or an "
                                  "unknown line end");
    if (filler.Count() == 0)
        store.ReadNotes.push_back("the file holds no positions");
    filler.Finish();
    if (events)
        *events = std::move(found);
}

void ReadVkxTrack(const std::string& path, TrackStore& store, VkxEvents* events)
{
    if (!FileExists(path))
        return;
    const FileBytes data = ReadWholeFile(path);
    ReadUnchanged(data, [&] { ParseVkxTrack(data.view(), path, store, events); });
}

} // namespace tackedit
