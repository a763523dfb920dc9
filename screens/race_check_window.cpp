#include "screens/race_check_window.h"

#include "check/track_shift.h"
#include "platform/qt/qt_platform.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

namespace tackedit {

namespace {

using namespace texts::check;

QColor SeverityColour(Severity severity)
{
    switch (severity) {
    case Severity::Error: return QColor(255, 205, 205);
    case Severity::Warning: return QColor(255, 236, 170);
    case Severity::Info: return QColor(222, 236, 255);
    }
    return QColor(Qt::white);
}

QStyle::StandardPixmap SeverityIcon(Severity severity)
{
    switch (severity) {
    case Severity::Error: return QStyle::SP_MessageBoxCritical;
    case Severity::Warning: return QStyle::SP_MessageBoxWarning;
    case Severity::Info: return QStyle::SP_MessageBoxInformation;
    }
    return QStyle::SP_MessageBoxInformation;
}

QTableWidgetItem* Cell(const std::string& text)
{
    auto* item = new QTableWidgetItem(ToQString(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

std::string TrackTime(const std::optional<DateTime>& time)
{
    return time ? FormatIsoDateTime(DecodeDateTimeToSecond(*time)) : "";
}

std::string Number(const char* format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "-9 h (9 hours late)", "+315590400 s (10 years early and 8 hours late)".
std::string ShiftText(std::int64_t seconds, int ui_language, std::optional<DateTime> from)
{
    const bool weeks = seconds % kGpsWeekRollover == 0, hours = std::llabs(seconds) <= 14 * 3600;
    char text[64];
    std::snprintf(text, sizeof text, weeks ? "%+lld weeks" : hours ? "%+lld h" : "%+lld s",
                  static_cast<long long>(weeks ? seconds / (7 * 86400) : hours ? seconds / 3600 : seconds));
    return std::string(text) + " (" + DescribeShift(seconds, ui_language, from) + ")";
}

const Text& SeverityText(Severity severity)
{
    return severity == Severity::Error ? kError : severity == Severity::Warning ? kWarning : kInfo;
}

// The shift and its Fix (column 2) come right after the name (kBoatColumns): at
// the window's first size the statistics would push them past the right edge.
constexpr int kBoatColumnCount = 12;
constexpr int kFixColumn = 2;
constexpr int kMaxNameWidth = 200;

} // namespace

RaceCheckWindow::RaceCheckWindow(QWidget* parent, DialogService& dialogs, CursorControl& cursor, Hooks hooks)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), cursor_(cursor), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("RaceCheckWindow"));
    // Findings of a screen that is no longer shown would mislead, and a Fix could
    // point a boat of another race at the copy.
    if (parent)
        parent->installEventFilter(this);
    setWindowTitle(Say(kWindowTitle));
    resize(960, 600);

    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("SummaryLabel"));
    layout->addWidget(summary_);

    findings_ = new QTableWidget(0, 3, this);
    findings_->setObjectName(QStringLiteral("FindingsTable"));
    findings_->setHorizontalHeaderLabels(Say(kFindingColumns).split(QLatin1Char('|')));
    findings_->horizontalHeader()->setStretchLastSection(true);
    findings_->verticalHeader()->hide();
    findings_->setWordWrap(true);
    layout->addWidget(findings_, 3);

    boats_ = new QTableWidget(0, kBoatColumnCount, this);
    boats_->setObjectName(QStringLiteral("BoatsTable"));
    boats_->setHorizontalHeaderLabels(Say(kBoatColumns).split(QLatin1Char('|')));
    boats_->verticalHeader()->hide();
    layout->addWidget(boats_, 2);

    auto* buttons = new QHBoxLayout;
    auto* again = new QPushButton(Say(kCheckAgain), this);
    again->setObjectName(QStringLiteral("CheckAgainButton"));
    connect(again, &QPushButton::clicked, this, [this] { RunCheck(); });
    edit_track_ = new QPushButton(Say(kEditTrack), this);
    edit_track_->setObjectName(QStringLiteral("EditTrackButton"));
    edit_track_->setToolTip(Say(kEditTrackToolTip));
    edit_track_->setEnabled(false);
    connect(edit_track_, &QPushButton::clicked, this, [this] { EditSelectedTrack(); });
    connect(findings_, &QTableWidget::itemSelectionChanged, this,
            [this] { edit_track_->setEnabled(SelectedBoat() > 0 && hooks_.EditTrack); });
    connect(findings_, &QTableWidget::cellDoubleClicked, this, [this] { EditSelectedTrack(); });
    auto* close = new QPushButton(Say(kClose), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(edit_track_);
    buttons->addStretch();
    buttons->addWidget(again);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

std::string RaceCheckWindow::Message(const Text& text, std::initializer_list<std::string> args) const
{
    return tackedit::Say(text, hooks_.ui_language, args);
}

QString RaceCheckWindow::Say(const Text& text, std::initializer_list<std::string> args) const
{
    return ToQString(Message(text, args));
}

bool RaceCheckWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Hide)
        close();
    return QWidget::eventFilter(watched, event);
}

bool RaceCheckWindow::RunCheck()
{
    {
        BusyCursorScope busy(cursor_);
        try {
            const ScreenRace screen = hooks_.ReadScreen();
            app_dir_ = screen.input.app_dir;
            result_ = CheckRace(screen.race, screen.input);
        } catch (const DataError& e) {
            dialogs_.ShowMessage("tackvue", e.what());
            return false;
        }
        ShowResult();
    }
    return true;
}

void RaceCheckWindow::ShowResult()
{
    const int errors = result_.Count(Severity::Error), warnings = result_.Count(Severity::Warning);
    summary_->setText(errors + warnings == 0
                          ? Say(kNothingToFix)
                          : Say(kCounts, {std::to_string(errors), std::to_string(warnings)}));

    findings_->setRowCount(static_cast<int>(result_.findings.size()));
    for (int row = 0; row < findings_->rowCount(); ++row) {
        const Finding& f = result_.findings[static_cast<std::size_t>(row)];
        QTableWidgetItem* cells[] = {new QTableWidgetItem(Say(SeverityText(f.severity))), Cell(f.subject),
                                     Cell(f.message)};
        cells[0]->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cells[0]->setIcon(style()->standardIcon(SeverityIcon(f.severity)));
        for (int column = 0; column < 3; ++column) {
            cells[column]->setBackground(SeverityColour(f.severity));
            cells[column]->setToolTip(cells[2]->text());
            findings_->setItem(row, column, cells[column]);
        }
    }
    findings_->resizeColumnToContents(0);
    findings_->resizeColumnToContents(1);
    findings_->resizeRowsToContents();

    boats_->setRowCount(0);  // drops the Fix buttons of the last check
    boats_->setRowCount(static_cast<int>(result_.boats.size()));
    int first_fix = -1;
    for (int row = 0; row < boats_->rowCount(); ++row) {
        const BoatCheck& b = result_.boats[static_cast<std::size_t>(row)];
        const std::string values[] = {EscapeControlCharacters(b.name),
                                      b.shift_seconds ? ShiftText(*b.shift_seconds, hooks_.ui_language, b.first) : "",
                                      "",
                                      EscapeControlCharacters(b.file),
                                      std::to_string(b.points),
                                      TrackTime(b.first),
                                      TrackTime(b.last),
                                      Number("%.1f%%", std::floor(b.coverage * 1000 + 1e-9) / 10),
                                      FormatDuration(b.largest_gap, hooks_.ui_language),
                                      std::to_string(b.jumps),
                                      std::to_string(b.zero_points),
                                      std::to_string(b.backward)};
        for (int column = 0; column < static_cast<int>(std::size(values)); ++column)
            boats_->setItem(row, column, Cell(values[column]));
        // The name cell carries the colour of the boat's worst finding.
        Severity worst = Severity::Info;
        for (const Finding& f : result_.findings)
            if (f.boat == row + 1 && f.severity < worst)
                worst = f.severity;
        boats_->item(row, 0)->setBackground(SeverityColour(worst));
        boats_->item(row, 0)->setIcon(style()->standardIcon(SeverityIcon(worst)));
        boats_->item(row, 0)->setToolTip(ToQString(EscapeControlCharacters(b.name)));  // the column may cut a long name
        std::vector<QPushButton*> fixes;
        if (b.shift_seconds && b.in_race) {
            auto* fix = new QPushButton(Say(kFix));
            fix->setObjectName(QStringLiteral("FixButton%1").arg(row + 1));
            fix->setToolTip(Say(kFixToolTip, {DescribeShift(*b.shift_seconds, hooks_.ui_language, b.first)}));
            connect(fix, &QPushButton::clicked, this, [this, row] { FixBoat(row + 1); });
            fixes.push_back(fix);
        }
        if (!b.cleaned_file.empty() && b.in_race) {
            auto* use = new QPushButton(Say(kUseFile, {EscapeControlCharacters(b.cleaned_file)}));
            use->setObjectName(QStringLiteral("UseFileButton%1").arg(row + 1));
            use->setToolTip(Say(kUseFileToolTip));
            connect(use, &QPushButton::clicked, this, [this, row] { UseCleanedTrack(row + 1); });
            fixes.push_back(use);
        }
        if (fixes.size() == 1) {
            boats_->setCellWidget(row, kFixColumn, fixes.front());
        } else if (fixes.size() > 1) {
            auto* both = new QWidget;
            auto* line = new QHBoxLayout(both);
            line->setContentsMargins(0, 0, 0, 0);
            for (QPushButton* fix : fixes)
                line->addWidget(fix);
            boats_->setCellWidget(row, kFixColumn, both);
        }
        if (!fixes.empty() && first_fix < 0)
            first_fix = row;
    }
    boats_->resizeColumnsToContents();
    boats_->setColumnWidth(0, std::min(boats_->columnWidth(0), kMaxNameWidth));
    if (first_fix >= 0)
        boats_->scrollToItem(boats_->item(first_fix, 0));
}

void RaceCheckWindow::FixBoat(int boat)
{
    if (boat < 1 || boat > static_cast<int>(result_.boats.size()))
        return;
    const BoatCheck b = result_.boats[static_cast<std::size_t>(boat - 1)];
    if (!b.shift_seconds)
        return;
    const std::string gpsdat = app_dir_ + "gpsdat";
    const auto source = FindWorkspaceFile(gpsdat, b.file);
    if (!source) {
        dialogs_.ShowMessage(Message(kWindowTitle), Message(kFileGone, {b.file}));
        return;
    }
    const std::string name = ShiftedFileName(b.file);
    if (!IsBareFileName(name)) {
        dialogs_.ShowMessage(Message(kWindowTitle), Message(kNotAFileName, {name}));
        return;
    }
    // Another boat's file, or a copy not made from this track, is never replaced.
    std::set<std::string> taken;
    for (std::size_t j = 0; j < result_.boats.size(); ++j)
        if (static_cast<int>(j + 1) != boat) {
            std::string other = result_.boats[j].file;
            for (char& c : other)
                c = AsciiLower(c);
            taken.insert(other);
        }
    std::string written;
    try {
        BusyCursorScope busy(cursor_);
        const ShiftedCopy copy =
            MakeShiftedCopy(*source, gpsdat + "/" + name, static_cast<double>(*b.shift_seconds));
        const ConversionTarget target = ChooseConversionTarget(gpsdat, name, copy.bytes, taken);
        if (!target.exists)
            WriteFileAtomically(gpsdat + "/" + target.name, copy.bytes);
        written = target.name;
    } catch (const DataError& e) {
        dialogs_.ShowMessage(Message(kWindowTitle), e.what());
        return;
    }
    if (!hooks_.PointBoatAt(RaceBoat(boat), b.file, written))
        dialogs_.ShowMessage(Message(kWindowTitle), Message(kBoatListChanged, {written}));
    RunCheck();
}

int RaceCheckWindow::RaceBoat(int boat) const
{
    if (boat < 1 || boat > static_cast<int>(result_.boats.size()) ||
        !result_.boats[static_cast<std::size_t>(boat - 1)].in_race)
        return 0;
    int in_race = 0;
    for (int k = 0; k < boat; ++k)
        in_race += result_.boats[static_cast<std::size_t>(k)].in_race ? 1 : 0;
    return in_race;
}

int RaceCheckWindow::SelectedBoat() const
{
    const int row = findings_->currentRow();
    if (row < 0 || row >= static_cast<int>(result_.findings.size()) || findings_->selectedItems().isEmpty())
        return 0;
    return RaceBoat(result_.findings[static_cast<std::size_t>(row)].boat);
}

void RaceCheckWindow::UseCleanedTrack(int boat)
{
    if (boat < 1 || boat > static_cast<int>(result_.boats.size()))
        return;
    const BoatCheck b = result_.boats[static_cast<std::size_t>(boat - 1)];
    if (b.cleaned_file.empty())
        return;
    if (!hooks_.PointBoatAt(RaceBoat(boat), b.file, b.cleaned_file))
        dialogs_.ShowMessage(Message(kWindowTitle), Message(kCheckAgainFirst));
    RunCheck();
}

void RaceCheckWindow::EditSelectedTrack()
{
    // The compile screen gives way to the editor, and this window closes with it.
    if (const int boat = SelectedBoat(); boat > 0 && hooks_.EditTrack)
        hooks_.EditTrack(boat);
}

} // namespace tackedit
