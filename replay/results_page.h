#pragma once

// results.html beside a replay: every race's results and, for several races,
// the series, as static tables that print and that work without the replay.

#include "replay/race_results.h"
#include "replay/series_results.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct RaceResultsPage {
    std::string file, title;
    std::optional<std::vector<RaceResult>> results;  // nullopt: none, `why` says why
    std::string why;
};

// The page; with two races or more the series too, scored with no discard,
// or a line saying why it cannot be scored.
std::string ResultsPageHtml(const std::vector<RaceResultsPage>& races);

} // namespace tackedit
