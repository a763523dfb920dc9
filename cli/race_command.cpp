// race: a race file as the editor reads it, printed as JSON; optionally written
// back under another name as Save Data writes it.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "platform/null_platform.h"
#include "race/compile_core.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "base/workspace_files.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tackedit::cli {

namespace {

std::string IsoTime(DateTime value)
{
    return FormatIsoDateTime(DecodeDateTimeToSecond(value));
}

nlohmann::ordered_json RaceJson(const RaceSettings& r)
{
    nlohmann::ordered_json boats = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < static_cast<std::size_t>(r.BoatCount); ++i)
        boats.push_back({{"BoatGpsFile", r.BoatGpsFile[i]},
                         {"BoatName", r.BoatName[i]},
                         {"BoatClass", r.BoatClass[i]},
                         {"BoatTcf", r.BoatTcf[i]},
                         {"BoatStartOffset", r.BoatStartOffset[i]},
                         {"BoatShown", r.BoatShown[i]},
                         {"BoatEntered", r.BoatEntered[i]}});
    return {{"Title1", r.Title1},
            {"Title2", r.Title2},
            {"MagVar", r.MagVar},
            {"Loa", r.Loa},
            {"StartTime", IsoTime(r.StartTime)},
            {"FinishTime", IsoTime(r.FinishTime)},
            {"TimeDiff", r.TimeDiff},
            {"PlaySpeedAfter", r.PlaySpeedAfter},
            {"PlaySpeedPre", r.PlaySpeedPre},
            {"LayUp", r.LayUp},
            {"LayDown", r.LayDown},
            {"PreStartMin", r.PreStartMin},
            {"NorthUp", r.NorthUp},
            {"CtFlag", r.CtFlag},
            {"ClassesOn", r.ClassesOn},
            {"ClassNames", r.ClassNames},
            {"Boats", boats},
            {"MapNames", r.MapNames},
            {"Lighthouse", r.Lighthouse},
            {"AttachmentNames", r.AttachmentNames},
            {"WindFile", r.WindFile},
            {"WindDir", r.WindDir},
            {"MarkList", r.MarkList},
            {"LineList", r.LineList},
            {"RlList", r.RlList},
            {"CourseList", r.CourseList},
            {"PicFolder", r.PicFolder},
            {"PicTimeCorr", r.PicTimeCorr},
            {"PicSize", r.PicSize},
            {"NoteText", r.NoteText},
            {"GfText", r.GfText},
            {"AddArea", r.AddArea},
            {"ReplayFrom", r.ReplayFrom},
            {"ReplayTo", r.ReplayTo}};
}

// As Save Data makes them before it writes the race file, which then names them.
std::vector<std::string> MakeTrbCopies(Console& console, const RaceSettings& race, const std::string& app_dir)
{
    TrackStore track;
    TrackEditState edit;
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    Progress progress(console);
    std::vector<std::string> trb_files;
    std::vector<TrbLeftOut> left_out;
    ConvertGpsFilesToTrb(race, app_dir, track, edit, services,
                         [&progress](const std::string& name) { progress.Show("making " + name); }, trb_files,
                         &left_out);
    for (const TrbLeftOut& boat : left_out)
        NoteLeftOut(console, trb_files[boat.boat], boat.left_out);
    return trb_files;
}

} // namespace

int Race(Console& console, const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return console.Usage();
    const std::string app_dir = WorkspaceFolder(args[0]);
    int ui_language = 2;
    std::optional<std::string> write_name;
    bool minimize = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--japanese")
            ui_language = 0;
        else if (args[i] == "--write" && i + 1 < args.size())
            write_name = args[++i];
        else if (args[i] == "--minimize")
            minimize = true;
        else
            return console.Usage();
    }
    if (minimize && !write_name)
        return console.Usage();
    const auto race_name = RaceFileArgument(console, app_dir, args[1]);
    if (!race_name)
        return 1;
    const std::string& name = *race_name;

    const std::string folder = app_dir + "raceadmin";
    const auto path = FindWorkspaceFile(folder, name);
    if (!path)
        return console.Fail(folder + "/" + name + ": no such race file");
    if (write_name && !IsBareFileName(*write_name))
        return console.Fail(*write_name + ": the new race file must be a bare file name");
    // Save Data's ending: the compile screen lists only .txt files.
    if (write_name)
        write_name = RaceFileNameFromAnswer(*write_name);

    RaceSettings race;  // the start-up values
    RaceFileSkips skipped;
    try {
        ReadRaceFile(*path, app_dir, ui_language, race, &skipped);
        if (skipped.full_boats > 0)
            console.Note(name + ": " + BoatsPastLimitNote(skipped.full_boats));
        if (write_name) {
            RaceWriteOptions options;
            options.ui_language = ui_language;
            options.wind_file_box = race.WindFile;
            options.minimize_on_save = minimize;
            if (minimize)
                options.trb_files = MakeTrbCopies(console, race, app_dir);
            WriteRaceFile(folder + "/" + *write_name, race, options);
        }
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    std::printf("%s\n", RaceJson(race).dump(2).c_str());
    return 0;
}

} // namespace tackedit::cli
