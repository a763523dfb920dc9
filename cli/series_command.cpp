// series: several races scored low-point into one standing.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "replay/analysis_input.h"
#include "replay/race_results.h"
#include "replay/scoring_csv.h"
#include "replay/series_results.h"
#include "replay/track_cache.h"
#include "entries/entry_list.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/table_cells.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

namespace tackedit::cli {

namespace {

// A whole number of points as a whole JSON number, a half as 2.5.
nlohmann::ordered_json JsonPoints(double points)
{
    if (points == std::floor(points))
        return static_cast<std::int64_t>(points);
    return points;
}

// "3", "21 DNC", and "(21 DNC)" discarded.
std::string ScoreCell(const SeriesScore& score)
{
    const std::string shown = FormatPoints(score.points) + (score.code.empty() ? "" : " " + score.code);
    return score.discarded ? "(" + shown + ")" : shown;
}

void PrintJson(const std::vector<std::string>& races, const SeriesResults& series)
{
    nlohmann::ordered_json out;
    out["races"] = races;
    out["boats"] = nlohmann::ordered_json::array();
    for (const SeriesBoat& b : series.boats) {
        nlohmann::ordered_json scores = nlohmann::ordered_json::array();
        for (std::size_t r = 0; r < b.scores.size(); ++r) {
            const SeriesScore& s = b.scores[r];
            scores.push_back({{"race", races[r]},
                              {"points", JsonPoints(s.points)},
                              {"code", s.code.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(s.code)},
                              {"discarded", s.discarded}});
        }
        out["boats"].push_back({{"sail", b.sail},
                                {"boat", b.boat},
                                {"class", b.boat_class.empty() ? nlohmann::ordered_json(nullptr)
                                                               : nlohmann::ordered_json(b.boat_class)},
                                {"scores", scores},
                                {"total", JsonPoints(b.total)},
                                {"nett", JsonPoints(b.nett)},
                                {"rank", b.rank}});
    }
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

// The standing, tab-separated or as CSV with the columns a results sheet has.
void PrintTable(std::size_t race_count, const SeriesResults& series, bool csv)
{
    const auto cell = [csv](const std::string& text, CellKind kind) {
        return csv ? CsvCell(text, kind) : TsvField(text, kind);
    };
    const std::string separator = csv ? "," : "\t";
    std::string header = csv ? "Rank,Sail No,Boat,Class,Helm,Club" : "rank\tsail\tboat\tclass";
    for (std::size_t r = 1; r <= race_count; ++r)
        header += separator + "R" + std::to_string(r);
    header += csv ? ",Total,Nett" : "\ttotal\tnett";
    std::printf("%s\n", header.c_str());
    for (const SeriesBoat& b : series.boats) {
        std::string line = cell(std::to_string(b.rank), CellKind::Own) + separator + cell(b.sail, CellKind::Text) +
                           separator + cell(b.boat, CellKind::Text) + separator + cell(b.boat_class, CellKind::Text);
        if (csv)
            line += "," + cell(b.helm, CellKind::Text) + "," + cell(b.club, CellKind::Text);
        for (const SeriesScore& s : b.scores)
            line += separator + cell(ScoreCell(s), CellKind::Own);
        line += separator + cell(FormatPoints(b.total), CellKind::Own) + separator +
                cell(FormatPoints(b.nett), CellKind::Own);
        std::printf("%s\n", line.c_str());
    }
}

// One race read and analysed as results and analyse do it.
struct ScoredRace {
    std::optional<std::vector<RaceResult>> results;
    RaceWindow window;
    std::string why;    // why there are no results
    std::string error;  // the race file or a track did not read
    std::vector<std::string> notes;
};

ScoredRace ScoreRace(const std::string& app_dir, const std::string& race_name, TrackCache& tracks)
{
    ScoredRace out;
    try {
        const AnalysisInput input = ReadAnalysisInput(app_dir, race_name, &tracks);
        const std::int64_t utc = std::int64_t{input.time_diff} * 3600;
        out.window = {race_name, input.start - utc, input.finish - utc};
        const analysis::RaceAnalysis result = analysis::AnalyseRace(input.race);
        out.notes = input.notes;
        out.notes.insert(out.notes.end(), result.notes.begin(), result.notes.end());
        out.results = ResultsOf(input.race, result, input.time_diff, &out.why);
    } catch (const DataError& e) {
        out.error = e.what();
    } catch (const std::exception& e) {
        // Not to end the run from a helper thread.
        out.error = race_name + ": " + e.what();
    }
    return out;
}

} // namespace

std::vector<SeriesEntry> ReadSeriesEntries(Console& console, const std::string& path)
{
    const EntryList list = ReadEntryList(path);
    for (const std::string& problem : list.problems)
        console.Note(path + ": " + problem);
    for (const std::string& duplicate : list.duplicates)
        console.Note(path + ": duplicate " + duplicate);
    std::vector<SeriesEntry> entries;
    for (const Entry& e : list.entries)
        // The name entries --write gives the boat in the race file.
        entries.push_back({e.sail, EntryBoatName(e), e.boat_class, e.helm, e.club});
    return entries;
}

void PrintForScoring(const std::vector<std::vector<RaceResult>>& races, const std::vector<SeriesEntry>* entries)
{
    std::fputs(ForScoringCsv(races, entries).c_str(), stdout);
}

int Series(Console& console, const std::vector<std::string>& args)
{
    int discards = 0;
    std::optional<std::string> entry_list;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--entries") {
            if (i + 1 == args.size() || entry_list)
                return console.Usage();
            entry_list = args[++i];
            continue;
        }
        if (args[i] != "--discards") {
            rest.push_back(args[i]);
            continue;
        }
        const auto value = i + 1 < args.size() ? ParseInteger(args[++i]) : std::nullopt;
        if (!value || *value < 0 || *value > 1000)
            return console.Usage();
        discards = static_cast<int>(*value);
    }
    const auto split = SplitFlags(rest, {"--json", "--csv", "--for-scoring"});
    if (!split || split->names.size() < 2 || (split->Has("--json") && split->Has("--csv")) ||
        (split->Has("--for-scoring") && split->Has("--json")))
        return console.Usage();
    const std::vector<std::string>& names = split->names;

    std::string app_dir;
    std::vector<std::string> race_names;
    std::optional<std::vector<SeriesEntry>> entries;
    try {
        app_dir = WorkspaceFolder(names[0]);
        if (entry_list)
            entries = ReadSeriesEntries(console, *entry_list);
        for (auto typed = names.begin() + 1; typed != names.end(); ++typed) {
            const auto race_name = RaceFileArgument(console, app_dir, *typed);
            if (!race_name)
                return 1;
            race_names.push_back(*race_name);
        }
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    std::vector<ScoredRace> scored(race_names.size());
    {
        // Gone with the block: the tracks are not needed once the races are scored.
        TrackCache tracks;
        Progress progress(console);
        // Races read and analyse apart, so the cores share them; only this
        // thread speaks on the console.
        std::atomic<std::size_t> next{0};
        const auto work = [&](bool speaks) {
            for (std::size_t k; (k = next++) < scored.size();) {
                if (speaks)
                    progress.Show("race " + std::to_string(k + 1) + "/" + std::to_string(scored.size()) + ": " +
                                  race_names[k]);
                scored[k] = ScoreRace(app_dir, race_names[k], tracks);
            }
        };
        const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
        const std::size_t helpers = std::min(cores, scored.size()) - 1;
        std::vector<std::thread> threads;
        try {
            for (std::size_t t = 0; t < helpers; ++t)
                threads.emplace_back(work, false);
        } catch (const std::system_error&) {
            // A thread the system refuses is only a helper less.
        }
        work(true);
        for (std::thread& t : threads)
            t.join();
    }
    std::vector<std::vector<RaceResult>> races;
    std::vector<RaceWindow> windows;
    for (std::size_t k = 0; k < scored.size(); ++k) {
        const std::string& typed = names[k + 1];
        for (const std::string& note : scored[k].notes)
            console.Note(typed + ": " + note);
        if (!scored[k].error.empty())
            return console.Fail(scored[k].error);
        if (!scored[k].results)
            return console.Fail(typed + ": the race cannot be scored: " + scored[k].why);
        races.push_back(std::move(*scored[k].results));
        windows.push_back(scored[k].window);
        windows.back().name = typed;
    }
    for (const std::string& note : OverlapNotes(races, windows))
        console.Note(note);
    if (split->Has("--for-scoring")) {
        PrintForScoring(races, entries ? &*entries : nullptr);
        return 0;
    }
    std::string why;
    const auto series = ScoreSeries(races, discards, &why, entries ? &*entries : nullptr);
    if (!series)
        return console.Fail(why);
    for (const std::string& note : series->notes)
        console.Note(note);
    if (split->Has("--json"))
        PrintJson(race_names, *series);
    else
        PrintTable(races.size(), *series, split->Has("--csv"));
    return 0;
}

} // namespace tackedit::cli
