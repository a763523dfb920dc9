#include "race/race_times.h"

#include "base/data_error.h"
#include "base/numbers.h"
#include "race/race_file.h"

#include <vector>

namespace tackedit {

std::string RaceLineTag(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.size() < 3 || line.substr(0, 2) == "//" || line.substr(1, 2) == "//")
        return {};
    std::string tag(TrimBlanks(line.substr(0, line.find(','))));
    for (char& c : tag)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return tag;
}

std::string SetRaceTimes(std::string_view race_bytes, DateTime start, DateTime finish, const std::string& file)
{
    struct Line {
        std::string_view text, end;
    };
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin < race_bytes.size();) {
        std::size_t end = race_bytes.find_first_of("\r\n", begin);
        if (end == std::string_view::npos)
            end = race_bytes.size();
        const std::size_t after = end + (race_bytes.compare(end, 2, "\r\n") == 0 ? 2 : end < race_bytes.size());
        lines.push_back({race_bytes.substr(begin, end - begin), race_bytes.substr(end, after - end)});
        begin = after;
    }
    const std::string st = "ST," + FormatRaceDateTime(start), ft = "FT," + FormatRaceDateTime(finish);
    std::size_t last_st = std::string::npos;
    bool has_ft = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string tag = RaceLineTag(lines[i].text);
        last_st = tag == "ST" ? i : last_st;
        has_ft = has_ft || tag == "FT";
    }
    if (last_st == std::string::npos)
        throw DataError(file, 0, "", "the race file has no ST line, so no day to start on");
    std::string out;
    out.reserve(race_bytes.size() + 64);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string tag = RaceLineTag(lines[i].text);
        out += tag == "ST" ? std::string_view(st) : tag == "FT" ? std::string_view(ft) : lines[i].text;
        // A last line without an end gets one only when a line follows it.
        const bool add_ft = i == last_st && !has_ft;
        out += lines[i].end.empty() && add_ft ? std::string_view("\r\n") : lines[i].end;
        if (add_ft)
            out += ft + (lines[i].end.empty() ? "" : "\r\n");
    }
    return out;
}

} // namespace tackedit
