// "Replay" and "Results": the race as it stands on the compile screen, in the
// browser and in the results window.

#include "screens/compile_screen.h"
#include "race/race_file.h"
#include "screens/replay_open.h"
#include "screens/results_view.h"
#include "screens/video_dialog.h"
#include "base/messages.h"
#include "platform/qt/qt_platform.h"
#include "base/data_error.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace tackedit {

void CompileScreen::PlaceReplayButton()
{
    // Left of "Check Race", after the map list's caption where that is shown.
    // Its menu's arrow last.
    auto* button = findChild<QPushButton*>(QStringLiteral("ButtonReplay"));
    auto* more = findChild<QToolButton*>(QStringLiteral("ButtonReplayMore"));
    auto* caption = findChild<QLabel*>(QStringLiteral("Label26"));
    int left = 448;
    if (caption && caption->isVisibleTo(this))
        left += caption->fontMetrics().horizontalAdvance(caption->text()) + 8;
    const int width = std::max(546 - left, 56);
    button->setGeometry(left, 229, width - 16, 19);
    if (more)
        more->setGeometry(left + width - 16, 229, 16, 19);
}

void CompileScreen::showEvent(QShowEvent* event)
{
    PlaceReplayButton();
    QFrame::showEvent(event);
}

RaceSettings CompileScreen::RaceAsSaved(std::string& file)
{
    RaceSettings race = state_.race;
    ReadRaceScreen(race);
    file = state_.RaceFileName.empty() ? FromQString(ComboBox1->currentText()) : state_.RaceFileName;
    RaceWriteOptions options;
    options.ui_language = state_.UiLanguage;
    options.wind_file_box = FromQString(ComboBox2->currentText());
    // As Save Data writes it and the viewer reads it back, with no file written.
    RaceSettings as_saved = race;
    const std::string bytes = EncodeRaceFile(race, options, file);
    ResetRaceForReading(as_saved);
    ParseRaceFile(bytes, file, state_.paths.AppDir, as_saved);
    CompleteRaceRead(state_.paths.AppDir, state_.UiLanguage, as_saved);
    return as_saved;
}

void CompileScreen::ButtonReplayClick()
{
    WithScreenReplay([this](const ReplayRaces& races, const std::string&) {
        std::string built;
        OpenReplay(races, state_, services_, &built);
        if (!built.empty())
            ShowReplayPath(built);
    });
}

void CompileScreen::SaveReplayAsOneFileClick()
{
    WithScreenReplay([this](const ReplayRaces& races, const std::string& file) {
        SaveReplayFile(races, state_.paths.AppDir + file.substr(0, file.rfind('.')) + ".html", state_, services_);
    });
}

void CompileScreen::MakeVideoClick()
{
    // The video is drawn from the race file, so what is only on screen would be missing.
    if (state_.RaceFileName.empty() || HasUnsavedChanges()) {
        ShowError(Say(texts::kVideoSaveFirst, state_.UiLanguage));
        return;
    }
    MakeVideoOfRaceFile(this, state_.RaceFileName, state_, services_);
}

void CompileScreen::WithScreenReplay(const std::function<void(const ReplayRaces&, const std::string& file)>& use)
{
    std::string file;
    RaceSettings as_saved;
    try {
        as_saved = RaceAsSaved(file);
    } catch (const DataError& e) {
        ShowError(Say(texts::kReplayNotBuilt, state_.UiLanguage, {e.what()}));
        return;
    }
    ReplayRaces races;
    races.count = 1;
    races.file = [file](std::size_t) { return file; };
    races.read = [&](std::size_t) {
        ReplayReadOptions options;
        options.analysis = true;
        return MakeReplayRace(as_saved, state_.paths.AppDir, file, options);
    };
    use(races, file);
}

void CompileScreen::ShowReplayPath(const std::string& index)
{
    replay_index_ = index;
    auto* label = findChild<QLabel*>(QStringLiteral("LabelReplayPath"));
    const QString path = ToQString(index);
    label->setText(label->fontMetrics().elidedText(path, Qt::ElideMiddle, label->width()));
    label->setToolTip(path);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->show();
    findChild<QPushButton*>(QStringLiteral("ButtonOpenReplay"))->show();
    // The map list, when shown, moves down under the path.
    if (ListBox7->isVisibleTo(this))
        ListBox7->setGeometry(448, 273, 217, 37);
}

void CompileScreen::ButtonOpenReplayClick()
{
    const std::string folder = replay_index_.substr(0, replay_index_.rfind('/'));
    if (!services_.shell.OpenDocument(folder))
        ShowError(Say(texts::kFolderDoesNotOpen, state_.UiLanguage, {folder}));
}

void CompileScreen::ButtonResultsClick()
{
    auto* view = findChild<ResultsView*>();
    if (!view) {
        ResultsView::Hooks hooks;
        hooks.ReadRace = [this] {
            std::string file;
            const RaceSettings as_saved = RaceAsSaved(file);
            ReplayReadOptions options;
            options.pictures = options.land = false;
            options.analysis = true;
            return std::pair(MakeReplayRace(as_saved, state_.paths.AppDir, file, options), file);
        };
        hooks.export_folder = state_.paths.AppDir;
        hooks.ui_language = state_.UiLanguage;
        view = new ResultsView(this, services_.dialogs, services_.cursor, std::move(hooks));
    }
    view->show();
    view->raise();
    view->Refresh();
}

} // namespace tackedit
