#pragma once

// The picture index: the photographs of a race's picture folder taken while the
// race is replayed, with ten minutes' margin on each side.

#include "platform/pending_events.h"
#include "race/race_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tackedit {

// One for the whole program, rebuilt by every IndexPictures. The counts of kept
// pictures and of ".jpg" files found are the race's PictureCount and
// PictureFileCount, which the race file writer reads.
struct PictureIndex {
    std::vector<std::string> PictureName;      // file names, without folder
    std::vector<std::string> PictureTimeText;  // "YYYY/MM/DD HH:MM:SS", the camera's own time
    std::int64_t PictureTotalKB = 0;           // every ".jpg" file found, each in whole KB
    std::int64_t PictureKeptKB = 0;            // the kept ones
    int UnreadableCount = 0;                   // ".jpg" files that could not be read as JPEGs
};

// The margin around the replay window, in seconds: the largest camera time
// correction the screen offers.
inline constexpr int kPictureMarginSeconds = 600;

// A picture folder as race files give it ("\\" or "/" between folders) as a
// path; empty for one with a ".." step, which is refused like a missing folder.
std::string PictureFolderPath(const std::string& pic_folder);

// The ".jpg" files of a folder (any case): regular files, and links only to
// files inside the folder; sorted by name without regard to case so that every
// run lists them alike.
struct PictureFile {
    std::string name;
    std::uintmax_t bytes = 0;
};
std::vector<PictureFile> ListPictureFiles(const std::string& folder);

// Indexes race.PicFolder against race.StartTime, ReplayFrom and ReplayTo. The
// camera time correction is not applied. A picture without a usable capture
// time is left out silently; a missing folder gives an empty index. Pending
// events are processed before each picture.
void IndexPictures(RaceSettings& race, PictureIndex& index, PendingEvents& events);

// "12 / 40 Pictures  (3456KB / 12000KB)"; the part in brackets only when the
// files found have a size, ", 2 unreadable" only when some could not be read.
std::string PictureCountText(const RaceSettings& race, const PictureIndex& index);

} // namespace tackedit
