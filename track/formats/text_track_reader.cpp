#include "track/formats/text_track_reader.h"

#include "track/formats/coordinate_text.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/field_splitter.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/parallel_parse.h"
#include "base/text_scan.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace tackedit {

namespace {

enum class DateOrder { Undecided, YearFirst, YearLast, ShortParts };

// The fields of a line split at blanks, as SplitFields gives them: a run of
// blanks is one separator and every field is trimmed. Only what a point line
// needs is kept: fields 0 to 4 (the sixth, the altitude, is not read) and
// whether there are exactly six; and, since the split reads the line anyway,
// whether it holds a "D" (of "DMS" or "DEG").
struct BlankFields {
    static constexpr int kKept = 5;
    std::string_view f[kKept];
    bool six = false;
    bool has_d = false;
};

// The first blank at or after `from`, noting a "D" on the way; npos if none.
std::size_t NextBlank(std::string_view text, std::size_t from, bool& has_d)
{
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ')
            return i;
        has_d |= c == 'D';
    }
    return std::string_view::npos;
}

// A line of under 64 bytes without control characters, from the masks of the
// block it starts: its fields are its runs of non-blanks, after an empty field
// 0 when it starts with a blank (and then at least one more field, empty when
// nothing follows). The fields are only set when there are six: no other line
// is read field by field.
void SplitShortLine(std::string_view line, const BlockMasks& m, BlankFields& out)
{
    const std::uint64_t inside = (std::uint64_t{1} << line.size()) - 1;
    const std::uint64_t word = ~m.blanks & inside;
    // A mark past the line stays after the starts and the ends of the words,
    // so fields are taken without a test each (past the last word, a stand-in
    // at the mark, never read); then exactly one word left means exactly six.
    constexpr std::uint64_t kMark = std::uint64_t{1} << 63;
    std::uint64_t starts = (word & ~(word << 1)) | kMark;
    std::uint64_t lasts = (word & ~(word >> 1)) | kMark;
    const auto take = [&](std::string_view& field) {
        const int from = __builtin_ctzll(starts), to = __builtin_ctzll(lasts);
        field = std::string_view(line.data() + from, static_cast<std::size_t>(to - from + 1));
        starts = (starts & (starts - 1)) | kMark;
        lasts = (lasts & (lasts - 1)) | kMark;
    };
    const bool lead = m.blanks & 1;
    if (lead)
        out.f[0] = std::string_view();
    else
        take(out.f[0]);
    take(out.f[1]);
    take(out.f[2]);
    take(out.f[3]);
    take(out.f[4]);
    const std::uint64_t rest = starts & ~kMark;  // the sixth word on
    out.six = rest != 0 && (rest & (rest - 1)) == 0;
    out.has_d = (m.ds & inside) != 0;
}

void SplitAtBlanks(std::string_view line, BlankFields& out, FieldSplitter& long_line)
{
    // Up to 5000 characters no remainder is cut short; longer lines take the
    // general splitter.
    if (line.size() > FieldSplitter::kRestLimit) {
        long_line.SplitFields(line, ' ');
        for (int i = 0; i < BlankFields::kKept; ++i)
            out.f[i] = long_line[i];
        out.six = long_line.FieldCount == 6;
        out.has_d = line.find('D') != std::string_view::npos;
        return;
    }
    int count = 0;
    bool has_d = false;
    std::string_view rest = line;
    for (;;) {
        const std::size_t blank = NextBlank(rest, 0, has_d);
        if (blank == std::string_view::npos)
            break;
        if (count < BlankFields::kKept)
            out.f[count] = TrimBlanks(rest.substr(0, blank));
        ++count;
        rest = TrimBlanks(rest.substr(blank + 1));
        if (count > 6) {
            // Seven fields or more: not a point line; only the "D" is left to find.
            has_d = has_d || rest.find('D') != std::string_view::npos;
            break;
        }
    }
    if (count < BlankFields::kKept)
        out.f[count] = TrimBlanks(rest);
    out.six = count == 5;
    out.has_d = has_d;
}

// a == b, for a date of 8 to 16 bytes in two 8-byte comparisons rather than
// a call: every point line asks it.
inline bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a.size() < 8 || a.size() > 16)
        return a == b;
    std::uint64_t a0, a1, b0, b1;
    std::memcpy(&a0, a.data(), 8);
    std::memcpy(&b0, b.data(), 8);
    std::memcpy(&a1, a.data() + a.size() - 8, 8);
    std::memcpy(&b1, b.data() + b.size() - 8, 8);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

// The date order and the time a point line's date and time give. A date or time
// that does not convert leaves the time as it was.
class PointTime {
public:
    explicit PointTime(DateOrder order) : order_(order) {}

    // True when the time converted; `time` is then the point's time.
    bool Read(std::string_view date, std::string_view clock, DateTime& time)
    {
        // The same date as the point before gives the same day, whatever
        // separator earlier lines left: only a new date is taken apart.
        if (order_ == DateOrder::Undecided || !have_date_ || !SameText(date, last_date_text_))
            TakeDate(date);
        if (!last_day_)
            return false;
        DateTime time_of_day;
        if (!ReadTimeOfDay(clock, time_of_day))
            return false;
        time = CombineDateTime(*last_day_, time_of_day);
        return true;
    }

    DateOrder order() const { return order_; }

    // Decided once for the whole file, by its first point line.
    static DateOrder DecideOrder(std::string_view part1, std::string_view part3)
    {
        DateOrder order = DateOrder::ShortParts;
        if (part1.size() > 2)
            order = DateOrder::YearFirst;
        if (part3.size() > 2)
            order = DateOrder::YearLast;
        return order;
    }

private:
    // Once a day at most in a track: kept out of the loop that reads the points.
    [[gnu::noinline]] void TakeDate(std::string_view date)
    {
        bool has_dash = false, has_slash = false;
        for (const char c : date) {
            has_dash |= c == '-';
            has_slash |= c == '/';
        }
        // Without either separator the date never converts, whatever
        // separator earlier lines left; with one, the date itself decides it.
        const char separator = has_slash ? '/' : has_dash ? '-' : '\0';
        std::string_view part1 = date, part2, part3;
        if (separator != '\0') {
            const std::size_t first = date.find(separator);
            part1 = date.substr(0, first);
            const std::string_view rest = date.substr(first + 1);
            const std::size_t second = rest.find(separator);
            part2 = rest.substr(0, second);
            if (second != std::string_view::npos)
                part3 = rest.substr(second + 1, 100);
        }
        if (order_ == DateOrder::Undecided)
            order_ = DecideOrder(part1, part3);
        if (order_ == DateOrder::YearFirst) {
            last_day_ = ParseDateYmd(date);
        } else {
            reordered_.assign(part3).append("/").append(part1).append("/").append(part2);
            last_day_ = ParseDateYmd(reordered_);
        }
        last_date_text_.assign(date);
        have_date_ = true;
    }

    DateOrder order_;
    std::string last_date_text_;  // and the day it gave, converted or not
    bool have_date_ = false;
    std::optional<DateTime> last_day_;
    std::string reordered_;
};

// The notation a line's header words switch to, or 0 when it has neither.
int StyleOfLine(std::string_view line)
{
    if (line.find("DEG") != std::string_view::npos)
        return CoordDegrees;
    if (line.find("DMS") != std::string_view::npos)
        return CoordDegreesMinutesSeconds;
    return 0;
}

// Reads the coordinate into `minutes`; false when it does not convert.
inline bool Coordinate(std::string_view text, int style, double& minutes)
{
    if (!text.empty() && QuickCoordinate(text[0], text.substr(1), style, minutes))
        return true;
    const auto parsed = ParseCoordinate(text, style);
    if (parsed)
        minutes = *parsed;
    return parsed.has_value();
}

bool IsPointLine(const BlankFields& fields)
{
    if (!fields.six)
        return false;
    for (const char c : fields.f[0])
        if (c == 'T')
            return true;
    return false;
}

// Where a piece starts: the notation the lines before it chose, the date order,
// and whether the time of the point before it is known (it is not, for a
// piece after the first, until the pieces before it are joined).
struct TextPieceStart {
    int style = CoordDegreesMinutes;
    DateOrder order = DateOrder::Undecided;
};

// A piece's own result besides its points: how many of its first points took
// the time of the point before the piece, the time its last point left, and
// the notation in force at its end.
struct TextPieceTimes {
    std::size_t inherited = 0;
    bool known = false;
    DateTime last = 0;
    int style = CoordDegreesMinutes;
};

void ParseTextPiece(std::string_view text, const char* data_end, const std::string& file, const TextPieceStart& start,
                    bool first_piece, ParsedPiece& piece, TextPieceTimes& times)
{
    int style = start.style;
    PointTime point_time(start.order);
    DateTime last_time = 0;
    bool time_known = first_piece;  // the first point of a file without a time gets day 0
    BlankFields fields;
    FieldSplitter long_line;
    // Lines as LineCursor gives them. A line that ends within the 64 bytes at
    // its start, with no control character before its end, is found and split
    // from one block's masks; any other takes the search for its end and the
    // general split.
    const char* pos = text.data();
    const char* const end = pos + text.size();
    LineBreaks breaks(pos, end);
    std::int64_t line_number = 0;
    while (pos < end) {
        ++line_number;
        std::string_view line;
        bool split = false;
        if (data_end - pos >= 64) {
            BlockMasks m;
            MaskBlock(pos, m);
            if (m.controls != 0) {
                const int length = __builtin_ctzll(m.controls);
                if (pos[length] == '\r' || pos[length] == '\n') {
                    line = std::string_view(pos, static_cast<std::size_t>(length));
                    SplitShortLine(line, m, fields);
                    split = true;
                }
            }
        }
        if (!split) {
            line = std::string_view(pos, static_cast<std::size_t>(breaks.From(pos) - pos));
            SplitAtBlanks(line, fields, long_line);
        }
        pos += line.size();
        if (pos < end && *pos++ == '\r' && pos < end && *pos == '\n')
            ++pos;
        // Header words switch the notation for the rest of the file, on any line.
        if (fields.has_d)
            if (const int s = StyleOfLine(line))
                style = s;
        if (!IsPointLine(fields))
            continue;
        if (point_time.Read(fields.f[3], fields.f[4], last_time))
            time_known = true;
        double lat, lon;
        if (!Coordinate(fields.f[1], style, lat))
            throw DataError::Conversion(file, line_number, std::string(fields.f[1]), "latitude");
        if (!Coordinate(fields.f[2], style, lon))
            throw DataError::Conversion(file, line_number, std::string(fields.f[2]), "longitude");
        if (!time_known)
            ++times.inherited;
        piece.points.push_back({last_time, lat, lon});
    }
    piece.lines = line_number;
    times.style = style;
    times.known = time_known;
    times.last = last_time;
}

// The file's first point line that starts before `limit`: where it starts
// and the date order it decides. None: npos.
std::pair<std::size_t, DateOrder> FirstPointLine(std::string_view text, std::size_t limit)
{
    BlankFields fields;
    FieldSplitter long_line;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        const auto offset = static_cast<std::size_t>(line.data() - text.data());
        if (offset >= limit)
            break;
        SplitAtBlanks(line, fields, long_line);
        if (IsPointLine(fields)) {
            PointTime time(DateOrder::Undecided);
            DateTime ignored;
            time.Read(fields.f[3], fields.f[4], ignored);
            return {offset, time.order()};
        }
    }
    return {std::string_view::npos, DateOrder::Undecided};
}

// The notation in force at `end`: that of the last line before it holding a
// header word.
int StyleAt(std::string_view text, std::size_t end)
{
    // The last "DEG" or "DMS" before the end; it cannot cross a line end.
    for (std::size_t at = end; at > 0;) {
        const void* d = memrchr(text.data(), 'D', at);
        if (!d)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(d) - text.data());
        const std::string_view word = text.substr(at, 3);
        if (word == "DEG" || word == "DMS") {
            const std::size_t line_start = text.find_last_of("\r\n", at) + 1;  // npos + 1 is 0
            const std::size_t line_end = std::min(text.find_first_of("\r\n", at), text.size());
            return StyleOfLine(text.substr(line_start, line_end - line_start));
        }
    }
    return CoordDegreesMinutes;
}

} // namespace

void ParseTextTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                            const PieceOptions& options)
{
    TrackFiller filler(store);
    filler.ExpectPoints(data.size() / 32);
    const std::vector<std::size_t> cuts = CutAtLineStarts(data, options.bytes);
    const std::size_t pieces = cuts.size() - 1;
    std::vector<TextPieceStart> starts(pieces);
    std::vector<TextPieceTimes> times(pieces);
    if (pieces > 1) {
        // Each piece is read on the guess that the notation at its start is
        // the one the first piece ends with, as in a file whose header words
        // all come first; a piece the guess was wrong for is read again.
        const int guess = StyleAt(data, cuts[1]);
        // The piece that holds the file's first point line decides the order
        // itself, as the first piece does.
        const auto [first_point, order] = FirstPointLine(data, cuts[pieces - 1]);
        for (std::size_t k = 1; k < pieces; ++k) {
            starts[k].style = guess;
            if (first_point < cuts[k])
                starts[k].order = order;
        }
    }
    const auto parse = [&](std::size_t k, ParsedPiece& piece) {
        ParseTextPiece(data.substr(cuts[k], cuts[k + 1] - cuts[k]), data.data() + data.size(), file, starts[k], k == 0,
                       piece, times[k]);
    };
    PieceJob job;
    job.count = pieces;
    job.parse = [&](std::size_t k, ParsedPiece& piece) {
        piece.points.reserve((cuts[k + 1] - cuts[k]) / 32 + 1);  // room enough, as for the whole file
        parse(k, piece);
    };
    int style = CoordDegreesMinutes;  // in force where the next piece starts
    // A point whose date or time does not convert takes the time of the point
    // before it, which may lie in an earlier piece.
    DateTime carried = 0;
    job.join = [&](std::size_t k, ParsedPiece& piece) {
        if (starts[k].style != style) {
            starts[k].style = style;
            piece.points.clear();
            piece.error = nullptr;
            piece.lines = 0;
            times[k] = TextPieceTimes();
            try {
                parse(k, piece);
            } catch (...) {
                piece.error = std::current_exception();
            }
        }
        style = times[k].style;
        for (std::size_t i = 0; i < times[k].inherited && i < piece.points.size(); ++i)
            piece.points[i].time = carried;
        if (times[k].known)
            carried = times[k].last;
    };
    ParsePieces(job, filler, options.threads);
    filler.Finish();
}

void ParseTextTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    ParseTextTrackInPieces(data, file, store, PieceOptions());
}

void ReadTextTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseTextTrack);
}

} // namespace tackedit
