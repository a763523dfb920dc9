#pragma once

// What the entries of a race's course (its CRS line) name. The replay page's
// results.js reads them by the same rules.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct CourseEntry {
    enum Kind { Mark, Start, Finish, NoSuchMark, NoLine, Unknown };
    Kind kind = Unknown;
    int mark = 0;  // Mark and NoSuchMark: the number, from 1
};

// A number names the race's MK entry of that number from 1; S the first LN
// line and F the last (case does not matter); anything else names nothing.
CourseEntry ReadCourseEntry(const std::string& entry, std::size_t marks, std::size_t lines);

// The first entry naming nothing the race holds, from 0; nullopt when every one names something.
std::optional<std::size_t> FirstUnnamedEntry(const std::vector<std::string>& course, std::size_t marks,
                                             std::size_t lines);

} // namespace tackedit
