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

// TRB and GPX hold whole seconds: TRB rounds a time to the nearest (halves to
// even), GPX cuts the fraction off. Of fixes that the writer would give the same
// second as the fix it wrote before, it writes none, so a 10 Hz track comes out
// as one point a second rather than ten points at each time. The writers say
// through `left_out` (and the Write forms return) how many they left out.
enum class WholeSecondFormat { Trb, Gpx };
std::int64_t TrbSecondOf(double track_time);
std::int64_t GpxSecondOf(double track_time);

// How many fixes the writer of `format` would leave out of the track: of the
// present points only when present_only (what the GPX writer sees, and a TRB
// save that drops the deleted points first).
std::int32_t SameSecondFixes(const TrackStore& store, WholeSecondFormat format, bool present_only);

// Points 1..TrackCount whatever their marks, 12 bytes each. The file is replaced
// only once it is completely written.
std::string EncodeTrbTrack(const TrackStore& store, const std::string& file, std::int32_t* left_out = nullptr);
std::int32_t WriteTrbTrack(const std::string& path, const TrackStore& store);

// Present points only (TrackMark 0), as one track segment.
std::string EncodeGpxTrack(const TrackStore& store, std::int32_t* left_out = nullptr);
std::int32_t WriteGpxTrack(const std::string& path, const TrackStore& store);

// General number format of the GPX writer: up to 15 significant digits, exponent
// form below 0.00001 (5E-6) and from 1E15 up.
std::string FormatGeneralNumber(double value);

// Training and phone apps. TCX: every Trackpoint with a Time and both degrees of
// its Position. KML: gx:Track and Track, their n-th `when` with their n-th
// coord; a file of lines and places only gives no points and a note. KMZ: the
// first .kml entry of the zip, refused when it would inflate beyond 1 GB. XML
// that is not well-formed raises DataError with its line.
void ParseTcxTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseTcxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadTcxTrack(const std::string& path, TrackStore& store);

void ParseKmlTrack(std::string_view data, const std::string& file, TrackStore& store);
void ParseKmlTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options);
void ReadKmlTrack(const std::string& path, TrackStore& store);

void ParseKmzTrack(std::string_view data, const std::string& file, TrackStore& store);
void ReadKmzTrack(const std::string& path, TrackStore& store);

// FIT (watches, bike computers). What it reads past, or why it found no point,
// goes to store.ReadNotes; a damaged or cut-off file keeps the points before
// the damage. Bytes that do not begin with a FIT header raise DataError.
void ParseFitTrack(std::string_view data, const std::string& file, TrackStore& store);
void ReadFitTrack(const std::string& path, TrackStore& store);

} // namespace tackedit
