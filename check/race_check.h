#pragma once

// The race check: what would make the viewer show an empty or wrong boat, found
// before the race is shown. It reads files and never writes one.

#include "race/race_file.h"
#include "race/race_settings.h"
#include "base/datetime.h"
#include "base/jump_speed.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct TrackStore;

enum class Severity { Error, Warning, Info };

// "error", "warning", "info".
const char* SeverityName(Severity severity);

struct Finding {
    Severity severity = Severity::Info;
    std::string subject;  // "race" or the boat's name
    std::string message;
    int boat = 0;         // 1-based index into RaceCheckResult::boats; 0 for the race
    std::optional<std::int64_t> shift_seconds;  // the clock fix this finding offers
    std::optional<std::string> use_file;        // or another file of gpsdat/ for the boat
};

// One boat's track over the race window. Times are track times (UTC).
struct BoatCheck {
    std::string name, file;
    bool in_race = true;  // false: the race file reader left the boat out
    std::int32_t points = 0;
    std::optional<DateTime> first, last;  // the file's first and last point
    double coverage = 0;     // share of the window within 30 s of a fix
    double largest_gap = 0;  // seconds without a fix inside the window
    std::int32_t jumps = 0;        // points the editor's speed test deletes at kJumpKnots
    std::int32_t zero_points = 0;  // at latitude 0 and longitude 0, which the load left out
    std::int32_t backward = 0;     // times earlier than the point before
    std::optional<std::int64_t> shift_seconds;  // added to every time, it covers the race
    std::optional<double> course_distance;      // metres from the nearest fix in the race to the course
    std::string cleaned_file;  // the editor's cleaned track of `file` in gpsdat/; empty when none
};

struct RaceCheckResult {
    std::vector<Finding> findings;
    std::vector<BoatCheck> boats;

    int Count(Severity severity) const;
};

// The capture time of a picture in the camera's local time; nullopt when it has none.
using CaptureTimeReader = std::function<std::optional<DateTime>(const std::string& path)>;

// How far a long check is: reading picture or boat `number` (1-based) of `count`.
using CheckProgress = std::function<void(const std::string& what, std::size_t number, std::size_t count)>;

struct RaceCheckInput {
    std::string app_dir;         // the workspace, with its trailing separator
    std::string race_file_name;  // bare name; empty when there is none yet
    std::string viewer_exe = "tackvue.exe";
    int ui_language = 2;         // of the findings' texts; the command-line tool's are English
    RaceFileSkips skipped;       // what the race file reader left out
    bool minimize_on_save = false;   // Save Data gives the viewer TRB copies of the boats' files
    CaptureTimeReader capture_time;  // empty: pictures are not counted
    CheckProgress progress;          // may be empty
    // What the compile screen took from its first boat's track and the user
    // has not changed since, so a finding can say where a value came from.
    struct TrackPreset {
        std::string file;               // that boat's GPS file; empty: nothing preset
        bool times = false;             // the start and finish are still the preset ones
        std::vector<std::string> maps;  // the coastline maps preset from its area
    } preset;
};

inline constexpr double kCoverageFixSeconds = 30;
// Farther than this from every mark and line all through the race, a track
// is another boat's, another day's or a wrong position.
inline constexpr double kFarFromCourseMetres = 5000;
inline constexpr double kLongGapSeconds = 300;

// Checks a race record (a copy of the screen's, or one read from a file).
RaceCheckResult CheckRace(const RaceSettings& race, const RaceCheckInput& input);

// Reads WORKSPACE/raceadmin/NAME as the editor does and checks it; a race file
// that is missing or does not read is an error finding.
RaceCheckResult CheckRaceFile(const std::string& app_dir, const std::string& name,
                              const CaptureTimeReader& capture_time, const CheckProgress& progress = {});

// ---- Track times against the race window ----

// Seconds of every point relative to a reference time, sorted.
std::vector<double> SortedSeconds(std::span<const double> track_time, std::int32_t count, DateTime reference);

// Share of [from, to] lying within kCoverageFixSeconds of a time; 0 for an empty span.
double CoverageOf(const std::vector<double>& sorted, double from, double to);

struct Gap {
    double from = 0, to = 0;
    double Length() const { return to - from; }
};
// The longest stretch of [from, to] without a time.
Gap LargestGapOf(const std::vector<double>& sorted, double from, double to);

inline constexpr std::int64_t kGpsWeekRollover = 1024LL * 7 * 86400;

// The shift in whole hours (a time zone, whole days, whole years, GPS week
// rollovers, or any sum of them) that brings a track covering under half of a
// window of `length` seconds to at least 90 %; nullopt when none does. The
// best coverage wins, and of equal ones the smallest shift. Shifts beyond two
// rollovers are not tried.
std::optional<std::int64_t> SuggestShift(const std::vector<double>& sorted, double length);

// The whole GPS week rollovers in a shift that is them plus a time zone of up
// to 14 hours; 0 for any other shift.
std::int64_t RolloversIn(std::int64_t shift_seconds);

// "9 hours early", "1024 weeks early", "10 years early and 8 hours late".
// Years are counted on the calendar from `from`, the track's time before the
// shift; without it the shift is told in days and hours.
std::string DescribeShift(std::int64_t shift_seconds, int ui_language = 2,
                          std::optional<DateTime> from = std::nullopt);

// The least distance in metres from a fix of `track` between `first` and
// `last` (1-based) to a mark or a line of the race; nullopt when it has neither.
std::optional<double> CourseDistance(const TrackStore& track, std::int32_t first, std::int32_t last,
                                     const RaceSettings& race);

// The track the editor saved from `file` (NAME_s.trb or NAME_s.gpx, the newer
// when both) as it is spelled in `gpsdat`; nullopt when there is none, `file`
// is itself one, or a boat of `race` uses it already.
std::optional<std::string> CleanedTrackFor(const std::string& gpsdat, const std::string& file,
                                           const RaceSettings& race);

// Control characters written out (\x00, \x0A; \u0085 for the C1 ones), so a
// NUL or a line end in a name can neither cut a message short nor break it.
std::string EscapeControlCharacters(std::string_view text);

// "1 h 5 min", "12 min 30 s", "45 s".
std::string FormatDuration(double seconds, int ui_language = 2);

} // namespace tackedit
