// The compile screen's "Check Race": the race check on the values Save Data
// would read, shown in the findings window.

#include "check/photo_time.h"
#include "screens/race_check_window.h"
#include "platform/qt/qt_platform.h"
#include "screens/compile_screen.h"
#include "base/numbers.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>

namespace tackedit {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// What the reader left out and the user has not put back since (a file copied
// into gpsdat/ and added again is a boat of the race now).
RaceFileSkips StillLeftOut(const RaceFileSkips& opened, const RaceSettings& race)
{
    RaceFileSkips left;
    left.full_boats = opened.full_boats;
    for (const RaceFileSkips::Boat& skip : opened.boats) {
        const auto& files = race.BoatGpsFile;
        if (std::none_of(files.begin(), files.begin() + race.BoatCount,
                         [&](const std::string& file) { return SameName(file, skip.file); })) {
            left.boats.push_back(skip);
            left.boats.back().position = std::min(skip.position, race.BoatCount);
        } else if (skip.list_full) {
            --left.full_boats;
        }
    }
    for (const std::string& name : opened.attachments)
        if (std::none_of(race.AttachmentNames.begin(), race.AttachmentNames.end(),
                         [&](const std::string& added) { return SameName(added, name); }))
            left.attachments.push_back(name);
    return left;
}

} // namespace

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
            screen.input.ui_language = state_.UiLanguage;
            screen.input.skipped = StillLeftOut(opened_skips_, screen.race);
            screen.input.minimize_on_save = findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->isChecked();
            if (!preset_.file.empty()) {
                screen.input.preset.file = preset_.file;
                screen.input.preset.times =
                    screen.race.StartTime == preset_.start && screen.race.FinishTime == preset_.finish;
                screen.input.preset.maps = preset_.maps;
            }
            return screen;
        };
        hooks.PointBoatAt = [this](int boat, const std::string& old_file, const std::string& new_file) {
            return UseTrackForBoat(boat, old_file, new_file);
        };
        hooks.EditTrack = [this](int boat) { return EditBoatTrack(boat); };
        hooks.ui_language = state_.UiLanguage;
        window = new RaceCheckWindow(this, services_.dialogs, services_.cursor, std::move(hooks));
    }
    window->show();
    window->raise();
    window->RunCheck();
}

} // namespace tackedit
