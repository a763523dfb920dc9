#include "race/course.h"

#include "base/numbers.h"

namespace tackedit {

CourseEntry ReadCourseEntry(const std::string& entry, std::size_t marks, std::size_t lines)
{
    const std::string_view text = TrimBlanks(entry);
    if (text == "S" || text == "s" || text == "F" || text == "f")
        return {lines == 0 ? CourseEntry::NoLine : text == "S" || text == "s" ? CourseEntry::Start : CourseEntry::Finish};
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    // Digits beyond any list: "99999999999" is no mark, not a wrapped number.
    const std::size_t digits = text.find_first_not_of('0');
    if (digits == std::string_view::npos || text.size() - digits > 6)
        return {CourseEntry::NoSuchMark, digits == std::string_view::npos ? 0 : 999999};
    const int number = std::stoi(std::string(text.substr(digits)));
    return {static_cast<std::size_t>(number) <= marks ? CourseEntry::Mark : CourseEntry::NoSuchMark, number};
}

std::optional<std::size_t> FirstUnnamedEntry(const std::vector<std::string>& course, std::size_t marks,
                                             std::size_t lines)
{
    for (std::size_t i = 0; i < course.size(); ++i) {
        const CourseEntry::Kind kind = ReadCourseEntry(course[i], marks, lines).kind;
        if (kind == CourseEntry::NoSuchMark || kind == CourseEntry::NoLine || kind == CourseEntry::Unknown)
            return i;
    }
    return std::nullopt;
}

} // namespace tackedit
