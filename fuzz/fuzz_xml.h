#pragma once

// Shared by the TCX and KML targets.
#include "fuzz/fuzz_common.h"

#include <algorithm>

namespace tackedit::fuzz {

using PieceParse = void (*)(std::string_view, const std::string&, TrackStore&, const PieceOptions&);

// What a read gave: its points and notes, or its error.
inline std::string Outcome(std::string_view bytes, PieceParse parse, const PieceOptions& options, TrackStore& store)
{
    try {
        parse(bytes, "fuzz.xml", store, options);
    } catch (const DataError& e) {
        return std::string("error ") + e.what();
    }
    std::string out = std::to_string(store.TrackCount);
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        out += " " + std::to_string(store.TrackTime[i]) + " " + std::to_string(store.TrackLat[i]) + " " +
               std::to_string(store.TrackLon[i]);
    for (const std::string& note : store.ReadNotes)
        out += "\n" + note;
    return out;
}

inline int PiecesMatchOnePass(const std::uint8_t* data, std::size_t size, PieceParse parse)
{
    const std::string_view bytes = Bytes(data, size);
    TrackStore whole, pieces;
    const std::string one_pass = Outcome(bytes, parse, {size + 1, 1}, whole);
    // About eight pieces: enough cuts to land in every kind of place, few enough
    // that an input costs a few parses rather than one per 16 bytes.
    const std::size_t piece = std::max<std::size_t>(16, size / 8);
    Check(Outcome(bytes, parse, {piece, 1}, pieces) == one_pass, "pieces give what one pass gives");
    Check(whole.TrackCount >= 0 && whole.TrackCount <= whole.TrackCapacity, "count within capacity");
    EncodeWhatWasRead(whole);
    return 0;
}

} // namespace tackedit::fuzz
