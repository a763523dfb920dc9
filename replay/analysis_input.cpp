#include "replay/analysis_input.h"

#include "race/course.h"
#include "race/race_settings.h"
#include "replay/replay_data.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tackedit {

AnalysisInput MakeAnalysisInput(const RaceSettings& settings, ReplayRace& replay, bool whole_tracks)
{
    AnalysisInput in;
    analysis::AnalysisRace& race = in.race;
    race.title = replay.title1;
    if (!replay.title2.empty())
        race.title += race.title.empty() ? replay.title2 : " " + replay.title2;
    // The race's times are local; TD is local minus UTC.
    const double utc_shift = -3600.0 * replay.time_diff;
    race.gun = static_cast<double>(replay.start) + utc_shift;

    race.marks.assign(replay.mark_count, std::nullopt);
    for (const ReplayMark& m : replay.marks) {
        const std::size_t k = std::stoul(m.label);
        if (k >= 1 && k <= race.marks.size())
            race.marks[k - 1] = std::pair{m.lat, m.lon};
    }
    // The analysis takes the first LN as the start and the last as the
    // finish: with either of them left out, another line would stand in for
    // it and rank boats wrongly, so then no line is given at all.
    const bool ends_placed = !replay.lines.empty() && replay.lines.front().number == 1 &&
                             replay.lines.back().number == replay.line_count;
    if (ends_placed)
        for (const ReplayLine& l : replay.lines)
            race.lines.push_back({l.lat1, l.lon1, l.lat2, l.lon2});
    else if (replay.line_count > 0)
        in.notes.push_back("The start or finish line lies near no track: the race is not scored");
    // The entries as the check and the results read them ("s", "f", "02"); one
    // that names nothing stays as written, for the analysis to name in its note.
    for (const std::string& entry : replay.course) {
        const CourseEntry named = ReadCourseEntry(entry, replay.mark_count, replay.line_count);
        race.course.push_back(named.kind == CourseEntry::Start    ? std::string("S")
                              : named.kind == CourseEntry::Finish ? std::string("F")
                              : named.kind == CourseEntry::Mark   ? std::to_string(named.mark)
                                                                  : entry);
    }

    // WD and the wind file are magnetic, as the replay page reads them.
    race.wind_from_deg = replay.wind_dir + replay.mag_var;
    for (const ReplayWind& w : replay.wind)
        race.wind.push_back({static_cast<double>(w.time) + utc_shift, w.direction + replay.mag_var});
    race.boat_length_m = settings.Loa;

    // A logger left on all day also holds the sail home and the next race: a
    // finish crossed then is no finish of this race. Half an hour past the
    // race's end is still kept, since FT is often set before the last boat is in.
    double keep_from = race.gun - 600, keep_to = std::numeric_limits<double>::infinity();
    if (replay.replay_to > replay.replay_from)
        keep_from = std::min(keep_from, race.gun + replay.replay_from);
    const double last = std::max(static_cast<double>(replay.finish - replay.start),
                                 replay.replay_to > replay.replay_from ? double(replay.replay_to) : 0.0);
    if (last > 0)
        keep_to = race.gun + last + 1800;
    race.boats.reserve(replay.boats.size());
    for (std::size_t k = 0; k < replay.boats.size(); ++k) {
        ReplayBoat& b = replay.boats[k];
        analysis::AnalysisBoat boat;
        boat.name = b.name;
        boat.file = b.file;
        const int cls = k < settings.BoatClass.size() ? settings.BoatClass[k] : 0;
        if (settings.ClassesOn != 0 && cls >= 1 && cls <= settings.ClassCount())
            boat.boat_class = settings.ClassNames[static_cast<std::size_t>(cls - 1)];
        boat.tcf = b.tcf;
        boat.start_offset_s = b.start_offset;
        boat.entered = b.entered;
        boat.fixes = std::move(b.utc_fixes);
        if (!whole_tracks)
            std::erase_if(boat.fixes, [&](const analysis::RawFix& f) { return f.t < keep_from || f.t > keep_to; });
        race.boats.push_back(std::move(boat));
    }
    in.time_diff = replay.time_diff;
    in.start = replay.start;
    in.finish = replay.finish;
    in.notes.insert(in.notes.begin(), replay.notes.begin(), replay.notes.end());
    return in;
}

AnalysisInput ReadAnalysisInput(const std::string& app_dir, const std::string& race_file, TrackCache* tracks)
{
    ReplayReadOptions options;
    options.pictures = false;
    options.land = false;
    options.utc_fixes = true;
    options.tracks = tracks;
    RaceSettings settings;
    ReplayRace replay = ReadReplayRace(app_dir, race_file, options, &settings);
    return MakeAnalysisInput(settings, replay);
}

} // namespace tackedit
