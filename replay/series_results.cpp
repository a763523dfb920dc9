#include "replay/series_results.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <string_view>
#include <utility>

namespace tackedit {

namespace {

} // namespace

// ASCII letters in lower case, the spaces around it (a Japanese full-width
// one too) gone.
std::string SeriesBoatKey(std::string_view name)
{
    const auto space_at_front = [&name] {
        if (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
            return std::size_t{1};
        return name.starts_with("\xE3\x80\x80") ? std::size_t{3} : std::size_t{0};
    };
    const auto space_at_back = [&name] {
        if (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            return std::size_t{1};
        return name.ends_with("\xE3\x80\x80") ? std::size_t{3} : std::size_t{0};
    };
    while (const std::size_t n = space_at_front())
        name.remove_prefix(n);
    while (const std::size_t n = space_at_back())
        name.remove_suffix(n);
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

namespace {

// Whether `a` ranks above `b` by A8: the scores kept, best first, then every
// score from the last race back. Both have the same nett points.
bool WinsTie(const SeriesBoat& a, const SeriesBoat& b)
{
    const auto kept = [](const SeriesBoat& boat) {
        std::vector<double> points;
        for (const SeriesScore& s : boat.scores)
            if (!s.discarded)
                points.push_back(s.points);
        std::sort(points.begin(), points.end());
        return points;
    };
    const std::vector<double> kept_a = kept(a), kept_b = kept(b);
    if (kept_a != kept_b)
        return kept_a < kept_b;
    for (std::size_t r = a.scores.size(); r-- > 0;)
        if (a.scores[r].points != b.scores[r].points)
            return a.scores[r].points < b.scores[r].points;
    return false;
}

bool RanksAbove(const SeriesBoat& a, const SeriesBoat& b)
{
    return a.nett != b.nett ? a.nett < b.nett : WinsTie(a, b);
}

} // namespace

std::optional<SeriesResults> ScoreSeries(const std::vector<std::vector<RaceResult>>& races, int discards,
                                         std::string* why_none, const std::vector<SeriesEntry>* entries)
{
    const auto fail = [why_none](std::string why) {
        if (why_none)
            *why_none = std::move(why);
        return std::nullopt;
    };
    const std::size_t race_count = races.size();
    discards = std::max(discards, 0);
    if (race_count > 0 && static_cast<std::size_t>(discards) >= race_count)
        return fail(std::to_string(discards) + " discards of " + std::to_string(race_count) +
                    " races leave no race to count");

    SeriesResults series;
    std::map<std::string, std::size_t> boat_of;
    // Per race, per row: the series boat it is.
    std::vector<std::vector<std::size_t>> rows(race_count);
    for (std::size_t r = 0; r < race_count; ++r) {
        for (const RaceResult& row : races[r]) {
            const std::string key = SeriesBoatKey(row.name);
            const auto [at, added] = boat_of.try_emplace(key, series.boats.size());
            if (added) {
                SeriesBoat& boat = series.boats.emplace_back();
                boat.boat = row.name;
                boat.boat_class = row.boat_class;
            } else if (std::find(rows[r].begin(), rows[r].end(), at->second) != rows[r].end()) {
                return fail("race " + std::to_string(r + 1) + " has two boats named '" + row.name +
                            "', and boats are told apart by name");
            } else if (series.boats[at->second].boat_class != row.boat_class) {
                const SeriesBoat& boat = series.boats[at->second];
                series.notes.push_back("'" + boat.boat + "' is in class '" + row.boat_class + "' in race " +
                                       std::to_string(r + 1) + " and in '" + boat.boat_class +
                                       "' before: scored in '" + boat.boat_class + "'");
            }
            rows[r].push_back(at->second);
        }
    }

    if (entries) {
        const bool classes = std::any_of(series.boats.begin(), series.boats.end(),
                                         [](const SeriesBoat& b) { return !b.boat_class.empty(); });
        std::map<std::string, const SeriesEntry*> entry_of;
        for (const SeriesEntry& entry : *entries) {
            const auto [at, added] = entry_of.try_emplace(SeriesBoatKey(entry.boat), &entry);
            if (!added)
                return fail("the entries have two boats named '" + entry.boat + "', and boats are told apart by name");
            const auto boat = boat_of.find(at->first);
            SeriesBoat& b = boat != boat_of.end() ? series.boats[boat->second] : series.boats.emplace_back();
            if (boat == boat_of.end()) {
                b.boat = entry.boat;
                // Without classes in the races a class of the list would
                // make the boat a fleet of its own.
                b.boat_class = classes ? entry.boat_class : "";
            }
            b.sail = entry.sail;
            b.helm = entry.helm;
            b.club = entry.club;
        }
    }

    std::map<std::string, int> class_entries;
    for (const SeriesBoat& boat : series.boats)
        ++class_entries[boat.boat_class];
    for (SeriesBoat& boat : series.boats)
        boat.scores.assign(race_count,
                           SeriesScore{static_cast<double>(class_entries[boat.boat_class] + 1), "DNC", false});

    for (std::size_t r = 0; r < race_count; ++r) {
        // Ranks are within the race's classes; boats sharing one tied (A7).
        std::map<std::pair<std::string, int>, int> sharing;
        for (const RaceResult& row : races[r])
            if (row.status == "OK" && row.rank)
                ++sharing[{row.boat_class, *row.rank}];
        for (std::size_t i = 0; i < races[r].size(); ++i) {
            const RaceResult& row = races[r][i];
            SeriesBoat& boat = series.boats[rows[r][i]];
            SeriesScore& score = boat.scores[r];
            if (row.status == "OK" && row.rank) {
                const int tied = sharing[{row.boat_class, *row.rank}];
                score = {*row.rank + (tied - 1) / 2.0, "", false};
            } else {
                // A finish without a rank cannot be placed: it scores as one not made.
                score.code = row.status == "OK" ? "DNF" : row.status;
            }
        }
    }

    for (SeriesBoat& boat : series.boats) {
        std::vector<std::size_t> worst(race_count);
        std::iota(worst.begin(), worst.end(), std::size_t{0});
        // Of equal scores the earlier race's goes.
        std::stable_sort(worst.begin(), worst.end(), [&boat](std::size_t a, std::size_t b) {
            return boat.scores[a].points > boat.scores[b].points;
        });
        for (int k = 0; k < discards; ++k)
            boat.scores[worst[static_cast<std::size_t>(k)]].discarded = true;
        for (const SeriesScore& s : boat.scores) {
            boat.total += s.points;
            if (!s.discarded)
                boat.nett += s.points;
        }
    }

    // Class by class in name order, as a race's results come.
    std::stable_sort(series.boats.begin(), series.boats.end(), [](const SeriesBoat& a, const SeriesBoat& b) {
        return a.boat_class != b.boat_class ? a.boat_class < b.boat_class : RanksAbove(a, b);
    });
    std::size_t class_from = 0;
    for (std::size_t i = 0; i < series.boats.size(); ++i) {
        SeriesBoat& boat = series.boats[i];
        if (i > 0 && series.boats[i - 1].boat_class != boat.boat_class)
            class_from = i;
        const bool tied = i > class_from && !RanksAbove(series.boats[i - 1], boat);
        boat.rank = tied ? series.boats[i - 1].rank : static_cast<int>(i - class_from + 1);
    }
    return series;
}

std::vector<std::string> OverlapNotes(const std::vector<std::vector<RaceResult>>& races,
                                      const std::vector<RaceWindow>& windows)
{
    std::vector<std::string> notes;
    const std::size_t count = std::min(races.size(), windows.size());
    for (std::size_t a = 0; a < count; ++a)
        for (std::size_t b = a + 1; b < count; ++b) {
            const RaceWindow &first = windows[a], &second = windows[b];
            const bool known = first.finish > first.start && second.finish > second.start;
            // Touching is no overlap: a day split at its starts ends each race at the next gun.
            if (!known || first.start >= second.finish || second.start >= first.finish)
                continue;
            std::set<std::string> in_first;
            for (const RaceResult& row : races[a])
                in_first.insert(SeriesBoatKey(row.name));
            std::size_t shared = 0;
            for (const RaceResult& row : races[b])
                shared += in_first.count(SeriesBoatKey(row.name));
            if (shared > 0)
                notes.push_back("races " + std::to_string(a + 1) + " (" + first.name + ") and " +
                                std::to_string(b + 1) + " (" + second.name + ") overlap in time and share " +
                                std::to_string(shared) + (shared == 1 ? " boat" : " boats") +
                                ", which cannot sail both: check their ST and FT, or whether one race is there twice");
        }
    return notes;
}

std::string FormatPoints(double points)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", points);
    return text;
}

} // namespace tackedit
