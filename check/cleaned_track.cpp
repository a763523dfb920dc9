// A boat whose track was cleaned in the editor while the race kept the raw file.

#include "check/race_check.h"
#include "editor/editor_core.h"
#include "base/workspace_files.h"

#include <filesystem>

namespace tackedit {

std::optional<std::string> CleanedTrackFor(const std::string& gpsdat, const std::string& file,
                                           const RaceSettings& race)
{
    namespace fs = std::filesystem;
    std::optional<fs::path> newest;
    fs::file_time_type newest_time{};
    for (const EditedTrackFormat format : {EditedTrackFormat::Trb, EditedTrackFormat::Gpx}) {
        const std::string name = EditedTrackName(file, format);
        if (SameFileName(name, file))
            return std::nullopt;  // the boat has its cleaned track already
        const auto found = FindWorkspaceFile(gpsdat, name);
        std::error_code error;
        const auto time = found ? fs::last_write_time(*found, error) : fs::file_time_type{};
        if (found && !error && (!newest || time > newest_time)) {
            newest = fs::path(*found);
            newest_time = time;
        }
    }
    if (!newest)
        return std::nullopt;
    const std::string name = newest->filename().string();
    for (int i = 0; i < race.BoatCount; ++i)
        if (SameFileName(race.BoatGpsFile[static_cast<std::size_t>(i)], name))
            return std::nullopt;
    return name;
}

} // namespace tackedit
