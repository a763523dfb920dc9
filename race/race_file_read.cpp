#include "race/race_file.h"

#include "platform/text_codec.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/field_splitter.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace tackedit {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Reads the fields of one line, raising the conversion error for a required
// number that is not one.
class LineReader {
public:
    LineReader(const FieldSplitter& fields, const std::string& file, std::int64_t line)
        : fields_(fields), file_(file), line_(line) {}

    const std::string& Text(int i) const { return fields_[i]; }
    std::int64_t Line() const { return line_; }
    const std::string& File() const { return file_; }
    bool Present(int i) const { return i < fields_.FieldCount && !fields_[i].empty(); }
    int Count() const { return fields_.FieldCount; }

    double Real(int i) const
    {
        const auto value = ParseReal(fields_[i]);
        // 1e999 reads in extended precision but is no double: it would be saved as 0.
        if (!value || !std::isfinite(static_cast<double>(*value)))
            throw DataError::Conversion(file_, line_, fields_[i], "number");
        return static_cast<double>(*value);
    }
    int Integer(int i) const
    {
        const auto value = ParseInteger(fields_[i]);
        if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
            throw DataError::Conversion(file_, line_, fields_[i], "integer");
        return static_cast<int>(*value);
    }
    DateTime Time(int i) const
    {
        const auto value = ParseRaceDateTime(fields_[i]);
        if (!value)
            throw DataError::Conversion(file_, line_, fields_[i], "date-time");
        return *value;
    }

private:
    const FieldSplitter& fields_;
    const std::string& file_;
    std::int64_t line_;
};

void ApplyLine(const LineReader& f, const std::string& tag, const std::string& app_dir, RaceSettings& race,
               RaceFileSkips* skipped)
{
    if (tag == "BN") {
        const auto skip = [&](bool list_full) {
            if (!skipped)
                return;
            std::int64_t& count = list_full ? skipped->full_boats : skipped->missing_boats;
            if (static_cast<std::size_t>(count++) <
                (list_full ? RaceFileSkips::kListedFullBoats : RaceFileSkips::kListedMissingBoats))
                skipped->boats.push_back({f.Line(), race.BoatCount, f.Text(1), f.Text(2), list_full});
        };
        if (!FindWorkspaceFile(app_dir + "gpsdat", f.Text(1))) {
            skip(false);
            return;
        }
        const double tcf = f.Present(3) ? f.Real(3) : 0;
        const int offset = f.Present(4) ? f.Integer(4) : 0;
        const int option_b = f.Present(5) ? f.Integer(5) : 0;
        if (!race.AddBoat(f.Text(1), f.Text(2), race.ClassCount(), tcf, offset,
                          option_b == 1 || option_b == 3 ? 0 : 1, option_b == 2 || option_b == 3 ? 0 : 1))
            skip(true);
    } else if (tag == "CLSSEP") {
        race.ClassesOn = 1;
    } else if (tag == "CLSN") {
        if (race.ClassesOn && race.ClassCount() < RaceSettings::kMaxClasses)
            race.ClassNames.push_back(f.Text(1));
    } else if (tag == "CT") {
        race.CtFlag = f.Integer(1);
    } else if (tag == "NU") {
        race.NorthUp = f.Integer(1);
    } else if (tag == "T1") {
        race.Title1 = f.Text(1);
    } else if (tag == "T2") {
        race.Title2 = f.Text(1);
    } else if (tag == "MG") {
        race.MagVar = f.Real(1);
    } else if (tag == "LG") {
        race.Loa = f.Real(1);
    } else if (tag == "ST") {
        race.StartTime = f.Time(1);
    } else if (tag == "FT") {
        race.FinishTime = f.Time(1);
    } else if (tag == "TD") {
        const int hours = f.Integer(1);
        if (!TimeDiffHolds(hours))
            throw DataError(f.File(), f.Line(), f.Text(1), TimeDiffProblem(hours));
        race.TimeDiff = hours;
    } else if (tag == "PS") {
        race.PlaySpeedAfter = f.Real(1);
        if (f.Present(2))
            race.PlaySpeedPre = f.Real(2);
    } else if (tag == "LL") {
        race.LayUp = f.Integer(1);
        race.LayDown = f.Integer(2);
    } else if (tag == "BT") {
        race.PreStartMin = f.Integer(1);
    } else if (tag == "WD") {
        race.WindDir = f.Integer(1);
    } else if (tag == "WF") {
        race.WindFile = f.Text(1);
    } else if (tag == "MAP") {
        for (int i = 1; i < f.Count() && race.MapNames.size() < RaceSettings::kMaxMaps; ++i)
            race.MapNames.push_back(f.Text(i));
    } else if (tag == "LH") {
        race.Lighthouse = 1;
    } else if (tag == "AT") {
        for (int i = 1; i < f.Count() && race.AttachmentNames.size() < RaceSettings::kMaxAttachments; ++i)
            if (FindWorkspaceFile(app_dir + "attachment", f.Text(i)))
                race.AttachmentNames.push_back(f.Text(i));
            else if (skipped && static_cast<std::size_t>(skipped->missing_attachments++) <
                                    RaceFileSkips::kListedAttachments)
                skipped->attachments.push_back(f.Text(i));
    } else if (tag == "MK") {
        const std::array<double, 2> mark{f.Real(1), f.Real(2)};
        if (race.MarkList.size() < RaceSettings::kMaxMarks)
            race.MarkList.push_back(mark);
    } else if (tag == "LN" || tag == "RL") {
        const std::array<double, 4> line{f.Real(1), f.Real(2), f.Real(3), f.Real(4)};
        auto& list = tag == "LN" ? race.LineList : race.RlList;
        if (list.size() < RaceSettings::kMaxLines)
            list.push_back(line);
    } else if (tag == "CRS") {
        race.CourseList.clear();
        for (int i = 1; i < f.Count() && race.CourseList.size() < RaceSettings::kMaxCourse; ++i)
            race.CourseList.push_back(f.Text(i));
    } else if (tag == "PIC") {
        race.PicFolder = f.Text(1);
        race.PicFolderNamed = true;
        race.PicTimeCorr = static_cast<float>(f.Real(2));
        race.PicSize = f.Present(3) ? static_cast<int>(std::trunc(std::clamp(f.Real(3), -2e9, 2e9))) : 500;
    } else if (tag == "NOTE") {
        race.NoteText = f.Text(1);
    } else if (tag == "GF") {
        race.GfText = f.Text(1);
    } else if (tag == "ADDAREA") {
        race.AddArea = static_cast<float>(f.Real(1));
    }
}

std::string Slashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace

std::string TimeDiffProblem(int hours)
{
    return "'" + std::to_string(hours) + "' is not a time difference from " + std::to_string(-kMaxTimeDiffHours) +
           " to +" + std::to_string(kMaxTimeDiffHours) + " hours";
}

std::optional<DateTime> ParseRaceDateTime(std::string_view text)
{
    text = TrimBlanks(text);
    const std::size_t blank = text.find(' ');
    const auto date = ParseDateYmd(text.substr(0, blank));
    if (!date)
        return std::nullopt;
    if (blank == std::string_view::npos)
        return *date;
    const auto time = ParseTimeOfDay(text.substr(blank + 1));
    if (!time)
        return std::nullopt;
    return CombineDateTime(*date, *time);
}

void ResetRaceForReading(RaceSettings& race)
{
    race.ClearRace();
    race.WindFile.clear();
    race.GfText.clear();
    race.PlaySpeedPre = 5;
    race.PreStartMin = 3;
    race.AddArea = 5;
    race.PicSize = 500;
}

std::string BoatsPastLimitNote(std::int64_t lines, int ui_language, int limit)
{
    return Say(texts::kBoatsPastLimit, ui_language, {std::to_string(lines), std::to_string(limit)});
}

std::string ViewerShowsFirstNote(std::int64_t boats, int ui_language)
{
    return Say(texts::kViewerShowsFirst, ui_language, {std::to_string(boats), std::to_string(RaceSettings::kMaxBoats)});
}

void ParseRaceFile(std::string_view bytes, const std::string& file, const std::string& app_dir, RaceSettings& race,
                   RaceFileSkips* skipped)
{
    const std::string text = Cp932ToUtf8(bytes);
    FieldSplitter fields;
    LineCursor lines(text);
    std::string_view raw;
    while (lines.Next(raw)) {
        std::string_view line = TrimBlanks(raw);
        if (line.size() < 3)
            continue;
        const std::size_t comment = line.find("//");
        if (comment != std::string_view::npos) {
            if (comment <= 1)
                continue;
            if (comment >= 5)
                line = line.substr(0, comment);
        }
        fields.SplitFields(line, ',');
        const LineReader reader(fields, file, lines.LineNumber());
        ApplyLine(reader, Upper(fields[0]), app_dir, race, skipped);
    }
}

void ReadRaceFile(const std::string& path, const std::string& app_dir, int ui_language, RaceSettings& race,
                  RaceFileSkips* skipped)
{
    ResetRaceForReading(race);
    if (!FileExists(path))
        return;
    {
        const FileBytes bytes = ReadWholeFile(path);
        ReadUnchanged(bytes, [&] { ParseRaceFile(bytes.view(), path, app_dir, race, skipped); });
    }
    CompleteRaceRead(app_dir, ui_language, race);
}

void CompleteRaceRead(const std::string& app_dir, int ui_language, RaceSettings& race)
{
    race.PicFolder = ResolvePictureFolder(app_dir, race.PicFolder);
    if (race.LayUp == 0)
        race.LayUp = 45;
    if (race.LayDown == 0)
        race.LayDown = 160;
    if (race.PreStartMin == 0)
        race.PreStartMin = 3;
    SetReplayWindow(race);
    if (ui_language == 0 && race.MapNames.empty())
        race.MapNames.push_back("jcoast");
}

void SetReplayWindow(RaceSettings& race)
{
    // Kept well inside the int range: absurd minutes must not overflow here, nor
    // in the picture window that widens these by ten minutes.
    const auto bounded = [](std::int64_t seconds) {
        return static_cast<int>(std::clamp<std::int64_t>(seconds, -2'000'000'000, 2'000'000'000));
    };
    race.ReplayFrom = bounded(-(std::int64_t{race.PreStartMin} * 180) - 10);
    race.ReplayTo = bounded(std::int64_t{RaceSeconds(race.StartTime, race.FinishTime)} + 30);
}

namespace {

bool IsAbsoluteFolder(const std::string& path)
{
    const bool drive = path.size() >= 2 && path[1] == ':' && AsciiLower(path[0]) >= 'a' && AsciiLower(path[0]) <= 'z';
    return drive || (!path.empty() && path[0] == '/');
}

// `name` inside `folder`, spelt as the folder spells it when only the case differs.
std::string ChildFolder(const std::string& folder, const std::string& name)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(folder + "/" + name, error))
        return folder + "/" + name;
    const std::string wanted = Upper(name);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (Upper(it->path().filename().string()) == wanted && it->is_directory(error))
            return it->path().string();
    return folder + "/" + name;
}

} // namespace

bool ReachesUpward(const std::string& path)
{
    const std::string slashed = Slashes(path);
    for (std::size_t begin = 0; begin <= slashed.size();) {
        const std::size_t end = std::min(slashed.find('/', begin), slashed.size());
        if (slashed.compare(begin, end - begin, "..") == 0)
            return true;
        begin = end + 1;
    }
    return false;
}

std::string ResolvePictureFolder(const std::string& app_dir, const std::string& text)
{
    const std::string path = Slashes(text);
    if (IsAbsoluteFolder(path) || ReachesUpward(path))
        return text;
    std::vector<std::string> parts;
    for (std::size_t begin = 0; begin <= path.size();) {
        const std::size_t end = std::min(path.find('/', begin), path.size());
        if (end > begin && path.compare(begin, end - begin, ".") != 0)
            parts.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    // A bare name, and "pic\x", mean a folder under pic/; any other relative
    // path one under the workspace. The current folder is never consulted.
    const bool bare = path.find('/') == std::string::npos;
    const bool under_pic = bare || (!parts.empty() && Upper(parts.front()) == "PIC");
    if (!bare && under_pic)
        parts.erase(parts.begin());
    if (under_pic && parts.empty())
        return app_dir + "pic/";
    std::string folder = app_dir.substr(0, app_dir.find_last_not_of('/') + 1);
    if (under_pic)
        folder += "/pic";
    for (const std::string& part : parts)
        folder = ChildFolder(folder, part);
    return folder;
}

bool PictureFolderOutsideWorkspace(const std::string& app_dir, const std::string& folder)
{
    namespace fs = std::filesystem;
    const std::string path = Slashes(folder);
    if (!IsAbsoluteFolder(path))
        return false;
    if (path[0] != '/')
        return true;  // a drive of another computer
    std::error_code error;
    fs::path root = fs::absolute(app_dir, error).lexically_normal();
    if (!root.has_filename())
        root = root.parent_path();
    const fs::path inside = fs::path(path).lexically_normal();
    return std::mismatch(root.begin(), root.end(), inside.begin(), inside.end()).first != root.end();
}

} // namespace tackedit
