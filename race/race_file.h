#pragma once

// The race file: a tagged text file in raceadmin/, one "TAG,value,..." record per
// line, Shift-JIS with CR LF line ends, read by the replay viewer too.

#include "race/race_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

// "yyyy/MM/dd H:mm:ss" (hour zero-padded or not), "yyyy-MM-dd ..." or a date alone.
std::optional<DateTime> ParseRaceDateTime(std::string_view text);

// The date, then a blank and the time unless the time of day is exactly midnight.
std::string FormatRaceDateTime(DateTime value);

// Empties what a read replaces (boats, lists, titles ...) and sets the defaults
// the reader starts from; the race values it keeps are left alone.
void ResetRaceForReading(RaceSettings& race);

// What a read left out because the workspace lacks it: boats whose GPS file is
// not in gpsdat/ (or which the full list could not take) and attachments not in
// attachment/. `position` is the number of boats read before the line, so the
// caller can show a skipped boat in its place. A file may hold millions of such
// lines: only the first few of each kind are listed, the counts take them all.
struct RaceFileSkips {
    struct Boat {
        std::int64_t line = 0;
        int position = 0;
        std::string file, name;
        bool list_full = false;
    };
    static constexpr std::size_t kListedMissingBoats = 80, kListedFullBoats = 5, kListedAttachments = 20;
    std::vector<Boat> boats;
    std::vector<std::string> attachments;
    std::int64_t missing_boats = 0, full_boats = 0, missing_attachments = 0;
};

// The time differences the reader takes, in hours: any other TD line raises
// DataError, and the writer refuses to write one.
inline constexpr int kMaxTimeDiffHours = 14;
inline bool TimeDiffHolds(int hours) { return hours >= -kMaxTimeDiffHours && hours <= kMaxTimeDiffHours; }
// Why a TD of `hours` is refused, as the reader's and the writer's errors say it.
std::string TimeDiffProblem(int hours);

// What a command says once of the boat lines a race leaves out because it is
// full (RaceFileSkips::full_boats of them).
std::string BoatsPastLimitNote(std::int64_t lines, int ui_language = 2, int limit = RaceSettings::kMaxBoats);
// What a command says once of a race read whole that holds more boats than the
// viewer shows.
std::string ViewerShowsFirstNote(std::int64_t boats, int ui_language = 2);

// Reads the race file at `path` into `race`; `app_dir` is the workspace folder
// (with its trailing separator) whose gpsdat/, attachment/ and pic/ the file names
// refer to. A required number or date-time that does not convert raises
// DataError naming the file, the line and the text; what was read before it stays.
void ReadRaceFile(const std::string& path, const std::string& app_dir, int ui_language, RaceSettings& race,
                  RaceFileSkips* skipped = nullptr);
void ParseRaceFile(std::string_view bytes, const std::string& file, const std::string& app_dir, RaceSettings& race,
                   RaceFileSkips* skipped = nullptr);
// What ReadRaceFile does after parsing: the picture folder, the start values of
// zero angles and minutes, the replay range, "jcoast" for Japanese captions.
void CompleteRaceRead(const std::string& app_dir, int ui_language, RaceSettings& race);

// ReplayFrom and ReplayTo (seconds from the start) of PreStartMin, StartTime
// and FinishTime.
void SetReplayWindow(RaceSettings& race);

// The folder a PIC line names, as a path: an absolute folder as given; a bare
// name, "PIC\x" or "pic/x" (any case) under the workspace's pic/; any other
// relative path under the workspace; no name at all is pic/ itself. A name with
// a ".." step is returned unchanged: it counts as a missing folder.
std::string ResolvePictureFolder(const std::string& app_dir, const std::string& text);

// A path with a ".." step ("\" or "/" between steps).
bool ReachesUpward(const std::string& path);

// An absolute folder (a drive letter counts) that does not lie in the workspace.
bool PictureFolderOutsideWorkspace(const std::string& app_dir, const std::string& folder);

// The name a boat's file gets when the race's files are made small: lower-cased,
// its last three characters replaced by "trb"; a name already ending in trb stays.
std::string MinimizedGpsFileName(const std::string& name);

struct RaceWriteOptions {
    int ui_language = 2;           // 0 writes the Japanese comment block
    std::string wind_file_box;     // becomes WindFile
    bool minimize_on_save = false;
    // The files the conversion of this save gave the boats (see
    // ConvertGpsFilesToTrb), which the boat lines then name; without it they
    // name each boat's TRB name.
    std::optional<std::vector<std::string>> trb_files;
};

// Why a text cannot be a field of the race file (a comma would split it, "//"
// would cut it as a comment when read again, Shift-JIS must be able to hold
// it), naming it as `what`; nullopt when it can.
std::optional<std::string> RaceFieldProblem(const std::string& value, const std::string& what,
                                            int ui_language = 2);

// The file's bytes. WindFile takes the wind file box's text. A text the file
// cannot hold (see RaceFieldProblem) raises DataError naming the field; nothing
// is produced.
std::string EncodeRaceFile(RaceSettings& race, const RaceWriteOptions& options, const std::string& file = "");

// Encodes, then replaces the file whole: a failure leaves the old file intact.
void WriteRaceFile(const std::string& path, RaceSettings& race, const RaceWriteOptions& options);

} // namespace tackedit
