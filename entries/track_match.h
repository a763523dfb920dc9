#pragma once

// Which track file in gpsdat/ belongs to which entry, and why.

#include "base/datetime.h"
#include "entries/entry_list.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// What a track says of itself without being loaded whole: the recording
// device (a FIT file's serial number, a GPX file's creator) and the times of
// its first and last fix in UTC.
std::string TrackDeviceId(const std::string& path);
bool TrackTimeSpan(const std::string& path, DateTime& first, DateTime& last);

struct MatchConflict {
    std::vector<std::size_t> entries;  // indexes into the list
    std::vector<std::string> files;
    std::string reason;  // "sail number in file name: 2 files match"
};

struct EntryMatches {
    // Per entry: its file and why, or nullopt.
    std::vector<std::optional<std::string>> file;
    std::vector<std::string> reason;
    std::vector<std::size_t> without_track;  // entries, not counting those in a conflict
    std::vector<std::string> tracks_without_entry;
    std::vector<MatchConflict> conflicts;
    std::vector<std::string> notes;
};

// The race's time in UTC; start >= finish leaves ties that only the time could
// break as conflicts. Tracks are the files of `gpsdat` that a track reader
// takes by their name's ending.
struct RaceWindow {
    DateTime start = 0, finish = 0;
};

// The files of `gpsdat` a track reader takes by their name's ending, sorted.
std::vector<std::string> ListTrackFiles(const std::string& gpsdat);

EntryMatches MatchTracks(const std::string& gpsdat, const EntryList& list, RaceWindow race);

// Whether a file name holds the sail number or the boat name, as its own words:
// "jpn-0045_day1.gpx" holds JPN 45 and 45, not GBR 45; a date or time of day
// in the name is no sail number.
bool FileNameHoldsSail(const std::string& file_name, const std::string& sail);
bool FileNameHoldsBoat(const std::string& file_name, const std::string& boat);

} // namespace tackedit
