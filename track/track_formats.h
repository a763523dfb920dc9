#pragma once

// Every reader and writer of track files. Each reader has a path form (what the
// loader calls: a missing file changes nothing) and a buffer form that does the
// work, so tests and fuzzers can feed bytes directly. Readers follow the protocol
// of TrackFiller; a value that does not convert raises DataError naming the file
// and line, and then TrackCount stays as the loader set it (0).

#include "platform/beeper.h"
#include "platform/pending_events.h"
#include "track/track_store.h"

#include <optional>
#include <string>
#include <string_view>

namespace tackedit {

// How a coordinate text writes its number after the hemisphere letter.
enum CoordStyle : int {
    CoordDegrees = 1,             // 35.2058
    CoordDegreesMinutes = 2,      // 3512.345
    CoordDegreesMinutesSeconds = 3 // 351220.7
};

// Hemisphere letter plus number to signed minutes of arc; nullopt when a piece
// does not convert. Only an upper-case S or W makes the value negative.
std::optional<double> ParseCoordinate(std::string_view text, int style);

// How a large text file is cut for reading on several threads. The readers'
// tests cut small pieces and compare with a one-thread read.
struct PieceOptions {
    std::size_t bytes = std::size_t{1} << 20;
    int threads = 0;  // 0: as many as the machine has, up to 4
};

void ParseGpxTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseGpxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadGpxTrack(const std::string& path, TrackStore& store);

void ParseNmeaLog(std::string_view data, const std::string& file, TrackStore& store);
void ParseNmeaLogInPieces(std::string_view data, const std::string& file, TrackStore& store,
                          const PieceOptions& options);
void ReadNmeaLog(const std::string& path, TrackStore& store);

void ParseTextTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseTextTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                            const PieceOptions& options);
void ReadTextTrack(const std::string& path, TrackStore& store);

// The binary readers set TrackCount whenever they finish; the path forms beep once
// per file read.
void ParseGdbTrack(std::string_view data, TrackStore& store, PendingEvents& events);
// Scans pieces of options.bytes at once, each on the guess that no record
// before it reaches into it, and puts each right where that guess was wrong.
void ParseGdbTrackInPieces(std::string_view data, TrackStore& store, PendingEvents& events,
                           const PieceOptions& options);
void ReadGdbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

void ParseTrlTrack(std::string_view data, TrackStore& store, PendingEvents& events);
void ReadTrlTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

void ParseTrbTrack(std::string_view data, TrackStore& store, PendingEvents& events);
void ReadTrbTrack(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper);

// Points 1..TrackCount whatever their marks, 12 bytes each. The file is replaced
// only once it is completely written.
std::string EncodeTrbTrack(const TrackStore& store, const std::string& file);
void WriteTrbTrack(const std::string& path, const TrackStore& store);

// Present points only (TrackMark 0), as one track segment.
std::string EncodeGpxTrack(const TrackStore& store);
void WriteGpxTrack(const std::string& path, const TrackStore& store);

// General number format of the GPX writer: up to 15 significant digits, exponent
// form below 0.00001 (5E-6) and from 1E15 up.
std::string FormatGeneralNumber(double value);

// FIT (watches, bike computers). What it reads past, or why it found no point,
// goes to store.ReadNotes; a damaged or cut-off file keeps the points before
// the damage. Bytes that do not begin with a FIT header raise DataError.
void ParseFitTrack(std::string_view data, const std::string& file, TrackStore& store);
void ReadFitTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
