#include "race/race_file.h"

#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "platform/text_codec.h"
#include "track/formats/format_common.h"

#include <algorithm>
#include <cstdio>

namespace tackedit {

namespace {

// The comment block written before the boat lines, in each language.
const char* const kEnglishBoatComment[] = {
    "",
    "// Format of BN Line",
    "// BN (=Tag）, GPSfileName,　Boat Name, TCF ,OptionA, OptionB",
    "",
    "//　　　(OptionA,B may be left out: no correction, boat shown and entered)",
    "//      (TCF may be left empty before them)",
    "//　　　Option A=Start time correction（sec）  ex.handicap start time ",
    "//　　　Option B  1=do not display boat name  2=No entry   3=1+2(no disp, no entry : ex.spectator boat） ",
    "",
};

const char* const kJapaneseBoatComment[] = {
    "",
    "// BN 欄の記入Format",
    "// BN (=タグ）, GPSfileName,　表示する艇名, TCF ,ｵﾌﾟｼｮﾝA, ｵﾌﾟｼｮﾝB",
    "",
    "//　　　(ｵﾌﾟｼｮﾝA,Bは省略可：時間差なし、表示あり、参加。TCFは空欄可)",
    "//　　　ｵﾌﾟｼｮﾝA=時間差スタートの時間差（秒）",
    "//　　　ｵﾌﾟｼｮﾝB:  1=艇を表示しない　2=レースに参加させない  3=1+2(表示なし,不参加　例：観覧艇など） ",
    "",
};

} // namespace

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
    // A NUL would end the text early wherever it goes next (a path, a message).
    if (value.find('\0') != std::string::npos) {
        std::string shown = value;
        std::replace(shown.begin(), shown.end(), '\0', '?');
        return Say(texts::kFieldCannotStore, ui_language, {what, shown, "NUL"});
    }
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
    // Fields only as far as needed: a boat with no options keeps its short line.
    const int option_a = race.BoatStartOffset[at];
    const int option_b = (race.BoatShown[at] ? 0 : 1) + (race.BoatEntered[at] ? 0 : 2);
    const bool options = option_a != 0 || option_b != 0;
    if (race.BoatTcf[at] > 0 || options)
        line += "," + (race.BoatTcf[at] > 0 ? Real(race.BoatTcf[at]) : std::string());
    if (options)
        line += "," + std::to_string(option_a);
    if (option_b != 0)
        line += "," + std::to_string(option_b);
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
