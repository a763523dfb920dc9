#include "race/race_file.h"

#include "platform/text_codec.h"
#include "base/messages.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/field_splitter.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/track_formats.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace tackedit {

namespace {

// The comment block written before the boat lines, in each language.
const char* const kEnglishBoatComment[] = {
    "",
    "// Format of BN Line",
    "// BN (=Tag）, GPSfileName,　Boat Name, TCF ,OptionA, OptionB",
    "",
    "//　　　(OptionA,B are not written automatically by tackedit)",
    "//      (Mark up them with Notepad If necessary, )",
    "//　　　Option A=Start time correction（sec）  ex.handicap start time ",
    "//　　　Option B  1=do not display boat name  2=No entry   3=1+2(no disp, no entry : ex.spectator boat） ",
    "",
};

const char* const kJapaneseBoatComment[] = {
    "",
    "// BN 欄の記入Format",
    "// BN (=タグ）, GPSfileName,　表示する艇名, TCF ,ｵﾌﾟｼｮﾝA, ｵﾌﾟｼｮﾝB",
    "",
    "//　　　(ｵﾌﾟｼｮﾝA,BはNOTE PADでﾃｷｽﾄを直接書き込んでください)",
    "//　　　ｵﾌﾟｼｮﾝA=時間差スタートの時間差（秒）",
    "//　　　ｵﾌﾟｼｮﾝB:  1=艇を表示しない　2=レースに参加させない  3=1+2(表示なし,不参加　例：観覧艇など） ",
    "",
};

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

std::string TimeDiffProblem(int hours)
{
    return "'" + std::to_string(hours) + "' is not a time difference from " + std::to_string(-kMaxTimeDiffHours) +
           " to +" + std::to_string(kMaxTimeDiffHours) + " hours";
}

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

std::string FormatRaceDateTime(DateTime value)
{
    const DateTimeParts p = DecodeDateTime(value);
    char text[48];
    // Midnight at the whole seconds the file holds: a fraction of a second past
    // it would be written as "0:00:00", which reads back as the date alone.
    if (p.hour == 0 && p.minute == 0 && p.second == 0)
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", p.year, p.month, p.day);
    else
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                      p.second);
    return text;
}

bool RaceSettings::AddBoat(const std::string& gps_file, const std::string& name, int boat_class, double tcf,
                           int start_offset, int shown, int entered)
{
    if (BoatCount >= kMaxBoats)
        return false;
    BoatGpsFile.push_back(gps_file);
    BoatName.push_back(name);
    BoatClass.push_back(boat_class);
    BoatTcf.push_back(tcf);
    BoatStartOffset.push_back(start_offset);
    BoatShown.push_back(shown);
    BoatEntered.push_back(entered);
    ++BoatCount;
    return true;
}

void RaceSettings::RemoveBoat(int i)
{
    if (i < 1 || i > BoatCount)
        return;
    const auto at = static_cast<std::size_t>(i - 1);
    auto erase = [at](auto& list) { list.erase(list.begin() + static_cast<std::ptrdiff_t>(at)); };
    erase(BoatGpsFile);
    erase(BoatName);
    erase(BoatClass);
    erase(BoatTcf);
    erase(BoatStartOffset);
    erase(BoatShown);
    erase(BoatEntered);
    --BoatCount;
}

void RaceSettings::ClearBoats()
{
    while (BoatCount > 0)
        RemoveBoat(BoatCount);
}

int RaceSeconds(DateTime start, DateTime finish)
{
    const long double days = std::fabs(static_cast<long double>(finish) - start);
    const std::int64_t seconds = RoundHalfEven(days * 86400 + 0.5L);
    if (seconds > std::numeric_limits<std::int32_t>::max())
        return -1000000;
    const bool before = finish < start && days * 86400000 >= 1;
    return static_cast<int>(before ? -seconds : seconds);
}

void RaceSettings::ClearRace()
{
    ClearBoats();
    ClassNames.clear();
    ClassesOn = 0;
    CtFlag = 0;
    NorthUp = 0;
    Lighthouse = 0;
    CourseList.clear();
    MarkList.clear();
    LineList.clear();
    RlList.clear();
    MapNames.clear();
    AttachmentNames.clear();
    Title1.clear();
    Title2.clear();
    PicFolder.clear();
    PicFolderNamed = false;
    PlaySpeedAfter = 5;
    PicTimeCorr = 0;
    PictureCount = 0;
    PictureFileCount = 0;
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

std::string BoatsPastLimitNote(std::int64_t lines, int ui_language)
{
    return Say(texts::kBoatsPastLimit, ui_language, {std::to_string(lines), std::to_string(RaceSettings::kMaxBoats)});
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

std::string MinimizedGpsFileName(const std::string& name)
{
    std::string lower = name;
    for (char& c : lower)
        c = AsciiLower(c);
    if (lower.size() >= 3 && lower.compare(lower.size() - 3, 3, "trb") == 0)
        return name;
    return lower.substr(0, lower.size() >= 3 ? lower.size() - 3 : 0) + "trb";
}

std::optional<std::string> RaceFieldProblem(const std::string& value, const std::string& what, int ui_language)
{
    if (value.find(',') != std::string::npos)
        return Say(texts::kFieldComma, ui_language, {what, value});
    if (value.find("//") != std::string::npos)
        return Say(texts::kFieldComment, ui_language, {what, value});
    std::string bad;
    if (!Utf8ToCp932(value, &bad))
        return Say(texts::kFieldCannotStore, ui_language, {what, value, bad});
    return std::nullopt;
}

namespace {

// Collects the file's lines, refusing a text that would not read back as it was.
class RaceFileText {
public:
    explicit RaceFileText(const std::string& file) : file_(file) {}

    void Line(const std::string& text) { text_ += text + "\r\n"; }

    const std::string& Field(const std::string& value, const std::string& what)
    {
        if (const auto problem = RaceFieldProblem(value, what))
            throw DataError(file_, 0, value, *problem);
        return value;
    }

    std::string Bytes() const
    {
        // Every field was checked, so the whole text converts.
        return *Utf8ToCp932(text_);
    }

private:
    const std::string& file_;
    std::string text_;
};

std::string Real(double value) { return FormatGeneralNumber(value); }

std::string BoatLine(RaceFileText& out, const RaceSettings& race, int i, bool minimized_name,
                     const std::optional<std::vector<std::string>>& trb_files = std::nullopt)
{
    const auto at = static_cast<std::size_t>(i - 1);
    const std::string label = "boat " + std::to_string(i);
    const std::string file = out.Field(race.BoatGpsFile[at], "The GPS file of " + label);
    std::string named = file;
    if (minimized_name && trb_files) {
        // A boat the conversion left as it was keeps its file: its TRB name may be another boat's.
        if (at < trb_files->size() && !(*trb_files)[at].empty())
            named = out.Field((*trb_files)[at], "The GPS file of " + label);
    } else if (minimized_name) {
        named = MinimizedGpsFileName(file);
    }
    std::string line = "BN," + named + "," +
                       out.Field(race.BoatName[at], "The name of " + label);
    if (race.BoatTcf[at] > 0)
        line += "," + Real(race.BoatTcf[at]);
    return line;
}

} // namespace

std::string EncodeRaceFile(RaceSettings& race, const RaceWriteOptions& options, const std::string& file)
{
    RaceFileText out(file);
    out.Line("T1," + out.Field(race.Title1, "Race Title 1"));
    out.Line("T2," + out.Field(race.Title2, "Race Title 2"));
    out.Line("MG," + Real(race.MagVar));
    out.Line("LG," + Real(race.Loa));
    out.Line("ST," + FormatRaceDateTime(race.StartTime));
    out.Line("FT," + FormatRaceDateTime(race.FinishTime));
    // The reader refuses such a line: the file would not open again.
    if (!TimeDiffHolds(race.TimeDiff))
        throw DataError(file, 0, std::to_string(race.TimeDiff), "Time Difference: " + TimeDiffProblem(race.TimeDiff));
    out.Line("TD," + std::to_string(race.TimeDiff));
    out.Line("PS," + Real(race.PlaySpeedAfter) + "," + Real(race.PlaySpeedPre));
    out.Line("LL," + Real(race.LayUp) + "," + Real(race.LayDown));
    out.Line("BT," + std::to_string(race.PreStartMin));
    race.WindFile = options.wind_file_box;
    if (race.NorthUp > 0)
        out.Line("NU,1");
    if (race.CtFlag > 0)
        out.Line("CT, 1");
    if (race.ClassesOn > 0)
        out.Line("CLSSEP,1");
    if (options.ui_language > 0)
        for (const char* line : kEnglishBoatComment)
            out.Line(line);
    else
        for (const char* line : kJapaneseBoatComment)
            out.Line(line);
    if (race.ClassCount() < 1) {
        // The viewer gets the TRB copies with classes or without: it may not read the originals.
        for (int i = 1; i <= race.BoatCount; ++i)
            out.Line(BoatLine(out, race, i, options.minimize_on_save, options.trb_files));
    } else {
        for (int c = 1; c <= race.ClassCount(); ++c) {
            out.Line("CLSN," + out.Field(race.ClassNames[static_cast<std::size_t>(c - 1)],
                                         "Class " + std::to_string(c)));
            for (int i = 1; i <= race.BoatCount; ++i)
                if (race.BoatClass[static_cast<std::size_t>(i - 1)] == c)
                    out.Line(BoatLine(out, race, i, options.minimize_on_save, options.trb_files));
        }
    }
    if (!race.MapNames.empty()) {
        std::string line = "MAP";
        for (const std::string& name : race.MapNames)
            line += "," + out.Field(name, "Map name");
        out.Line(line);
    }
    if (race.Lighthouse > 0)
        out.Line("LH,1");
    for (const std::string& name : race.AttachmentNames)
        out.Line("AT," + out.Field(name, "Attachment file"));
    if (!race.WindFile.empty())
        out.Line("WF," + out.Field(race.WindFile, "Wind Data File"));
    out.Line("WD, " + std::to_string(race.WindDir));
    for (const auto& mark : race.MarkList)
        out.Line("MK," + Real(mark[0]) + "," + Real(mark[1]));
    for (const auto& line : race.LineList)
        out.Line("LN," + Real(line[0]) + "," + Real(line[1]) + "," + Real(line[2]) + "," + Real(line[3]));
    if (!race.CourseList.empty()) {
        std::string line = "CRS";
        for (const std::string& entry : race.CourseList)
            line += "," + out.Field(entry, "Course entry");
        out.Line(line);
    }
    // Kept whether or not a picture falls inside the race or the folder is on
    // this computer: the pictures may be added later, or elsewhere.
    if (race.PicFolderNamed)
        out.Line("PIC," + out.Field(race.PicFolder, "Picture Folder") + "," + Real(race.PicTimeCorr) + "," +
                 std::to_string(race.PicSize));
    return out.Bytes();
}

void WriteRaceFile(const std::string& path, RaceSettings& race, const RaceWriteOptions& options)
{
    WriteFileAtomically(path, EncodeRaceFile(race, options, path));
}

} // namespace tackedit
