#pragma once

// The browser replay: a folder whose index.html plays races in any browser
// from file://, with the page's code and the races' data as classic scripts and
// nothing fetched from elsewhere.

#include "replay/replay_data.h"
#include "replay/results_page.h"

#include <functional>
#include <string>
#include <vector>

namespace tackedit {

// A boat's fixes as the page decodes them: base64 of LEB128 varints, the first
// fix's time, latitude and longitude zigzag-coded, then per fix the seconds
// since the last one and the zigzag-coded steps in microdegrees.
std::string EncodeFixes(const ReplayBoat& boat);

// The classic script that adds the race to window.TACK_RACES; `pictures` are
// the names the race's pictures have in the replay folder, and `urls`, where
// given, where the page finds them instead (data: URIs of a one-file replay).
std::string RaceScript(const ReplayRace& race, const std::vector<std::string>& pictures,
                       const std::vector<std::string>& urls = {});

// The page's files as the build put them into the program.
struct WebFile {
    const char* path;  // "index.html", "js/data.js" ...
    const unsigned char* bytes;
    std::size_t size;
};
const std::vector<WebFile>& ReplayWebFiles();

struct ReplayBuildOptions {
    std::string app_dir;  // the workspace, with its trailing separator
    bool pictures = true;
    bool replace = false;  // an existing replay folder goes to the trash
    std::vector<std::string> inputs;  // files and folders the build reads besides the workspace's own
    std::function<bool(const std::string&)> move_to_trash;
    std::function<void(const std::string& what)> progress;  // may be empty
};

// Where a race's picture is in the replay folder ("" leaves it out); it may
// write the picture there.
using ReplayPictureSource = std::function<std::string(std::size_t race, const std::string& race_file,
                                                      const ReplayPicture& picture)>;

// The races of a replay, read one at a time: race k of count, with the name of
// its race file.
struct ReplayRaces {
    std::size_t count = 0;
    std::function<ReplayRace(std::size_t k)> read;
    std::function<std::string(std::size_t k)> file;
};

// Race files of the workspace, read as Save Data gives them to the viewer.
ReplayRaces RaceFiles(const std::vector<std::string>& race_files, const ReplayBuildOptions& options);

// The race as results.html shows it.
RaceResultsPage ResultsPageOf(const ReplayRace& race, const std::string& file);

// Writes the replay's files into an existing folder: the page, and a script per
// race. Without `pictures`, the pictures are reduced copies in pictures/.
void WriteReplay(const ReplayRaces& races, const std::string& folder, const ReplayBuildOptions& options,
                 const ReplayPictureSource& pictures = {});
void WriteReplay(const std::vector<std::string>& race_files, const std::string& folder,
                 const ReplayBuildOptions& options, const ReplayPictureSource& pictures = {});

// Writes out_dir for the races in this order. The folder is built beside its
// place under a private name and renamed into place when complete, never over
// something that took its name meanwhile. An existing out_dir is an error
// unless options.replace and a replay build wrote it; so is an out_dir that is
// the workspace, holds it, lies in its data folders or holds an input. A race
// file that does not read raises DataError naming it and its line; nothing is
// left behind.
void BuildReplay(const ReplayRaces& races, const std::string& out_dir, const ReplayBuildOptions& options);
void BuildReplay(const std::vector<std::string>& race_files, const std::string& out_dir,
                 const ReplayBuildOptions& options);

// The windows' replay: WORKSPACE/ctrl/replay, replaced at each build (our own
// output, so the old one is removed, not trashed; anything else there is kept
// and the build fails). Returns its index.html.
std::string BuildControlReplay(const ReplayRaces& races, const std::string& app_dir);

} // namespace tackedit
