// What a track says of itself, read from its first and last bytes where the
// format allows: matching 200 files to a fleet must not load 200 tracks.

#include "entries/track_match.h"

#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "platform/null_platform.h"
#include "track/formats/little_endian.h"
#include "track/track_loader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tackedit {

namespace {

std::uint32_t ReadUint32(std::string_view data, std::size_t offset, bool big_endian)
{
    const auto u = static_cast<std::uint32_t>(ReadInt32LE(data, offset));
    return big_endian ? (u >> 24) | (u >> 8 & 0xff00) | (u << 8 & 0xff0000) | (u << 24) : u;
}

// The serial number of a FIT file's file_id message (global 0, field 3), which
// a device writes first; empty when the file has none in its first records.
std::string FitSerialNumber(std::string_view data)
{
    // Header: size (12 or 14), protocol, profile (2), data size (4), ".FIT".
    if (data.size() < 12 || data.substr(8, 4) != ".FIT")
        return {};
    const std::size_t header = static_cast<unsigned char>(data[0]);
    const std::size_t end = std::min<std::size_t>(data.size(), header + static_cast<std::uint32_t>(ReadInt32LE(data, 4)));
    struct Definition {
        bool known = false, big_endian = false;
        int global = -1;
        std::size_t size = 0, serial_at = 0, serial_size = 0;
    };
    std::array<Definition, 16> local{};
    std::size_t at = header;
    for (int records = 0; records < 64 && at < end; ++records) {
        const auto byte = static_cast<unsigned char>(data[at++]);
        if (!(byte & 0x80) && (byte & 0x40)) {
            // Definition: reserved, architecture, global number (2), field count,
            // then number, size and base type per field; developer fields after.
            if (at + 5 > end)
                return {};
            Definition d;
            d.known = true;
            d.big_endian = data[at + 1] == 1;
            const auto lo = static_cast<unsigned char>(data[at + 2]), hi = static_cast<unsigned char>(data[at + 3]);
            d.global = d.big_endian ? lo << 8 | hi : hi << 8 | lo;
            const std::size_t fields = static_cast<unsigned char>(data[at + 4]);
            at += 5;
            if (at + fields * 3 > end)
                return {};
            for (std::size_t f = 0; f < fields; ++f, at += 3) {
                const std::size_t size = static_cast<unsigned char>(data[at + 1]);
                if (data[at] == 3 && size == 4) {
                    d.serial_at = d.size;
                    d.serial_size = 4;
                }
                d.size += size;
            }
            if (byte & 0x20) {
                if (at >= end)
                    return {};
                const std::size_t developer = static_cast<unsigned char>(data[at++]);
                if (at + developer * 3 > end)
                    return {};
                for (std::size_t f = 0; f < developer; ++f, at += 3)
                    d.size += static_cast<unsigned char>(data[at + 1]);
            }
            local[byte & 0x0F] = d;
            continue;
        }
        const Definition& d = local[byte & 0x80 ? (byte >> 5 & 3) : (byte & 0x0F)];
        if (!d.known || at + d.size > end)
            return {};
        if (d.global == 0 && d.serial_size == 4) {
            const std::uint32_t serial = ReadUint32(data, at + d.serial_at, d.big_endian);
            return serial == 0 || serial == 0xFFFFFFFF ? std::string() : std::to_string(serial);
        }
        at += d.size;
    }
    return {};
}

// The creator attribute of the <gpx> element.
std::string GpxCreator(std::string_view data)
{
    const std::string_view head = data.substr(0, 4096);
    const std::size_t gpx = FindNoCase(head, "<gpx");
    if (gpx == std::string_view::npos)
        return {};
    const std::string_view tag = head.substr(gpx, head.find('>', gpx) - gpx);
    const std::size_t creator = FindNoCase(tag, "creator=");
    if (creator == std::string_view::npos || creator + 9 > tag.size())
        return {};
    const char quote = tag[creator + 8];
    const std::size_t close = tag.find(quote, creator + 9);
    if ((quote != '"' && quote != '\'') || close == std::string_view::npos)
        return {};
    return std::string(TrimBlanks(tag.substr(creator + 9, close - creator - 9)));
}

// The times of the first fix after `point` and of the last `open` tag.
bool XmlTimeSpan(std::string_view data, std::string_view point, std::string_view open, DateTime& first, DateTime& last)
{
    const std::size_t at = data.find(point);
    if (at == std::string_view::npos)
        return false;
    const std::size_t first_at = data.find(open, at);
    const std::size_t last_at = data.rfind(open);
    if (first_at == std::string_view::npos)
        return false;
    const auto time = [&](std::size_t from, DateTime& value) {
        const std::string_view text = data.substr(from + open.size(), 64);
        return ReadIsoDateTime(TrimBlanks(text.substr(0, text.find('<'))), value);
    };
    return time(first_at, first) && time(last_at, last);
}

// An RMC sentence's date and time ("$GPRMC,hhmmss.ss,A,...,ddmmyy,...").
bool RmcTime(std::string_view line, DateTime& value)
{
    std::array<std::string_view, 10> field{};
    std::size_t count = 0;
    for (std::size_t begin = 0; count < field.size() && begin <= line.size(); ++count) {
        const std::size_t comma = std::min(line.find(',', begin), line.size());
        field[count] = line.substr(begin, comma - begin);
        begin = comma + 1;
    }
    if (count < 10 || field[0].size() < 5 || field[0].substr(field[0].size() - 3) != "RMC" || field[1].size() < 6 ||
        field[9].size() != 6)
        return false;
    const auto number = [](std::string_view digits) {
        int n = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return -1;
            n = n * 10 + (c - '0');
        }
        return n;
    };
    const int day = number(field[9].substr(0, 2)), month = number(field[9].substr(2, 2)),
              year = number(field[9].substr(4, 2));
    const int hour = number(field[1].substr(0, 2)), minute = number(field[1].substr(2, 2)),
              second = number(field[1].substr(4, 2));
    const auto date = TryEncodeDate(year < 80 ? 2000 + year : 1900 + year, month, day);
    const auto time = TryEncodeTime(hour, minute, second);
    if (day < 0 || month < 0 || year < 0 || hour < 0 || minute < 0 || second < 0 || !date || !time)
        return false;
    value = CombineDateTime(*date, *time);
    return true;
}

bool NmeaTimeSpan(std::string_view data, DateTime& first, DateTime& last)
{
    bool found = false;
    for (std::size_t begin = 0; begin < data.size() && !found;) {
        const std::size_t end = std::min(data.find('\n', begin), data.size());
        found = RmcTime(TrimBlanks(data.substr(begin, end - begin)), first);
        begin = end + 1;
    }
    if (!found)
        return false;
    for (std::size_t end = data.size(); end > 0;) {
        const std::size_t newline = data.rfind('\n', end - 1);
        const std::size_t begin = newline == std::string_view::npos ? 0 : newline + 1;
        if (RmcTime(TrimBlanks(data.substr(begin, end - begin)), last))
            return true;
        if (newline == std::string_view::npos)
            break;
        end = newline;
    }
    return false;
}

// TRB: 12-byte records, seconds since 1970 first.
bool TrbTimeSpan(std::string_view data, DateTime& first, DateTime& last)
{
    if (data.size() < 12)
        return false;
    first = FromEpochSeconds(ReadInt32LE(data, 0));
    last = FromEpochSeconds(ReadInt32LE(data, (data.size() / 12 - 1) * 12));
    return true;
}

} // namespace

std::string TrackDeviceId(const std::string& path)
{
    const TrackFileKind kind = TrackFileKindOf(path);
    if (kind != TrackFileKind::Fit && kind != TrackFileKind::Gpx)
        return {};
    try {
        const FileBytes data = ReadWholeFile(path);
        return kind == TrackFileKind::Fit ? FitSerialNumber(data.view()) : GpxCreator(data.view());
    } catch (const DataError&) {
        return {};
    }
}

bool TrackTimeSpan(const std::string& path, DateTime& first, DateTime& last)
{
    const TrackFileKind kind = TrackFileKindOf(path);
    try {
        if (kind == TrackFileKind::Gpx || kind == TrackFileKind::Tcx || kind == TrackFileKind::Nmea ||
            kind == TrackFileKind::Trb) {
            const FileBytes data = ReadWholeFile(path);
            const std::string_view bytes = data.view();
            switch (kind) {
                case TrackFileKind::Gpx: return XmlTimeSpan(bytes, "<trkpt", "<time>", first, last);
                case TrackFileKind::Tcx: return XmlTimeSpan(bytes, "<Trackpoint", "<Time>", first, last);
                case TrackFileKind::Nmea: return NmeaTimeSpan(bytes, first, last);
                default: return TrbTimeSpan(bytes, first, last);
            }
        }
        // The other formats hold their times in records or archives read whole.
        TrackStore store;
        TrackEditState edit;
        NullPendingEvents events;
        CountingBeeper beeper;
        NullCursor cursor;
        LoadServices services{events, beeper, cursor, {}, nullptr};
        LoadTrackFile(path, store, edit, services);
        if (store.TrackCount < 1)
            return false;
        first = last = store.TrackTime[1];
        for (std::int32_t i = 2; i <= store.TrackCount; ++i) {
            first = std::min(first, store.TrackTime[i]);
            last = std::max(last, store.TrackTime[i]);
        }
        return true;
    } catch (const DataError&) {
        return false;
    }
}

} // namespace tackedit
