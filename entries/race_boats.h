#pragma once

// The race file's boats and classes set from an entry list, every other line
// of the file kept as it was.

#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct ListedBoat {
    std::string file, name, boat_class;  // boat_class empty: none
    double tcf = 0;
};

// The race file's bytes (Shift-JIS, CR LF) with its BN, CLSN and CLSSEP lines
// replaced by `boats`, in the place of the first of them (or before the map,
// marks and course when it had none). A boat whose file an old BN line named
// keeps that line's start correction and display option. `classes` become the
// race's classes in their order. Raises DataError naming `file` when a text
// cannot be stored (a comma, "//", a character Shift-JIS lacks) or there are
// more classes than a race holds: nothing is produced.
std::string SetRaceBoats(std::string_view race_bytes, const std::vector<ListedBoat>& boats,
                         const std::vector<std::string>& classes, const std::string& file);

} // namespace tackedit
