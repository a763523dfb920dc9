#include "replay/scoring_csv.h"

#include "base/table_cells.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>

namespace tackedit {

namespace {

// "HH:MM:SS" of local seconds (the time of day) or of a span.
std::string Clock(std::int64_t seconds, bool time_of_day)
{
    if (time_of_day)
        seconds = (seconds % 86400 + 86400) % 86400;
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

std::string ForScoringCsv(const std::vector<std::vector<RaceResult>>& races, const std::vector<SeriesEntry>* entries,
                          const char* eol)
{
    std::map<std::string, std::string> sail_of;
    if (entries)
        for (const SeriesEntry& e : *entries)
            sail_of.try_emplace(SeriesBoatKey(e.boat), e.sail);
    const auto sail = [&sail_of](const std::string& boat) {
        const auto found = sail_of.find(SeriesBoatKey(boat));
        return found == sail_of.end() ? std::string() : CsvCell(found->second);
    };
    std::string out = std::string("RaceNo,Class,SailNo,Boat,Start,Finish,Elapsed,Code,Place") + eol;
    for (std::size_t r = 0; r < races.size(); ++r)
        for (const RaceResult& row : races[r]) {
            const std::string cells[] = {
                std::to_string(r + 1),
                CsvCell(row.boat_class),
                sail(row.name),
                CsvCell(row.name),
                row.start ? Clock(*row.start, true) : "",
                row.finish ? Clock(*row.finish, true) : "",
                row.elapsed ? Clock(std::llround(*row.elapsed), false) : "",
                row.status == "OK" ? "" : row.status,
                row.status == "OK" && row.rank ? std::to_string(*row.rank) : ""};
            out += cells[0];
            for (std::size_t c = 1; c < std::size(cells); ++c)
                out += "," + cells[c];
            out += eol;
        }
    return out;
}

} // namespace tackedit
