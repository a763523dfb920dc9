// replay: a folder that plays races in a browser; results: who finished where.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "platform/trash.h"
#include "race/race_file.h"
#include "replay/race_results.h"
#include "replay/replay_builder.h"
#include "track/data_error.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace tackedit::cli {

namespace {

// "1:02:03.4"
std::string Clock(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(seconds * 10));
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", tenths / 36000, tenths / 600 % 60, tenths / 10 % 60,
                  tenths % 10);
    return text;
}

} // namespace

int Replay(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--no-pictures", "--replace"});
    if (!split || split->names.size() < 3)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    const bool pictures = !split->Has("--no-pictures"), replace = split->Has("--replace");
    ReplayBuildOptions options;
    options.app_dir = WorkspaceDir(names[0]);
    options.pictures = pictures;
    options.replace = replace;
    options.move_to_trash = MoveToTrash;
    Progress progress(console);
    ReplayRaces races = RaceFiles({names.begin() + 2, names.end()}, options);
    races.read = [&console, &progress, &races, read = races.read](std::size_t k) {
        progress.Show("race " + std::to_string(k + 1) + "/" + std::to_string(races.count) + ": " + races.file(k));
        ReplayRace race = read(k);
        if (race.boats_past_limit > 0)
            console.Note(races.file(k) + ": " + BoatsPastLimitNote(race.boats_past_limit));
        return race;
    };
    try {
        BuildReplay(races, names[1], options);
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    console.ClearProgressLine();
    std::printf("%s\n", (std::filesystem::path(names[1]) / "index.html").string().c_str());
    return 0;
}

int Results(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--json", "--csv"});
    if (!split || split->names.size() != 2)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    const std::string format = split->flags.empty() ? std::string() : split->flags.back();
    ReplayRace race;
    try {
        race = ReadReplayRace(WorkspaceDir(names[0]), names[1], ReplayReadOptions{false, false});
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    if (race.boats_past_limit > 0)
        console.Note(names[1] + ": " + BoatsPastLimitNote(race.boats_past_limit));
    const auto results = ComputeResults(race);
    if (!results)
        return console.Fail(names[1] + ": no results: " + WhyNoResults(race).value_or(""));
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
    std::printf(csv ? "rank,name,finish,elapsed,corrected,status\n" : "rank\tname\tfinish\telapsed\tcorrected\tstatus\n");
    for (const RaceResult& r : *results) {
        std::string name = r.name;
        if (csv && name.find_first_of(",\"") != std::string::npos) {
            std::string quoted = "\"";
            for (const char c : name)
                quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            name = quoted + "\"";
        }
        std::printf(csv ? "%s,%s,%s,%s,%s,%s\n" : "%s\t%s\t%s\t%s\t%s\t%s\n",
                    r.rank ? std::to_string(*r.rank).c_str() : "", name.c_str(), finish(r).c_str(),
                    r.elapsed ? Clock(*r.elapsed).c_str() : "", r.corrected ? Clock(*r.corrected).c_str() : "",
                    r.status.c_str());
    }
    return 0;
}

} // namespace tackedit::cli
