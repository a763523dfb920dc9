#include "track/formats/gpx_reader.h"

#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/parallel_parse.h"
#include "base/text_scan.h"

#include <algorithm>
#include <cstring>

namespace tackedit {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Where the text of a point that starts at `start` ends: just past the first
// lower-case "</trkpt>" or "/gpx" after it, whichever ends first, or at the end
// of the data. Every such word holds a "/", so one pass over the slashes finds
// both.
std::size_t PointEnd(std::string_view data, std::size_t start)
{
    const char* d = data.data();
    const std::size_t size = data.size();
    const auto is = [d, size](std::size_t at, const char* word, std::size_t n) {
        return at + n <= size && std::memcmp(d + at, word, n) == 0;
    };
    for (std::size_t at = start; at < size;) {
        const char* hit = FindByte(d + at, d + size, '/');
        if (hit == d + size)
            break;
        const auto slash = static_cast<std::size_t>(hit - d);
        if (slash + 3 < size && d[slash + 1] == 'g' && is(slash, "/gpx", 4))
            return slash + 4;
        if (slash > start && d[slash - 1] == '<' && slash + 1 < size && d[slash + 1] == 't' &&
            is(slash - 1, "</trkpt>", 8))
            return slash + 7;
        at = slash + 1;
    }
    return size;
}

std::int64_t LineOf(std::string_view data, std::size_t offset)
{
    return 1 + std::count(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
}

// The text between the first pair of double quotes in the 50 characters that start
// one after `at` (so at the "a" of "lat"). An unclosed quote gives the empty text.
std::string_view QuotedValue(std::string_view text, std::size_t at)
{
    const std::string_view window = text.substr(std::min(at + 1, text.size()), 50);
    const char* const end = window.data() + window.size();
    const char* open = FindByte(window.data(), end, '"');
    const char* after = open == end ? window.data() : open + 1;
    const char* close = FindByte(after, end, '"');
    return close == end ? std::string_view() : std::string_view(after, static_cast<std::size_t>(close - after));
}

class GpxPointReader {
public:
    GpxPointReader(std::string_view data, const std::string& file, std::vector<TrackPoint>& points)
        : data_(data), file_(file), points_(points) {}

    // text: the raw point text, starting right after "trkpt". Words are matched
    // without regard to case; the values themselves read the same either way.
    void Read(std::string_view t, std::size_t offset)
    {
        const std::size_t lat_at = FindNoCase(t, "lat");
        const std::size_t lon_at = FindNoCase(t, "lon");
        const std::size_t time_at = FindNoCase(t, "<time>");
        if (lat_at == npos || lon_at == npos || (time_at == npos && FindNoCase(t, "time") == npos))
            return;
        const double lat = Degrees(QuotedValue(t, lat_at), offset, "latitude");
        const double lon = Degrees(QuotedValue(t, lon_at), offset, "longitude");

        const std::string_view window = time_at == npos ? std::string_view() : t.substr(time_at + 6, 50);
        const std::size_t letter_t = FindNoCase(window, "t");
        if (letter_t == npos)
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(window), "date-time");
        const std::string_view date_text = window.substr(0, letter_t);
        const std::string_view time_text = window.substr(letter_t + 1, 8);
        // Consecutive points mostly share their date.
        if (!have_date_ || date_text != last_date_text_) {
            const auto date = ParseDateYmd(date_text);
            if (!date)
                throw DataError::Conversion(file_, LineOf(data_, offset), std::string(date_text), "date");
            last_date_ = *date;
            last_date_text_.assign(date_text);
            have_date_ = true;
        }
        DateTime time;
        if (!ReadTimeOfDay(time_text, time))
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(time_text), "time");
        points_.push_back({CombineDateTime(last_date_, time) - IsoZoneOffset(window, letter_t + 9), lat, lon});
    }

private:
    double Degrees(std::string_view value, std::size_t offset, const char* what)
    {
        const auto parsed = ParseReal(value);
        if (!parsed)
            throw DataError::Conversion(file_, LineOf(data_, offset), std::string(value), what);
        return static_cast<double>(*parsed * 60);
    }

    std::string_view data_;
    const std::string& file_;
    std::vector<TrackPoint>& points_;
    std::string last_date_text_;  // of the last date that converted
    bool have_date_ = false;
    DateTime last_date_ = 0;
};

bool IsWord(std::string_view word, std::string_view expected)
{
    if (word.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (AsciiLower(word[i]) != expected[i])
            return false;
    return true;
}

// Reads the points whose "<" the outer scan meets in [from, limit). True when the
// scan met the closing root tag: nothing after it is read.
bool ReadGpxPiece(std::string_view data, std::size_t from, std::size_t limit, GpxPointReader& point)
{
    std::size_t pos = from;
    while (pos < data.size()) {
        const std::size_t lt = data.find('<', pos);
        if (lt == npos || lt >= limit)
            break;
        // The five characters after "<" are consumed whatever they are.
        const std::string_view word = data.substr(lt + 1, 5);
        pos = lt + 1 + word.size();
        if (IsWord(word, "/gpx>"))
            return true;
        if (!IsWord(word, "trkpt"))
            continue;
        const std::size_t start = pos;
        pos = PointEnd(data, start);
        point.Read(data.substr(start, pos - start), start);
    }
    return false;
}

// Offsets where pieces start: just after a lower-case "</trkpt>". Whatever the
// scan did before such a word, it goes on by looking for the next "<" after it
// (the word itself holds no other "<", and a point's text ends with it at the
// latest), so a piece can start its scan there.
std::vector<std::size_t> CutAfterPoints(std::string_view data, std::size_t piece_bytes)
{
    std::vector<std::size_t> cuts{0};
    std::size_t at = std::max<std::size_t>(piece_bytes, 1);
    while (at < data.size()) {
        const std::size_t close = FindWord(data, at, "</trkpt>", 1, 4);
        if (close == npos || close + 8 >= data.size())
            break;
        cuts.push_back(close + 8);
        at = close + 8 + std::max<std::size_t>(piece_bytes, 1);
    }
    cuts.push_back(data.size());
    return cuts;
}

// Said of a file that gave no point, so the user knows what to ask for.
std::string WhyNoGpxPoint(std::string_view data)
{
    if (FindNoCase(data, "<trkpt") != npos)
        return "its track points have no time or no position.";
    if (FindNoCase(data, "<rtept") != npos)
        return "the file holds a route (points without times), not a track.";
    if (FindNoCase(data, "<wpt") != npos)
        return "the file holds only waypoints.";
    return "the file holds no track (trkpt).";
}

} // namespace

void ParseGpxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options)
{
    TrackFiller filler(store);
    // The shortest usable track point takes about 64 characters; reserving for
    // that costs address space only, as untouched pages stay unallocated.
    filler.ExpectPoints(data.size() / 64);
    const std::vector<std::size_t> cuts = CutAfterPoints(data, options.bytes);
    PieceJob job;
    job.count = cuts.size() - 1;
    job.parse = [&](std::size_t k, ParsedPiece& piece) {
        piece.points.reserve((cuts[k + 1] - cuts[k]) / 64 + 1);  // room enough, as for the whole file
        GpxPointReader point(data, file, piece.points);
        piece.stop = ReadGpxPiece(data, cuts[k], cuts[k + 1], point);
    };
    ParsePieces(job, filler, options.threads);
    filler.Finish();
    if (filler.Count() == 0)
        store.ReadNotes.push_back(WhyNoGpxPoint(data));
}

void ParseGpxTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    ParseGpxTrackInPieces(data, file, store, PieceOptions());
}

void ReadGpxTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseGpxTrack);
}

} // namespace tackedit
