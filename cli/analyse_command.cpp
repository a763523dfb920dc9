// analyse: the race as a debrief tells it, from the race analysis.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "replay/analysis_input.h"
#include "replay/analysis_report.h"
#include "base/data_error.h"
#include "base/table_cells.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <iterator>

namespace tackedit::cli {

namespace {

using analysis::AnalysisRace;
using analysis::BoatAnalysis;
using analysis::RaceAnalysis;

std::string Fixed(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void PrintJson(const AnalysisRace& race, const RaceAnalysis& result, const std::vector<std::string>& notes)
{
    std::printf("%s\n", AnalysisReport(race, result, notes).dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

std::string Join(const std::vector<std::string>& cells, char separator)
{
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i)
        line += (i ? std::string(1, separator) : std::string()) + cells[i];
    return line;
}

// The table, or with `csv` one row per boat and one per rounding.
void PrintTable(const AnalysisRace& race, const RaceAnalysis& result, bool csv)
{
    const auto cell = [csv](const std::string& text, CellKind kind) {
        return csv ? CsvCell(text, kind) : TsvField(text, kind);
    };
    const auto own = [&cell](const std::string& text) { return cell(text, CellKind::Own); };
    const char separator = csv ? ',' : '\t';
    if (csv)
        std::printf("row,boat,status,mark,at,rank,elapsed,corrected,tacks,gybes,sailed_m,max_speed_kn\n");
    else
        std::printf("rank\tboat\tstatus\tfinish\telapsed\tcorrected\ttacks\tgybes\tsailed_m\tmax_speed_kn\n");
    for (std::size_t k = 0; k < result.boats.size(); ++k) {
        const BoatAnalysis& b = result.boats[k];
        const std::string rank = b.rank ? std::to_string(*b.rank) : "";
        const std::string finish = b.finish_at ? UtcTime(*b.finish_at) : "";
        const std::string elapsed = b.elapsed_s ? ElapsedClock(*b.elapsed_s) : "";
        const std::string corrected = b.corrected_s ? ElapsedClock(*b.corrected_s) : "";
        const std::string figures[] = {own(std::to_string(b.tacks)), own(std::to_string(b.gybes)),
                                       own(Fixed(b.sailed_m)), own(Fixed(b.max_speed_kn))};
        std::vector<std::string> cells;
        if (csv)
            cells = {"boat", cell(race.boats[k].name, CellKind::Text), own(analysis::StatusCode(b.status)), "",
                     own(finish), own(rank), own(elapsed), own(corrected)};
        else
            cells = {own(rank), cell(race.boats[k].name, CellKind::Text), own(analysis::StatusCode(b.status)),
                     own(finish), own(elapsed), own(corrected)};
        cells.insert(cells.end(), std::begin(figures), std::end(figures));
        std::printf("%s\n", Join(cells, separator).c_str());
        if (csv)
            for (const analysis::Rounding& r : b.roundings)
                std::printf("%s\n", Join({"rounding", cell(race.boats[k].name, CellKind::Text), "", cell(r.mark, CellKind::Text),
                                          own(UtcTime(r.at)), own(std::to_string(r.rank)), "", "", "", "", "", ""},
                                         separator)
                                        .c_str());
    }
    if (csv)
        return;
    std::printf("\nboat\tmark\tat\trank\n");
    for (std::size_t k = 0; k < result.boats.size(); ++k)
        for (const analysis::Rounding& r : result.boats[k].roundings)
            std::printf("%s\n", Join({cell(race.boats[k].name, CellKind::Text), cell(r.mark, CellKind::Text),
                                      own(UtcTime(r.at)), own(std::to_string(r.rank))},
                                     '\t')
                                    .c_str());
}

} // namespace

int Analyse(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--json", "--csv"});
    if (!split || split->names.size() != 2)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    const std::string format = split->flags.empty() ? std::string() : split->flags.back();
    AnalysisInput input;
    RaceAnalysis result;
    {
        Progress progress(console);
        try {
            const std::string app_dir = WorkspaceFolder(names[0]);
            const auto race_name = RaceFileArgument(console, app_dir, names[1]);
            if (!race_name)
                return 1;
            progress.Show(*race_name + ": reading the tracks");
            input = ReadAnalysisInput(app_dir, *race_name);
        } catch (const DataError& e) {
            return console.Fail(e.what());
        }
        progress.Show(names[1] + ": analysing");
        result = analysis::AnalyseRace(input.race);
    }
    std::vector<std::string> notes = input.notes;
    notes.insert(notes.end(), result.notes.begin(), result.notes.end());
    if (format == "--json") {
        PrintJson(input.race, result, notes);
        return 0;
    }
    for (const std::string& note : notes)
        console.Note(names[1] + ": " + note);
    PrintTable(input.race, result, format == "--csv");
    return 0;
}

} // namespace tackedit::cli
