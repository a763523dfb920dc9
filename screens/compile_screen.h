#pragma once

#include "race/race_file.h"
#include "screens/app_state.h"

#include <QFrame>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimeEdit;

namespace tackedit {

class GpsFileList;
class PictureFolderBox;
class RaceMapView;
struct EntryList;
struct ReplayRaces;
struct TrbLeftOut;

// pnlCOMPILE: the race being compiled, its boats, and Save Data.
class CompileScreen final : public QFrame {
    Q_OBJECT
public:
    CompileScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host);

    // "New Race": an empty race with the defaults on screen.
    void StartNewRace();
    // A click in the race file list: false (with the error shown) when it does not read.
    bool OpenRace(const std::string& name);

    void SetCompileDefaults();
    void ShowRaceOnScreen();
    void ListGpsFiles();
    void ListWindFiles();
    void ListRaceFiles();
    void UpdatePlayTime();
    // The map beside the form: the boats, the race window and the marks on the screen.
    void UpdateRaceMap();
    // Copies the screen into the race; DataError naming the field that is not a number.
    void ReadRaceScreen();
    void ReadRaceScreen(RaceSettings& race);
    // Files dropped on the window while this screen is shown.
    void DropFiles(const std::vector<std::string>& paths);

    void ListBox1Click();
    // Shift+click in the boat list: removes the boat once the user agrees.
    void ListBox2ShiftMouseDown();
    // "Boat…" (or a double-click): the selected boat's values in a dialog.
    void ButtonBoatClick();
    // "Replace track…": another file of gpsdat/ for the selected boat, which
    // keeps its name, class, TCF, options and place.
    void ButtonReplaceTrackClick();
    // "Edit track": the selected boat's file in the editor, which comes back
    // here (compile_edit_track.cpp).
    void ButtonEditTrackClick();
    // Boat `boat` (1-based); false, with the reason shown, when its file is not in gpsdat/.
    bool EditBoatTrack(int boat);
    // Boat `boat` (1-based) moved from `old_file` to `new_file` of gpsdat/,
    // keeping its name, class, TCF, options and place; false when it no longer
    // uses `old_file` or the race file cannot name `new_file` (said).
    bool UseTrackForBoat(int boat, const std::string& old_file, const std::string& new_file);
    void ListBox7ShiftMouseDown();
    void Button7Click();
    void Button8Click();
    void FileListBox1MouseDown();
    void Button9Click();
    void Button10Click();
    void Button16Click();
    // "Check Race": the race check on the screen's values, in its own window.
    void ButtonCheckRaceClick();
    // "Replay": the race on the screen in the browser (compile_replay.cpp);
    // its menu's "Save as one file…" writes that replay as one HTML file.
    void ButtonReplayClick();
    // "Open folder": the folder of the replay last built, in the file manager.
    void ButtonOpenReplayClick();
    // "Results": its results and race analysis in their own window.
    void ButtonResultsClick();
    void SaveReplayAsOneFileClick();
    // "Make a video…": the saved race on screen as an MP4 (video_dialog.cpp).
    void MakeVideoClick();
    // "Entries": the boats from an entry list, each with the track chosen for
    // it; "Split the day": the day's races from the saved race on screen
    // (compile_entries.cpp).
    void ButtonEntriesClick();
    void ButtonSplitClick();
    // "Find starts": the split with the starts the tracks give (race timers'
    // start events, else the fleet crossing the line), for the user to confirm.
    void ButtonFindStartsClick();
    // The split with `starts` proposed, as typed ("10:00, 11:30") or as found.
    void SplitDay(std::string starts);

    int ZoneHours() const { return zone_hours_; }

private:
    // The race on screen as Save Data would write it, handed to `use` as the
    // replay's one race; a race that does not encode is a message instead.
    void WithScreenReplay(const std::function<void(const ReplayRaces&, const std::string& file)>& use);

public:

    // The race on screen differs from when it was started, opened or last
    // saved: a boat added or removed, or one of the race's fields edited.
    bool HasUnsavedChanges() const;
    // Asks before unsaved changes are left behind; true when the screen may go.
    bool MayLeave();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PlaceReplayButton();
    // The replay's page under the Replay button, so it can be found without a browser.
    void ShowReplayPath(const std::string& index);
    // The race as Save Data would write it and the viewer read it back, and
    // its file's name; DataError when a box or the race does not read.
    RaceSettings RaceAsSaved(std::string& file);
    void RefillBoatList(const char* separator);
    void RaceAreaFromTrack();
    void SetPickers(DateTime start, DateTime finish);
    DateTime PickerTime(QDateEdit* date, QTimeEdit* time) const;
    void SaveData();
    // Per boat, the fixes the TRB conversion left out and why.
    std::string LeftOutText(const std::vector<TrbLeftOut>& left_out) const;
    void ShowError(const std::string& text);
    bool Japanese() const { return state_.UiLanguage == 0; }
    // compile_entries.cpp
    std::optional<std::string> EntryChoiceProblem(const EntryList& list,
                                                  const std::vector<std::optional<std::string>>& files) const;
    void TakeEntries(const EntryList& list, const std::vector<std::optional<std::string>>& files);
    // compile_prompts.cpp
    std::optional<std::string> AskBoatName(const std::string& proposed);
    std::optional<std::string> AskRaceFileName(const std::string& proposed);
    void ReportSkippedBoats(const RaceFileSkips& skipped);
    void LeaveProgressPanel();
    std::string RaceOnScreen() const;
    void MarkRaceSaved() { saved_race_ = RaceOnScreen(); }

    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
    int zone_hours_ = 0;
    // Kept for the race check: what the reader left out of the race opened,
    // and what the first boat's track preset (times as the pickers read them).
    RaceFileSkips opened_skips_;
    struct TrackPreset {
        std::string file;
        DateTime start = 0, finish = 0;
        std::vector<std::string> maps;
    } preset_;
    std::string replay_index_;  // the page of the replay last built
    std::string saved_race_;  // RaceOnScreen() as it was started, opened or saved

    QLineEdit *Edit1, *Edit18, *Edit5, *Edit6, *Edit8, *Edit9, *Edit10, *Edit12, *Edit3, *Edit4, *Edit2;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4, *ComboBox5;
    QListWidget *ListBox1, *ListBox2, *ListBox3, *ListBox7, *FileListBox1;
    QLabel *Label22, *Label29, *Label32;
    PictureFolderBox* pictures_;
    GpsFileList* gps_files_ = nullptr;
    RaceMapView* map_ = nullptr;
    QDateEdit *DateTimePicker1, *DateTimePicker3;
    QTimeEdit *DateTimePicker2, *DateTimePicker4;
};

// Fills a race file list (a list box or the race file box's drop-down) with the
// workspace's race files, newest first.
void FillRaceFileList(QWidget* list, const std::string& app_dir);

// Entries too wide for their list show whole as their tooltip; call after a fill.
void ShowLongEntriesAsToolTips(QListWidget* list);

} // namespace tackedit
