#include "track/data_error.h"
#include "track/datetime.h"
#include "track/field_splitter.h"
#include "track/file_buffer.h"
#include "track/track_formats.h"

#include <string>

namespace tackedit {

namespace {

enum class DateOrder { Undecided, YearFirst, YearLast, ShortParts };

// Reader state that lasts for the whole file.
struct TextTrackState {
    int style = CoordDegreesMinutes;
    DateOrder order = DateOrder::Undecided;
    char separator = '\0';
    DateTime last_time = 0;
};

// The date and time of a point line; a text that does not convert leaves the
// previous point's time in place.
void ReadPointTime(TextTrackState& state, std::string_view date, std::string_view time)
{
    if (date.find('-') != std::string_view::npos)
        state.separator = '-';
    if (date.find('/') != std::string_view::npos)
        state.separator = '/';

    std::string_view part1 = date, part2, part3;
    if (state.separator != '\0') {
        const std::size_t first = date.find(state.separator);
        if (first != std::string_view::npos) {
            part1 = date.substr(0, first);
            const std::string_view rest = date.substr(first + 1);
            const std::size_t second = rest.find(state.separator);
            part2 = rest.substr(0, second);
            if (second != std::string_view::npos)
                part3 = rest.substr(second + 1, 100);
        }
    }
    if (state.order == DateOrder::Undecided) {
        state.order = DateOrder::ShortParts;
        if (part1.size() > 2)
            state.order = DateOrder::YearFirst;
        if (part3.size() > 2)
            state.order = DateOrder::YearLast;
    }
    std::optional<DateTime> day;
    if (state.order == DateOrder::YearFirst) {
        day = ParseDateYmd(date);
    } else {
        std::string reordered;
        reordered.append(part3).append("/").append(part1).append("/").append(part2);
        day = ParseDateYmd(reordered);
    }
    if (!day)
        return;
    const auto time_of_day = ParseTimeOfDay(time);
    if (!time_of_day)
        return;
    state.last_time = CombineDateTime(*day, *time_of_day);
}

} // namespace

void ParseTextTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    TrackFiller filler(store);
    TextTrackState state;
    FieldSplitter fields;
    LineCursor lines(data);
    std::string_view line;
    while (lines.Next(line)) {
        fields.SplitFields(line, ' ');
        // Header words switch the notation for the rest of the file, on any line.
        if (line.find("DMS") != std::string_view::npos)
            state.style = CoordDegreesMinutesSeconds;
        if (line.find("DEG") != std::string_view::npos)
            state.style = CoordDegrees;
        if (fields[0].find('T') == std::string::npos || fields.FieldCount != 6)
            continue;
        ReadPointTime(state, fields[3], fields[4]);
        const auto lat = ParseCoordinate(fields[1], state.style);
        if (!lat)
            throw DataError::Conversion(file, lines.LineNumber(), fields[1], "latitude");
        const auto lon = ParseCoordinate(fields[2], state.style);
        if (!lon)
            throw DataError::Conversion(file, lines.LineNumber(), fields[2], "longitude");
        filler.Store(state.last_time, *lat, *lon);
    }
    filler.Finish();
}

void ReadTextTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseTextTrack);
}

} // namespace tackedit
