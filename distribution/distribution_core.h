#pragma once

// A distribution: the viewer, a play list of races and every file they need,
// in one folder under distribution/ that replays the races on another computer.

#include "race/race_settings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct DistributionPlayList {
    static constexpr std::size_t kMaxRaces = 100;
    std::vector<std::string> DistRaceFiles;  // race file names in play order
    int DistPictureFlag = 0;  // 1 once a race with an existing picture folder was added
    std::string DistName;     // the last accepted folder name
};

enum class AddRaceResult { Added, Duplicate, Full };

// Appends a race file to the play list unless it is there already or the list
// is full. When it was added and no race so far had pictures, reads it into
// `race` and sets DistPictureFlag when its picture folder exists; the reader's
// DataError passes through (the entry stays added).
AddRaceResult ChooseDistRaceFile(DistributionPlayList& list, const std::string& name, const std::string& app_dir,
                                 int ui_language, RaceSettings& race);

// Why a typed folder name cannot be a distribution folder, or nullopt when it
// can. The folder is meant for another computer, so Windows' rules apply.
std::optional<std::string> DistributionNameProblem(const std::string& name);

// app_dir + "distribution/" + name.
std::string DistributionDir(const std::string& app_dir, const std::string& name);

// The folder under distribution/ that has this name without regard to case.
std::optional<std::string> ExistingDistributionFolder(const std::string& app_dir, const std::string& name);

struct DistributionOptions {
    std::string app_dir;  // with its trailing separator
    std::string viewer_exe = "tackvue.exe";
    bool attach_help = true;
    int ui_language = 2;
    // The pictures are exported after the build (ExportDistributionPictures):
    // the race files that get pictures name their folder in the copy.
    bool export_pictures = false;
    // replay.html beside replay/: the same replay as one file, its pictures
    // the distribution's own copies.
    bool replay_file = false;
    // Whether a folder of that name (found without regard to case) may go to
    // the trash; without it one found at the end stops the build.
    bool replace = false;
    // Moves a folder to the desktop's trash; false when it could not.
    std::function<bool(const std::string&)> move_to_trash;
    // Adds what comes last (the pictures) to the folder being built.
    std::function<void(const std::string& building)> finish;
};

// Builds distribution/<DistName> under a private temporary name beside it, so
// that another build of the same name never sees or removes it, and renames it
// into place only once everything (`finish` included) is written; an old folder
// of that name goes to the trash only then. A missing source is skipped. A
// folder that cannot be made, a file that cannot be written or an old folder
// that cannot be trashed raises DataError naming it (a file as it would be in
// the finished folder) and removes only the temporary folder; an old folder
// stays as it was. Leaves in `race` the last race file read. Returns the
// distribution folder.
std::string BuildDistribution(const DistributionPlayList& list, const DistributionOptions& options,
                              RaceSettings& race);

// Copies the files directly inside a folder (no subfolders) into another; a
// missing source folder copies nothing, nor does a link out of the source folder.
void CopyFolderFiles(const std::string& from_folder, const std::string& to_folder);

// The line appended to the copy of a race file whose pictures are exported:
// "PIC,PIC\" + the folder they are written to (the race file name up to its
// first ".") + "," + correction + "," + size.
std::string DistributionPicLine(const std::string& race_file, const RaceSettings& race);

// The race file's bytes without its PIC lines, comments and all else unchanged.
std::string WithoutPicLines(std::string_view bytes);

// The race files of the play list whose exported pictures come from a folder
// outside the workspace, each with that folder: "race1.txt: /home/x/photos".
std::vector<std::string> PicturesFromOutside(const DistributionPlayList& list, const std::string& app_dir,
                                             const std::string& dist);

} // namespace tackedit
