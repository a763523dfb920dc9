// Logs without RMC fixes: GGA, GNS and GLL give a time of day only, so each fix
// takes its date from the last ZDA sentence (or RMC sentence without a
// position) before it, and a day more or less when its time is more than half
// a day away from the one before: midnight passes between two date sentences.
// Fixes before the first date are dated back from it the same way.

#include "base/datetime.h"
#include "base/file_buffer.h"
#include "track/formats/nmea_sentence.h"
#include "track/parallel_parse.h"

#include <cmath>
#include <optional>

namespace tackedit::nmea {

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b < 0 ? 1 : 0);
}

// The second of the day a time of day names.
std::int64_t SecondOfDay(DateTime time_of_day)
{
    return std::llround(time_of_day * SecondsPerDay);
}

// The moment of `second_of_day` nearest to `near` (seconds from day 0).
std::int64_t Nearest(std::int64_t near, std::int64_t second_of_day)
{
    std::int64_t at = FloorDiv(near, kDay) * kDay + second_of_day;
    if (at < near - kDay / 2)
        at += kDay;
    else if (at > near + kDay / 2)
        at -= kDay;
    return at;
}

DateTime Dated(std::int64_t at, DateTime time_of_day)
{
    return CombineDateTime(static_cast<DateTime>(FloorDiv(at, kDay)), time_of_day);
}

enum class Kind { Other, Rmc, Gga, Gns, Gll, Zda };

// As the RMC pass, field 0 need only contain the sentence's name.
Kind KindOf(std::string_view id)
{
    Kind found = Kind::Other;
    for (std::size_t i = 0; i + 3 <= id.size(); ++i) {
        const char a = AsciiLower(id[i]), b = AsciiLower(id[i + 1]), c = AsciiLower(id[i + 2]);
        if (a == 'r' && b == 'm' && c == 'c')
            return Kind::Rmc;
        if (found != Kind::Other)
            continue;
        if (a == 'g' && b == 'g' && c == 'a')
            found = Kind::Gga;
        else if (a == 'g' && b == 'n' && c == 's')
            found = Kind::Gns;
        else if (a == 'g' && b == 'l' && c == 'l')
            found = Kind::Gll;
        else if (a == 'z' && b == 'd' && c == 'a')
            found = Kind::Zda;
    }
    return found;
}

// What a piece leaves to the join besides its points.
struct FixPiece {
    SentenceFaults faults;
    // The first points, before the piece's first date: their time is only the
    // time of day until the join dates them.
    std::size_t leading = 0;
    std::optional<std::int64_t> first_date;  // the moment of the piece's first date sentence
    std::optional<std::int64_t> last;        // the moment its dating ends on, once it has a date
    std::int64_t first_fix_ms = -1, last_fix_ms = -1;  // times of day of its first and last fix
};

class FixReader {
public:
    FixReader(const std::string& file, ParsedPiece& piece, FixPiece& out) : file_(file), piece_(piece), out_(out) {}

    void Read(std::string_view text)
    {
        LineCursor lines(text);
        std::string_view line;
        while (lines.Next(line)) {
            std::size_t first = 0;
            while (first < line.size() && line[first] != ',')
                ++first;
            const Kind kind = KindOf(line.substr(0, first));
            if (kind != Kind::Other)
                Sentence(kind, line, lines.LineNumber());
        }
        piece_.lines = lines.LineNumber();
    }

private:
    void Sentence(Kind kind, std::string_view line, std::int64_t line_number)
    {
        std::string_view f[10];
        SplitSentence(line, f, long_line_);
        line_ = line;
        line_number_ = line_number;
        switch (kind) {
        case Kind::Gga:
            if (const std::string_view quality = WithoutChecksum(f[6]); !quality.empty() && quality != "0")
                Fix(f[1], f[2], f[3], f[4], f[5]);
            break;
        case Kind::Gns:
            // One mode letter a constellation; N for all of them is no fix.
            if (WithoutChecksum(f[6]).find_first_not_of('N') != std::string_view::npos)
                Fix(f[1], f[2], f[3], f[4], f[5]);
            break;
        case Kind::Gll:
            if (const std::string_view status = WithoutChecksum(f[6]);
                (status == "A" || status == "a") && WithoutChecksum(f[7]) != "N")
                Fix(f[5], f[1], f[2], f[3], f[4]);
            break;
        case Kind::Zda: Zda(f[1], f[2], f[3], WithoutChecksum(f[4])); break;
        case Kind::Rmc:
            // An RMC sentence with a position was the other pass's to read.
            if (f[3].empty() || f[5].empty())
                Rmc(f[1], f[9]);
            break;
        case Kind::Other: break;
        }
    }

    void Fix(std::string_view time, std::string_view lat, std::string_view north, std::string_view lon,
             std::string_view east)
    {
        if (time.empty() || lat.empty() || north.empty() || lon.empty() || east.empty())
            return;
        DateTime time_of_day;
        if (!TimeOfDay(time, time_of_day))
            return;
        double y, x;
        // Without a letter of its axis a number is no position, whatever it reads as.
        if ((north != "N" && north != "S") || !ReadCoordinate(north, lat, y, coordinate_))
            return Fail(coordinate_.assign(north).append(lat), "latitude");
        if ((east != "E" && east != "W") || !ReadCoordinate(east, lon, x, coordinate_))
            return Fail(coordinate_.assign(east).append(lon), "longitude");

        const std::int64_t second = SecondOfDay(time_of_day);
        DateTime t = time_of_day;
        if (at_) {
            at_ = Nearest(*at_, second);
            t = Dated(*at_, time_of_day);
        } else {
            ++out_.leading;
        }
        // GGA, GNS and GLL of one fix follow each other: the first stands for it.
        const std::int64_t ms = second * 1000 + Milliseconds(time);
        const bool repeated = out_.last_fix_ms == ms;
        if (out_.first_fix_ms < 0)
            out_.first_fix_ms = ms;
        out_.last_fix_ms = ms;
        if (repeated) {
            if (!at_)
                --out_.leading;
            return;
        }
        piece_.points.push_back({t, y, x});
    }

    void Zda(std::string_view time, std::string_view day, std::string_view month, std::string_view year)
    {
        if (time.empty() || day.empty() || month.empty() || year.empty())
            return;
        const auto d = ParseInteger(day), m = ParseInteger(month), y = ParseInteger(year);
        const auto quoted = [&] { return std::string(day).append(",").append(month).append(",").append(year); };
        if (!d || !m || !y)
            return Fail(quoted(), "date");
        // A receiver that has no time yet writes zeros.
        if (*d < 1 || *m < 1 || *y < 1)
            return;
        // The year has four digits: fewer are a sentence cut short.
        const auto date = year.size() == 4 && *m <= 12 && *d <= 31
                              ? TryEncodeDate(static_cast<int>(*y), static_cast<int>(*m), static_cast<int>(*d))
                              : std::nullopt;
        if (!date)
            return Fail(quoted(), "date");
        DateTime time_of_day;
        if (TimeOfDay(time, time_of_day))
            Date(*date, time_of_day);
    }

    // The date of an RMC sentence as the other pass reads it: ddmmyy, century 20.
    void Rmc(std::string_view time, std::string_view date)
    {
        if (time.empty() || date.empty())
            return;
        const auto year = ParseInteger(date.substr(std::min<std::size_t>(4, date.size()), 2));
        const auto month = ParseInteger(date.substr(std::min<std::size_t>(2, date.size()), 2));
        const auto day = ParseInteger(date.substr(0, 2));
        if (!year || !month || !day)
            return Fail(std::string(date), "date");
        if (*year < 1 || *month < 1 || *day < 1)
            return;
        char text[16];
        const std::size_t n = Join(text, {"20", date.substr(4, 2), "/", date.substr(2, 2), "/", date.substr(0, 2)});
        const auto day_number = ParseDateYmd(std::string_view(text, n));
        if (!day_number)
            return Fail(std::string(date), "date");
        DateTime time_of_day;
        if (TimeOfDay(time, time_of_day))
            Date(*day_number, time_of_day);
    }

    void Date(DateTime day_number, DateTime time_of_day)
    {
        at_ = static_cast<std::int64_t>(day_number) * kDay + SecondOfDay(time_of_day);
        if (!out_.first_date)
            out_.first_date = at_;
    }

    // hhmmss with any decimals dropped, as the RMC pass reads it; false after
    // a fault.
    bool TimeOfDay(std::string_view time, DateTime& time_of_day)
    {
        time = WithoutChecksum(time);
        char clock[8];
        const std::size_t n = Join(clock, {time.substr(0, 2), ":", time.substr(std::min<std::size_t>(2, time.size()), 2),
                                           ":", time.substr(std::min<std::size_t>(4, time.size()), 2)});
        if (ReadTimeOfDay(std::string_view(clock, n), time_of_day))
            return true;
        Fail(std::string(time), "time");
        return false;
    }

    // The first three decimals of a time, which tell fixes of one second apart.
    static std::int64_t Milliseconds(std::string_view time)
    {
        std::int64_t ms = 0;
        std::size_t i = time.find('.');
        for (int k = 0; k < 3; ++k) {
            const char c = i != std::string_view::npos && ++i < time.size() ? time[i] : '0';
            ms = ms * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
        }
        return ms;
    }

    void Fail(const std::string& text, const char* what)
    {
        out_.faults.Fail(line_, DataError::Conversion(file_, line_number_, text, what));
    }

    const std::string& file_;
    ParsedPiece& piece_;
    FixPiece& out_;
    FieldSplitter long_line_;
    std::string coordinate_;
    std::string_view line_;
    std::int64_t line_number_ = 0;
    // The moment the last date or fix stands for, kept where the join finds it
    // also when a fault ends the piece.
    std::optional<std::int64_t>& at_ = out_.last;
};

// Dates the first `n` points, whose time is a time of day, forward from `at`.
void DateForward(TrackPoint* points, std::size_t n, std::int64_t& at)
{
    for (std::size_t i = 0; i < n; ++i) {
        at = Nearest(at, SecondOfDay(points[i].time));
        points[i].time = Dated(at, points[i].time);
    }
}

// The same backward, from the last of them.
void DateBackward(TrackPoint* points, std::size_t n, std::int64_t& at)
{
    for (std::size_t i = n; i-- > 0;) {
        at = Nearest(at, SecondOfDay(points[i].time));
        points[i].time = Dated(at, points[i].time);
    }
}

} // namespace

std::size_t ParseFixesInPieces(std::string_view data, const std::string& file, TrackFiller& filler,
                               const PieceOptions& options, SentenceFaults& faults)
{
    const std::vector<std::size_t> cuts = CutAtLineStarts(data, options.bytes);
    std::vector<FixPiece> pieces(cuts.size() - 1);
    // What runs on from piece to piece, in file order.
    std::int64_t lines_before = 0;
    std::optional<std::int64_t> at;
    std::vector<TrackPoint> undated;  // fixes from the start of the log, before any date
    std::int64_t last_fix_ms = -1;

    PieceJob job;
    job.count = pieces.size();
    job.parse = [&](std::size_t k, ParsedPiece& piece) {
        FixReader(file, piece, pieces[k]).Read(data.substr(cuts[k], cuts[k + 1] - cuts[k]));
    };
    job.join = [&](std::size_t k, ParsedPiece& piece) {
        FixPiece& p = pieces[k];
        faults.Add(p.faults, lines_before);
        lines_before += piece.lines;
        const bool repeated = p.first_fix_ms >= 0 && p.first_fix_ms == last_fix_ms;
        if (p.last_fix_ms >= 0)
            last_fix_ms = p.last_fix_ms;
        std::vector<TrackPoint>& points = piece.points;
        if (at) {
            DateForward(points.data(), p.leading, *at);
            if (p.last)
                at = p.last;
        } else if (p.first_date) {
            std::int64_t back = *p.first_date;
            DateBackward(points.data(), p.leading, back);
            DateBackward(undated.data(), undated.size(), back);
            at = p.last;
        }
        // The piece's first fix repeats the last of the piece before: dated
        // like it, left out like it.
        if (repeated)
            points.erase(points.begin());
        if (!at) {
            undated.insert(undated.end(), points.begin(), points.end());
            TrackFiller::CheckRoom(undated.size());
            points.clear();
        } else if (!undated.empty()) {
            points.insert(points.begin(), undated.begin(), undated.end());
            undated.clear();
        }
    };
    ParsePieces(job, filler, options.threads);
    faults.Settle(data);
    return undated.size();
}

} // namespace tackedit::nmea
