#include "track/formats/nmea_sentence.h"

#include "base/file_buffer.h"
#include "track/formats/format_common.h"

#include <algorithm>

namespace tackedit::nmea {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Where the "*hh" of a trimmed line starts, or npos.
std::size_t ChecksumAt(std::string_view line)
{
    if (line.size() < 3 || line[line.size() - 3] != '*' || HexValue(line[line.size() - 2]) < 0 ||
        HexValue(line[line.size() - 1]) < 0)
        return std::string_view::npos;
    return line.size() - 3;
}

} // namespace

Checksum CheckSentence(std::string_view line)
{
    line = TrimBlanks(line);
    const std::size_t star = ChecksumAt(line);
    if (star == std::string_view::npos)
        return Checksum::None;
    std::size_t from = line.find_first_of("$!");
    from = from < star ? from + 1 : 0;
    unsigned sum = 0;
    for (std::size_t i = from; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    const unsigned given = static_cast<unsigned>(HexValue(line[star + 1]) * 16 + HexValue(line[star + 2]));
    return sum == given ? Checksum::Matches : Checksum::Differs;
}

bool LogCarriesChecksums(std::string_view data)
{
    LineCursor lines(data);
    std::string_view line;
    while (lines.Next(line))
        if (ChecksumAt(TrimBlanks(line)) != std::string_view::npos)
            return true;
    return false;
}

bool ReadCoordinate(std::string_view letter, std::string_view number, double& minutes, std::string& quoted)
{
    if (letter.size() == 1 && QuickCoordinate(letter[0], number, CoordDegreesMinutes, minutes))
        return true;
    std::optional<double> value;
    char joined[64];
    if (letter.size() + number.size() <= sizeof joined) {
        const std::size_t n = Join(joined, {letter, number});
        value = ParseCoordinate(std::string_view(joined, n), CoordDegreesMinutes);
    }
    if (!value) {
        // Long texts, and the text an error message quotes.
        quoted.assign(letter).append(number);
        value = ParseCoordinate(quoted, CoordDegreesMinutes);
    }
    if (value)
        minutes = *value;
    return value.has_value();
}

void SentenceFaults::Fail(std::string_view line, const DataError& error)
{
    switch (CheckSentence(line)) {
    case Checksum::Matches: throw error;
    case Checksum::Differs: damaged.push_back(error.line()); break;
    case Checksum::None:
        unsure.push_back(error.line());
        if (!first_unsure)
            first_unsure = error;
        break;
    }
}

void SentenceFaults::Add(const SentenceFaults& piece, std::int64_t lines_before)
{
    for (const std::int64_t line : piece.damaged)
        damaged.push_back(line + lines_before);
    for (const std::int64_t line : piece.unsure)
        unsure.push_back(line + lines_before);
    if (!first_unsure && piece.first_unsure)
        first_unsure = piece.first_unsure->LinesAfter(lines_before);
}

void SentenceFaults::Settle(std::string_view data)
{
    if (!unsure.empty()) {
        if (!LogCarriesChecksums(data))
            throw *first_unsure;
        damaged.insert(damaged.end(), unsure.begin(), unsure.end());
        unsure.clear();
        first_unsure.reset();
    }
    // Both passes over the log add theirs.
    std::sort(damaged.begin(), damaged.end());
    damaged.erase(std::unique(damaged.begin(), damaged.end()), damaged.end());
}

std::string SentenceFaults::Note() const
{
    if (damaged.empty())
        return {};
    const std::size_t n = damaged.size();
    std::string note = std::to_string(n) + (n == 1 ? " damaged sentence was" : " damaged sentences were") +
                       " skipped (checksum does not match or cut off): " + (n == 1 ? "line " : "lines ");
    // One line however many: the first few say where to look.
    constexpr std::size_t kShown = 10;
    for (std::size_t i = 0; i < std::min(n, kShown); ++i)
        note += (i ? ", " : "") + std::to_string(damaged[i]);
    if (n > kShown)
        note += ", ...";
    return note;
}

} // namespace tackedit::nmea
