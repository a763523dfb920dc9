// The compile screen's "Save Data" and its way back to the cover.

#include "external/help.h"
#include "external/settings.h"
#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "screens/compile_screen.h"
#include "race/handoff_file.h"
#include "race/race_file.h"
#include "screens/captions.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/workspace_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

void CompileScreen::Button9Click()
{
    try {
        SaveData();
    } catch (const DataError& e) {
        LeaveProgressPanel();
        ShowError(e.what());
    } catch (...) {
        LeaveProgressPanel();
        throw;
    }
}

void CompileScreen::SaveData()
{
    RaceSettings& race = state_.race;
    if (race.BoatCount == 0) {
        services_.dialogs.ShowMessage("tackvue", Say(texts::kChooseBoatFirst, state_.UiLanguage));
        return;
    }
    const bool minimize = findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->isChecked();
    const auto answer =
        AskRaceFileName(ProposedRaceFileName(state_.RaceFileName, FromQString(ComboBox1->currentText())));
    if (!answer)
        return;
    const std::string& name = *answer;
    const std::string folder = state_.paths.AppDir + "raceadmin";
    const auto existing = FindWorkspaceFile(folder, name);
    bool save = true;
    if (existing) {
        save = services_.dialogs.AskYesNoCancel("Race Admin Data", "Same file name exists. Overwrite?") ==
                   MessageAnswer::Yes ||
               services_.dialogs.AskYesNo("tackvue", Say(texts::kOverwriteOrShow, state_.UiLanguage));
    }
    if (!save && state_.RaceFileName.empty()) {
        // A race never saved has no file the viewer could show: keep it on screen.
        services_.dialogs.ShowMessage("tackvue", Say(texts::kNothingSaved, state_.UiLanguage), true);
        return;
    }
    // Asked before anything is written, so that Cancel leaves every file as it was.
    const MessageAnswer mode = services_.dialogs.AskYesNoCancel(Say(texts::kViewerModeCaption, state_.UiLanguage),
                                                                Say(texts::kViewerModeQuestion, state_.UiLanguage));
    if (mode == MessageAnswer::Cancel)
        return;
    RaceWriteOptions options;
    if (save) {
        state_.RaceFileName = name;
        ReadRaceScreen();
        options.ui_language = state_.UiLanguage;
        options.wind_file_box = FromQString(ComboBox2->currentText());
        options.minimize_on_save = minimize;
    }
    // Converted before the race file is written, so that it names the files made.
    std::vector<std::string> trb_files;
    std::vector<TrbLeftOut> left_out;
    std::optional<LongOperation> converting;
    if (minimize) {
        converting.emplace(state_, [this] { window()->close(); });
        host_.SwitchScreen(6);
        auto* progress = window()->findChild<QLabel*>(QStringLiteral("Label28"));
        LoadServices load{services_.events, services_.beeper, services_.cursor, {}};
        try {
            ConvertGpsFilesToTrb(race, state_.paths.AppDir, state_.track, state_.edit, load,
                                 [progress](const std::string& new_name) {
                                     if (progress) {
                                         progress->setText(ToQString(new_name));
                                         progress->repaint();
                                     }
                                     QCoreApplication::processEvents();
                                 },
                                 trb_files, &left_out);
        } catch (...) {
            UseTrbFiles(race, trb_files);
            throw;
        }
        options.trb_files = trb_files;
        // The race stays behind the messages that follow, not the emptied progress panel.
        host_.SwitchScreen(3);
    }
    if (save) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        WriteRaceFile(existing.value_or(folder + "/" + name), race, options);
    }
    UseTrbFiles(race, trb_files);
    if (save)
        MarkRaceSaved();  // with the TRB names the conversion gave the boats
    WriteSettingsFile(state_.paths.SettingsFilePath, race, state_.tools);
    if (!left_out.empty())
        services_.dialogs.ShowMessage("tackvue", LeftOutText(left_out), true);
    // A window closed during the conversion closes now, without the viewer.
    if (!state_.CloseWhenDone) {
        WriteHandoffFile(state_.paths.HandoffFilePath,
                         mode == MessageAnswer::Yes ? state_.RaceFileName : state_.RaceFileName + "_b");
        if (const std::string problem = services_.shell.StartProgram(ViewerToStart(state_.paths)); !problem.empty())
            services_.dialogs.ShowMessage("tackvue", problem);
    }
    host_.SwitchScreen(1);
}

std::string CompileScreen::LeftOutText(const std::vector<TrbLeftOut>& left_out) const
{
    std::string text;
    for (const TrbLeftOut& boat : left_out)
        text += (text.empty() ? "" : "\n") +
                Say(texts::kConversionLeftOut, state_.UiLanguage,
                    {state_.race.BoatName[boat.boat], std::to_string(boat.left_out), std::to_string(boat.fixes)});
    return text;
}

void CompileScreen::Button10Click()
{
    if (MayLeave())
        host_.SwitchScreen(1);
}

void CompileScreen::Button16Click() { ShowEditorHelp(state_.paths.AppDir, state_.UiLanguage, services_.shell, services_.dialogs); }

} // namespace tackedit
