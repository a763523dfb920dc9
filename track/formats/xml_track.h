#pragma once

// The common ground of the XML track readers (TCX, KML): libxml2 does the
// parsing, a format's ItemReader turns elements into items, and a Pairing turns
// the items, in file order, into points.
//
// A large file is parsed in pieces on several threads. A piece starts at a tag
// that opens one of the format's cut elements; it is parsed after a made-up
// prefix that opens the elements the first cut lies in, which is right for
// nearly every cut of a real file. Where the elements open at the end of one
// piece are not those the next piece guessed, that piece is parsed again with
// the right ones; where a piece ends anywhere but between tags (in a comment, a
// CDATA section, past the root) or inside a point, or where a piece holds a
// fault, the whole file is parsed in one pass. Either way the outcome is what
// one pass gives.

#include "track/parallel_parse.h"
#include "track/formats/format_common.h"
#include "track/track_store.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit::xml {

struct Item {
    // BlankCoord: a position left empty, which takes its time out with it.
    enum Kind : std::uint8_t { Point, When, Coord, BlankCoord, TrackEnd, Skipped, Untimed };
    Kind kind;
    double time = 0, lat = 0, lon = 0;
};

// Element names as the file writes them, outermost first.
using OpenElements = std::vector<std::string>;

// The part of a name after its namespace prefix.
inline std::string_view LocalName(std::string_view name)
{
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The local name of the element `up` levels above the innermost open one.
inline std::string_view Ancestor(const OpenElements& open, std::size_t up)
{
    return open.size() > up ? LocalName(open[open.size() - 1 - up]) : std::string_view();
}

// What a format makes of the elements; one per piece. A reader's state between
// points follows from the open elements alone.
class ItemReader {
public:
    virtual ~ItemReader() = default;
    // True when the element's text is wanted at its end.
    virtual bool Start(const OpenElements& open) = 0;
    // open still holds the element; text is its text when Start wanted it. A
    // value that does not convert raises DataError (with line 0: the caller
    // puts the line in).
    virtual void End(const OpenElements& open, std::string_view text, std::vector<Item>& items) = 0;
    // A piece may start with these elements open.
    virtual bool CanStartIn(const OpenElements& open) const = 0;
};

struct Format {
    const char* name;                     // "TCX", for messages
    const char* point_words;              // "trackpoints": what a file without points lacks
    std::vector<std::string> cut_names;   // elements a piece may start at
    std::size_t least_point_bytes;        // of the shortest point: room is reserved for that many
    std::unique_ptr<ItemReader> (*make_reader)();
};

// Turns items into points in file order; Finish adds the reader's notes.
class Pairing {
public:
    void Add(const Item& item, std::vector<TrackPoint>& points);
    void Finish(const Format& format, std::int32_t points, std::vector<std::string>& notes);

private:
    std::deque<double> whens_;
    std::deque<std::optional<std::pair<double, double>>> coords_;  // nullopt: a blank coord
    std::int64_t unpaired_ = 0, skipped_ = 0, untimed_ = 0, blank_ = 0;
};

// Parses one stream (a KMZ entry) and stores its points: next() gives its
// bytes in order, empty at the end, and may raise DataError.
void ParseStream(const Format& format, const std::string& file, TrackStore& store,
                 const std::function<std::string_view()>& next);

// Pieces of a few MB for a format whose pieces hold few items: the parser's
// setup for each one costs more than the finer spread of smaller ones wins.
inline constexpr PieceOptions kPieceOptions{std::size_t{4} << 20, 0};

// A whole document in memory, in pieces of options.bytes.
void ParseDocument(const Format& format, std::string_view data, const std::string& file, TrackStore& store,
                   const PieceOptions& options);

} // namespace tackedit::xml
