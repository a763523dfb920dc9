#pragma once

// What a boat's race timer logged of the start, told against the race's own.

#include "check/race_check.h"
#include "track/formats/vkx_reader.h"

#include <vector>

namespace tackedit {

// Farther than this from the race's start, the timer's race start is a warning.
inline constexpr std::int64_t kTimerStartSeconds = 30;

// Findings without subject or boat, for the caller to give them. `start` is the
// race's start in track time (UTC); times are told in the race's local time,
// `time_diff` hours after UTC. Nothing for a file without timer events.
std::vector<Finding> TimerFindings(const VkxEvents& events, DateTime start, double time_diff, int ui_language);

} // namespace tackedit
