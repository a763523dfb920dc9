// The compile screen and the track editor: a boat's track opened in the editor
// from the race, and a track given to a boat with its settings kept.

#include "screens/compile_screen.h"

#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "base/messages.h"
#include "base/workspace_files.h"

#include <QListWidget>

namespace tackedit {

void CompileScreen::ButtonEditTrackClick()
{
    if (ListBox2->currentRow() >= 0)
        EditBoatTrack(ListBox2->currentRow() + 1);
}

bool CompileScreen::EditBoatTrack(int boat)
{
    if (boat < 1 || boat > state_.race.BoatCount)
        return false;
    const std::string& file = state_.race.BoatGpsFile[static_cast<std::size_t>(boat - 1)];
    const auto path = FindWorkspaceFile(state_.paths.AppDir + "gpsdat", file);
    if (!path) {
        ShowError(Say(texts::check::kNoGpsFile, state_.UiLanguage, {file}));
        return false;
    }
    // The race stays as it is on this screen, unsaved changes and all, for the editor's Back.
    return host_.EditRaceBoatTrack(*path, boat);
}

bool CompileScreen::UseTrackForBoat(int boat, const std::string& old_file, const std::string& new_file)
{
    auto& files = state_.race.BoatGpsFile;
    if (boat < 1 || boat > state_.race.BoatCount || files[static_cast<std::size_t>(boat - 1)] != old_file)
        return false;
    if (const auto problem = RaceFieldProblem(new_file, Japanese() ? "GPSファイル" : "The GPS file", state_.UiLanguage)) {
        ShowError(*problem);
        return false;
    }
    files[static_cast<std::size_t>(boat - 1)] = new_file;
    ListGpsFiles();  // the file may be new in gpsdat/
    RefillBoatList(" / ");
    ListBox2->setCurrentRow(boat - 1);
    return true;
}

} // namespace tackedit
