#pragma once

// Series results: several races' results scored low-point as the Racing Rules
// of Sailing, Appendix A, score them.

#include "replay/race_results.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct SeriesScore {
    double points = 0;
    std::string code;  // "" for a finisher; else "OCS", "NSC", "DNF", "DNS" or "DNC" (no boat in the race)
    bool discarded = false;
};

struct SeriesBoat {
    std::string sail, boat, boat_class, helm, club;  // sail, helm, club: from its entry, if any
    std::vector<SeriesScore> scores;     // one a race, in race order
    double total = 0, nett = 0;
    int rank = 0;  // within its class; boats tied on every count share one
};

struct SeriesResults {
    std::vector<SeriesBoat> boats;  // class by class, by rank
    std::vector<std::string> notes;
};

// An entry of an entry list: its boat is the series boat of its name.
struct SeriesEntry {
    std::string sail, boat, boat_class, helm, club;
};

// Boats are the same boat across races when their names are, ignoring case
// and the spaces around them. A finisher scores its place (boats tied share
// the average of the places they cover); any other status, and no boat in a
// race, scores the boats of its class in the series plus one. The worst
// `discards` scores of each boat are discarded. Given `entries`, each fills
// its boat's sail, helm and club, and one with no boat in any race is a boat
// of the series that scores DNC throughout (in its class when the races have
// classes). nullopt, with why, when a race or the entries have two boats of
// one name.
std::optional<SeriesResults> ScoreSeries(const std::vector<std::vector<RaceResult>>& races, int discards,
                                         std::string* why_none = nullptr,
                                         const std::vector<SeriesEntry>* entries = nullptr);

// A boat's name as the series matches it.
std::string SeriesBoatKey(std::string_view name);

// When a race sailed: its ST and FT in UTC seconds (FT not after ST: unknown).
struct RaceWindow {
    std::string name;
    std::int64_t start = 0, finish = 0;
};

// One note for each two races whose windows overlap while they share boats:
// a boat cannot sail both, so one of the times is wrong or a race is there twice.
std::vector<std::string> OverlapNotes(const std::vector<std::vector<RaceResult>>& races,
                                      const std::vector<RaceWindow>& windows);

// "2", "2.5": points as a results sheet shows them.
std::string FormatPoints(double points);

} // namespace tackedit
