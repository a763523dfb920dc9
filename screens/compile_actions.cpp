// The compile screen's actions: starting and opening a race, adding and
// removing boats, maps and attachments, and the files dropped on it.

#include "screens/compile_screen.h"

#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "race/race_file.h"
#include "screens/boat_dialog.h"
#include "screens/picture_folder_box.h"
#include "base/data_error.h"
#include "base/workspace_files.h"
#include "track/formats/track_formats.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimeEdit>

#include <filesystem>

namespace tackedit {

namespace {

QString Q(const std::string& text) { return ToQString(text); }

} // namespace

void CompileScreen::ShowError(const std::string& text) { services_.dialogs.ShowMessage("tackvue", text); }

void CompileScreen::StartNewRace()
{
    state_.RaceFileName.clear();
    host_.SwitchScreen(3);
    ResetRace(state_.race);
    opened_skips_ = {};
    preset_ = {};
    Label22->setText(QStringLiteral("0 boats"));
    // A new race starts without the title 2 and the pictures of the race shown before.
    Edit18->clear();
    pictures_->Clear();
    SetCompileDefaults();
    MarkRaceSaved();
}

bool CompileScreen::OpenRace(const std::string& name)
{
    ResetRace(state_.race);
    opened_skips_ = {};
    preset_ = {};
    state_.RaceFileName = name;
    const std::string folder = state_.paths.AppDir + "raceadmin";
    const std::string path = FindWorkspaceFile(folder, name).value_or(folder + "/" + name);
    RaceFileSkips skipped;
    try {
        ReadRaceFile(path, state_.paths.AppDir, state_.UiLanguage, state_.race, &skipped);
    } catch (const DataError& e) {
        ShowError(e.what());
        return false;
    }
    pictures_->IndexAfterOpen();
    SetCompileDefaults();
    ShowRaceOnScreen();
    UpdatePlayTime();
    host_.SwitchScreen(3);
    MarkRaceSaved();
    ReportSkippedBoats(skipped);
    opened_skips_ = std::move(skipped);
    return true;
}

void CompileScreen::ListBox1Click()
{
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item)
        return;
    RaceSettings& race = state_.race;
    if (race.BoatCount >= RaceSettings::kMaxBoats) {
        ShowError("A race holds at most " + std::to_string(RaceSettings::kMaxBoats) + " boats.");
        return;
    }
    const std::string file = EntryFileName(FromQString(item->text()));
    const auto name = AskBoatName(DefaultBoatName(file));
    if (!name)
        return;
    race.AddBoat(file, *name, race.ClassCount());
    RefillBoatList("  / ");
    if (race.BoatCount == 1) {
        state_.edit.CurrentTrackFile = FindWorkspaceFile(state_.paths.AppDir + "gpsdat", file)
                                           .value_or(state_.paths.AppDir + "gpsdat/" + file);
        RaceAreaFromTrack();
    }
}

void CompileScreen::RaceAreaFromTrack()
{
    LoadServices load{services_.events, services_.beeper, services_.cursor, {}};
    try {
        LoadTrackFile(state_.edit.CurrentTrackFile, state_.track, state_.edit, load);
    } catch (const DataError& e) {
        ShowError(e.what());
        return;
    }
    const auto area = RaceAreaOf(state_.track, zone_hours_, state_.UiLanguage);
    if (!area)
        return;
    SetPickers(area->start, area->finish);
    preset_ = {state_.race.BoatGpsFile[0], PickerTime(DateTimePicker1, DateTimePicker2),
               PickerTime(DateTimePicker3, DateTimePicker4), area->map_names.value_or(std::vector<std::string>{})};
    if (area->map_names) {
        state_.race.MapNames = *area->map_names;
        ListBox7->clear();
        for (const std::string& name : state_.race.MapNames)
            ListBox7->addItem(Q(name));
    }
}

void CompileScreen::ListBox2ShiftMouseDown()
{
    // The list holds the boats in their order: the row is the boat, even when
    // another boat's name and file occur in its entry too.
    const int i = ListBox2->currentRow() + 1;
    if (i < 1 || i > state_.race.BoatCount)
        return;
    const auto at = static_cast<std::size_t>(i - 1);
    const std::string boat = state_.race.BoatName[at] + " (" + state_.race.BoatGpsFile[at] + ")";
    // Its TCF and options would go with it.
    if (!services_.dialogs.AskYesNo("tackvue", Japanese() ? boat + " をレースから削除しますか？"
                                                          : "Remove " + boat + " from the race?"))
        return;
    ListBox2->clear();
    state_.race.RemoveBoat(i);
    for (RaceFileSkips::Boat& skip : opened_skips_.boats)
        if (skip.position >= i)
            --skip.position;  // it stays between the same neighbours
    RefillBoatList(" / ");
}

void CompileScreen::ButtonBoatClick()
{
    const int row = ListBox2->currentRow();
    RaceSettings& race = state_.race;
    if (row < 0 || row >= race.BoatCount)
        return;
    const auto at = static_cast<std::size_t>(row);
    const BoatValues before{race.BoatName[at],      race.BoatGpsFile[at],     race.BoatClass[at], race.BoatTcf[at],
                            race.BoatStartOffset[at], race.BoatShown[at], race.BoatEntered[at]};
    const bool japanese = Japanese();
    const std::string gpsdat = state_.paths.AppDir + "gpsdat";
    BoatDialog dialog(this, before, race.ClassNames, state_.UiLanguage, services_.dialogs,
                      [&](const BoatValues& v) -> std::optional<std::string> {
                          if (v.name.empty())
                              return japanese ? "艇名を入力してください。" : "The boat needs a name.";
                          const int lang = state_.UiLanguage;
                          if (auto problem = RaceFieldProblem(v.name, japanese ? "艇名" : "The boat name", lang))
                              return problem;
                          if (auto problem = RaceFieldProblem(v.file, japanese ? "GPSファイル" : "The GPS file", lang))
                              return problem;
                          if (!FindWorkspaceFile(gpsdat, v.file))
                              return (japanese ? "gpsdat にありません: " : "Not a file of gpsdat: ") + v.file;
                          return std::nullopt;
                      });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const BoatValues v = *dialog.Values();
    race.BoatName[at] = v.name;
    race.BoatGpsFile[at] = v.file;
    race.BoatClass[at] = v.boat_class;
    race.BoatTcf[at] = v.tcf;
    race.BoatStartOffset[at] = v.start_offset;
    race.BoatShown[at] = v.shown;
    race.BoatEntered[at] = v.entered;
    RefillBoatList(" / ");
    ListBox2->setCurrentRow(row);
}

void CompileScreen::ButtonReplaceTrackClick()
{
    const int row = ListBox2->currentRow();
    if (row < 0 || row >= state_.race.BoatCount)
        return;
    const std::string gpsdat = state_.paths.AppDir + "gpsdat";
    const auto chosen = services_.dialogs.OpenFile("ALL(*.*)|*.*", gpsdat);
    if (!chosen)
        return;
    // The race names its tracks by name within gpsdat/: a file elsewhere would not be found again.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path(*chosen);
    const std::string name = path.filename().string();
    const auto found = FindWorkspaceFile(gpsdat, name);
    if (!found || !fs::equivalent(fs::path(*found), path, error)) {
        ShowError((Japanese() ? "gpsdat フォルダのファイルを選んでください: " : "Choose a file of the gpsdat folder: ") +
                  *chosen);
        return;
    }
    UseTrackForBoat(row + 1, state_.race.BoatGpsFile[static_cast<std::size_t>(row)], name);
}

void CompileScreen::ListBox7ShiftMouseDown()
{
    const int row = ListBox7->currentRow();
    auto& names = state_.race.MapNames;
    if (row < 0 || row >= static_cast<int>(names.size()))
        return;
    names.erase(names.begin() + row);
    delete ListBox7->takeItem(row);
}

bool CompileScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == ListBox2->viewport() && (mouse->modifiers() & Qt::ShiftModifier)) {
            // The entry under the mouse is the one the user means.
            if (QListWidgetItem* item = ListBox2->itemAt(mouse->position().toPoint()))
                ListBox2->setCurrentItem(item);
            ListBox2ShiftMouseDown();
            return true;
        }
        if (watched == ListBox7->viewport() && (mouse->modifiers() & Qt::ShiftModifier)) {
            if (QListWidgetItem* item = ListBox7->itemAt(mouse->position().toPoint()))
                ListBox7->setCurrentItem(item);
            ListBox7ShiftMouseDown();
            return true;
        }
        if (watched == FileListBox1->viewport()) {
            if (QListWidgetItem* item = FileListBox1->itemAt(mouse->position().toPoint()))
                FileListBox1->setCurrentItem(item);
            FileListBox1MouseDown();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CompileScreen::DropFiles(const std::vector<std::string>& paths)
{
    const std::string folder = state_.paths.AppDir + "gpsdat";
    for (const std::string& path : paths) {
        const std::string name = FromQString(QFileInfo(Q(path)).fileName());
        // A folder or an unreadable file is skipped without a message. Names
        // match without regard to case, so a file of that name is replaced.
        if (!name.empty() && QFileInfo(Q(path)).isFile())
            services_.shell.CopyFile(path, FindWorkspaceFile(folder, name).value_or(folder + "/" + name), true);
    }
    services_.beeper.Beep();
    ListGpsFiles();
}

void CompileScreen::Button7Click()
{
    if (!FileListBox1->isHidden()) {
        FileListBox1->hide();
        return;
    }
    FileListBox1->clear();
    for (const auto& entry : ListWorkspaceFiles(state_.paths.AppDir + "attachment", "*", false, 4999))
        FileListBox1->addItem(Q(entry.name));
    FileListBox1->show();
    FileListBox1->raise();
}

void CompileScreen::FileListBox1MouseDown()
{
    QListWidgetItem* item = FileListBox1->currentItem();
    if (!item)
        return;
    auto& names = state_.race.AttachmentNames;
    if (names.size() >= static_cast<std::size_t>(RaceSettings::kMaxAttachments)) {
        ShowError("A race holds at most " + std::to_string(RaceSettings::kMaxAttachments) + " attachments.");
        FileListBox1->hide();
        return;
    }
    names.push_back(FromQString(item->text()));
    ListBox3->clear();
    for (const std::string& name : names)
        ListBox3->addItem(Q(name));
    FileListBox1->hide();
}

void CompileScreen::Button8Click()
{
    ListBox3->clear();
    state_.race.AttachmentNames.clear();
}

} // namespace tackedit
