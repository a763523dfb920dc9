#include "track/formats/gdb_reader.h"

#include "base/datetime.h"
#include "base/text_scan.h"
#include "track/formats/binary_records.h"
#include "track/formats/little_endian.h"
#include "track/parallel_parse.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tackedit {

namespace {

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

// One record the scan took: where its marker was, where testing resumes after
// it, and its point.
struct GdbRecord {
    std::size_t marker;
    std::size_t resume;
    TrackPoint point;
};

// The record whose marker is at i, if the bytes around it match a layout (A
// first) and its time is after 1970.
std::optional<GdbRecord> GdbRecordAt(std::string_view data, std::size_t i)
{
    std::size_t lat_at, lon_at, time_at, record_length;
    if (i + 15 < data.size() && IsLayoutA(data, i)) {
        lat_at = i - 8, lon_at = i - 4, time_at = i + 10, record_length = 24;
    } else if (IsLayoutB(data, i)) {
        lat_at = i - 9, lon_at = i - 5, time_at = i + 1, record_length = 16;
    } else {
        return std::nullopt;
    }
    const std::int32_t seconds = ReadInt32LE(data, time_at);
    if (seconds <= 0)
        return std::nullopt;
    return GdbRecord{i, i + record_length - 3,
                     {FromEpochSeconds(seconds), SemicirclesToMinutes(ReadInt32LE(data, lat_at)),
                      SemicirclesToMinutes(ReadInt32LE(data, lon_at))}};
}

// The byte-pattern scan over the marker positions [from, to): a position is
// tested only from `resume` on, which every record taken moves past its own
// bytes. Returns the resume it ends with.
template <class Take>
std::size_t ScanGdb(std::string_view data, std::size_t from, std::size_t to, std::size_t resume,
                    EventThrottle* throttle, Take&& take)
{
    if (from >= to)
        return resume;
    const char* const base = data.data();
    ByteFinder markers(base + from, base + to, 1, 1);
    for (const char* p = base + std::max(from, resume); p < base + to;) {
        p = markers.From(p);
        if (p >= base + to)
            break;
        if (throttle)
            throttle->Tick();
        if (const auto record = GdbRecordAt(data, static_cast<std::size_t>(p - base))) {
            take(*record);
            resume = record->resume;
            p = base + resume;
        } else {
            ++p;
        }
    }
    return resume;
}

// A piece's first records, kept with their positions to check its guess.
constexpr std::size_t kGdbCheckedRecords = 64;

struct GdbPiece {
    std::vector<GdbRecord> first_records;  // up to kGdbCheckedRecords
    std::size_t resume = 0;                 // where the piece's scan left testing
};

// A piece is scanned on the guess that no record taken before it reaches into
// it. Given where the true scan left testing (`resume`), its points are put
// right: the true scan goes on from the piece's start until a position that
// both scans test free of any record, from where on they agree. Returns the
// true scan's resume at the end of the piece.
std::size_t CheckGdbPiece(std::string_view data, std::size_t from, std::size_t to, std::size_t resume,
                          const GdbPiece& guess, std::vector<TrackPoint>& points, EventThrottle& throttle)
{
    const std::vector<GdbRecord>& checked = guess.first_records;
    std::vector<TrackPoint> true_points;
    std::size_t guessed_resume = 0;
    std::size_t j = 0;
    for (std::size_t x = from; x < to; ++x) {
        while (j < checked.size() && checked[j].marker < x)
            guessed_resume = checked[j++].resume;
        if (j == kGdbCheckedRecords) {
            // Not met within the records checked: scan the rest for real.
            resume = ScanGdb(data, x, to, resume, &throttle,
                             [&true_points](const GdbRecord& r) { true_points.push_back(r.point); });
            points = std::move(true_points);
            return resume;
        }
        if (x >= resume && x >= guessed_resume) {
            points.erase(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(j));
            points.insert(points.begin(), true_points.begin(), true_points.end());
            return guess.resume;
        }
        throttle.Tick();
        if (x >= resume && data[x] == 1)
            if (const auto record = GdbRecordAt(data, x)) {
                true_points.push_back(record->point);
                resume = record->resume;
            }
    }
    points = std::move(true_points);
    return resume;
}

} // namespace

void ParseGdbTrackInPieces(std::string_view data, TrackStore& store, PendingEvents& events,
                           const PieceOptions& options)
{
    TrackFiller filler(store);
    EventThrottle throttle(events);
    const std::size_t length = data.size();
    if (length >= 60) {
        // Markers are tested up to where a layout still fits in the data rather
        // than stopping 30 bytes short: a file that ends with a track point (as
        // one track saved alone does) would otherwise lose its last point.
        const std::size_t end = length - 6;  // one past the last marker tested
        filler.ExpectPoints(length / 16);      // records are 16 bytes or more
        std::vector<std::size_t> cuts;
        const std::size_t step = std::max<std::size_t>(options.bytes, 1);
        for (std::size_t at = 30; at < end; at = end - at > step ? at + step : end)
            cuts.push_back(at);
        cuts.push_back(end);
        std::vector<GdbPiece> guesses(cuts.size() - 1);
        PieceJob job;
        job.count = cuts.size() - 1;
        job.parse = [&](std::size_t k, ParsedPiece& piece) {
            piece.points.reserve((cuts[k + 1] - cuts[k]) / 16 + 1);  // room enough, as for the whole file
            GdbPiece& guess = guesses[k];
            guess.resume = ScanGdb(data, cuts[k], cuts[k + 1], 0, nullptr, [&](const GdbRecord& r) {
                if (guess.first_records.size() < kGdbCheckedRecords)
                    guess.first_records.push_back(r);
                piece.points.push_back(r.point);
            });
        };
        std::size_t resume = 0;
        job.join = [&](std::size_t k, ParsedPiece& piece) {
            // The first piece starts where the scan does: its guess is the truth.
            resume = k == 0 ? guesses[k].resume
                            : CheckGdbPiece(data, cuts[k], cuts[k + 1], resume, guesses[k], piece.points, throttle);
            guesses[k] = GdbPiece();
            throttle.Tick();
        };
        ParsePieces(job, filler, options.threads);
    }
    filler.Finish();
}

void ParseGdbTrack(std::string_view data, TrackStore& store, PendingEvents& events)
{
    ParseGdbTrackInPieces(data, store, events, PieceOptions());
}

void ReadGdbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper)
{
    ReadBinaryFile(path, store, events, beeper, ParseGdbTrack);
}

} // namespace tackedit
