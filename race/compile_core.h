#pragma once

// What the compile screen computes, apart from its widgets: file lists, play
// time, boat names, the race area from a track, the save's name rules.

#include "race/race_settings.h"
#include "track/track_store.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// Empties the race for a new one; values the screen sets itself are left.
void ResetRace(RaceSettings& race);

// The default time difference: local standard time minus UTC in whole hours,
// halves to even (UTC+9 gives 9, UTC-5 gives -5).
int LocalZoneHours(int standard_bias_minutes);

struct WorkspaceFileEntry {
    std::string name;
    DateTime modified = 0;
    std::string modified_text;  // as race files write date-times
};

// Files of a workspace folder whose names end in "." + extension (any case;
// "*" for all), hidden names skipped; newest first when by_date, else by name
// without regard to case (as the folder lists them on Windows). At most
// `limit` entries.
std::vector<WorkspaceFileEntry> ListWorkspaceFiles(const std::string& folder, const std::string& extension,
                                                   bool by_date, std::size_t limit);

// "(Est Total Play Time= 13min0sec)" or its Japanese form; nullopt when a value
// is not a number (the label then keeps its text).
std::optional<std::string> PlayTimeText(DateTime start, DateTime finish, const std::string& pre_start_min,
                                        const std::string& speed_after, const std::string& speed_pre,
                                        int ui_language);

// The GPS file of a file list entry ("name / date").
std::string EntryFileName(const std::string& entry);

// The proposed boat name for a GPS file: 20100508_TEAM1.gpx gives TEAM1,
// alpha.gpx gives ALPHA, a name without "." gives nothing.
std::string DefaultBoatName(const std::string& file);

// Why a name typed at the "Boat Name ?" prompt cannot be saved, in the words
// Save Data would use; nullopt when it can.
std::optional<std::string> BoatNameProblem(const std::string& name, int ui_language = 2);

// The start and finish a first boat's track suggests, and the coastline tiles of
// its area (set only with Japanese captions).
struct RaceArea {
    DateTime start = 0, finish = 0;
    std::optional<std::vector<std::string>> map_names;
};

// nullopt for a track of 20 points or fewer.
std::optional<RaceArea> RaceAreaOf(const TrackStore& track, int zone_hours, int ui_language);

// First-level mesh tiles covering a box (minutes of arc), widened by 5' of
// latitude and 7.5' of longitude; "jcoast" when the diagonal exceeds 60'.
std::vector<std::string> CoastlineTiles(double min_lat, double max_lat, double min_lon, double max_lon);

// A race after 18:00 or before 06:00, or longer than 12 hours.
bool IsNightRace(DateTime start, DateTime finish);

// The name Save Data proposes: race1.txt gives race1_s.txt, and race1_s.txt
// itself; a new race the race file box's text.
std::string ProposedRaceFileName(const std::string& race_file_name, const std::string& combo_text);

// ".txt" appended unless the answer already ends in it (any case).
std::string RaceFileNameFromAnswer(const std::string& answer);

// Why a race file name (with its ".txt") cannot be used: no name at all, a
// folder in it, a name a Windows computer cannot hold, or a character the
// viewer's hand-off file cannot hold; nullopt when it can.
std::optional<std::string> RaceFileNameProblem(const std::string& name, int ui_language = 2);

} // namespace tackedit

#include "track/track_loader.h"

#include <cstdint>
#include <functional>

namespace tackedit {

// Converts every boat's GPS file in gpsdat/ to the compact TRB format; `progress`
// is told each new name. `trb_files` gets, per boat, the TRB file it now has (""
// for a boat left as it was: already TRB, or its file missing). A file that is
// not an identical conversion is never replaced, nor is another boat's file used:
// such a boat gets a free name (boat_2.trb). The first failing load or write
// stops it, `trb_files` holding the boats done before. `left_out`, when given,
// gets each boat whose conversion left fixes out (those within the second of
// the fix before: TRB keeps whole seconds).
struct TrbLeftOut {
    std::size_t boat;
    std::int32_t left_out, fixes;
};
void ConvertGpsFilesToTrb(const RaceSettings& race, const std::string& app_dir, TrackStore& track,
                          TrackEditState& edit, LoadServices& services,
                          const std::function<void(const std::string&)>& progress,
                          std::vector<std::string>& trb_files, std::vector<TrbLeftOut>* left_out = nullptr);

// Names the boats by the files ConvertGpsFilesToTrb gave them.
void UseTrbFiles(RaceSettings& race, const std::vector<std::string>& trb_files);

// Both: boats done before a failure keep their new names.
void MinimizeGpsFiles(RaceSettings& race, const std::string& app_dir, TrackStore& track, TrackEditState& edit,
                      LoadServices& services, const std::function<void(const std::string&)>& progress);

// The hand-off file for the viewer: one line, Shift-JIS, CR LF, replaced whole.
void WriteHandoffFile(const std::string& path, const std::string& text);

} // namespace tackedit
