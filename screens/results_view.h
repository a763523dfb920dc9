#pragma once

#include "base/messages.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "analysis/race_analysis.h"
#include "replay/race_results.h"
#include "replay/replay_data.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tackedit {

struct ReplayAnalysis;

// The results and the race analysis of the compile screen's race: ranks and
// statuses, then each boat's start, roundings, legs and manoeuvres; the results
// exported for a scoring program.
class ResultsView final : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        // The race as the viewer reads it back, analysed, and its race file's
        // name. Raises DataError when the screen or the race does not read.
        std::function<std::pair<ReplayRace, std::string>()> ReadRace;
        std::string export_folder;  // where the CSV is first proposed
        int ui_language = 2;
    };

    ResultsView(QWidget* parent, DialogService& dialogs, CursorControl& cursor, Hooks hooks);

    // Reads and analyses the race again; false (with the message shown) when
    // it does not read.
    bool Refresh();
    // The rows of `results --for-scoring`, to a file the user chooses.
    void ExportCsv();
    // The analysis of boat `index` (race order) in the boat's tabs.
    void ShowBoat(int index);

    const std::optional<std::vector<RaceResult>>& Results() const { return results_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowResults();
    void ShowStarts();
    QString Say(const Text& text, std::initializer_list<std::string> args = {}) const;
    std::string Clock(double utc_seconds) const;
    std::string StatusText(analysis::BoatStatus status) const;

    DialogService& dialogs_;
    CursorControl& cursor_;
    Hooks hooks_;
    std::string race_file_;
    int time_diff_ = 0;
    std::shared_ptr<const ReplayAnalysis> analysis_;
    std::optional<std::vector<RaceResult>> results_;
    QLabel *summary_, *message_, *boat_figures_;
    QTableWidget *results_table_, *starts_, *marks_, *legs_, *manoeuvres_;
    QComboBox* boat_;
    QPushButton* export_;
};

} // namespace tackedit
