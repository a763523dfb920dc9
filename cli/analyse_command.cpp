// analyse: the race as a debrief tells it, from the race analysis.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "replay/analysis_input.h"
#include "base/data_error.h"
#include "base/table_cells.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace tackedit::cli {

namespace {

using nlohmann::ordered_json;
using analysis::AnalysisRace;
using analysis::BoatAnalysis;
using analysis::RaceAnalysis;

constexpr double kKnotsPerMs = 3600.0 / 1852.0;

// "2026-05-16T11:00:00Z", with tenths of a second where the time has them.
std::string UtcTime(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(seconds * 10));
    const long long whole = tenths >= 0 ? tenths / 10 : -((-tenths + 9) / 10);
    const auto day = std::chrono::floor<std::chrono::days>(std::chrono::sys_seconds{std::chrono::seconds{whole}});
    const std::chrono::year_month_day date{day};
    const long long in_day = whole - std::chrono::sys_seconds{day}.time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), in_day / 3600,
                  in_day / 60 % 60, in_day % 60);
    std::string out = text;
    if (const long long frac = tenths - whole * 10; frac != 0)
        out += "." + std::to_string(frac);
    return out + "Z";
}

// "1:02:03.4"
std::string Clock(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(seconds * 10));
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", tenths / 36000, tenths / 600 % 60, tenths / 10 % 60,
                  tenths % 10);
    return text;
}

// Rounded to tenths (metres, seconds, knots): more would be noise.
double Tenths(double value) { return std::round(value * 10) / 10; }
std::string Fixed(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

template <typename T, typename F>
ordered_json OrNull(const std::optional<T>& value, F f)
{
    return value ? ordered_json(f(*value)) : ordered_json(nullptr);
}

ordered_json BoatJson(const analysis::AnalysisBoat& in, const BoatAnalysis& b)
{
    const auto tenths = [](double v) { return Tenths(v); };
    const auto time = [](double v) { return UtcTime(v); };
    ordered_json boat = {{"name", in.name}, {"file", in.file}, {"status", analysis::StatusCode(b.status)},
                         {"status_reason", b.status_reason}};
    const analysis::StartFigures& s = b.start;
    boat["start"] = {{"gun", UtcTime(s.gun)},
                     {"distance_to_line_m", OrNull(s.distance_to_line_m, tenths)},
                     {"speed_kn", OrNull(s.speed_kn, tenths)},
                     {"over_at_gun", s.over_at_gun},
                     {"returned", s.returned},
                     {"crossed", OrNull(s.crossed, time)},
                     {"late_s", OrNull(s.late_s, tenths)}};
    ordered_json roundings = ordered_json::array();
    for (const analysis::Rounding& r : b.roundings)
        roundings.push_back({{"mark", r.mark}, {"at", UtcTime(r.at)}, {"rank", r.rank}});
    boat["roundings"] = std::move(roundings);
    ordered_json legs = ordered_json::array();
    for (const analysis::LegFigures& l : b.legs)
        legs.push_back({{"from", l.from},
                        {"to", l.to},
                        {"elapsed_s", Tenths(l.elapsed_s)},
                        {"sailed_m", Tenths(l.sailed_m)},
                        {"avg_speed_kn", Tenths(l.avg_speed_kn)},
                        {"vmg_kn", Tenths(l.vmg_kn)},
                        {"tacks", l.tacks},
                        {"gybes", l.gybes},
                        {"places_gained", l.places_gained}});
    boat["legs"] = std::move(legs);
    if (b.finish_at)
        boat["finish"] = {{"at", UtcTime(*b.finish_at)},
                          {"elapsed_s", OrNull(b.elapsed_s, tenths)},
                          {"corrected_s", OrNull(b.corrected_s, tenths)},
                          {"rank", OrNull(b.rank, [](int r) { return r; })}};
    else
        boat["finish"] = nullptr;
    boat["tacks"] = b.tacks;
    boat["gybes"] = b.gybes;
    boat["sailed_m"] = Tenths(b.sailed_m);
    boat["max_speed_kn"] = Tenths(b.max_speed_kn);
    boat["fixes_rejected"] = b.motion.fixes_rejected;
    return boat;
}

void PrintJson(const AnalysisRace& race, const RaceAnalysis& result, const std::vector<std::string>& notes)
{
    ordered_json course = ordered_json::array();
    for (const std::string& c : race.course)
        course.push_back(c);
    ordered_json out;
    out["race"] = {{"title", race.title},
                   {"gun", UtcTime(race.gun)},
                   {"wind_from_deg", OrNull(race.wind_from_deg, [](double v) { return Tenths(v); })},
                   {"course", std::move(course)}};
    ordered_json boats = ordered_json::array();
    for (std::size_t k = 0; k < result.boats.size(); ++k)
        boats.push_back(BoatJson(race.boats[k], result.boats[k]));
    out["boats"] = std::move(boats);
    out["notes"] = notes;
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
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
        const std::string elapsed = b.elapsed_s ? Clock(*b.elapsed_s) : "";
        const std::string corrected = b.corrected_s ? Clock(*b.corrected_s) : "";
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
