#pragma once

// A race file's start and finish changed in place, every other line kept byte
// for byte: the day's other races are copies of one file.

#include "base/datetime.h"

#include <string>
#include <string_view>

namespace tackedit {

// The tag of a race file line as its reader finds it ("ST", "BN" ...),
// upper-cased; empty for a comment or a line too short to hold one.
std::string RaceLineTag(std::string_view line);

// `race_bytes` (Shift-JIS, CR LF as read) with every ST line set to `start` and
// every FT line to `finish`, each keeping its line end; a file without an FT
// line gets one after its last ST line. Raises DataError naming `file` when the
// file has no ST line, as it then names no day.
std::string SetRaceTimes(std::string_view race_bytes, DateTime start, DateTime finish, const std::string& file);

} // namespace tackedit
