// split: the day's races from one race file, at the start times the committee
// logged or those found in the tracks.

#include "cli/cli_common.h"
#include "entries/day_split.h"
#include "replay/day_starts.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "base/numbers.h"

#include <cmath>
#include <cstdio>

namespace tackedit::cli {

int Split(Console& console, const std::vector<std::string>& args)
{
    std::optional<std::string> starts_text, finish_text;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--starts" && args[i] != "--finish-after") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size())
            return console.Usage();
        std::optional<std::string>& value = args[i] == "--starts" ? starts_text : finish_text;
        value = args[++i];
    }
    const auto split = SplitFlags(rest, {"--detect"});
    if (!split || split->names.size() != 2 || starts_text.has_value() == split->Has("--detect"))
        return console.Usage();

    long finish_after = kDefaultFinishAfter;
    if (finish_text) {
        const auto seconds = ParseFinishAfter(*finish_text);
        if (!seconds)
            return console.Fail("--finish-after " + *finish_text + ": not a positive number of minutes");
        finish_after = *seconds;
    }
    try {
        const std::vector<DateTime> times = starts_text ? ParseStartTimes(*starts_text) : std::vector<DateTime>{};
        const std::string app_dir = WorkspaceFolder(split->names[0]);
        const auto race_name = RaceFileArgument(console, app_dir, split->names[1]);
        if (!race_name)
            return 1;
        const SplitSource source = ReadSplitSource(app_dir, *race_name);
        std::vector<DateTime> starts;
        for (const DateTime time : times)
            starts.push_back(source.day + time);
        if (!starts_text) {
            std::vector<std::string> notes;
            const std::vector<FoundStart> found = DetectStarts(source, notes);
            for (const std::string& note : notes)
                console.Note(note);
            for (const FoundStart& start : found) {
                console.Note("start " + FormatRaceDateTime(start.start) + ": " + start.how);
                starts.push_back(start.start);
            }
        }
        const DaySplit plan = PlanDaySplit(source, starts, finish_after);
        for (const std::string& note : plan.notes)
            console.Note(note);
        WriteDaySplit(source, plan);
        for (const std::string& name : plan.names)
            std::printf("%s\n", name.c_str());
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    return std::fflush(stdout) == 0 ? 0 : console.Fail("cannot write the output");
}

} // namespace tackedit::cli
