// photo-time, pictures and distribute: capture times, a race's picture index
// and a distribution folder, as the editor makes them.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "distribution/distribution_core.h"
#include "pictures/photo_metadata.h"
#include "pictures/picture_export.h"
#include "platform/null_platform.h"
#include "platform/trash.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/table_cells.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace tackedit::cli {

int PhotoTime(Console& console, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return console.Usage();
    std::error_code error;
    if (!std::filesystem::is_regular_file(args[0], error))
        return console.Fail(args[0] + ": no such file");
    std::printf("%s\n", ReadPhotoMetadata(args[0]).c_str());
    return 0;
}

int Pictures(Console& console, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return console.Usage();
    const std::string app_dir = WorkspaceFolder(args[0]);
    const std::string folder = app_dir + "raceadmin";
    const auto race_name = RaceFileArgument(console, app_dir, args[1]);
    if (!race_name)
        return 1;
    const auto path = FindWorkspaceFile(folder, *race_name);
    if (!path)
        return console.Fail(folder + "/" + *race_name + ": no such race file");
    RaceSettings race;
    PictureIndex index;
    NullPendingEvents events;
    try {
        ReadRaceFile(*path, app_dir, 2, race);
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    IndexPictures(race, index, events);
    std::printf("%s\n", PictureCountText(race, index).c_str());
    for (std::size_t i = 0; i < index.PictureName.size(); ++i)
        std::printf("%s,%s\n", CsvCell(index.PictureName[i]).c_str(), CsvCell(index.PictureTimeText[i]).c_str());
    return 0;
}

int Distribute(Console& console, const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    bool help = true, pictures = true, replace = false, replay_file = false;
    int quality = 30;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-help") {
            help = false;
        } else if (args[i] == "--no-pictures") {
            pictures = false;
        } else if (args[i] == "--replace") {
            replace = true;
        } else if (args[i] == "--replay-file") {
            replay_file = true;
        } else if (args[i] == "--quality" && i + 1 < args.size()) {
            const auto value = ParseInteger(args[++i]);
            if (!value || *value < 1 || *value > 100)
                return console.Usage();
            quality = static_cast<int>(*value);
        } else if (args[i].starts_with("--")) {
            return console.Usage();
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() < 3)
        return console.Usage();
    const std::string app_dir = WorkspaceFolder(positional[0]);
    const std::string name(TrimBlanks(positional[1]));
    std::vector<std::string> races;
    for (auto typed = positional.begin() + 2; typed != positional.end(); ++typed) {
        const auto race_name = RaceFileArgument(console, app_dir, *typed);
        if (!race_name)
            return 1;
        races.push_back(*race_name);
    }
    for (std::size_t i = 0; i < races.size(); ++i)
        if (std::find(races.begin(), races.begin() + static_cast<std::ptrdiff_t>(i), races[i]) !=
            races.begin() + static_cast<std::ptrdiff_t>(i))
            return console.Usage();
    if (races.size() > DistributionPlayList::kMaxRaces)
        return console.Usage();
    if (const auto problem = DistributionNameProblem(name))
        return console.Fail(*problem);
    for (const std::string& race : races)
        if (!FindWorkspaceFile(app_dir + "raceadmin", race))
            return console.Fail(app_dir + "raceadmin/" + race + ": no such race file");
    if (const auto old = ExistingDistributionFolder(app_dir, name); old && !replace)
        return console.Fail(*old + ": the distribution folder exists (--replace moves it to the trash)");

    RaceSettings race;
    DistributionPlayList list;
    list.DistName = name;
    Progress progress(console);
    try {
        for (const std::string& file : races)
            ChooseDistRaceFile(list, file, app_dir, 2, race);
        DistributionOptions options;
        options.app_dir = app_dir;
        options.attach_help = help;
        options.export_pictures = pictures;
        options.replay_file = replay_file;
        options.replace = replace;
        options.move_to_trash = MoveToTrash;
        std::vector<PictureFailure> failures;
        if (pictures && list.DistPictureFlag == 1)
            options.finish = [&](const std::string& building) {
                PictureExportOptions export_options;
                export_options.app_dir = app_dir;
                export_options.dist_dir = building;
                export_options.quality = quality;
                export_options.threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
                PictureIndex index;
                NullPendingEvents events;
                failures = ExportDistributionPictures(
                    list.DistRaceFiles, export_options, race, index, events, [&](const PictureProgress& step) {
                        progress.Show(step.race_file + ": pictures", static_cast<std::size_t>(step.number),
                                      static_cast<std::size_t>(step.count));
                    });
            };
        progress.Show("copying the races' files");
        const std::string dist = BuildDistribution(list, options, race);
        console.ClearProgressLine();
        std::printf("%s\n", dist.c_str());
        for (const std::string& line : PicturesFromOutside(list, app_dir, dist))
            console.Note("pictures from outside the workspace: " + line);
        // The copies keep every boat line; the viewer shows only the boats a race holds.
        for (const std::string& file : races) {
            RaceSettings read;
            RaceFileSkips skipped;
            ReadRaceFile(FindWorkspaceFile(app_dir + "raceadmin", file).value_or(""), app_dir, 2, read, &skipped);
            if (skipped.full_boats > 0)
                console.Note(file + ": " + BoatsPastLimitNote(skipped.full_boats));
        }
        if (failures.empty())
            return 0;
        // The folder stays built; leaving pictures out is still a failure to report.
        const bool left_out = std::any_of(failures.begin(), failures.end(),
                                          [](const PictureFailure& f) { return f.LeftOut(); });
        const std::string report = PictureReportText(failures, failures.size());
        if (left_out)
            return console.Fail(report);
        console.ClearProgressLine();
        std::fprintf(stderr, "warning: %s\n", report.c_str());
        return 0;
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
}

} // namespace tackedit::cli
