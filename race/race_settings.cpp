#include "race/race_settings.h"

#include "base/numbers.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tackedit {

bool RaceSettings::AddBoat(const std::string& gps_file, const std::string& name, int boat_class, double tcf,
                           int start_offset, int shown, int entered)
{
    if (BoatCount >= BoatLimit)
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

} // namespace tackedit
