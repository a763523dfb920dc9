#pragma once

// The day's starts found in the tracks of its race file, for when nobody
// typed them: for `tackedit-cli split --detect` and the window alike.

#include "entries/day_split.h"

#include <string>
#include <vector>

namespace tackedit {

struct FoundStart {
    DateTime start = 0;  // local time, as the race file's ST
    std::string how;     // how it was found, for the user
};

// Reads each of the race's boats' tracks once. The race timers' start events
// in their VKX logs when any has one, else the fleet crossing the start line
// together (the gun then estimated). A start followed by another within five
// minutes is a general recall: only the later one stays, said in `notes`.
// DataError naming the race file, saying why, when nothing is found.
std::vector<FoundStart> DetectStarts(const SplitSource& source, std::vector<std::string>& notes);

} // namespace tackedit
