#pragma once

// A copy of a track with every time moved: the mend for a logger whose clock
// ran in the wrong zone or rolled over the GPS week number.

#include "platform/null_platform.h"
#include "track/track_loader.h"
#include "track/track_store.h"

#include <string>

namespace tackedit {

// A load with no window behind it: no events to let through, no beep, no cursor.
struct QuietLoad {
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
};

void ShiftTrackTimes(TrackStore& track, double seconds);

// The copy's name: the file's name up to its first "." + "_shifted.trb".
std::string ShiftedFileName(const std::string& file);

struct ShiftedCopy {
    std::string bytes;
    std::int32_t points = 0;    // written
    std::int32_t left_out = 0;  // within the second of the fix before: see WholeSecondFormat
};

// Loads `from` and moves its times: the bytes of `to` as TRB, or as GPX when
// `to` ends in ".gpx" (any case). Raises DataError naming the file that is
// missing or does not read; a time the TRB format cannot hold is refused.
ShiftedCopy MakeShiftedCopy(const std::string& from, const std::string& to, double seconds);

// The same, written to `to`; nothing is written when it fails.
ShiftedCopy WriteShiftedCopy(const std::string& from, const std::string& to, double seconds);

} // namespace tackedit
