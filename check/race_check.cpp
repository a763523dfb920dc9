#include "check/race_check.h"

#include "check/timer_check.h"
#include "check/track_shift.h"
#include "editor/editor_core.h"
#include "pictures/picture_index.h"
#include "platform/null_platform.h"
#include "platform/text_codec.h"
#include "race/course.h"
#include "race/race_file.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "track/track_loader.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

namespace tackedit {

namespace {

namespace fs = std::filesystem;
using namespace texts::check;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

// Cut, not rounded, so 89.96 % never reads as the 90.0 % it falls short of.
std::string Percent(double share)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", std::floor(share * 1000 + 1e-9) / 10);
    return text;
}

// The race's own clock: local time as the race file writes it.
std::string RaceClock(DateTime local) { return FormatRaceDateTime(std::round(local * SecondsPerDay) / SecondsPerDay); }

std::string TimeOfDay(DateTime local)
{
    const DateTimeParts p = DecodeDateTimeToSecond(local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", p.hour, p.minute, p.second);
    return text;
}

class Findings {
public:
    Findings(RaceCheckResult& result, int ui_language) : result_(result), language(ui_language) {}

    void Race(Severity severity, const std::string& message)
    {
        result_.findings.push_back({severity, Say(kRace), EscapeControlCharacters(message), 0, {}, {}});
    }
    void Boat(int boat, Severity severity, const std::string& message,
              std::optional<std::int64_t> shift_seconds = std::nullopt, std::optional<std::string> use_file = {})
    {
        const BoatCheck& b = result_.boats[static_cast<std::size_t>(boat - 1)];
        result_.findings.push_back(
            {severity, EscapeControlCharacters(b.name.empty() ? Say(kBoatN, {std::to_string(boat)}) : b.name),
             EscapeControlCharacters(message), boat, shift_seconds, std::move(use_file)});
    }
    std::string Say(const Text& text, std::initializer_list<std::string> args = {}) const
    {
        return tackedit::Say(text, language, args);
    }
    std::string Count(std::int64_t n, const Text& unit) const { return CountOf(n, unit, language); }

private:
    RaceCheckResult& result_;

public:
    const int language;
};

// What the race file writer would refuse: a comma splits the field, and a
// character Shift-JIS has no code for cannot be stored.
void CheckText(Findings& out, const std::string& text, const std::string& what)
{
    std::string bad;
    if (!Utf8ToCp932(text, &bad))
        out.Race(Severity::Error, out.Say(texts::kFieldCannotStore, {what, text, bad}));
    else if (text.find(',') != std::string::npos)
        out.Race(Severity::Error, out.Say(texts::kFieldComma, {what, text}));
}

void CheckTexts(Findings& out, const RaceSettings& race, const RaceCheckInput& input)
{
    if (!input.race_file_name.empty()) {
        std::string bad;
        if (!Utf8ToCp932(input.race_file_name, &bad))
            out.Race(Severity::Error, out.Say(kNameCannotStore, {input.race_file_name, bad}));
    }
    CheckText(out, race.Title1, out.Say(kTitle1));
    CheckText(out, race.Title2, out.Say(kTitle2));
    for (std::size_t c = 0; c < race.ClassNames.size(); ++c)
        CheckText(out, race.ClassNames[c], out.Say(kClassN, {std::to_string(c + 1)}));
    for (std::size_t i = 0; i < static_cast<std::size_t>(race.BoatCount); ++i) {
        CheckText(out, race.BoatName[i], out.Say(kBoatName, {std::to_string(i + 1)}));
        CheckText(out, race.BoatGpsFile[i], out.Say(kBoatFile, {std::to_string(i + 1)}));
    }
    for (const std::string& name : race.MapNames)
        CheckText(out, name, out.Say(kMapName));
    for (const std::string& name : race.AttachmentNames)
        CheckText(out, name, out.Say(kAttachment));
    CheckText(out, race.WindFile, out.Say(kWindFile));
    for (const std::string& entry : race.CourseList)
        CheckText(out, entry, out.Say(kCourseEntry));
}

// An entry naming nothing leaves the viewer's course wrong and the results unscored.
void CheckCourse(Findings& out, const RaceSettings& race)
{
    for (std::size_t i = 0; i < race.CourseList.size(); ++i) {
        const std::string& entry = race.CourseList[i];
        const std::string number = std::to_string(i + 1);
        switch (ReadCourseEntry(entry, race.MarkList.size(), race.LineList.size()).kind) {
        case CourseEntry::NoSuchMark:
            out.Race(Severity::Error, out.Say(kCourseNoMark, {number, entry, std::to_string(race.MarkList.size())}));
            break;
        case CourseEntry::NoLine: out.Race(Severity::Error, out.Say(kCourseNoLine, {number, entry})); break;
        case CourseEntry::Unknown: out.Race(Severity::Error, out.Say(kCourseUnknown, {number, entry})); break;
        default: break;
        }
    }
}

// A map the user never chose is a puzzle unless the finding says where it came from.
std::string PresetMapHint(const Findings& out, const RaceCheckInput& input, const std::string& name)
{
    const auto& maps = input.preset.maps;
    if (input.preset.file.empty() || std::find(maps.begin(), maps.end(), name) == maps.end())
        return "";
    return out.Say(kPresetMap, {input.preset.file});
}

void CheckWorkspaceFiles(Findings& out, const RaceSettings& race, const RaceCheckInput& input)
{
    const std::string& dir = input.app_dir;
    if (!race.WindFile.empty() && !FindWorkspaceFile(dir + "winddat", race.WindFile))
        out.Race(Severity::Error, out.Say(kNoWindFile, {race.WindFile}));
    for (const std::string& name : race.AttachmentNames)
        if (!FindWorkspaceFile(dir + "attachment", name))
            out.Race(Severity::Error, out.Say(kNoAttachment, {name}));
    for (const std::string& name : input.skipped.attachments)
        out.Race(Severity::Error, out.Say(kAttachmentLeftOut, {name}));
    if (input.skipped.missing_attachments > static_cast<std::int64_t>(input.skipped.attachments.size()))
        out.Race(Severity::Error, out.Say(kAttachmentsLeftOut, {std::to_string(input.skipped.missing_attachments),
                                                                std::to_string(input.skipped.attachments.size())}));
    for (const std::string& name : race.MapNames)
        if (!FindWorkspaceFile(dir + "coastline", name) && !FindWorkspaceFile(dir + "coastline", name + ".cst"))
            out.Race(Severity::Error, out.Say(kNoMap, {name, PresetMapHint(out, input, name)}));
    if (race.Lighthouse > 0 && !FindWorkspaceFile(dir + "coastline", "jlh.lh"))
        out.Race(Severity::Error, out.Say(kNoLighthouses));
    if (!FindWorkspaceFile(dir, input.viewer_exe))
        out.Race(Severity::Error, out.Say(kNoViewer, {input.viewer_exe}));
}

// Pictures are told by their camera's local time with the race's correction,
// against the start and finish as the race gives them.
void CheckPictures(Findings& out, const RaceSettings& race, const RaceCheckInput& input)
{
    const std::string pic_root = input.app_dir + "pic/";
    const std::string named = ResolvePictureFolder(input.app_dir, race.PicFolder);
    const std::string folder = PictureFolderPath(named);
    if (folder.empty()) {
        out.Race(Severity::Warning, out.Say(kPictureFolderDotDot, {race.PicFolder}));
        return;
    }
    if (!IsFolder(folder)) {
        if (folder == pic_root)
            return;  // no folder named and no pic/ folder: a race without pictures
        out.Race(Severity::Warning, out.Say(kNoPictureFolder, {folder}));
        return;
    }
    if (PictureFolderOutsideWorkspace(input.app_dir, folder))
        out.Race(Severity::Warning, out.Say(kPictureFolderOutside, {folder}));
    if (!input.capture_time)
        return;
    // The compile screen's count, by the same rule, so that the two agree.
    RaceSettings kept_race = race;
    kept_race.PicFolder = folder;
    SetReplayWindow(kept_race);
    PictureIndex index;
    NullPendingEvents events;
    IndexPictures(kept_race, index, events);
    int inside = 0;
    const std::vector<PictureFile> files = ListPictureFiles(folder);
    for (std::size_t k = 0; k < files.size(); ++k) {
        const PictureFile& file = files[k];
        if (input.progress)
            input.progress("picture", k + 1, files.size());
        const auto taken = input.capture_time(folder + "/" + file.name);
        if (!taken)
            continue;
        const DateTime corrected = *taken + race.PicTimeCorr / SecondsPerDay;
        if (corrected >= race.StartTime && corrected <= race.FinishTime)
            ++inside;
    }
    out.Race(Severity::Info, out.Say(kPicturesInRace, {std::to_string(inside), std::to_string(kept_race.PictureFileCount),
                                                     folder, std::to_string(kept_race.PictureCount)}));
    if (index.UnreadableCount > 0)
        out.Race(Severity::Warning, out.Say(kPicturesUnreadable, {std::to_string(index.UnreadableCount), folder}));
}

void CheckBoatList(Findings& out, const RaceCheckResult& result)
{
    if (result.boats.empty())
        out.Race(Severity::Error, out.Say(kNoBoats));
    std::map<std::string, std::vector<int>> by_file, by_name;
    for (std::size_t i = 0; i < result.boats.size(); ++i) {
        by_file[Lower(result.boats[i].file)].push_back(static_cast<int>(i + 1));
        by_name[result.boats[i].name].push_back(static_cast<int>(i + 1));
    }
    const auto list = [&](const std::vector<int>& boats) {
        std::string text;
        for (std::size_t k = 0; k < boats.size(); ++k)
            text += (k == 0 ? "" : out.Say(k + 1 == boats.size() ? kAnd : kListComma)) + std::to_string(boats[k]);
        return text;
    };
    for (const auto& [file, boats] : by_file)
        if (boats.size() > 1)
            out.Race(Severity::Warning,
                     out.Say(kSameFile, {list(boats), result.boats[static_cast<std::size_t>(boats[0] - 1)].file}));
    for (const auto& [name, boats] : by_name)
        if (boats.size() > 1)
            out.Race(Severity::Warning, out.Say(kSameName, {list(boats), name}));
}

// The viewer reads the kinds the editor always read, not those of watches,
// race timers and apps.
bool ViewerReads(TrackFileKind kind)
{
    switch (kind) {
    case TrackFileKind::Gpx:
    case TrackFileKind::Gdb:
    case TrackFileKind::Trb:
    case TrackFileKind::Trl:
    case TrackFileKind::Text:
    case TrackFileKind::Nmea: return true;
    default: return false;
    }
}

struct RaceWindow {
    DateTime start = 0, finish = 0;  // track time
    DateTime local_start = 0;
    double length = 0;               // seconds; not above 0 when the race has no length
    const RaceSettings* race = nullptr;
};

const Text& ShiftCause(std::int64_t shift)
{
    const std::int64_t magnitude = std::llabs(shift);
    return RolloversIn(shift) != 0 ? kRollover : magnitude <= 14 * 3600 ? kTimeZone : kClockSet;
}

void CheckTrack(Findings& out, int boat, BoatCheck& b, TrackStore& track, const RaceWindow& window)
{
    b.points = track.TrackCount;
    b.zero_points = track.ZeroFixesLeftOut;
    const auto say_zero_points = [&] {
        if (b.zero_points > 0)
            out.Boat(boat, Severity::Warning, out.Say(kZeroPoints, {out.Count(b.zero_points, kPoint)}));
    };
    if (track.TrackCount == 0) {
        out.Boat(boat, Severity::Error, out.Say(kNoPoints, {b.file}));
        say_zero_points();
        return;
    }
    b.first = track.TrackTime[1];
    b.last = track.TrackTime[static_cast<std::size_t>(track.TrackCount)];
    for (std::int32_t i = 2; i <= track.TrackCount; ++i)
        if (track.TrackTime[i] < track.TrackTime[i - 1])
            ++b.backward;
    const auto local = [&](double seconds) { return window.local_start + seconds / SecondsPerDay; };
    const std::string span = out.Say(kSpan, {RaceClock(local((*b.first - window.start) * SecondsPerDay)),
                                             RaceClock(local((*b.last - window.start) * SecondsPerDay))});
    if (window.length > 0) {
        const std::vector<double> seconds = SortedSeconds(track.TrackTime, track.TrackCount, window.start);
        b.coverage = CoverageOf(seconds, 0, window.length);
        const Gap gap = LargestGapOf(seconds, 0, window.length);
        b.largest_gap = gap.Length();
        b.shift_seconds = SuggestShift(seconds, window.length);
        const std::string shift =
            b.shift_seconds
                ? out.Say(kShift, {DescribeShift(*b.shift_seconds, out.language, b.first),
                                   out.Say(ShiftCause(*b.shift_seconds)),
                                   Percent(CoverageOf(seconds, -static_cast<double>(*b.shift_seconds),
                                                      window.length - static_cast<double>(*b.shift_seconds)))})
                : "";

        // The speed test runs over the points recorded inside the window.
        TrackEditState edit;
        edit.FirstPresent = 0;
        for (std::int32_t i = 1; i <= track.TrackCount; ++i)
            if (track.TrackTime[i] >= window.start && track.TrackTime[i] <= window.finish) {
                if (edit.FirstPresent == 0)
                    edit.FirstPresent = i;
                edit.LastPresent = i;
            }
        if (edit.FirstPresent == 0) {
            out.Boat(boat, Severity::Error, out.Say(kNoFixInRace, {span, shift}), b.shift_seconds);
        } else {
            // Fixes of one whole second (a fast logger) count as a second apart, not as jumps.
            b.jumps = RunSpeedTest(track, edit, static_cast<float>(kJumpKnots));
            if (b.coverage < 0.9)
                out.Boat(boat, Severity::Warning, out.Say(kCoverage, {Percent(b.coverage), span, shift}),
                         b.shift_seconds);
            b.course_distance = CourseDistance(track, edit.FirstPresent, edit.LastPresent, *window.race);
            if (b.course_distance && *b.course_distance > kFarFromCourseMetres) {
                char km[32];
                std::snprintf(km, sizeof km, "%.1f", *b.course_distance / 1000);
                out.Boat(boat, Severity::Warning, out.Say(kFarFromCourse, {km}));
            }
            // Track times are day fractions: a gap of exactly five minutes may come out a hair longer.
            if (b.largest_gap > kLongGapSeconds + 1e-3)
                out.Boat(boat, Severity::Warning,
                         out.Say(kLongGap, {FormatDuration(b.largest_gap, out.language), TimeOfDay(local(gap.from)),
                                            TimeOfDay(local(gap.to))}));
        }
    }
    if (b.jumps > 0)
        out.Boat(boat, Severity::Warning,
                 out.Say(kJumps, {out.Count(b.jumps, kPoint), std::to_string(static_cast<int>(kJumpKnots))}));
    if (b.backward > 0)
        out.Boat(boat, Severity::Warning, out.Say(kBackward, {out.Count(b.backward, kTime)}));
    say_zero_points();
    out.Boat(boat, Severity::Info,
             out.Say(kBoatSummary, {out.Count(b.points, kPoint), b.file, span, Percent(b.coverage),
                                    FormatDuration(b.largest_gap, out.language)}));
}

// Every boat off by the same hours points at the race's time difference, not
// at the loggers: mending each track would be the wrong fix.
void CheckTimeDifference(Findings& out, const RaceCheckResult& result, const RaceSettings& race)
{
    std::optional<std::int64_t> common;
    int tracks = 0;
    for (const BoatCheck& b : result.boats) {
        if (b.points == 0)
            continue;
        if (!b.shift_seconds || std::llabs(*b.shift_seconds) > 14 * 3600 || (common && *common != *b.shift_seconds))
            return;
        common = b.shift_seconds;
        ++tracks;
    }
    if (tracks < 2)
        return;
    out.Race(Severity::Warning, out.Say(kTimeDifference, {DescribeShift(*common, out.language),
                                                          std::to_string(race.TimeDiff),
                                                          std::to_string(race.TimeDiff + *common / 3600)}));
}

// A start and finish preset from a track whose clock was off put every other
// boat the same hours away: that track is the suspect, not the other loggers.
void CheckPresetTimes(Findings& out, const RaceCheckResult& result, const RaceCheckInput& input)
{
    if (!input.preset.times || input.preset.file.empty())
        return;
    const BoatCheck* source = nullptr;
    std::optional<std::int64_t> common;
    int others = 0;
    for (const BoatCheck& b : result.boats) {
        if (!source && b.in_race && Lower(b.file) == Lower(input.preset.file)) {
            source = &b;
            continue;
        }
        if (b.points == 0)
            continue;
        if (!b.shift_seconds || (common && *common != *b.shift_seconds))
            return;
        common = b.shift_seconds;
        ++others;
    }
    if (!source || source->points == 0 || source->shift_seconds || others == 0)
        return;
    const std::int64_t shift = *common, magnitude = std::llabs(shift);
    const std::string amount = magnitude % kGpsWeekRollover == 0 ? out.Count(magnitude / (7 * 86400), kWeek)
                               : magnitude % 86400 == 0         ? out.Count(magnitude / 86400, kDay)
                                                                : out.Count(magnitude / 3600, kHour);
    const std::string name = source->name.empty() ? out.Say(kFirstBoat) : source->name;
    out.Race(Severity::Warning,
             out.Say(kPresetTimes, {name, source->file, out.Say(others == 1 ? kOtherBoat : kEveryOtherBoat),
                                    DescribeShift(shift, out.language), DescribeShift(-shift, out.language), amount,
                                    out.Say(shift > 0 ? kEarlier : kLater)}));
}

} // namespace

const char* SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Info: return "info";
    }
    return "info";
}

std::string EscapeControlCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        char code[8];
        if (c < 0x20 || c == 0x7f) {
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(code, sizeof code, "\\u%04X", next);
            out += code;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int RaceCheckResult::Count(Severity severity) const
{
    int n = 0;
    for (const Finding& f : findings)
        n += f.severity == severity ? 1 : 0;
    return n;
}

RaceCheckResult CheckRace(const RaceSettings& race, const RaceCheckInput& input)
{
    RaceCheckResult result;
    Findings out(result, input.ui_language);

    // The race's times are local, the tracks' UTC: TimeDiff is local minus UTC.
    RaceWindow window;
    window.local_start = race.StartTime;
    window.race = &race;
    window.start = race.StartTime - race.TimeDiff / 24.0;
    window.finish = race.FinishTime - race.TimeDiff / 24.0;
    window.length = (window.finish - window.start) * SecondsPerDay;
    // Not RaceSeconds: its stand-in for spans beyond 32 bits would read as a finish before the start.
    const double seconds = (race.FinishTime - race.StartTime) * SecondsPerDay;
    if (!(seconds >= 0.5)) {
        out.Race(Severity::Error, out.Say(kFinishBeforeStart, {RaceClock(race.FinishTime), RaceClock(race.StartTime)}));
        window.length = 0;
    } else {
        if (seconds > 24 * 3600)
            out.Race(Severity::Warning, out.Say(kLongRace, {FormatDuration(seconds, out.language)}));
        out.Race(Severity::Info, out.Say(kRaceWindow, {RaceClock(race.StartTime), RaceClock(race.FinishTime),
                                                       std::to_string(race.TimeDiff), RaceClock(window.start),
                                                       RaceClock(window.finish)}));
    }
    CheckTexts(out, race, input);
    if (!TimeDiffHolds(race.TimeDiff))
        out.Race(Severity::Error, out.Say(kTimeDiffRange, {std::to_string(race.TimeDiff)}));
    CheckCourse(out, race);

    // Boats in file order, those the reader left out in their places. Lines
    // past the last boat a race holds are counted, not listed: each is no boat
    // of this race.
    std::vector<int> race_boat;  // per check boat: index into the race, or -1
    std::size_t next_skip = 0;
    const auto& skips = input.skipped.boats;
    for (int i = 0; i <= race.BoatCount; ++i) {
        for (; next_skip < skips.size() && skips[next_skip].position <= i; ++next_skip) {
            if (skips[next_skip].list_full)
                continue;
            BoatCheck b;
            b.name = skips[next_skip].name;
            b.file = skips[next_skip].file;
            b.in_race = false;
            result.boats.push_back(b);
            race_boat.push_back(-static_cast<int>(next_skip) - 1);
        }
        if (i < race.BoatCount) {
            BoatCheck b;
            b.name = race.BoatName[static_cast<std::size_t>(i)];
            b.file = race.BoatGpsFile[static_cast<std::size_t>(i)];
            result.boats.push_back(b);
            race_boat.push_back(i);
        }
    }
    std::int64_t listed_full = 0;
    for (const RaceFileSkips::Boat& skip : skips)
        listed_full += skip.list_full ? 1 : 0;
    if (input.skipped.full_boats > 0)
        out.Race(Severity::Warning, out.Say(kFullBoats, {std::to_string(input.skipped.full_boats),
                                                         std::to_string(RaceSettings::kMaxBoats)}));
    const std::int64_t listed_missing = static_cast<std::int64_t>(skips.size()) - listed_full;
    if (input.skipped.missing_boats > listed_missing)
        out.Race(Severity::Error,
                 out.Say(kMissingBoats, {std::to_string(input.skipped.missing_boats), std::to_string(listed_missing)}));
    CheckBoatList(out, result);
    CheckWorkspaceFiles(out, race, input);
    CheckPictures(out, race, input);

    TrackStore track;
    TrackEditState edit;
    QuietLoad load;
    VkxEvents timer;
    load.services.vkx_events = &timer;
    for (std::size_t k = 0; k < result.boats.size(); ++k) {
        BoatCheck& b = result.boats[k];
        const int boat = static_cast<int>(k + 1);
        if (input.progress)
            input.progress("boat", k + 1, result.boats.size());
        if (!b.in_race) {
            const RaceFileSkips::Boat& skip = skips[static_cast<std::size_t>(-race_boat[k] - 1)];
            out.Boat(boat, Severity::Error,
                     out.Say(kLineLeftOut, {std::to_string(skip.line), out.Say(kLeftOutFile, {b.file})}));
            continue;
        }
        // Told even when the boat's own file is gone: the cleaned one is then all there is.
        if (const auto cleaned = CleanedTrackFor(input.app_dir + "gpsdat", b.file, race)) {
            b.cleaned_file = *cleaned;
            out.Boat(boat, Severity::Warning, out.Say(kCleanedTrack, {*cleaned, b.file}), std::nullopt, *cleaned);
        }
        const auto path = FindWorkspaceFile(input.app_dir + "gpsdat", b.file);
        if (!path) {
            out.Boat(boat, Severity::Error, out.Say(kNoGpsFile, {b.file}));
            continue;
        }
        const TrackFileKind kind = TrackFileKindOf(*path);
        if (kind == TrackFileKind::None) {
            out.Boat(boat, Severity::Error, out.Say(kUnknownKind, {b.file}));
            continue;
        }
        if (!input.minimize_on_save && !ViewerReads(kind))
            out.Boat(boat, Severity::Error, out.Say(kViewerCannotRead, {b.file}));
        try {
            LoadTrackFile(*path, track, edit, load.services);
        } catch (const DataError& e) {
            out.Boat(boat, Severity::Error, out.Say(kDoesNotRead, {e.what()}));
            continue;
        }
        CheckTrack(out, boat, b, track, window);
        // The fixes at 0, 0 are told above in the user's language, not again as the loader's note.
        const std::string zero_note = track.ZeroFixesLeftOut > 0 ? ZeroFixesNote(track.ZeroFixesLeftOut) : "";
        for (const std::string& note : track.ReadNotes)
            if (note != zero_note)
                out.Boat(boat, Severity::Warning, out.Say(kReaderSays, {b.file, note}));
        for (const Finding& f : TimerFindings(timer, window.start, race.TimeDiff, out.language))
            out.Boat(boat, f.severity, f.message);
    }
    CheckTimeDifference(out, result, race);
    CheckPresetTimes(out, result, input);
    return result;
}

RaceCheckResult CheckRaceFile(const std::string& app_dir, const std::string& name,
                              const CaptureTimeReader& capture_time, const CheckProgress& progress)
{
    RaceCheckInput input;
    input.app_dir = app_dir;
    input.race_file_name = name;
    input.capture_time = capture_time;
    input.progress = progress;
    const auto path = FindWorkspaceFile(app_dir + "raceadmin", name);
    RaceCheckResult result;
    if (!path) {
        Findings(result, 2).Race(Severity::Error, "The race file " + name + " is not in raceadmin/");
        return result;
    }
    RaceSettings race;
    try {
        ReadRaceFile(*path, app_dir, 2, race, &input.skipped);
    } catch (const DataError& e) {
        Findings(result, 2).Race(Severity::Error, e.what());
        return result;
    }
    return CheckRace(race, input);
}

} // namespace tackedit
