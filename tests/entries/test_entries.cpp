// Entry lists as spreadsheets, scoring programs and results systems write
// them; the tracks that find their boats; the race file's boats set from them.

#include "entries/entry_list.h"
#include "entries/race_boats.h"
#include "entries/track_match.h"
#include "base/data_error.h"
#include "platform/text_codec.h"
#include "race/race_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

std::string Sjis(const std::string& utf8) { return *Utf8ToCp932(utf8); }

TEST(EntryList, SemicolonListWithBomQuotesEmptyRowsAndExtraColumns)
{
    const std::string csv = "\xEF\xBB\xBF"
                            "Id;Sail Number;Yacht;Division;Skipper;Club;Rating;Paid\r\n"
                            "1;GBR 1234;\"Sea; Breeze\";IRC 1;\"Smith, \"\"Jo\"\"\";RYC;1,025;yes\r\n"
                            ";;;;;;;\r\n"
                            "\r\n"
                            "2;0045;\"Two\r\nLines\";IRC 2;Lee;;0.98;no\r\n"
                            "3;;;IRC 2;Nobody;;;\r\n"
                            "4;GBR1234;Again;IRC 1;;;lots;\r\n";
    const EntryList list = ParseEntryList(csv, "list.csv");
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].sail, "GBR 1234");
    EXPECT_EQ(list.entries[0].boat, "Sea; Breeze");
    EXPECT_EQ(list.entries[0].helm, "Smith, \"Jo\"");
    EXPECT_EQ(list.entries[0].club, "RYC");
    EXPECT_DOUBLE_EQ(list.entries[0].tcf, 1.025);
    EXPECT_EQ(list.entries[1].boat, "Two\r\nLines");
    EXPECT_EQ(list.entries[1].line, 5);
    EXPECT_EQ(list.entries[2].line, 8);  // the line break inside quotes counts
    EXPECT_EQ(list.Classes(), (std::vector<std::string>{"IRC 1", "IRC 2"}));
    ASSERT_EQ(list.problems.size(), 2u);
    EXPECT_EQ(list.problems[0], "line 7: no sail number and no boat name; the row is left out");
    EXPECT_NE(list.problems[1].find("line 8: the TCF 'lots'"), std::string::npos);
    ASSERT_EQ(list.duplicates.size(), 1u);
    EXPECT_EQ(list.duplicates[0], "sail number GBR 1234 on lines 2 and 8");
}

TEST(EntryList, ShiftJisJapaneseHeadersTabSeparated)
{
    const std::string csv = Sjis("艇名\tセール番号\tクラス\tスキッパー\tレーティング\tトラック\tデバイス\r\n"
                                 "海風\tJPN 45\tヤマハ30\t佐藤\t1.008\tumikaze.trb\t3912345678\r\n");
    const EntryList list = ParseEntryList(csv, "list.csv");
    ASSERT_EQ(list.entries.size(), 1u);
    const Entry& e = list.entries[0];
    EXPECT_EQ(e.boat, "海風");
    EXPECT_EQ(e.sail, "JPN 45");
    EXPECT_EQ(e.boat_class, "ヤマハ30");
    EXPECT_EQ(e.helm, "佐藤");
    EXPECT_EQ(e.track_file, "umikaze.trb");
    EXPECT_EQ(e.device, "3912345678");
    EXPECT_TRUE(list.has_file_column && list.has_device_column);
}

TEST(EntryList, WhatIsNoEntryListSaysSo)
{
    const auto message = [](const std::string& bytes) {
        try {
            ParseEntryList(bytes, "x.csv");
        } catch (const DataError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).find("binary data"), std::string::npos);
    EXPECT_NE(message("Name,Age\nAnna,12\n").find("no column it knows"), std::string::npos);
    EXPECT_NE(message("").find("no column it knows"), std::string::npos);
    EXPECT_NE(message("Class,Club\nLaser,RYC\n").find("no sail number column and no boat name"), std::string::npos);
    EXPECT_NE(message("<html><body>").find("XML does not read"), std::string::npos);
    EXPECT_NE(message("<?xml version=\"1.0\"?><gpx/>").find("no Team"), std::string::npos);
}

TEST(EntryList, XrrEntriesFromPersonBoatAndTeam)
{
    const std::string xrr = R"(<?xml version="1.0" encoding="UTF-8"?>
<SailingXRR Type="Entries" Version="1.3">
  <Person PersonID="P1" GivenName="Aiko" FamilyName="Tanaka" NOC="JPN"/>
  <Person PersonID="P2" GivenName="Ben" FamilyName="Ross"/>
  <Person PersonID="P3" GivenName="Cara" FamilyName="Ng"/>
  <Boat BoatID="B1" SailNumber="JPN 45" BoatName="Hayate"/>
  <Boat BoatID="B2" SailNumber="GBR 7" BoatName=""/>
  <Team TeamID="T1" BoatID="B1" NOC="JPN" Club="Hayama YC">
    <Crew PersonID="P3" Position="C"/><Crew PersonID="P1" Position="S"/>
  </Team>
  <Team TeamID="T2" BoatID="B2" NOC="GBR"><Crew PersonID="P2" Position="Skipper"/></Team>
  <Team TeamID="T3" BoatID="B9"/>
  <Event EventID="1" Title="J/24"><Race RaceID="1"/><RaceResult TeamID="T1" RaceID="1"/></Event>
</SailingXRR>)";
    const EntryList list = ParseEntryList(xrr, "entries.xml");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].sail, "JPN 45");
    EXPECT_EQ(list.entries[0].boat, "Hayate");
    EXPECT_EQ(list.entries[0].helm, "Aiko Tanaka");
    EXPECT_EQ(list.entries[0].club, "Hayama YC");
    EXPECT_EQ(list.entries[0].boat_class, "J/24");
    EXPECT_EQ(list.entries[1].helm, "Ben Ross");
    EXPECT_EQ(list.entries[1].club, "GBR");
    EXPECT_EQ(list.entries[1].boat_class, "");
    ASSERT_EQ(list.problems.size(), 1u);
    EXPECT_NE(list.problems[0].find("team T3"), std::string::npos);
}

TEST(FileNames, SailNumbersAndNamesAsLoggersWriteThem)
{
    EXPECT_TRUE(FileNameHoldsSail("jpn-0045_day1.gpx", "JPN 45"));
    EXPECT_TRUE(FileNameHoldsSail("jpn-0045_day1.gpx", "45"));
    EXPECT_FALSE(FileNameHoldsSail("jpn-0045_day1.gpx", "GBR 45"));
    EXPECT_FALSE(FileNameHoldsSail("jpn-0045_day1.gpx", "1"));  // "day1" is no sail number
    EXPECT_TRUE(FileNameHoldsSail("GBR1234.vkx", "1234"));
    EXPECT_TRUE(FileNameHoldsSail("GBR1234.vkx", "gbr-1234"));
    EXPECT_FALSE(FileNameHoldsSail("GBR1234.vkx", "123"));
    for (const char* sail : {"2026", "16", "05", "103512", "3512"})
        EXPECT_FALSE(FileNameHoldsSail("Track_2026-05-16 103512.gpx", sail)) << sail;
    EXPECT_FALSE(FileNameHoldsSail("ACTIVITY.FIT", "1"));
    EXPECT_TRUE(FileNameHoldsBoat("sea_breeze-day1.gpx", "Sea Breeze"));
    EXPECT_TRUE(FileNameHoldsBoat("SEABREEZE.FIT", "Sea Breeze"));
    EXPECT_FALSE(FileNameHoldsBoat("seabreezer.gpx", "Sea Breeze"));
    EXPECT_FALSE(FileNameHoldsBoat("windward.gpx", "Wind"));
}

// A FIT file that holds only its file_id with the serial number.
std::string FitWithSerial(std::uint32_t serial)
{
    std::string records = {'\x40', 0, 0, 0, 0, 2, 0, 1, 0, 3, 4, '\x8C', 0, 4};
    for (int i = 0; i < 4; ++i)
        records += static_cast<char>(serial >> (8 * i) & 0xff);
    std::string header = {14, 0x10, 0, 0};
    for (int i = 0; i < 4; ++i)
        header += static_cast<char>(records.size() >> (8 * i) & 0xff);
    return header + ".FIT" + std::string(2, '\0') + records;
}

std::string Gpx(const std::string& creator, const char* first, const char* last)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"" + creator + "\"><metadata><time>2020-01-01T00:00:00Z"
           "</time></metadata><trk><trkseg>\n<trkpt lat=\"35\" lon=\"139\"><time>" + first + "</time></trkpt>\n"
           "<trkpt lat=\"35\" lon=\"139\"><time>" + last + "</time></trkpt>\n</trkseg></trk></gpx>\n";
}

class Matching : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::path(::testing::TempDir()) / "entries_matching";
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void Put(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    fs::path dir_;
};

TEST_F(Matching, EachRuleInTurnAndWhatIsLeftListed)
{
    // The race: 2026-05-16 01:00 to 02:00 UTC.
    const RaceWindow race{*ParseRaceDateTime("2026/05/16 1:00:00"), *ParseRaceDateTime("2026/05/16 2:00:00")};
    Put("ACTIVITY.FIT", FitWithSerial(3912345678u));
    Put("Track_2026-05-16 103512.gpx", Gpx("eTrex 30x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("jpn-0045_day1.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("jpn-0045_day2.gpx", Gpx("x", "2026-05-17T00:30:00Z", "2026-05-17T02:30:00Z"));
    Put("GBR1234.vkx", "not read");
    Put("gbr_77.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("GBR-77_b.gpx", Gpx("x", "2026-05-16T00:50:00Z", "2026-05-16T02:10:00Z"));
    Put("sea-breeze.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("stray.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("notes.txt", "not a track");
    const EntryList list = ParseEntryList("Sail No,Boat,Device,File\n"
                                          "9,Listed,,GBR1234.VKX\n"
                                          "10,Watch,3912345678,\n"
                                          "11,Handheld,etrex 30x,\n"
                                          "JPN 45,Hayate,,\n"
                                          "GBR 77,Twin,,\n"
                                          "12,Sea Breeze,,\n"
                                          "13,Also Breeze,,sea-breeze.gpx\n"
                                          "14,Nobody,,missing.gpx\n",
                                          "list.csv");
    const EntryMatches m = MatchTracks(dir_.string(), list, race);
    const auto file = [&](std::size_t e) { return m.file[e].value_or("-") + " / " + m.reason[e]; };
    EXPECT_EQ(file(0), "GBR1234.vkx / file column");
    EXPECT_EQ(file(1), "ACTIVITY.FIT / device 3912345678");
    EXPECT_EQ(file(2), "Track_2026-05-16 103512.gpx / device etrex 30x");
    EXPECT_EQ(file(3), "jpn-0045_day1.gpx / covers the race");
    // Sea Breeze's file went to the file column of another entry first.
    EXPECT_EQ(file(6), "sea-breeze.gpx / file column");
    EXPECT_EQ(file(5), "- / ");
    // Both GBR 77 files overlap the race and cover it whole: no silent choice.
    ASSERT_EQ(m.conflicts.size(), 1u);
    EXPECT_EQ(m.conflicts[0].entries, std::vector<std::size_t>{4});
    EXPECT_EQ(m.conflicts[0].files, (std::vector<std::string>{"GBR-77_b.gpx", "gbr_77.gpx"}));
    EXPECT_EQ(m.without_track, (std::vector<std::size_t>{5, 7}));
    EXPECT_EQ(m.tracks_without_entry, (std::vector<std::string>{"jpn-0045_day2.gpx", "stray.gpx"}));
    ASSERT_EQ(m.notes.size(), 1u);
    EXPECT_NE(m.notes[0].find("missing.gpx, which is not in gpsdat/"), std::string::npos);
}

TEST_F(Matching, TwoEntriesClaimingOneFileGetNeither)
{
    Put("JPN45.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    Put("other.gpx", Gpx("x", "2026-05-16T00:30:00Z", "2026-05-16T02:30:00Z"));
    const EntryList list = ParseEntryList("Sail,Boat,File\n45,A,\n0045,B,\n7,C,other.gpx\n8,D,other.gpx\n", "l.csv");
    const EntryMatches m = MatchTracks(dir_.string(), list, {});
    ASSERT_EQ(m.conflicts.size(), 2u);
    EXPECT_EQ(m.conflicts[0].files, std::vector<std::string>{"other.gpx"});
    EXPECT_EQ(m.conflicts[0].reason, "file column: 2 entries claim one file");
    EXPECT_EQ(m.conflicts[1].entries, (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(m.without_track.empty() && m.tracks_without_entry.empty());
    for (const auto& f : m.file)
        EXPECT_FALSE(f);
}

TEST(RaceBoats, BoatsAndClassesReplacedEveryOtherLineKept)
{
    const std::string race = Sjis("T1,Day\r\nT2,第1レース\r\nST,2026/05/16 10:00:00\r\nCLSSEP,1\r\n"
                                  "// BN 欄の記入Format\r\nCLSN,Old\r\nBN,a.gpx,Old A,1.1,30,2\r\n"
                                  "BN,gone.gpx,Gone\r\nXX,unknown line\r\nMK,35.1,139.2\r\nNOTE,keep me\r\n");
    const std::vector<ListedBoat> boats = {{"A.GPX", "新しい艇", "Keel", 0},
                                           {"b.gpx", "Bee", "", 0.95},
                                           {"c.gpx", "Cee", "Dinghy", 1.02}};
    const std::string out = Cp932ToUtf8(SetRaceBoats(race, boats, {"Keel", "Dinghy"}, "r.txt"));
    EXPECT_EQ(out, "T1,Day\r\nT2,第1レース\r\nST,2026/05/16 10:00:00\r\n"
                   "CLSSEP,1\r\nBN,b.gpx,Bee,0.95\r\nCLSN,Keel\r\nBN,A.GPX,新しい艇,,30,2\r\nCLSN,Dinghy\r\n"
                   "BN,c.gpx,Cee,1.02\r\n"
                   "// BN 欄の記入Format\r\nXX,unknown line\r\nMK,35.1,139.2\r\nNOTE,keep me\r\n");

    // Without boat lines the boats go before the marks.
    EXPECT_EQ(SetRaceBoats("T1,x\r\nMK,1,2\r\n", {{"b.gpx", "B", "", 0}}, {}, "r.txt"),
              "T1,x\r\nBN,b.gpx,B\r\nMK,1,2\r\n");
}

TEST(RaceBoats, WhatTheFileCannotHoldWritesNothing)
{
    EXPECT_THROW(SetRaceBoats("T1,x\r\n", {{"b.gpx", "Bee \xF0\x9F\x90\x9D", "", 0}}, {}, "r.txt"), DataError);
    EXPECT_THROW(SetRaceBoats("T1,x\r\n", {{"b.gpx", "A, B", "", 0}}, {}, "r.txt"), DataError);
    const std::vector<std::string> eleven(11, "C");
    EXPECT_THROW(SetRaceBoats("T1,x\r\n", {}, eleven, "r.txt"), DataError);
}

} // namespace
} // namespace tackedit
