#pragma once

// What several track formats share: the coordinate texts of the text formats,
// the cutting of a large file into pieces for several threads, the whole
// seconds of the formats that hold no fraction, and the number format of the
// files written.

#include "base/datetime.h"
#include "track/track_store.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tackedit {

// How a coordinate text writes its number after the hemisphere letter.
enum CoordStyle : int {
    CoordDegrees = 1,             // 35.2058
    CoordDegreesMinutes = 2,      // 3512.345
    CoordDegreesMinutesSeconds = 3 // 351220.7
};

// Hemisphere letter plus number to signed minutes of arc; nullopt when a piece
// does not convert. Only an upper-case S or W makes the value negative.
std::optional<double> ParseCoordinate(std::string_view text, int style);

// How a large text file is cut for reading on several threads. The readers'
// tests cut small pieces and compare with a one-thread read.
struct PieceOptions {
    std::size_t bytes = std::size_t{1} << 20;
    int threads = 0;  // 0: as many as the machine has, up to 4
};

// TRB and GPX hold whole seconds: TRB rounds a time to the nearest (halves to
// even), GPX cuts the fraction off. Of fixes that the writer would give the same
// second as the fix it wrote before, it writes none, so a 10 Hz track comes out
// as one point a second rather than ten points at each time. The writers say
// through `left_out` (and the Write forms return) how many they left out.
enum class WholeSecondFormat { Trb, Gpx };
std::int64_t TrbSecondOf(double track_time);
std::int64_t GpxSecondOf(double track_time);
std::int64_t GpxSecondOf(const DateTimeParts& t);

// How many fixes the writer of `format` would leave out of the track: of the
// present points only when present_only (what the GPX writer sees, and a TRB
// save that drops the deleted points first).
std::int32_t SameSecondFixes(const TrackStore& store, WholeSecondFormat format, bool present_only);

// General number format of the GPX writer: up to 15 significant digits, exponent
// form below 0.00001 (5E-6) and from 1E15 up.
std::string FormatGeneralNumber(double value);

} // namespace tackedit
