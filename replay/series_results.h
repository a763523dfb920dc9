#pragma once

// Series results: several races' results scored low-point as the Racing Rules
// of Sailing, Appendix A, score them.

#include "replay/race_results.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct SeriesScore {
    double points = 0;
    std::string code;  // "" for a finisher; else "OCS", "NSC", "DNF", "DNS" or "DNC" (no boat in the race)
    bool discarded = false;
};

struct SeriesBoat {
    std::string sail, boat, boat_class;  // no sail numbers in race files yet: sail is ""
    std::vector<SeriesScore> scores;     // one a race, in race order
    double total = 0, nett = 0;
    int rank = 0;  // within its class; boats tied on every count share one
};

struct SeriesResults {
    std::vector<SeriesBoat> boats;  // class by class, by rank
    std::vector<std::string> notes;
};

// Boats are the same boat across races when their names are, ignoring case
// and the spaces around them. A finisher scores its place (boats tied share
// the average of the places they cover); any other status, and no boat in a
// race, scores the boats of its class in the series plus one. The worst
// `discards` scores of each boat are discarded. nullopt, with why, when a race
// has two boats of one name.
std::optional<SeriesResults> ScoreSeries(const std::vector<std::vector<RaceResult>>& races, int discards,
                                         std::string* why_none = nullptr);

// "2", "2.5": points as a results sheet shows them.
std::string FormatPoints(double points);

} // namespace tackedit
