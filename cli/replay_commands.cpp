// replay: a folder that plays races in a browser; results: who finished where.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "pictures/picture_index.h"
#include "platform/trash.h"
#include "race/race_file.h"
#include "replay/analysis_report.h"
#include "replay/race_results.h"
#include "replay/replay_builder.h"
#include "replay/series_results.h"
#include "replay/single_file.h"
#include "base/data_error.h"
#include "base/table_cells.h"
#include "base/workspace_files.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <optional>

namespace tackedit::cli {

namespace {

// The picture folder the race file names; "" when it does not read (the build says why).
std::string RacePictureFolder(const std::string& app_dir, const std::string& path)
{
    RaceSettings race;
    try {
        ReadRaceFile(path, app_dir, 2, race);
    } catch (const DataError&) {
        return "";
    }
    return PictureFolderPath(race.PicFolder);
}

} // namespace

int Replay(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--no-pictures", "--replace", "--single-file"});
    if (!split || split->names.size() < 3)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    const bool pictures = !split->Has("--no-pictures"), replace = split->Has("--replace"),
               single_file = split->Has("--single-file");
    ReplayBuildOptions options;
    options.app_dir = WorkspaceFolder(names[0]);
    options.pictures = pictures;
    options.replace = replace;
    options.move_to_trash = MoveToTrash;
    std::vector<std::string> race_files;
    for (auto typed = names.begin() + 2; typed != names.end(); ++typed) {
        const auto race_name = RaceFileArgument(console, options.app_dir, *typed);
        if (!race_name)
            return 1;
        race_files.push_back(*race_name);
        // The folder must not be any file the build reads: the race file and
        // its pictures, which may lie outside the workspace.
        const auto path = FindWorkspaceFile(options.app_dir + "raceadmin", *race_name);
        options.inputs.push_back(path ? *path : options.app_dir + "raceadmin/" + *race_name);
        if (path)
            options.inputs.push_back(RacePictureFolder(options.app_dir, *path));
    }
    Progress progress(console);
    ReplayRaces races = RaceFiles(race_files, options);
    races.read = [&console, &progress, &races, read = races.read](std::size_t k) {
        progress.Show("race " + std::to_string(k + 1) + "/" + std::to_string(races.count) + ": " + races.file(k));
        ReplayRace race = read(k);
        if (race.boats_past_viewer > 0)
            console.Note(races.file(k) + ": " + ViewerShowsFirstNote(race.boats.size()));
        return race;
    };
    try {
        if (single_file)
            BuildSingleFileReplay(races, names[1], options);
        else
            BuildReplay(races, names[1], options);
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    console.ClearProgressLine();
    std::printf("%s\n", single_file ? names[1].c_str() : (std::filesystem::path(names[1]) / "index.html").string().c_str());
    return 0;
}

int Results(Console& console, const std::vector<std::string>& args)
{
    std::optional<std::string> entry_list;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--entries")
            rest.push_back(args[i]);
        else if (i + 1 == args.size() || entry_list)
            return console.Usage();
        else
            entry_list = args[++i];
    }
    const auto split = SplitFlags(rest, {"--json", "--csv", "--for-scoring"});
    if (!split || split->names.size() != 2 || (split->Has("--for-scoring") && split->Has("--json")) ||
        (entry_list && !split->Has("--for-scoring")))
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    std::string format;
    for (const std::string& flag : split->flags)
        if (flag != "--for-scoring")
            format = flag;
    ReplayRace race;
    std::optional<std::vector<SeriesEntry>> entries;
    try {
        const std::string app_dir = WorkspaceFolder(names[0]);
        if (entry_list)
            entries = ReadSeriesEntries(console, *entry_list);
        const auto race_name = RaceFileArgument(console, app_dir, names[1]);
        if (!race_name)
            return 1;
        race = ReadReplayRace(app_dir, *race_name, ReplayReadOptions{false, false, true});
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    if (race.boats_past_viewer > 0)
        console.Note(names[1] + ": " + ViewerShowsFirstNote(race.boats.size()));
    std::string why;
    const auto results = ComputeResults(std::move(race), &why);
    if (!results)
        return console.Fail(names[1] + ": no results: " + why);
    if (split->Has("--for-scoring")) {
        PrintForScoring({*results}, entries ? &*entries : nullptr);
        return 0;
    }
    const auto finish = [](const RaceResult& r) { return r.finish ? FormatLocalSeconds(*r.finish) : std::string(); };
    if (format == "--json") {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const RaceResult& r : *results)
            rows.push_back({{"name", r.name},
                            {"finish", r.finish ? nlohmann::ordered_json(finish(r)) : nullptr},
                            {"elapsed", r.elapsed ? nlohmann::ordered_json(*r.elapsed) : nullptr},
                            {"corrected", r.corrected ? nlohmann::ordered_json(*r.corrected) : nullptr},
                            {"rank", r.rank ? nlohmann::ordered_json(*r.rank) : nullptr},
                            {"status", r.status}});
        std::printf("%s\n", rows.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return 0;
    }
    const bool csv = format == "--csv";
    const auto cell = [csv](const std::string& text, CellKind kind) {
        return csv ? CsvCell(text, kind) : TsvField(text, kind);
    };
    const char separator = csv ? ',' : '\t';
    std::printf(csv ? "rank,name,finish,elapsed,corrected,status\n" : "rank\tname\tfinish\telapsed\tcorrected\tstatus\n");
    for (const RaceResult& r : *results) {
        const std::string cells[] = {cell(r.rank ? std::to_string(*r.rank) : "", CellKind::Own),
                                     cell(r.name, CellKind::Text),
                                     cell(finish(r), CellKind::Own),
                                     cell(r.elapsed ? ElapsedClock(*r.elapsed) : "", CellKind::Own),
                                     cell(r.corrected ? ElapsedClock(*r.corrected) : "", CellKind::Own),
                                     cell(r.status, CellKind::Own)};
        std::string line = cells[0];
        for (std::size_t i = 1; i < std::size(cells); ++i)
            line += separator + cells[i];
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

} // namespace tackedit::cli
