#pragma once

// The reduced pictures of a distribution, with their index file "datetime.csv".

#include "pictures/picture_index.h"
#include "pictures/picture_reduce.h"
#include "platform/pending_events.h"
#include "race/race_settings.h"

#include <functional>
#include <string>
#include <vector>

namespace tackedit {

// One picture done, reported in index order whatever thread reduced it.
struct PictureProgress {
    std::string name;
    int number = 0;  // 1-based
    int count = 0;
    const ReducedPicture* picture = nullptr;  // nullptr when no copy was made
    std::string race_file;                    // whose pictures these are
};

// Why a picture is not in the distribution as it was, in the order the end
// message lists them. Salvaged pictures are in it, reduced from what decodes.
enum class PictureProblem {
    NameNotShiftJis,  // "datetime.csv" and the race file's character set cannot hold the name
    NameSeparator,    // a comma, CR or LF would break the lines of "datetime.csv"
    TimeNotStorable,  // the same for the capture time
    Missing,          // gone since the folder was indexed
    Unreadable,
    TooLarge,
    Undecodable,
    Salvaged,
};

// A picture left out (the others go on without it, and it has no line in
// "datetime.csv"), or salvaged from damaged data.
struct PictureFailure {
    std::string file;
    std::string message;  // names the file
    PictureProblem problem = PictureProblem::Undecodable;
    bool LeftOut() const { return problem != PictureProblem::Salvaged; }
};

// The end message of a distribution: the pictures left out, counted by reason,
// then the salvaged ones, each named on its own line (at most `max_names` in
// all; the rest are counted). Empty when every picture went in whole.
std::string PictureReportText(const std::vector<PictureFailure>& failures, std::size_t max_names);

struct PictureExportOptions {
    std::string app_dir;   // with its trailing separator
    std::string dist_dir;  // the distribution folder
    int ui_language = 2;
    int quality = 30;
    int threads = 2;       // pictures reduced at once; the files are the same for any number
};

// For each race file in play order: reads it into `race`, indexes its picture
// folder and writes dist_dir/pic/<name before its first ".">/ with
// "datetime.csv" and an "s_" copy of each kept picture that can go in; the
// rest are returned. A race file that does not read, a folder that cannot be
// created or a file that cannot be written raises DataError naming it and
// stops the export.
std::vector<PictureFailure> ExportDistributionPictures(const std::vector<std::string>& race_files,
                                                       const PictureExportOptions& options, RaceSettings& race,
                                                       PictureIndex& index, PendingEvents& events,
                                                       const std::function<void(const PictureProgress&)>& progress);

// The largest picture size a race may ask for.
inline constexpr int kMaxPicSize = 10000;

} // namespace tackedit
