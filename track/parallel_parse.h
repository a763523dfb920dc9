#pragma once

// Large text tracks are read on every core: the file is cut into pieces at
// places where the reader's state is known (a line start, the end of a track
// point), the pieces are parsed at once, and their points reach the store in
// file order. The outcome, an error and its line included, is the one a single
// pass over the whole file gives; the readers' tests compare the two.

#include "track/track_store.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string_view>
#include <vector>

namespace tackedit {

// What one piece gave.
struct ParsedPiece {
    std::vector<TrackPoint> points;
    std::int64_t lines = 0;    // lines the piece holds, when its errors count lines from its start
    std::exception_ptr error;  // what stopped the piece, after its points
    bool stop = false;         // the reading of the file ends in this piece
};

struct PieceJob {
    std::size_t count = 0;                                            // pieces
    std::function<void(std::size_t index, ParsedPiece& piece)> parse;  // on any thread
    // On the loading thread, in file order, before the piece's points are
    // stored: for state that runs on from one piece into the next. May be empty.
    std::function<void(std::size_t index, ParsedPiece& piece)> join;
};

// Threads that parse at once (this one included).
int LoadThreads();

// Parses the pieces (on `threads` threads; 0: LoadThreads()) and stores their
// points through the filler in order. The first error in file order is raised
// with its line counted from the start of the file, after the points before
// it; no piece after a stopping or failing piece counts. Only the calling
// thread touches the store.
void ParsePieces(const PieceJob& job, TrackFiller& filler, int threads = 0);

// Splits [0, n) into at most one part per thread, in order, and calls
// work(part, from, to) for each at once; the calling thread takes part 0. For
// work on independent records whose results go to their own places.
void SplitWork(std::size_t n, const std::function<void(std::size_t part, std::size_t from, std::size_t to)>& work,
               int threads = 0);

// Calls work(chunk) for every chunk in [0, count) on up to `threads` threads
// (0: LoadThreads()), this one included, each taking the next chunk when done
// with one: a thread the system holds back takes fewer. The first exception is
// raised once every thread has stopped.
void ShareChunks(std::size_t count, const std::function<void(std::size_t chunk)>& work, int threads = 0);

// Offsets where pieces of a text start: 0, then the start of the line after
// every `piece_bytes` bytes (just after an LF, which always ends a line, CR LF or
// not). The last entry is the size of the text.
std::vector<std::size_t> CutAtLineStarts(std::string_view text, std::size_t piece_bytes);

} // namespace tackedit
