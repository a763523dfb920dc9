// The race file reader on any bytes. A file that reads without error and can be
// saved is saved, read again and saved again: the two saves are byte-identical.
#include "fuzz/fuzz_common.h"
#include "race/race_file.h"

#include <filesystem>

using namespace tackedit;

namespace {

// A workspace with the boat and attachment files the seeds name, so BN and AT
// lines are taken rather than skipped.
const std::string& Workspace()
{
    static const std::string dir = [] {
        namespace fs = std::filesystem;
        // One fixed folder, left in place: a crashing run could not remove it anyway.
        const fs::path root = fs::temp_directory_path() / "tackedit-fuzz-race";
        fs::create_directories(root / "gpsdat");
        fs::create_directories(root / "attachment");
        fs::create_directories(root / "pic" / "photos");
        // Each with the TRB twin a minimised save names.
        for (const char* name : {"a.gpx", "a.trb", "b.log", "b.trb", "boat1.gpx", "boat1.trb", "hayate_20240615.gpx",
                                 "hayate_20240615.trb", "KAZEKIRI.LOG", "kazekiri.trb", "umikaze.trb"})
            std::ofstream(root / "gpsdat" / name) << "x";
        std::ofstream(root / "attachment" / "Sailing_Instructions.txt") << "x";
        return (root / "").string();
    }();
    return dir;
}

void Read(std::string_view bytes, int ui_language, RaceSettings& race)
{
    ResetRaceForReading(race);
    ParseRaceFile(bytes, "fuzz.txt", Workspace(), race);
    CompleteRaceRead(Workspace(), ui_language, race);
}

std::string Save(RaceSettings& race, int ui_language, bool minimize)
{
    RaceWriteOptions options;
    options.ui_language = ui_language;
    options.wind_file_box = race.WindFile;
    options.minimize_on_save = minimize;
    return EncodeRaceFile(race, options, "fuzz.txt");
}

} // namespace

std::vector<std::string> fuzz::Seeds()
{
    RaceSettings race;
    race.Title1 = "Cup";
    race.Title2 = "相模湾 第1レース";
    race.StartTime = *TryEncodeDate(2024, 6, 15) + *TryEncodeTime(9, 30, 0);
    race.FinishTime = race.StartTime + 0.5;
    race.ClassNames = {"J24", "Open"};
    race.ClassesOn = 1;
    race.AddBoat("a.gpx", "Alpha", 1, 0.95, 0, 1, 1);
    race.AddBoat("b.log", "Bravo", 2, 0, 30, 0, 1);
    race.MapNames = {"5339", "5239"};
    race.AttachmentNames = {"Sailing_Instructions.txt"};
    race.WindFile = "wind.csv";
    race.MarkList = {{35.25, 139.5}};
    race.LineList = {{35.26, 139.46, 35.262, 139.467}};
    race.CourseList = {"S", "1", "F"};
    race.NorthUp = race.CtFlag = race.Lighthouse = 1;
    std::vector<std::string> seeds;
    for (const int language : {0, 2})
        seeds.push_back(Save(race, language, language == 0));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks the captions' language and the minimised names.
    const int ui_language = size > 0 && (data[0] & 1) ? 0 : 2;
    const bool minimize = size > 0 && (data[0] & 2);
    RaceSettings race;
    try {
        Read(fuzz::Bytes(data, size), ui_language, race);
    } catch (const DataError&) {
        return 0;
    }
    std::string first;
    try {
        first = Save(race, ui_language, minimize);
    } catch (const DataError&) {
        return 0;  // a text the file cannot hold is refused with a message
    }
    RaceSettings again;
    try {
        Read(first, ui_language, again);
    } catch (const DataError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fuzz::Check(false, "a saved race file reads back");
    }
    const std::string second = Save(again, ui_language, minimize);
    if (second != first)
        std::fprintf(stderr, "first save:\n%s\nsecond save:\n%s\n", first.c_str(), second.c_str());
    fuzz::Check(second == first, "the second save equals the first");
    return 0;
}
