#pragma once

#include "base/datetime.h"

#include <array>
#include <string>
#include <vector>

namespace tackedit {

// The race being compiled: one record for the whole program. Lists hold at most
// their capacity; the per-boat arrays always change together (AddBoat, RemoveBoat).
struct RaceSettings {
    static constexpr int kMaxBoats = 80;
    // A fleet larger than any regatta's: what a replay still draws.
    static constexpr int kMaxReplayBoats = 1000;
    static constexpr int kMaxClasses = 10;
    static constexpr int kMaxMaps = 10;
    static constexpr int kMaxAttachments = 10;
    static constexpr int kMaxMarks = 20;
    static constexpr int kMaxLines = 10;
    static constexpr int kMaxCourse = 20;

    std::string Title1, Title2;
    double MagVar = -7.0;  // degrees, west negative
    double Loa = 4.7;      // metres
    DateTime StartTime = 0, FinishTime = 0;  // local time of the race
    int TimeDiff = 9;      // hours, local time minus UTC
    double PlaySpeedAfter = 0, PlaySpeedPre = 0;
    int LayUp = 45, LayDown = 160;  // degrees
    int PreStartMin = 0;
    int NorthUp = 0;  // > 0 north up, 0 windward
    int CtFlag = 0;
    int ClassesOn = 0;
    std::vector<std::string> ClassNames;  // ClassNames[0] is class 1

    // Boats, in parallel; index 0 is boat 1. The window and the viewer hold
    // kMaxBoats; the replay, the analysis and the series take every boat line.
    int BoatLimit = kMaxBoats;
    int BoatCount = 0;
    std::vector<std::string> BoatGpsFile, BoatName;
    std::vector<int> BoatClass;  // 0 = no class
    std::vector<double> BoatTcf;  // 0 = none
    std::vector<int> BoatStartOffset, BoatShown, BoatEntered;

    std::vector<std::string> MapNames;
    int Lighthouse = 0;
    std::vector<std::string> AttachmentNames;
    std::string WindFile;
    int WindDir = 0;  // degrees, magnetic
    std::vector<std::array<double, 2>> MarkList;
    std::vector<std::array<double, 4>> LineList, RlList;
    std::vector<std::string> CourseList;
    std::string PicFolder;
    // The race names a picture folder of its own (its PIC line, or one chosen
    // with Ref); only such a race writes a PIC line.
    bool PicFolderNamed = false;
    float PicTimeCorr = 0;  // seconds
    int PicSize = 0;
    std::string NoteText, GfText;
    float AddArea = 0;

    // Pictures of the race's picture folder, counted by the picture index.
    int PictureCount = 0, PictureFileCount = 0;

    // Replay window in seconds relative to the start, set by every read.
    int ReplayFrom = 0, ReplayTo = 0;

    int ClassCount() const { return static_cast<int>(ClassNames.size()); }

    // False when the list is full.
    bool AddBoat(const std::string& gps_file, const std::string& name, int boat_class = 0, double tcf = 0,
                 int start_offset = 0, int shown = 1, int entered = 1);
    // i is 1-based.
    void RemoveBoat(int i);
    void ClearBoats();
    // Boats, classes, lists, titles, flags and picture counts of the race gone;
    // the play speed after the start back to 5.
    void ClearRace();
};

// The signed race duration in whole seconds: |finish - start| + 0.5 s, rounded
// halves to even, negative when the finish lies before the start (by a
// millisecond or more); -1000000 when it does not fit 32 bits.
int RaceSeconds(DateTime start, DateTime finish);

} // namespace tackedit
