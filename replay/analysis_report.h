#pragma once

// The race analysis as one JSON object: what `analyse --json` prints and what
// the replay page's analysis() returns, made in one place so both agree.

#include "analysis/race_analysis.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace tackedit {

// "2026-05-16T11:00:00Z", with tenths of a second where the time has them.
std::string UtcTime(double seconds);

// "1:02:03.4"
std::string ElapsedClock(double seconds);

// Rounded to tenths (metres, seconds, knots): more would be noise.
double Tenths(double value);

nlohmann::ordered_json AnalysisReport(const analysis::AnalysisRace& race, const analysis::RaceAnalysis& result,
                                      const std::vector<std::string>& notes);

} // namespace tackedit
