#pragma once

// The results as a scoring program imports them: what `results --for-scoring`
// prints and what the results window exports, written in one place.

#include "replay/race_results.h"
#include "replay/series_results.h"

#include <string>
#include <vector>

namespace tackedit {

// A header and one row per boat and race, the races numbered from 1 in the
// order given; sail numbers from `entries` where given. Lines end with `eol`.
std::string ForScoringCsv(const std::vector<std::vector<RaceResult>>& races,
                          const std::vector<SeriesEntry>* entries = nullptr, const char* eol = "\n");

} // namespace tackedit
