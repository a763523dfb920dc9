#include "entries/race_boats.h"

#include "base/data_error.h"
#include "base/numbers.h"
#include "platform/text_codec.h"
#include "race/race_file.h"
#include "race/race_settings.h"
#include "race/race_times.h"
#include "track/formats/format_common.h"

#include <algorithm>
#include <map>

namespace tackedit {

namespace {

std::vector<std::string_view> Fields(std::string_view line)
{
    line = TrimBlanks(line);
    if (const std::size_t comment = line.find("//"); comment != std::string_view::npos && comment >= 5)
        line = line.substr(0, comment);
    std::vector<std::string_view> fields;
    for (std::size_t begin = 0; begin <= line.size();) {
        const std::size_t comma = std::min(line.find(',', begin), line.size());
        fields.push_back(TrimBlanks(line.substr(begin, comma - begin)));
        begin = comma + 1;
    }
    return fields;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

} // namespace

std::string SetRaceBoats(std::string_view race_bytes, const std::vector<ListedBoat>& boats,
                         const std::vector<std::string>& classes, const std::string& file)
{
    if (static_cast<int>(classes.size()) > RaceSettings::kMaxClasses)
        throw DataError(file, 0, "",
                        "the list has " + std::to_string(classes.size()) + " classes; a race file holds " +
                            std::to_string(RaceSettings::kMaxClasses));
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < race_bytes.size();) {
        std::size_t end = race_bytes.find_first_of("\r\n", begin);
        if (end == std::string_view::npos)
            end = race_bytes.size();
        lines.push_back(race_bytes.substr(begin, end - begin));
        begin = end + (race_bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }

    // Option A and B of the old boat lines (ASCII numbers), by file.
    std::map<std::string, std::string> options;
    std::size_t insert_at = std::string::npos, after_boats = std::string::npos;
    std::vector<bool> replaced(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string tag = RaceLineTag(lines[i]);
        if (tag == "BN" || tag == "CLSN" || tag == "CLSSEP") {
            replaced[i] = true;
            insert_at = std::min(insert_at, i);
            const auto fields = Fields(lines[i]);
            if (tag == "BN" && fields.size() > 4) {
                std::string kept;
                for (std::size_t f = 4; f < fields.size() && f < 6; ++f)
                    kept += "," + std::string(fields[f]);
                // They are numbers; anything else is not carried over.
                if (std::all_of(kept.begin(), kept.end(), [](char c) { return c >= ' ' && c <= '~'; }))
                    options[Lower(Cp932ToUtf8(fields[1]))] = kept;
            }
        } else if (after_boats == std::string::npos &&
                   (tag == "MAP" || tag == "LH" || tag == "AT" || tag == "WF" || tag == "WD" || tag == "MK" ||
                    tag == "LN" || tag == "RL" || tag == "CRS" || tag == "PIC" || tag == "NOTE" || tag == "GF" ||
                    tag == "ADDAREA")) {
            after_boats = i;
        }
    }
    if (insert_at == std::string::npos)
        insert_at = std::min(after_boats, lines.size());

    const auto field = [&](const std::string& value, const std::string& what) -> const std::string& {
        if (const auto problem = RaceFieldProblem(value, what))
            throw DataError(file, 0, value, *problem);
        return value;
    };
    std::vector<std::string> block;
    const auto boat_line = [&](std::size_t i) {
        const ListedBoat& boat = boats[i];
        const std::string label = "boat " + std::to_string(i + 1);
        std::string line = "BN," + field(boat.file, "The GPS file of " + label) + "," +
                           field(boat.name, "The name of " + label);
        const auto kept = options.find(Lower(boat.file));
        if (boat.tcf > 0 || kept != options.end())
            line += "," + (boat.tcf > 0 ? FormatGeneralNumber(boat.tcf) : std::string());
        if (kept != options.end())
            line += kept->second;
        block.push_back(line);
    };
    if (!classes.empty())
        block.push_back("CLSSEP,1");
    // Boats of no class come before the first class, where the reader gives them none.
    for (std::size_t i = 0; i < boats.size(); ++i)
        if (boats[i].boat_class.empty() ||
            std::find(classes.begin(), classes.end(), boats[i].boat_class) == classes.end())
            boat_line(i);
    for (std::size_t c = 0; c < classes.size(); ++c) {
        block.push_back("CLSN," + field(classes[c], "Class " + std::to_string(c + 1)));
        for (std::size_t i = 0; i < boats.size(); ++i)
            if (boats[i].boat_class == classes[c])
                boat_line(i);
    }

    std::string out;
    for (std::size_t i = 0; i <= lines.size(); ++i) {
        if (i == insert_at)
            for (const std::string& line : block)
                out += *Utf8ToCp932(line) + "\r\n";  // every field was checked
        if (i < lines.size() && !replaced[i])
            out += std::string(lines[i]) + "\r\n";
    }
    return out;
}

} // namespace tackedit
