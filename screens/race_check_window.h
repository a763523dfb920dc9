#pragma once

#include "check/race_check.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "base/messages.h"

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tackedit {

// The findings of a race check: one row per finding, the boats' statistics, a
// "Fix" button for each boat whose clock looks shifted, a "Use" button for each
// whose track was cleaned in the editor, and "Edit track" for a finding's boat.
class RaceCheckWindow final : public QWidget {
    Q_OBJECT
public:
    struct ScreenRace {
        RaceSettings race;
        RaceCheckInput input;
    };
    struct Hooks {
        // The race as Save Data would read it, in a copy: the application's
        // record stays as it is. Raises DataError for a box that is not a number.
        std::function<ScreenRace()> ReadScreen;
        // Points boat `boat` (1-based, of the race: without the boats the
        // reader left out) from `old_file` at `new_file`, both in gpsdat/;
        // false when the boat list no longer has that boat there.
        std::function<bool(int boat, const std::string& old_file, const std::string& new_file)> PointBoatAt;
        // Opens that boat's track in the editor; false when it did not open.
        std::function<bool(int boat)> EditTrack;
        int ui_language = 2;  // of the window's texts; the findings' come with ReadScreen's input
    };

    RaceCheckWindow(QWidget* parent, DialogService& dialogs, CursorControl& cursor, Hooks hooks);

    // Checks the screen's race and shows the findings; false (with the message
    // shown) when the screen does not read.
    bool RunCheck();

    // Writes the boat's shifted copy in gpsdat/ (under a free name unless an
    // identical copy is there), points the boat at it and checks again.
    void FixBoat(int boat);
    // Points the boat at its cleaned track and checks again.
    void UseCleanedTrack(int boat);
    // The track of the selected finding's boat in the editor.
    void EditSelectedTrack();

    const RaceCheckResult& Result() const { return result_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowResult();
    // Of check boat `boat`, its place among the race's boats; 0 for one the reader left out.
    int RaceBoat(int boat) const;
    int SelectedBoat() const;
    std::string Message(const Text& text, std::initializer_list<std::string> args = {}) const;
    QString Say(const Text& text, std::initializer_list<std::string> args = {}) const;

    DialogService& dialogs_;
    CursorControl& cursor_;
    Hooks hooks_;
    std::string app_dir_;
    RaceCheckResult result_;
    QLabel* summary_;
    QTableWidget* findings_;
    QTableWidget* boats_;
    QPushButton* edit_track_;
};

} // namespace tackedit
