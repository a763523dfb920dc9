#include "screens/results_view.h"

#include "replay/analysis_report.h"
#include "replay/replay_analysis.h"
#include "replay/scoring_csv.h"
#include "platform/qt/qt_platform.h"
#include "base/atomic_write.h"
#include "base/data_error.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace tackedit {

namespace {

constexpr Text kTitle{"Results", "成績"};
constexpr Text kSummary{"%1: %2 boats entered, %3 finished. Times are race times (UTC%4).",
                        "%1: エントリー%2艇、フィニッシュ%3艇。時刻はレースの時刻 (UTC%4) です。"};
constexpr Text kNoResults{"This race has no results: %1.", "このレースの成績は出せません: %1。"};
constexpr Text kNotRead{"The race could not be analysed: %1", "レースを解析できませんでした: %1"};
constexpr Text kNoBoats{"This race has no boats to analyse.", "解析する艇がありません。"};
constexpr Text kNoneEntered{"no boat is entered", "エントリーした艇がありません"};
constexpr Text kResultColumns{"Rank|Boat|Class|Status|Start|Finish|Elapsed|Corrected",
                              "順位|艇名|クラス|状態|スタート|フィニッシュ|所要時間|修正時間"};
constexpr Text kStartColumns{
    "Boat|Status|To line at gun (m)|Speed at gun (kn)|Over at gun|Crossed|Late (s)|Line position (%)|"
    "Behind at gun (m)",
    "艇名|状態|号砲時のラインまで (m)|号砲時の速度 (kn)|号砲時に越えていた|スタート通過|遅れ (秒)|"
    "ライン上の位置 (%)|号砲時の遅れ (m)"};
constexpr Text kMarkColumns{"Mark|Rounded|Rank", "マーク|回航|順位"};
constexpr Text kLegColumns{"Leg|Time|Sailed (m)|Speed (kn)|VMG (kn)|Tacks|Gybes|Places gained|Behind leader (s)",
                           "レグ|所要時間|帆走距離 (m)|速度 (kn)|VMG (kn)|タック|ジャイブ|順位の上昇|トップとの差 (秒)"};
constexpr Text kManoeuvreColumns{"Time|Kind|Loss (s)|Loss (m)", "時刻|種類|損失 (秒)|損失 (m)"};
constexpr Text kStartTab{"Start", "スタート"};
constexpr Text kMarksTab{"Marks", "マーク"};
constexpr Text kLegsTab{"Legs", "レグ"};
constexpr Text kManoeuvresTab{"Tacks and gybes", "タック・ジャイブ"};
constexpr Text kBoat{"Boat", "艇"};
constexpr Text kBoatFigures{"Tacks %1, gybes %2, %3 m sailed, top speed %4 kn", "タック%1回、ジャイブ%2回、帆走距離%3 m、最高速度%4 kn"};
constexpr Text kTack{"tack", "タック"};
constexpr Text kGybe{"gybe", "ジャイブ"};
constexpr Text kYes{"yes", "はい"};
constexpr Text kReturned{"yes, returned", "はい (戻った)"};
constexpr Text kFinished{"finished", "フィニッシュ"};
constexpr Text kUnscored{"not scored", "採点なし"};
constexpr Text kExport{"Export CSV…", "CSVに書き出し…"};
constexpr Text kClose{"Close", "閉じる"};
constexpr Text kCsvFilter{"CSV for scoring programs (*.csv)|*.csv", "採点ソフト用CSV (*.csv)|*.csv"};
constexpr Text kWritten{"The results are written to %1.", "成績を %1 に書き出しました。"};
constexpr Text kNotWritten{"The results were not written: %1", "成績を書き出せませんでした: %1"};

QTableWidget* Table(QWidget* parent, const char* name, const QString& columns)
{
    const QStringList headers = columns.split(QLatin1Char('|'));
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    return table;
}

void FillRow(QTableWidget* table, int row, const std::vector<std::string>& cells)
{
    for (std::size_t c = 0; c < cells.size(); ++c)
        table->setItem(row, static_cast<int>(c), new QTableWidgetItem(ToQString(cells[c])));
}

std::string Fixed(double value, int decimals = 1)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

std::string ResultsView::StatusText(analysis::BoatStatus status) const
{
    switch (status) {
    case analysis::BoatStatus::Finished: return FromQString(Say(kFinished));
    case analysis::BoatStatus::Unscored: return FromQString(Say(kUnscored));
    case analysis::BoatStatus::Ocs: return "OCS";
    case analysis::BoatStatus::Nsc: return "NSC";
    case analysis::BoatStatus::Dnf: return "DNF";
    case analysis::BoatStatus::Dns: return "DNS";
    }
    return "";
}

namespace {

template <typename T, typename F>
std::string OrBlank(const std::optional<T>& value, F format)
{
    return value ? format(*value) : std::string();
}

} // namespace

ResultsView::ResultsView(QWidget* parent, DialogService& dialogs, CursorControl& cursor, Hooks hooks)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), cursor_(cursor), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("ResultsView"));
    // Results of a screen no longer shown would pass for those of the next race.
    if (parent)
        parent->installEventFilter(this);
    setWindowTitle(Say(kTitle));
    resize(900, 640);

    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ResultsSummary"));
    layout->addWidget(summary_);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("ResultsMessage"));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(message_);

    results_table_ = Table(this, "ResultsTable", Say(kResultColumns));
    layout->addWidget(results_table_, 3);
    // A click on a boat's result shows its analysis below.
    connect(results_table_, &QTableWidget::cellClicked, this, [this](int row, int) {
        const QString name = results_table_->item(row, 1)->text();
        const int index = boat_->findText(name);
        if (index >= 0)
            boat_->setCurrentIndex(index);
    });

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(Say(kBoat), this));
    boat_ = new QComboBox(this);
    boat_->setObjectName(QStringLiteral("AnalysisBoat"));
    boat_->setMinimumContentsLength(16);
    chooser->addWidget(boat_);
    boat_figures_ = new QLabel(this);
    boat_figures_->setObjectName(QStringLiteral("BoatFigures"));
    chooser->addWidget(boat_figures_, 1);
    layout->addLayout(chooser);
    connect(boat_, &QComboBox::currentIndexChanged, this, [this](int index) { ShowBoat(index); });

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("AnalysisTabs"));
    starts_ = Table(tabs, "StartTable", Say(kStartColumns));
    marks_ = Table(tabs, "MarksTable", Say(kMarkColumns));
    legs_ = Table(tabs, "LegsTable", Say(kLegColumns));
    manoeuvres_ = Table(tabs, "ManoeuvresTable", Say(kManoeuvreColumns));
    tabs->addTab(starts_, Say(kStartTab));
    tabs->addTab(marks_, Say(kMarksTab));
    tabs->addTab(legs_, Say(kLegsTab));
    tabs->addTab(manoeuvres_, Say(kManoeuvresTab));
    layout->addWidget(tabs, 3);

    auto* buttons = new QHBoxLayout;
    export_ = new QPushButton(Say(kExport), this);
    export_->setObjectName(QStringLiteral("ExportCsvButton"));
    connect(export_, &QPushButton::clicked, this, [this] { ExportCsv(); });
    auto* close = new QPushButton(Say(kClose), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch();
    buttons->addWidget(export_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

QString ResultsView::Say(const Text& text, std::initializer_list<std::string> args) const
{
    return ToQString(tackedit::Say(text, hooks_.ui_language, args));
}

bool ResultsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Hide)
        close();
    return QWidget::eventFilter(watched, event);
}

std::string ResultsView::Clock(double utc_seconds) const
{
    const std::string local = FormatLocalSeconds(std::llround(utc_seconds + 3600.0 * time_diff_));
    return local.substr(local.size() - 8);
}

bool ResultsView::Refresh()
{
    analysis_.reset();
    results_.reset();
    std::string why;
    bool read = true;
    {
        BusyCursorScope busy(cursor_);
        try {
            auto [race, file] = hooks_.ReadRace();
            race_file_ = file;
            time_diff_ = race.time_diff;
            analysis_ = race.analysis;
            results_ = ReplayResults(race, why);
            if (results_ && results_->empty()) {
                results_.reset();
                why = tackedit::Say(kNoneEntered, hooks_.ui_language);
            }
        } catch (const DataError& e) {
            why = e.what();
            read = false;
        }
    }
    if (!read)
        message_->setText(Say(kNotRead, {why}));
    else if (!analysis_ || analysis_->race.boats.empty())
        message_->setText(Say(kNoBoats));
    else if (!results_)
        message_->setText(Say(kNoResults, {why}));
    else
        message_->clear();
    if (analysis_)
        for (const std::string& note : analysis_->notes)
            message_->setText(message_->text() + (message_->text().isEmpty() ? "" : "\n") + ToQString(note));
    message_->setVisible(!message_->text().isEmpty());
    // Red when there is nothing to show: the tables alone would look like a race nobody sailed.
    message_->setStyleSheet(results_ ? QString() : QStringLiteral("color: #b00000; font-weight: bold"));
    ShowResults();
    ShowStarts();
    if (!read)
        dialogs_.ShowMessage(FromQString(Say(kTitle)), FromQString(Say(kNotRead, {why})));
    return read;
}

void ResultsView::ShowResults()
{
    results_table_->setRowCount(0);
    results_table_->setVisible(results_.has_value());
    export_->setEnabled(results_.has_value());
    int finished = 0;
    if (results_) {
        results_table_->setRowCount(static_cast<int>(results_->size()));
        for (std::size_t i = 0; i < results_->size(); ++i) {
            const RaceResult& r = (*results_)[i];
            const auto time_of_day = [](std::int64_t s) { return FormatLocalSeconds(s).substr(11); };
            finished += r.status == "OK";
            FillRow(results_table_, static_cast<int>(i),
                    {r.status == "OK" ? OrBlank(r.rank, [](int v) { return std::to_string(v); }) : "", r.name,
                     r.boat_class, r.status == "OK" ? FromQString(Say(kFinished)) : r.status,
                     OrBlank(r.start, time_of_day), OrBlank(r.finish, time_of_day),
                     OrBlank(r.elapsed, [](double v) { return ElapsedClock(v); }),
                     OrBlank(r.corrected, [](double v) { return ElapsedClock(v); })});
        }
        results_table_->resizeColumnsToContents();
    }
    // Most races have one class and name none: an empty column would only puzzle.
    bool classes = false;
    for (const RaceResult& r : results_ ? *results_ : std::vector<RaceResult>{})
        classes = classes || !r.boat_class.empty();
    results_table_->setColumnHidden(2, !classes);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%+d", time_diff_);
    const std::string entered = results_ ? std::to_string(results_->size()) : "-";
    summary_->setText(Say(kSummary, {race_file_, entered, std::to_string(finished), zone}));
}

void ResultsView::ShowStarts()
{
    const QSignalBlocker quiet(boat_);
    boat_->clear();
    starts_->setRowCount(0);
    const std::size_t boats = analysis_ ? std::min(analysis_->race.boats.size(), analysis_->result.boats.size()) : 0;
    starts_->setRowCount(static_cast<int>(boats));
    for (std::size_t k = 0; k < boats; ++k) {
        const analysis::BoatAnalysis& b = analysis_->result.boats[k];
        const analysis::StartFigures& s = b.start;
        const auto tenths = [](double v) { return Fixed(v); };
        FillRow(starts_, static_cast<int>(k),
                {analysis_->race.boats[k].name, StatusText(b.status),
                 OrBlank(s.distance_to_line_m, tenths), OrBlank(s.speed_kn, tenths),
                 s.over_at_gun ? FromQString(Say(s.returned ? kReturned : kYes)) : "",
                 OrBlank(s.crossed, [this](double t) { return Clock(t); }), OrBlank(s.late_s, tenths),
                 OrBlank(s.line_fraction, [](double v) { return Fixed(v * 100, 0); }),
                 OrBlank(s.behind_at_gun_m, tenths)});
        boat_->addItem(ToQString(analysis_->race.boats[k].name));
    }
    starts_->resizeColumnsToContents();
    ShowBoat(boats ? 0 : -1);
}

void ResultsView::ShowBoat(int index)
{
    for (QTableWidget* table : {marks_, legs_, manoeuvres_})
        table->setRowCount(0);
    boat_figures_->clear();
    if (!analysis_ || index < 0 || static_cast<std::size_t>(index) >= analysis_->result.boats.size())
        return;
    if (boat_->currentIndex() != index) {
        const QSignalBlocker quiet(boat_);
        boat_->setCurrentIndex(index);
    }
    const analysis::BoatAnalysis& b = analysis_->result.boats[static_cast<std::size_t>(index)];
    boat_figures_->setText(Say(kBoatFigures, {std::to_string(b.tacks), std::to_string(b.gybes),
                                              Fixed(b.sailed_m, 0), Fixed(b.max_speed_kn)}));
    marks_->setRowCount(static_cast<int>(b.roundings.size()));
    for (std::size_t i = 0; i < b.roundings.size(); ++i) {
        const analysis::Rounding& r = b.roundings[i];
        FillRow(marks_, static_cast<int>(i), {r.mark, Clock(r.at), std::to_string(r.rank)});
    }
    legs_->setRowCount(static_cast<int>(b.legs.size()));
    for (std::size_t i = 0; i < b.legs.size(); ++i) {
        const analysis::LegFigures& l = b.legs[i];
        FillRow(legs_, static_cast<int>(i),
                {l.from + " → " + l.to, ElapsedClock(l.elapsed_s), Fixed(l.sailed_m, 0), Fixed(l.avg_speed_kn),
                 Fixed(l.vmg_kn), std::to_string(l.tacks), std::to_string(l.gybes),
                 (l.places_gained > 0 ? "+" : "") + std::to_string(l.places_gained),
                 OrBlank(l.behind_s, [](double v) { return Fixed(v); })});
    }
    manoeuvres_->setRowCount(static_cast<int>(b.manoeuvres.size()));
    for (std::size_t i = 0; i < b.manoeuvres.size(); ++i) {
        const analysis::Manoeuvre& m = b.manoeuvres[i];
        FillRow(manoeuvres_, static_cast<int>(i),
                {Clock(m.at), FromQString(Say(m.tack ? kTack : kGybe)), Fixed(m.loss_s), Fixed(m.loss_m)});
    }
    for (QTableWidget* table : {marks_, legs_, manoeuvres_})
        table->resizeColumnsToContents();
}

void ResultsView::ExportCsv()
{
    if (!results_)
        return;
    const std::string stem = std::filesystem::path(race_file_).stem().string();
    auto path = dialogs_.SaveFile(FromQString(Say(kCsvFilter)),
                                  hooks_.export_folder + (stem.empty() ? "results" : stem + "-results") + ".csv");
    if (!path)
        return;
    if (std::filesystem::path(*path).extension().empty())
        *path += ".csv";
    // CR LF: the line end the RFC gives and the scoring programs' own platform reads.
    const std::string csv = ForScoringCsv({*results_}, nullptr, "\r\n");
    try {
        WriteFileAtomically(*path, csv);
    } catch (const DataError& e) {
        dialogs_.ShowMessage(FromQString(Say(kTitle)), FromQString(Say(kNotWritten, {e.what()})));
        return;
    }
    dialogs_.ShowMessage(FromQString(Say(kTitle)), FromQString(Say(kWritten, {*path})), true);
}

} // namespace tackedit
