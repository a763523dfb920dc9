#include "track/formats/nmea_reader.h"

#include "base/datetime.h"
#include "base/file_buffer.h"
#include "track/formats/nmea_sentence.h"
#include "track/parallel_parse.h"

#include <algorithm>
#include <string>

namespace tackedit {

namespace {

using nmea::Join;

bool ContainsRmc(std::string_view id)
{
    for (std::size_t i = 0; i + 3 <= id.size(); ++i)
        if ((id[i] | 0x20) == 'r' && (id[i + 1] | 0x20) == 'm' && (id[i + 2] | 0x20) == 'c')
            return true;
    return false;
}

// The RMC sentences of one piece of a log. Its lines are numbered from 1.
class RmcReader {
public:
    RmcReader(const std::string& file, ParsedPiece& piece, nmea::SentenceFaults& faults)
        : file_(file), piece_(piece), faults_(faults) {}

    void Read(std::string_view text)
    {
        LineCursor lines(text);
        std::string_view line;
        while (lines.Next(line)) {
            // Field 0 runs to the first comma; only RMC sentences are read.
            std::size_t first = 0;
            while (first < line.size() && line[first] != ',')
                ++first;
            if (ContainsRmc(line.substr(0, first)))
                Sentence(line, lines.LineNumber());
        }
        piece_.lines = lines.LineNumber();
    }

private:
    void Sentence(std::string_view line, std::int64_t line_number)
    {
        std::string_view f[10];
        nmea::SplitSentence(line, f, long_line_);
        // A receiver without a fix writes empty positions: nothing to read there.
        if (f[3].empty() || f[5].empty())
            return;
        const std::string_view date = f[9], time = f[1];
        // Consecutive sentences mostly share a date, which then passed every
        // test below.
        if (!have_date_ || date != last_date_text_) {
            const auto year = ParseInteger(date.substr(std::min<std::size_t>(4, date.size()), 2));
            const auto month = ParseInteger(date.substr(std::min<std::size_t>(2, date.size()), 2));
            const auto day = ParseInteger(date.substr(0, 2));
            if (!year || !month || !day)
                return Fail(line, line_number, std::string(date), "date");
            if (*year < 1 || *month < 1 || *day < 1)
                return;
            // The century is always 20.
            char text[16];
            const std::size_t n =
                Join(text, {"20", date.substr(4, 2), "/", date.substr(2, 2), "/", date.substr(0, 2)});
            const auto day_number = ParseDateYmd(std::string_view(text, n));
            if (!day_number)
                return Fail(line, line_number, std::string(date), "date");
            last_date_ = *day_number;
            last_date_text_.assign(date);
            have_date_ = true;
        }
        char clock[8];
        const std::size_t n = Join(clock, {time.substr(0, 2), ":", time.substr(std::min<std::size_t>(2, time.size()), 2),
                                           ":", time.substr(std::min<std::size_t>(4, time.size()), 2)});
        DateTime time_of_day;
        if (!ReadTimeOfDay(std::string_view(clock, n), time_of_day))
            return Fail(line, line_number, std::string(time), "time");

        double lat, lon;
        if (!nmea::ReadCoordinate(f[4], f[3], lat, coordinate_))
            return Fail(line, line_number, coordinate_, "latitude");
        if (!nmea::ReadCoordinate(f[6], f[5], lon, coordinate_))
            return Fail(line, line_number, coordinate_, "longitude");
        piece_.points.push_back({last_date_ + time_of_day, lat, lon});
    }

    // A damaged sentence is skipped; any other ends the load.
    void Fail(std::string_view line, std::int64_t line_number, const std::string& text, const char* what)
    {
        faults_.Fail(line, DataError::Conversion(file_, line_number, text, what));
    }

    const std::string& file_;
    ParsedPiece& piece_;
    nmea::SentenceFaults& faults_;
    FieldSplitter long_line_;
    std::string coordinate_;
    std::string last_date_text_;  // of the last date that converted
    bool have_date_ = false;
    DateTime last_date_ = 0;
};

} // namespace

void ParseNmeaLogInPieces(std::string_view data, const std::string& file, TrackStore& store,
                          const PieceOptions& options)
{
    TrackFiller filler(store);
    filler.ExpectPoints(data.size() / 40);  // an RMC sentence with a fix is longer
    const std::vector<std::size_t> cuts = CutAtLineStarts(data, options.bytes);
    std::vector<nmea::SentenceFaults> piece_faults(cuts.size() - 1);
    nmea::SentenceFaults faults;
    std::int64_t lines_before = 0;
    PieceJob job;
    job.count = cuts.size() - 1;
    job.parse = [&](std::size_t k, ParsedPiece& piece) {
        piece.points.reserve((cuts[k + 1] - cuts[k]) / 40 + 1);  // room enough, as for the whole file
        RmcReader(file, piece, piece_faults[k]).Read(data.substr(cuts[k], cuts[k + 1] - cuts[k]));
    };
    job.join = [&](std::size_t k, ParsedPiece& piece) {
        faults.Add(piece_faults[k], lines_before);
        lines_before += piece.lines;
    };
    ParsePieces(job, filler, options.threads);
    faults.Settle(data);

    // A logger that writes no RMC sentence with a fix still writes its fixes.
    std::size_t undated = 0;
    if (filler.Count() == 0)
        undated = nmea::ParseFixesInPieces(data, file, filler, options, faults);
    const std::string damaged = faults.Note();
    if (!damaged.empty())
        store.ReadNotes.push_back(damaged);
    if (undated > 0)
        store.ReadNotes.push_back(std::to_string(undated) + (undated == 1 ? " fix was" : " fixes were") +
                                  " left out: the log holds no date (no ZDA sentence, no RMC sentence with a date)");
    else if (filler.Count() == 0)
        store.ReadNotes.push_back("the log holds no fix (no RMC, GGA, GNS or GLL sentence with a position)");
    filler.Finish();
}

void ParseNmeaLog(std::string_view data, const std::string& file, TrackStore& store)
{
    ParseNmeaLogInPieces(data, file, store, PieceOptions());
}

void ReadNmeaLog(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseNmeaLog);
}

} // namespace tackedit
