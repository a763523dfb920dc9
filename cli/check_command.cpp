// check: a race's findings before it is shown; shift: a track with its clock mended.

#include "check/photo_time.h"
#include "check/race_check.h"
#include "check/track_shift.h"
#include "cli/cli_common.h"
#include "cli/progress.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/table_cells.h"
#include "base/workspace_files.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace tackedit::cli {

namespace {

nlohmann::ordered_json TimeOrNull(const std::optional<DateTime>& time)
{
    if (!time)
        return nullptr;
    return FormatIsoDateTime(DecodeDateTimeToSecond(*time));
}

double Rounded(double value, double step) { return std::round(value / step) * step; }

nlohmann::ordered_json CheckJson(const RaceCheckResult& result)
{
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const Finding& f : result.findings) {
        nlohmann::ordered_json finding{{"severity", SeverityName(f.severity)}, {"subject", f.subject},
                                       {"message", f.message}};
        if (f.shift_seconds)
            finding["fix"] = {{"shift_seconds", *f.shift_seconds}};
        else if (f.use_file)
            finding["fix"] = {{"use_file", *f.use_file}};
        findings.push_back(std::move(finding));
    }
    nlohmann::ordered_json boats = nlohmann::ordered_json::array();
    for (const BoatCheck& b : result.boats)
        boats.push_back({{"name", b.name},
                         {"file", b.file},
                         {"points", b.points},
                         {"first", TimeOrNull(b.first)},
                         {"last", TimeOrNull(b.last)},
                         {"coverage", Rounded(b.coverage, 1e-4)},
                         {"largest_gap", Rounded(b.largest_gap, 1e-3)},
                         {"jumps", b.jumps},
                         {"zero_points", b.zero_points},
                         {"backward", b.backward},
                         {"shift_seconds", b.shift_seconds ? nlohmann::ordered_json(*b.shift_seconds) : nullptr}});
    return {{"findings", findings}, {"boats", boats}};
}

} // namespace

int Check(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--json"});
    if (!split || split->names.size() != 2)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    const bool json = split->Has("--json");
    const std::string app_dir = WorkspaceFolder(names[0]);
    const auto race_name = RaceFileArgument(console, app_dir, names[1]);
    if (!race_name)
        return 1;
    if (!FindWorkspaceFile(app_dir + "raceadmin", *race_name))
        return console.Fail(EscapeControlCharacters(app_dir + "raceadmin/" + *race_name) + ": no such race file");
    Progress progress(console);
    const auto show = [&](const std::string& what, std::size_t number, std::size_t count) {
        progress.Show(what, number, count);
    };
    const RaceCheckResult result = CheckRaceFile(app_dir, *race_name, ReadCaptureTime, show);
    console.ClearProgressLine();
    if (json) {
        std::printf("%s\n", CheckJson(result).dump(2).c_str());
    } else {
        for (const Finding& f : result.findings)
            std::printf("%s\t%s\t%s\n", SeverityName(f.severity), TsvField(f.subject).c_str(),
                        TsvField(f.message).c_str());
    }
    if (std::fflush(stdout) != 0)
        return console.Fail("cannot write the output");
    if (result.Count(Severity::Error) > 0)
        return 1;
    return result.Count(Severity::Warning) > 0 ? 3 : 0;
}

int Shift(Console& console, const std::vector<std::string>& args)
{
    if (args.size() != 4)
        return console.Usage();
    const std::string& out = args[1];
    const auto amount = ParseReal(args[3]);
    double unit = 0;
    if (args[2] == "--hours")
        unit = 3600;
    else if (args[2] == "--seconds")
        unit = 1;
    else if (args[2] == "--weeks")
        unit = 7 * 86400;
    if (unit == 0 || !amount || !std::isfinite(static_cast<double>(*amount)))
        return console.Usage();
    if (!EndsWithNoCase(out, ".trb") && !EndsWithNoCase(out, ".gpx")) {
        std::fprintf(stderr, "tackedit-cli: %s: the output must end in .trb or .gpx\n", out.c_str());
        return console.Usage();
    }
    try {
        const ShiftedCopy copy = WriteShiftedCopy(args[0], out, static_cast<double>(*amount) * unit);
        NoteLeftOut(console, out, copy.left_out);
        if (!console.quiet)
            std::printf("wrote %d points\n", copy.points);
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    return 0;
}

} // namespace tackedit::cli
