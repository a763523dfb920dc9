// The compile screen's actions: starting and opening a race, adding and
// removing boats, maps and attachments, and the files dropped on it.

#include "screens/compile_screen.h"

#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "race/race_file.h"
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
    ListBox2->clear();
    state_.race.RemoveBoat(i);
    for (RaceFileSkips::Boat& skip : opened_skips_.boats)
        if (skip.position >= i)
            --skip.position;  // it stays between the same neighbours
    RefillBoatList(" / ");
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
