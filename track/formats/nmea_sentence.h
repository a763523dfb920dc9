#pragma once

// What the two passes of the NMEA reader share: the fields of a sentence, its
// checksum, its coordinates, and the sentences that did not convert.

#include "track/formats/coordinate_text.h"
#include "base/data_error.h"
#include "base/field_splitter.h"
#include "base/numbers.h"
#include "base/text_scan.h"
#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit::nmea {

// Short pieces copied one after another, without a library call each.
inline std::size_t Join(char* out, std::initializer_list<std::string_view> parts)
{
    std::size_t n = 0;
    for (const std::string_view part : parts)
        for (const char c : part)
            out[n++] = c;
    return n;
}

// Fields 0..9 of a sentence. Up to 5000 characters no remainder is cut short,
// so the fields are the trimmed texts between commas; longer lines take the
// general splitter. The checksum stays on the last field.
inline void SplitSentence(std::string_view line, std::string_view (&f)[10], FieldSplitter& long_line)
{
    if (line.size() <= FieldSplitter::kRestLimit) {
        const char* from = line.data();
        const char* const end = from + line.size();
        for (int i = 0; i < 10; ++i) {
            const char* comma = FindByte(from, end, ',');
            f[i] = TrimBlanks(std::string_view(from, static_cast<std::size_t>(comma - from)));
            if (comma == end) {
                for (int k = i + 1; k < 10; ++k)
                    f[k] = {};
                return;
            }
            from = comma + 1;
        }
        return;
    }
    long_line.SplitFields(line, ',');
    for (int i = 0; i < 10; ++i)
        f[i] = long_line[i];
}

// A field without the checksum that may follow it.
inline std::string_view WithoutChecksum(std::string_view field)
{
    const std::size_t star = field.find('*');
    return TrimBlanks(field.substr(0, star));
}

enum class Checksum { None, Matches, Differs };

// The "*hh" that ends a sentence, checked against the bytes after its "$"
// (or "!"). A line without a whole one, cut off before it, has None.
Checksum CheckSentence(std::string_view line);

// Whether any line of the log ends with a checksum.
bool LogCarriesChecksums(std::string_view data);

// The hemisphere letter's field followed by the number's, in degrees and
// minutes, into `minutes`; false when it does not convert, with the text an
// error quotes in `quoted`.
bool ReadCoordinate(std::string_view letter, std::string_view number, double& minutes, std::string& quoted);

// Sentences that did not convert. One whose checksum matches ends the load;
// one whose checksum does not is damaged and skipped; one without a checksum
// is damaged only when the log's other sentences carry one, which a piece of
// the log cannot know, so it is skipped and decided at the end.
struct SentenceFaults {
    std::vector<std::int64_t> damaged;  // lines
    std::vector<std::int64_t> unsure;   // lines
    std::optional<DataError> first_unsure;

    void Fail(std::string_view line, const DataError& error);
    // A piece's faults, its lines counted from `lines_before` lines further up.
    void Add(const SentenceFaults& piece, std::int64_t lines_before);
    // Raises the first unsure fault when the log carries no checksum at all;
    // otherwise counts every unsure fault as damaged.
    void Settle(std::string_view data);
    // "3 damaged sentences were skipped (...): lines 17, 230, 4001", or empty.
    std::string Note() const;
};

// The fixes of a log whose RMC sentences gave no point: its GGA, GNS and GLL
// sentences with a fix, dated by ZDA sentences and by RMC sentences without a
// position. Returns how many fixes were left out for want of any date.
std::size_t ParseFixesInPieces(std::string_view data, const std::string& file, TrackFiller& filler,
                               const PieceOptions& options, SentenceFaults& faults);

} // namespace tackedit::nmea
