#pragma once

// What the browser replay shows of one race: read from the race file and the
// boats' tracks as the viewer would get them, with every time in the race's
// local time as whole seconds since 1970 (so the page needs no time zone).

#include "analysis/motion.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct ReplayBoat {
    std::string name, file, color;
    bool shown = true, entered = true;
    double tcf = 0;
    int start_offset = 0;  // seconds
    // Fixes, strictly increasing whole seconds; positions in microdegrees.
    std::vector<std::int64_t> time;
    std::vector<std::int32_t> lat, lon;
    // Every fix in UTC seconds, fractions kept where the reader keeps them;
    // filled only when ReplayReadOptions::utc_fixes asks (the analysis).
    std::vector<analysis::RawFix> utc_fixes;
    // A race timer's race-start events, UTC seconds; filled only when
    // ReplayReadOptions::timer_starts asks.
    std::vector<double> timer_starts;
};

struct ReplayMark {
    std::string label;  // its number in the race file, from 1
    double lat = 0, lon = 0;  // degrees
};

struct ReplayLine {
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    std::size_t number = 0;  // its LN entry, from 1
};

struct ReplayWind {
    std::int64_t time = 0;
    double direction = 0, speed = 0;
};

struct ReplayPicture {
    std::string source;  // the picture file, full path
    std::string name;    // its name in the replay folder
    std::int64_t time = 0;
};

struct ReplayAnalysis;

struct ReplayRace {
    std::string file, title1, title2;
    int time_diff = 0;
    std::int64_t start = 0, finish = 0;
    int replay_from = 0, replay_to = 0;
    double play_speed_pre = 5, play_speed_after = 5;
    int north_up = 0, wind_dir = 0;
    double mag_var = 0;
    std::vector<ReplayBoat> boats;
    std::vector<ReplayMark> marks;
    std::vector<ReplayLine> lines;
    // MK and LN entries of the race, the left-out ones too: the course numbers them.
    std::size_t mark_count = 0, line_count = 0;
    std::vector<std::string> course;
    std::vector<ReplayWind> wind;
    std::vector<ReplayPicture> pictures;
    std::vector<std::string> notes;  // what the page says besides the race
    std::int64_t boats_past_viewer = 0;  // boats past those the viewer shows
    // Land polygons, flat lon/lat pairs in degrees; nullopt when no shoreline
    // data could be read (land_note says why).
    std::optional<std::vector<std::vector<double>>> land;
    std::array<double, 4> land_box{};  // south, west, north, east: where the land is cut
    std::string land_note;
    // Filled when ReplayReadOptions::analysis asks.
    std::shared_ptr<const ReplayAnalysis> analysis;
};

// Local seconds since 1970 of a day-based date-time, the nearest millisecond
// cut to its second.
std::int64_t ReplaySeconds(double date_time);

// The fixes of a track store in local time: sorted, the first fix of each second.
struct TrackStore;
// With `utc`, every plausible fix also goes to boat.utc_fixes.
void TakeFixes(const TrackStore& track, int time_diff, ReplayBoat& boat, bool utc = false);

// The box of the boats' tracks in degrees (south, west, north, east), the
// farthest half percent of the fixes on each side left out; nullopt without fixes.
std::optional<std::array<double, 4>> TrackBox(const std::vector<ReplayBoat>& boats);

// MK and LN values as degrees: as the file holds them when they lie near the
// tracks, else as minutes of arc when those do; left out with a note otherwise.
void PlaceMarksAndLines(const std::vector<std::array<double, 2>>& marks,
                        const std::vector<std::array<double, 4>>& lines, ReplayRace& race);

// A colour for each of `count` boats ("#rrggbb"), no two alike, each dark
// enough to stand out on the page's water and land.
std::vector<std::string> BoatColors(std::size_t count);

// The box the page fits its first view to (south, west, north, east): the
// marks and lines and the middle of the fleet's fixes within the replay window,
// so that a logger's jump or a boat's way home does not zoom it out; nullopt
// when there is nothing to show.
std::optional<std::array<double, 4>> ViewBox(const ReplayRace& race);

// The wind file's rows "date time,direction,speed" (a header line allowed),
// times in the race's local time; nullopt with `why` when it does not read.
std::optional<std::vector<ReplayWind>> ReadWindFile(const std::string& path, std::string& why);

class TrackCache;

struct ReplayReadOptions {
    bool pictures = true;
    bool land = true;  // the shoreline around the tracks, through GMT
    bool utc_fixes = false;  // fill ReplayBoat::utc_fixes
    bool analysis = false;   // analyse the race (ReplayRace::analysis); takes the utc fixes
    // Given, tracks come from it (and go into it when first read), so races
    // that share a day's logs read each file once.
    TrackCache* tracks = nullptr;
    bool timer_starts = false;  // fill ReplayBoat::timer_starts
};

// The replay of a race record (read from `file`, or the compile screen's as
// Save Data would write it), its tracks and wind read from the workspace.
struct RaceSettings;
ReplayRace MakeReplayRace(const RaceSettings& race, const std::string& app_dir, const std::string& file,
                          const ReplayReadOptions& options);

// Reads WORKSPACE/raceadmin/NAME and everything it names as Save Data would
// (the race file reader, the track readers). A race file that does not read
// raises DataError naming its file and line; a boat whose track does not read
// stays in with no fixes and a note, as do boat lines past the full list.
// `settings`, when given, gets the race file as read.
ReplayRace ReadReplayRace(const std::string& app_dir, const std::string& race_file, const ReplayReadOptions& options,
                          RaceSettings* settings = nullptr);

} // namespace tackedit
