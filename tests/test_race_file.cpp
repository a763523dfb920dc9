#include "platform/text_codec.h"
#include "race/course.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "base/datetime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *TryEncodeDate(y, mo, d) + *TryEncodeTime(h, mi, s);
}

std::string Sjis(const std::string& utf8) { return *Utf8ToCp932(utf8); }

// A workspace with a few GPS files and attachments, and race files written into
// its raceadmin folder.
class RaceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tackedit-race-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        for (const char* folder : {"gpsdat", "attachment", "raceadmin", "pic/photos"})
            fs::create_directories(dir_ / folder);
        for (const char* name : {"boat1.gpx", "Boat2.LOG", "boat3.trb", "boat4.dtr"})
            std::ofstream(dir_ / "gpsdat" / name) << "x";
        std::ofstream(dir_ / "attachment" / "Results.pdf") << "x";
        app_dir_ = dir_.string() + "/";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / "raceadmin" / name).string(); }

    // Reads UTF-8 text written as Shift-JIS with CR LF line ends.
    void Read(const std::string& text, int ui_language = 2)
    {
        std::ofstream(Path("r.txt"), std::ios::binary) << Sjis(text);
        ReadRaceFile(Path("r.txt"), app_dir_, ui_language, race_);
    }

    std::int64_t ErrorLine(const std::string& text)
    {
        try {
            Read(text);
        } catch (const DataError& e) {
            EXPECT_EQ(e.file(), Path("r.txt"));
            return e.line();
        }
        return -1;
    }

    fs::path dir_;
    std::string app_dir_;
    RaceSettings race_;
};

TEST_F(RaceFileTest, LineGrammarCommentsTagsAndTrailingText)
{
    Read("// Format of BN Line\r\n"
         "\r\n"
         "  bn, boat1.gpx , Alpha   // leader\r\n"
         "BN,missing.gpx,Ghost\r\n"
         "BN,boat2.log,Bravo,,120,3\r\n"
         "LH//x\r\n"
         "T1,Spring Cup\r\n"
         "T1,Summer Cup\r\n"
         "x\r\n");
    ASSERT_EQ(race_.BoatCount, 2);
    EXPECT_EQ(race_.BoatGpsFile[0], "boat1.gpx");
    EXPECT_EQ(race_.BoatName[0], "Alpha");
    EXPECT_EQ(race_.BoatShown[0], 1);
    EXPECT_EQ(race_.BoatGpsFile[1], "boat2.log") << "found without regard to case, kept as written";
    EXPECT_EQ(race_.BoatTcf[1], 0);
    EXPECT_EQ(race_.BoatStartOffset[1], 120);
    EXPECT_EQ(race_.BoatShown[1], 0);
    EXPECT_EQ(race_.BoatEntered[1], 0);
    EXPECT_EQ(race_.Lighthouse, 0) << "LH//x keeps its // and matches no tag";
    EXPECT_EQ(race_.Title1, "Summer Cup");
}

TEST_F(RaceFileTest, NamesReachingOutsideTheWorkspaceAreSkippedLikeMissingFiles)
{
    std::ofstream(dir_ / "outside.gpx") << "x";
    Read("BN,../outside.gpx,A\r\nBN,..\\outside.gpx,B\r\nBN,/etc/passwd,C\r\nBN,..,D\r\n"
         "AT,../outside.gpx,results.PDF,sub/x.pdf\r\n");
    EXPECT_EQ(race_.BoatCount, 0);
    ASSERT_EQ(race_.AttachmentNames.size(), 1u);
    EXPECT_EQ(race_.AttachmentNames[0], "results.PDF");
    using namespace std::string_literals;
    Read("BN,boat1.gpx\0.trb,A\r\n"s);
    EXPECT_EQ(race_.BoatCount, 0) << "a NUL would cut the name short at the system's door";
}

TEST_F(RaceFileTest, ClassesCountOnlyAfterTheSeparator)
{
    Read("CLSN,Ignored\r\nBN,boat1.gpx,A\r\nCLSSEP\r\nBN,boat2.log,B\r\nCLSN,Laser\r\nBN,boat3.trb,C\r\n"
         "CLSN,470\r\nBN,boat4.dtr,D\r\n");
    EXPECT_EQ(race_.ClassesOn, 1);
    ASSERT_EQ(race_.ClassCount(), 2);
    EXPECT_EQ(race_.ClassNames[0], "Laser");
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2}), race_.BoatClass);
}

TEST_F(RaceFileTest, ListsAppendCourseReplacesAndDefaultsApply)
{
    race_.LayUp = 0;
    race_.LayDown = 0;
    Read("MAP,a,b\r\nMAP,c\r\nCRS,S,1,F\r\nCRS,S,2,F\r\nMK,1.5,-2\r\nLN,1,2,3,4\r\nRL,5,6,7,8\r\n"
         "PIC,holiday,12.5\r\nST,2024/06/15 09:30:00\r\nFT,2024-06-15 11:30:00\r\nBT,0\r\n");
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), race_.MapNames);
    EXPECT_EQ((std::vector<std::string>{"S", "2", "F"}), race_.CourseList);
    ASSERT_EQ(race_.MarkList.size(), 1u);
    EXPECT_EQ(race_.MarkList[0][1], -2);
    EXPECT_EQ(race_.LineList[0][3], 4);
    EXPECT_EQ(race_.RlList[0][0], 5);
    EXPECT_EQ(race_.PicFolder, app_dir_ + "pic/holiday");
    EXPECT_EQ(race_.PicTimeCorr, 12.5f);
    EXPECT_EQ(race_.PicSize, 500);
    EXPECT_EQ(race_.LayUp, 45);
    EXPECT_EQ(race_.LayDown, 160);
    EXPECT_EQ(race_.PreStartMin, 3);
    EXPECT_EQ(race_.StartTime, At(2024, 6, 15, 9, 30));
    EXPECT_EQ(race_.ReplayFrom, -550);
    EXPECT_EQ(race_.ReplayTo, 7230);
    EXPECT_TRUE(race_.MapNames.size() == 3);

    Read("PIC," + (dir_ / "pic" / "photos").string() + ",0,700.9\r\n", 0);
    EXPECT_EQ(race_.PicFolder, (dir_ / "pic" / "photos").string()) << "an existing folder stays";
    EXPECT_EQ(race_.PicSize, 700);
    EXPECT_EQ((std::vector<std::string>{"jcoast"}), race_.MapNames);
    Read("T1,x\r\n", 2);
    EXPECT_TRUE(race_.MapNames.empty());
    EXPECT_EQ(race_.PicFolder, app_dir_ + "pic/");
}

TEST_F(RaceFileTest, PicFoldersAreFoldersOfTheWorkspaceUnlessAbsolute)
{
    fs::create_directories(dir_ / "sub" / "x");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_ / "sub");
    Read("PIC,x,0\r\n");
    fs::current_path(cwd);
    EXPECT_EQ(race_.PicFolder, app_dir_ + "pic/x") << "the current folder's x is not looked at";
    const std::string photos = (dir_ / "pic" / "photos").string();
    for (const char* line : {"PIC,PIC\\Photos,0\r\n", "PIC,pic/photos,0\r\n", "PIC,photos,0\r\n"}) {
        Read(line);
        EXPECT_EQ(race_.PicFolder, photos) << line;
    }
    Read("PIC,Sub\\x,0\r\n");
    EXPECT_EQ(race_.PicFolder, (dir_ / "sub" / "x").string());
    Read("PIC,PIC\\,0\r\n");
    EXPECT_EQ(race_.PicFolder, app_dir_ + "pic/");
    Read("PIC,..\\..\\outside\\pics,0\r\n");
    EXPECT_EQ(race_.PicFolder, "..\\..\\outside\\pics") << "refused, never resolved";
    EXPECT_TRUE(ReachesUpward(race_.PicFolder));
    EXPECT_TRUE(ReachesUpward("pic/a/../../b"));
    EXPECT_FALSE(ReachesUpward("pic/a..b/..c"));
    Read("PIC,D:\\photos\\regatta1,-35\r\n");
    EXPECT_EQ(race_.PicFolder, "D:\\photos\\regatta1");
    EXPECT_TRUE(PictureFolderOutsideWorkspace(app_dir_, race_.PicFolder));
    EXPECT_TRUE(PictureFolderOutsideWorkspace(app_dir_, "/elsewhere/pics"));
    EXPECT_TRUE(PictureFolderOutsideWorkspace(app_dir_, dir_.string() + "-other/pics"));
    EXPECT_FALSE(PictureFolderOutsideWorkspace(app_dir_, photos));
}

TEST_F(RaceFileTest, APicLineIsWrittenForTheRacesOwnFolderOnly)
{
    Read("PIC,holiday,5,300\r\n");
    EXPECT_NE(Cp932ToUtf8(EncodeRaceFile(race_, {})).find("\r\nPIC," + app_dir_ + "pic/holiday,5,300\r\n"),
              std::string::npos)
        << "a missing folder and no picture inside the race keep the line";
    Read("T1,x\r\n");
    race_.PictureCount = 2;
    EXPECT_EQ(Cp932ToUtf8(EncodeRaceFile(race_, {})).find("PIC,"), std::string::npos);
}

TEST_F(RaceFileTest, ReadingStartsFromTheResetsAndKeepsTheRest)
{
    race_.MagVar = 3;
    race_.Title1 = "old";
    race_.PlaySpeedAfter = 9;
    race_.AddBoat("old.gpx", "Old");
    Read("T2,new\r\n");
    EXPECT_EQ(race_.MagVar, 3) << "kept";
    EXPECT_EQ(race_.Title1, "");
    EXPECT_EQ(race_.BoatCount, 0);
    EXPECT_EQ(race_.PlaySpeedAfter, 5);
    EXPECT_EQ(race_.AddArea, 5);

    race_.Title1 = "old";
    ReadRaceFile(Path("none.txt"), app_dir_, 2, race_);
    EXPECT_EQ(race_.Title1, "");
    EXPECT_EQ(race_.ReplayTo, 30) << "a missing file stops after the resets; nothing is derived again";
}

TEST_F(RaceFileTest, BadRequiredNumbersStopWithFileLineAndText)
{
    EXPECT_EQ(ErrorLine("T1,a\r\nMG,abc\r\nT2,b\r\n"), 2);
    EXPECT_EQ(race_.Title1, "a") << "values read before the error stay";
    EXPECT_EQ(race_.Title2, "");
    EXPECT_EQ(ErrorLine("LL,40\r\n"), 1) << "the second angle is required";
    EXPECT_EQ(race_.LayUp, 40);
    EXPECT_EQ(ErrorLine("TD,9.5\r\n"), 1);
    EXPECT_EQ(ErrorLine("ST,yesterday\r\n"), 1);
    EXPECT_EQ(ErrorLine("\r\n\r\nBN,boat1.gpx,A,fast\r\n"), 3);
    EXPECT_EQ(ErrorLine("PS,\r\n"), 1);
    EXPECT_EQ(ErrorLine("PS,5,x\r\n"), 1);
    EXPECT_EQ(ErrorLine("BN,boat1.gpx,A,1e999\r\n"), 1) << "beyond a double: it would be saved as 0";
    Read("BT,77999979\r\n");
    EXPECT_EQ(race_.ReplayFrom, -2000000000) << "absurd minutes stay inside the int range";
    try {
        Read("MK,1,2e\r\n");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("'2e'"), std::string::npos) << e.what();
    }
    // A time difference no zone has would put the race's window days away.
    Read("TD,-14\r\n");
    EXPECT_EQ(race_.TimeDiff, -14);
    EXPECT_EQ(ErrorLine("TD,14\r\nT1,a\r\nTD,30\r\n"), 3);
    EXPECT_EQ(race_.TimeDiff, 14) << "the bad value is not taken";
    EXPECT_EQ(ErrorLine("TD,-15\r\n"), 1);
}

TEST_F(RaceFileTest, MalformedFilesEndCleanly)
{
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "BN,boat1.gpx,Boat " + std::to_string(i) + "\r\n";
    std::string course = "CRS";
    for (int i = 0; i < 24; ++i)
        course += "," + std::to_string(i);
    for (int i = 0; i < 12; ++i)
        many += "CLSSEP\r\nCLSN,c" + std::to_string(i) + "\r\nMAP,m\r\nAT,Results.pdf\r\nLN,1,2,3,4\r\n";
    for (int i = 0; i < 25; ++i)
        many += "MK,1,2\r\n";
    RaceFileSkips skipped;
    std::ofstream(Path("r.txt"), std::ios::binary) << many + course + "\r\n";
    ReadRaceFile(Path("r.txt"), app_dir_, 2, race_, &skipped);
    EXPECT_EQ(race_.BoatCount, RaceSettings::kMaxBoats);
    EXPECT_EQ(skipped.full_boats, 120);
    EXPECT_EQ(race_.ClassCount(), RaceSettings::kMaxClasses);
    EXPECT_EQ(race_.MapNames.size(), 10u);
    EXPECT_EQ(race_.AttachmentNames.size(), 10u);
    EXPECT_EQ(race_.LineList.size(), 10u);
    EXPECT_EQ(race_.MarkList.size(), 20u);
    EXPECT_EQ(race_.CourseList.size(), 20u);

    std::ofstream(Path("big.txt"), std::ios::binary) << "T1," << std::string(1 << 20, 'x') << "\r\nT2,after\r\n";
    ReadRaceFile(Path("big.txt"), app_dir_, 2, race_);
    EXPECT_EQ(race_.Title2, "after");
    EXPECT_EQ(race_.Title1.size(), 5000u) << "a field keeps at most 5000 characters";

    std::ofstream(Path("nul.txt"), std::ios::binary) << std::string(4096, '\0');
    ReadRaceFile(Path("nul.txt"), app_dir_, 2, race_);
    EXPECT_EQ(race_.BoatCount, 0);

    std::ofstream(Path("bad.txt"), std::ios::binary) << "T1,\x82\xA0\xFF\x81\r\nBN,boat1.gpx,\x85\x40\r\n";
    ReadRaceFile(Path("bad.txt"), app_dir_, 2, race_);
    EXPECT_EQ(race_.Title1, "\xE3\x81\x82\xEF\xBF\xBD\xEF\xBF\xBD") << "bad bytes become U+FFFD";
    EXPECT_EQ(race_.BoatCount, 1);
}

TEST(CourseEntries, NumbersNameMarksAndSAndFTheLines)
{
    const auto kind = [](const std::string& entry, std::size_t marks, std::size_t lines) {
        return ReadCourseEntry(entry, marks, lines).kind;
    };
    EXPECT_EQ(kind("3", 3, 1), CourseEntry::Mark);
    EXPECT_EQ(ReadCourseEntry("03", 3, 1).mark, 3);
    EXPECT_EQ(kind("7", 3, 1), CourseEntry::NoSuchMark);
    EXPECT_EQ(kind("0", 3, 1), CourseEntry::NoSuchMark);
    EXPECT_EQ(kind("99999999999999999999", 3, 1), CourseEntry::NoSuchMark);
    EXPECT_EQ(kind("s", 3, 1), CourseEntry::Start);
    EXPECT_EQ(kind("F", 3, 2), CourseEntry::Finish);
    EXPECT_EQ(kind("F", 3, 0), CourseEntry::NoLine);
    for (const char* entry : {"", "G", "1a", "-1", "SF"})
        EXPECT_EQ(kind(entry, 3, 1), CourseEntry::Unknown) << entry;
    EXPECT_EQ(FirstUnnamedEntry({"S", "1", "7", "F"}, 3, 1), 2u);
    EXPECT_EQ(FirstUnnamedEntry({"S", "1", "F"}, 3, 1), std::nullopt);
}

TEST(RaceSeconds, RoundsTheHalfSecondUpAndSignsTheDirection)
{
    const DateTime start = At(2024, 6, 15, 10);
    EXPECT_EQ(RaceSeconds(start, start + 7199.6 / 86400), 7200);
    EXPECT_EQ(RaceSeconds(start, start + 7200.25 / 86400), 7201);
    EXPECT_EQ(RaceSeconds(start + 7199.6 / 86400, start), -7200);
    EXPECT_EQ(RaceSeconds(start + 7200.25 / 86400, start), -7201);
    EXPECT_EQ(RaceSeconds(start, start), 0);
    EXPECT_EQ(RaceSeconds(start, start - 0.0004 / 86400), 1) << "under a millisecond counts as equal: no sign";
    EXPECT_EQ(RaceSeconds(start, start - 0.002 / 86400), -1);
    EXPECT_EQ(RaceSeconds(0, start), -1000000) << "an unset start";
}

TEST(RaceDateTime, ReadsWhatTheWriterWritesAndCommonForms)
{
    EXPECT_EQ(*ParseRaceDateTime("2024/06/15 9:05:00"), At(2024, 6, 15, 9, 5));
    EXPECT_EQ(*ParseRaceDateTime("2024/06/15 09:05:00"), At(2024, 6, 15, 9, 5));
    EXPECT_EQ(*ParseRaceDateTime("2024-06-15 09:05:00"), At(2024, 6, 15, 9, 5));
    EXPECT_EQ(*ParseRaceDateTime("2024/06/15"), At(2024, 6, 15));
    EXPECT_FALSE(ParseRaceDateTime("2024/06/15 25:00:00"));
    EXPECT_FALSE(ParseRaceDateTime(""));
    EXPECT_EQ(FormatRaceDateTime(At(2024, 6, 15, 9, 5, 7)), "2024/06/15 9:05:07");
    EXPECT_EQ(FormatRaceDateTime(At(2024, 6, 15)), "2024/06/15") << "midnight is the date alone";
    EXPECT_EQ(FormatRaceDateTime(At(2024, 6, 15) + 0.411 / 86400), "2024/06/15") << "so is midnight and 0.411 s";
    EXPECT_EQ(FormatRaceDateTime(At(2024, 6, 15, 18, 30)), "2024/06/15 18:30:00");
    EXPECT_EQ(FormatRaceDateTime(*ParseRaceDateTime("1012/06/15 1:00:00")), "1012/06/15 1:00:00")
        << "before 1899 the time still runs forward from the day's start";
}

// Files the race fuzzer found: each reads (or stops at a line), then saves (or
// refuses to, naming the text), reads back and saves the same bytes.
TEST_F(RaceFileTest, FuzzFoundFilesSaveTheSameTwice)
{
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(TACKEDIT_TEST_DATA) / "fuzz")) {
        if (!entry.path().filename().string().starts_with("race-"))
            continue;
        ++files;
        SCOPED_TRACE(entry.path().string());
        RaceSettings first;
        try {
            ReadRaceFile(entry.path().string(), app_dir_, 2, first);
        } catch (const DataError& e) {
            EXPECT_GT(e.line(), 0) << e.what();
            continue;
        }
        RaceWriteOptions options;
        options.wind_file_box = first.WindFile;
        std::string saved;
        try {
            saved = EncodeRaceFile(first, options);
        } catch (const DataError& e) {
            EXPECT_FALSE(e.text().empty()) << e.what();
            continue;
        }
        std::ofstream(Path("saved.txt"), std::ios::binary) << saved;
        RaceSettings again;
        ReadRaceFile(Path("saved.txt"), app_dir_, 2, again);
        EXPECT_EQ(EncodeRaceFile(again, options), saved);
    }
    EXPECT_GT(files, 0);
}

RaceSettings SampleRace()
{
    RaceSettings race;
    race.Title1 = "Spring Cup";
    race.Title2 = "Race 3";
    race.MagVar = -6.9;
    race.Loa = 4.7;
    race.StartTime = At(2024, 6, 15, 9, 30);
    race.FinishTime = At(2024, 6, 15, 11, 0, 5);
    race.TimeDiff = 9;
    race.PlaySpeedAfter = 10;
    race.PlaySpeedPre = 2.5;
    race.LayUp = 42;
    race.LayDown = 150;
    race.PreStartMin = 5;
    race.WindDir = 200;
    race.AddBoat("boat1.gpx", "Alpha");
    race.AddBoat("Boat2.LOG", "Bravo", 0, 0.95);
    race.AddBoat("boat3.trb", "Charlie");
    return race;
}

const char kEnglishBlock[] =
    "\r\n// Format of BN Line\r\n"
    "// BN (=Tag\xEF\xBC\x89, GPSfileName,\xE3\x80\x80" "Boat Name, TCF ,OptionA, OptionB\r\n\r\n"
    "//\xE3\x80\x80\xE3\x80\x80\xE3\x80\x80(OptionA,B may be left out: no correction, boat shown and entered)\r\n"
    "//      (TCF may be left empty before them)\r\n"
    "//\xE3\x80\x80\xE3\x80\x80\xE3\x80\x80Option A=Start time correction\xEF\xBC\x88sec\xEF\xBC\x89  ex.handicap "
    "start time \r\n"
    "//\xE3\x80\x80\xE3\x80\x80\xE3\x80\x80Option B  1=do not display boat name  2=No entry   3=1+2(no disp, no "
    "entry : ex.spectator boat\xEF\xBC\x89 \r\n\r\n";

TEST_F(RaceFileTest, WritesTheLinesInOrderWithTheEnglishBlock)
{
    RaceSettings race = SampleRace();
    race.CtFlag = 1;
    race.NorthUp = 1;
    race.MapNames = {"tile1", "tile2"};
    race.AttachmentNames = {"Results.pdf"};
    race.MarkList = {{35.5, 139.25}};
    race.LineList = {{1, 2, 3, 4.5}};
    race.CourseList = {"S", "1", "F"};
    race.RlList = {{9, 9, 9, 9}};
    race.NoteText = "not written";
    RaceWriteOptions options;
    options.wind_file_box = "wind1.csv";
    const std::string expected = Sjis(
        "T1,Spring Cup\r\nT2,Race 3\r\nMG,-6.9\r\nLG,4.7\r\nST,2024/06/15 9:30:00\r\nFT,2024/06/15 11:00:05\r\n"
        "TD,9\r\nPS,10,2.5\r\nLL,42,150\r\nBT,5\r\nNU,1\r\nCT, 1\r\n" +
        std::string(kEnglishBlock) +
        "BN,boat1.gpx,Alpha\r\nBN,Boat2.LOG,Bravo,0.95\r\nBN,boat3.trb,Charlie\r\n"
        "MAP,tile1,tile2\r\nAT,Results.pdf\r\nWF,wind1.csv\r\nWD, 200\r\nMK,35.5,139.25\r\nLN,1,2,3,4.5\r\n"
        "CRS,S,1,F\r\n");
    EXPECT_EQ(EncodeRaceFile(race, options), expected);
    EXPECT_EQ(race.WindFile, "wind1.csv");
}

TEST_F(RaceFileTest, ClassesWithTheJapaneseBlockAndMinimizedNames)
{
    RaceSettings race = SampleRace();
    race.ClassesOn = 1;
    race.ClassNames = {"Laser", "470"};
    race.BoatClass = {2, 1, 0};  // Charlie has no class and is not written
    race.StartTime = At(2024, 6, 15);
    race.PicFolderNamed = true;
    race.PicFolder = "/data/pic/race3";
    race.PicSize = 600;
    race.PicTimeCorr = -30;
    RaceWriteOptions options;
    options.ui_language = 0;
    options.minimize_on_save = true;
    const std::string bytes = EncodeRaceFile(race, options);
    const std::string text = Cp932ToUtf8(bytes);
    EXPECT_NE(text.find("ST,2024/06/15\r\n"), std::string::npos);
    EXPECT_NE(text.find("CLSSEP,1\r\n\r\n// BN 欄の記入Format\r\n"
                        "// BN (=タグ）, GPSfileName,\u3000表示する艇名, TCF ,ｵﾌﾟｼｮﾝA, ｵﾌﾟｼｮﾝB\r\n\r\n"
                        "//\u3000\u3000\u3000(ｵﾌﾟｼｮﾝA,Bは省略可：時間差なし、表示あり、参加。TCFは空欄可)\r\n"
                        "//\u3000\u3000\u3000ｵﾌﾟｼｮﾝA=時間差スタートの時間差（秒）\r\n"
                        "//\u3000\u3000\u3000ｵﾌﾟｼｮﾝB:  1=艇を表示しない\u30002=レースに参加させない  "
                        "3=1+2(表示なし,不参加\u3000例：観覧艇など） \r\n\r\n"
                        "CLSN,Laser\r\nBN,boat2.trb,Bravo,0.95\r\nCLSN,470\r\nBN,boat1.trb,Alpha\r\nWD, 200\r\n"
                        "PIC,/data/pic/race3,-30,600\r\n"),
              std::string::npos)
        << text;
    // Half-width katakana are single bytes in Shift-JIS.
    EXPECT_NE(bytes.find("\xB5\xCC\xDF\xBC\xAE\xDD" "A"), std::string::npos);
    EXPECT_EQ(text.find("Charlie"), std::string::npos);
    EXPECT_EQ(text.find("WF,"), std::string::npos) << "an empty wind box writes no WF line";
}

TEST_F(RaceFileTest, MinimizedNamesMatchTheConvertedFiles)
{
    EXPECT_EQ(MinimizedGpsFileName("boat1.gpx"), "boat1.trb");
    EXPECT_EQ(MinimizedGpsFileName("Race-GPX.gpx"), "race-gpx.trb");
    EXPECT_EQ(MinimizedGpsFileName("BOAT7.TRB"), "BOAT7.TRB");
    EXPECT_EQ(MinimizedGpsFileName("race.v2.log"), "race.v2.trb") << "the file the conversion writes";
}

TEST_F(RaceFileTest, WriteThenReadGivesTheSameRace)
{
    RaceSettings race = SampleRace();
    race.ClassesOn = 1;
    race.ClassNames = {"Laser"};
    race.BoatClass = {1, 1, 1};
    race.MapNames = {"tile1"};
    race.AttachmentNames = {"Results.pdf"};
    race.MarkList = {{35.123456789, -139.5}};
    race.LineList = {{0.1, 0.2, 0.3, 1e-7}};
    race.CourseList = {"S", "W", "L", "F"};
    race.NorthUp = 1;
    race.CtFlag = 1;
    // Options with and without a TCF before them; Charlie is not entered but starts with the fleet.
    race.BoatStartOffset[0] = 120;
    race.BoatShown[1] = 0;
    race.BoatStartOffset[1] = -30;
    race.BoatEntered[2] = 0;
    RaceWriteOptions options;
    options.wind_file_box = "wind.csv";
    WriteRaceFile(Path("rt.txt"), race, options);

    RaceSettings back;
    ReadRaceFile(Path("rt.txt"), app_dir_, 2, back);
    EXPECT_EQ(back.Title1, race.Title1);
    EXPECT_EQ(back.Title2, race.Title2);
    EXPECT_EQ(back.StartTime, race.StartTime);
    EXPECT_EQ(back.FinishTime, race.FinishTime);
    EXPECT_EQ(back.MagVar, race.MagVar);
    EXPECT_EQ(back.Loa, race.Loa);
    EXPECT_EQ(back.TimeDiff, race.TimeDiff);
    EXPECT_EQ(back.PlaySpeedAfter, race.PlaySpeedAfter);
    EXPECT_EQ(back.PlaySpeedPre, race.PlaySpeedPre);
    EXPECT_EQ(back.LayUp, race.LayUp);
    EXPECT_EQ(back.LayDown, race.LayDown);
    EXPECT_EQ(back.PreStartMin, race.PreStartMin);
    EXPECT_EQ(back.NorthUp, 1);
    EXPECT_EQ(back.CtFlag, 1);
    EXPECT_EQ(back.BoatGpsFile, race.BoatGpsFile);
    EXPECT_EQ(back.BoatName, race.BoatName);
    EXPECT_EQ(back.BoatTcf, race.BoatTcf);
    EXPECT_EQ(back.BoatClass, race.BoatClass);
    EXPECT_EQ(back.BoatStartOffset, race.BoatStartOffset);
    EXPECT_EQ(back.BoatShown, race.BoatShown);
    EXPECT_EQ(back.BoatEntered, race.BoatEntered);
    EXPECT_EQ(back.ClassNames, race.ClassNames);
    EXPECT_EQ(back.MapNames, race.MapNames);
    EXPECT_EQ(back.AttachmentNames, race.AttachmentNames);
    EXPECT_EQ(back.WindFile, "wind.csv");
    EXPECT_EQ(back.WindDir, race.WindDir);
    EXPECT_EQ(back.MarkList, race.MarkList);
    EXPECT_EQ(back.LineList, race.LineList);
    EXPECT_EQ(back.CourseList, race.CourseList);
}

TEST_F(RaceFileTest, BoatOptionsAreWrittenOnlyAsFarAsNeeded)
{
    RaceSettings race = SampleRace();
    race.BoatStartOffset[0] = 120;
    race.BoatShown[1] = 0;
    race.BoatShown[2] = 0;
    race.BoatEntered[2] = 0;
    const std::string text = Cp932ToUtf8(EncodeRaceFile(race, RaceWriteOptions{}));
    EXPECT_NE(text.find("BN,boat1.gpx,Alpha,,120\r\nBN,Boat2.LOG,Bravo,0.95,0,1\r\nBN,boat3.trb,Charlie,,0,3\r\n"),
              std::string::npos)
        << text;
}

TEST_F(RaceFileTest, TextsTheFileCannotHoldAreRefusedAndNothingIsWritten)
{
    std::ofstream(Path("keep.txt"), std::ios::binary) << "T1,old\r\n";
    RaceSettings race = SampleRace();
    race.BoatName[1] = "Bravo, the second";
    try {
        WriteRaceFile(Path("keep.txt"), race, {});
        FAIL();
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("The name of boat 2"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("comma"), std::string::npos) << e.what();
    }
    race = SampleRace();
    race.Title2 = "Régate 😀";
    try {
        WriteRaceFile(Path("keep.txt"), race, {});
        FAIL();
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("Race Title 2"), std::string::npos) << e.what();
    }
    // Read again, "//" would start a comment and cut the text.
    for (const char* field : {"Race Title 1", "The name of boat 1"}) {
        race = SampleRace();
        (field[0] == 'R' ? race.Title1 : race.BoatName[0]) = "Cup 2024 // Race 1";
        try {
            WriteRaceFile(Path("keep.txt"), race, {});
            FAIL() << field;
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find(field), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("\"//\""), std::string::npos) << e.what();
        }
    }
    race = SampleRace();
    race.MapNames = {"5339", "//38"};  // read back, the rest of the line would be a comment
    EXPECT_THROW(WriteRaceFile(Path("keep.txt"), race, {}), DataError);
    race = SampleRace();
    race.TimeDiff = 30;  // the reader would refuse the file
    EXPECT_THROW(WriteRaceFile(Path("keep.txt"), race, {}), DataError);
    std::ifstream in(Path("keep.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "T1,old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "raceadmin"), fs::directory_iterator()), 1)
        << "no temporary file left";
}

} // namespace
} // namespace tackedit
