#include "track/data_error.h"
#include "track/datetime.h"
#include "track/field_splitter.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"

#include <string>

namespace tackedit {

std::optional<double> ParseCoordinate(std::string_view text, int style)
{
    const char letter = text.empty() ? '\0' : text[0];
    // The first character is the hemisphere letter even when it is a digit.
    const std::string_view number = text.substr(text.empty() ? 0 : 1, 300);
    long double value = 0;
    switch (style) {
    case CoordDegrees: {
        const auto degrees = ParseReal(number);
        if (!degrees)
            return std::nullopt;
        value = *degrees * 60;
        break;
    }
    case CoordDegreesMinutes: {
        // ddmm.mmm: the two digits before the point and what follows are minutes.
        const std::size_t point = number.find('.');
        if (point == std::string_view::npos || point < 2)
            return std::nullopt;
        const auto degrees = ParseReal(number.substr(0, point - 2));
        const auto minutes = ParseReal(number.substr(point - 2));
        if (!degrees || !minutes)
            return std::nullopt;
        value = *degrees * 60 + *minutes;
        break;
    }
    case CoordDegreesMinutesSeconds: {
        // ddmmss.s: two digits of minutes, then the seconds with their decimals.
        const std::size_t point = number.find('.');
        if (point == std::string_view::npos || point < 4)
            return std::nullopt;
        const auto degrees = ParseReal(number.substr(0, point - 4));
        const auto minutes = ParseReal(number.substr(point - 4, 2));
        const auto seconds = ParseReal(number.substr(point - 2));
        if (!degrees || !minutes || !seconds)
            return std::nullopt;
        value = *degrees * 60 + *minutes + *seconds / 60;
        break;
    }
    default:
        return 0.0;
    }
    if (letter == 'S' || letter == 'W')
        value = -value;
    return static_cast<double>(value);
}

namespace {

bool ContainsRmc(const std::string& id)
{
    for (std::size_t i = 0; i + 3 <= id.size(); ++i)
        if (AsciiLower(id[i]) == 'r' && AsciiLower(id[i + 1]) == 'm' && AsciiLower(id[i + 2]) == 'c')
            return true;
    return false;
}

} // namespace

void ParseNmeaLog(std::string_view data, const std::string& file, TrackStore& store)
{
    TrackFiller filler(store);
    filler.ExpectPoints(data.size() / 40);  // an RMC sentence with a fix is longer
    FieldSplitter fields;
    LineCursor lines(data);
    std::string_view line;
    std::string coordinate;
    while (lines.Next(line)) {
        fields.SplitFields(line, ',');
        if (!ContainsRmc(fields[0]))
            continue;
        // A receiver without a fix writes empty positions: nothing to read there.
        if (fields[3].empty() || fields[5].empty())
            continue;
        const std::string_view date = fields[9];
        const std::string_view time = fields[1];
        const auto year = ParseInteger(date.substr(std::min<std::size_t>(4, date.size()), 2));
        const auto month = ParseInteger(date.substr(std::min<std::size_t>(2, date.size()), 2));
        const auto day = ParseInteger(date.substr(0, 2));
        if (!year || !month || !day)
            throw DataError::Conversion(file, lines.LineNumber(), std::string(date), "date");
        if (*year < 1 || *month < 1 || *day < 1)
            continue;
        // The century is always 20.
        const std::string date_text = "20" + std::string(date.substr(4, 2)) + "/" +
                                      std::string(date.substr(2, 2)) + "/" + std::string(date.substr(0, 2));
        const auto day_number = ParseDateYmd(date_text);
        if (!day_number)
            throw DataError::Conversion(file, lines.LineNumber(), std::string(date), "date");
        const std::string time_text = std::string(time.substr(0, 2)) + ":" +
                                      std::string(time.substr(std::min<std::size_t>(2, time.size()), 2)) + ":" +
                                      std::string(time.substr(std::min<std::size_t>(4, time.size()), 2));
        const auto time_of_day = ParseTimeOfDay(time_text);
        if (!time_of_day)
            throw DataError::Conversion(file, lines.LineNumber(), std::string(time), "time");

        coordinate.assign(fields[4]).append(fields[3]);
        const auto lat = ParseCoordinate(coordinate, CoordDegreesMinutes);
        if (!lat)
            throw DataError::Conversion(file, lines.LineNumber(), coordinate, "latitude");
        coordinate.assign(fields[6]).append(fields[5]);
        const auto lon = ParseCoordinate(coordinate, CoordDegreesMinutes);
        if (!lon)
            throw DataError::Conversion(file, lines.LineNumber(), coordinate, "longitude");
        filler.Store(*day_number + *time_of_day, *lat, *lon);
    }
    filler.Finish();
}

void ReadNmeaLog(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseNmeaLog);
}

} // namespace tackedit
