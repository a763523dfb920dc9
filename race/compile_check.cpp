// The compile screen's "Check Race": the race check on the values Save Data
// would read, shown in the findings window.

#include "check/photo_time.h"
#include "check/race_check_window.h"
#include "platform/qt/qt_platform.h"
#include "race/compile_screen.h"

#include <QComboBox>

namespace tackedit {

void CompileScreen::ButtonCheckRaceClick()
{
    auto* window = findChild<RaceCheckWindow*>();
    if (!window) {
        RaceCheckWindow::Hooks hooks;
        hooks.ReadScreen = [this] {
            RaceCheckWindow::ScreenRace screen{state_.race, {}};
            ReadRaceScreen(screen.race);
            screen.race.WindFile = FromQString(ComboBox2->currentText());
            screen.input.app_dir = state_.paths.AppDir;
            screen.input.race_file_name =
                state_.RaceFileName.empty() ? FromQString(ComboBox1->currentText()) : state_.RaceFileName;
            screen.input.viewer_exe = state_.paths.ViewerExe;
            screen.input.capture_time = ReadCaptureTime;
            return screen;
        };
        hooks.PointBoatAt = [this](int boat, const std::string& old_file, const std::string& new_file) {
            auto& files = state_.race.BoatGpsFile;
            if (boat < 1 || boat > state_.race.BoatCount || files[static_cast<std::size_t>(boat - 1)] != old_file)
                return false;
            files[static_cast<std::size_t>(boat - 1)] = new_file;
            RefillBoatList(" / ");
            ListGpsFiles();
            return true;
        };
        window = new RaceCheckWindow(this, services_.dialogs, services_.cursor, std::move(hooks));
    }
    window->show();
    window->raise();
    window->RunCheck();
}

} // namespace tackedit
