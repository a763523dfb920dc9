#include "screens/entries_dialog.h"

#include "base/messages.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_platform.h"
#include "track/formats/format_common.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tackedit {

namespace {

constexpr Text kTitle{"Entries", "エントリー"};
constexpr Text kProposed{"%1: the tracks proposed for the entries. Change any file before OK.",
                         "%1: エントリーに割り当てた航跡ファイルです。OKの前に変更できます。"};
constexpr Text kSail{"Sail No", "セール番号"};
constexpr Text kBoat{"Boat", "艇名"};
constexpr Text kClass{"Class", "クラス"};
constexpr Text kTrack{"Track file", "航跡ファイル"};
constexpr Text kReason{"Reason", "理由"};
constexpr Text kNone{"(none)", "(なし)"};
constexpr Text kByHand{"chosen by hand", "手動で選択"};
constexpr Text kNoTrack{"no track found", "航跡なし"};
constexpr Text kWithoutTrack{"Entries without a track:", "航跡のないエントリー:"};
constexpr Text kWithoutEntry{"Tracks without an entry:", "エントリーのない航跡:"};
constexpr Text kConflicts{"Conflicts (no file given to these entries):", "競合（ファイルを割り当てていません）:"};
constexpr Text kProblems{"The list's problems:", "リストの問題:"};
constexpr Text kDuplicate{"duplicate %1", "重複 %1"};

QString Q(const std::string& text) { return ToQString(text); }

// The text below the table: one section a kind of loose end, none when empty.
std::string LooseEnds(const EntryList& list, const EntryMatches& found, int lang)
{
    std::string text;
    const auto section = [&](const Text& title, const std::vector<std::string>& lines) {
        if (lines.empty())
            return;
        text += (text.empty() ? "" : "\n") + Say(title, lang) + "\n";
        for (const std::string& line : lines)
            text += "  " + line + "\n";
    };
    std::vector<std::string> lines;
    for (const std::size_t e : found.without_track)
        lines.push_back(EntryLabel(list.entries[e]));
    section(kWithoutTrack, lines);
    section(kWithoutEntry, found.tracks_without_entry);
    lines.clear();
    for (const MatchConflict& conflict : found.conflicts) {
        std::string entries, files;
        for (const std::size_t e : conflict.entries)
            entries += (entries.empty() ? "" : ", ") + EntryLabel(list.entries[e]);
        for (const std::string& file : conflict.files)
            files += (files.empty() ? "" : ", ") + file;
        lines.push_back(entries + ": " + files + " (" + conflict.reason + ")");
    }
    section(kConflicts, lines);
    lines = list.problems;
    for (const std::string& duplicate : list.duplicates)
        lines.push_back(Say(kDuplicate, lang, {duplicate}));
    lines.insert(lines.end(), found.notes.begin(), found.notes.end());
    section(kProblems, lines);
    return text;
}

} // namespace

EntriesDialog::EntriesDialog(QWidget* parent, const std::string& list_name, const EntryList& list,
                             const EntryMatches& found, const std::vector<std::string>& track_files, int ui_language,
                             DialogService& dialogs, Check check)
    : QDialog(parent), ui_language_(ui_language), dialogs_(dialogs), check_(std::move(check))
{
    const int lang = ui_language;
    setObjectName(QStringLiteral("EntriesDialog"));
    setWindowTitle(Q(Say(kTitle, lang)));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(Q(Say(kProposed, lang, {list_name})), this);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    table_ = new QTableWidget(static_cast<int>(list.entries.size()), 6, this);
    table_->setObjectName(QStringLiteral("EntriesTable"));
    table_->setHorizontalHeaderLabels({Q(Say(kSail, lang)), Q(Say(kBoat, lang)), Q(Say(kClass, lang)),
                                       QStringLiteral("TCF"), Q(Say(kTrack, lang)), Q(Say(kReason, lang))});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    // An entry in a conflict says which, where an entry without a track says none.
    std::vector<std::string> unsettled(list.entries.size(), Say(kNoTrack, lang));
    for (const MatchConflict& conflict : found.conflicts)
        for (const std::size_t e : conflict.entries)
            unsettled[e] = conflict.reason;
    for (std::size_t e = 0; e < list.entries.size(); ++e) {
        const Entry& entry = list.entries[e];
        const int row = static_cast<int>(e);
        const auto cell = [&](int column, const std::string& text) {
            table_->setItem(row, column, new QTableWidgetItem(Q(text)));
        };
        cell(0, entry.sail);
        cell(1, entry.boat);
        cell(2, entry.boat_class);
        cell(3, entry.tcf > 0 ? FormatGeneralNumber(entry.tcf) : std::string());
        cell(5, found.file[e] ? found.reason[e] : unsettled[e]);
        auto* box = new QComboBox(table_);
        box->addItem(Q(Say(kNone, lang)));
        for (const std::string& file : track_files)
            box->addItem(Q(file), Q(file));
        if (found.file[e]) {
            int at = box->findData(Q(*found.file[e]));
            if (at < 0) {
                box->addItem(Q(*found.file[e]), Q(*found.file[e]));
                at = box->count() - 1;
            }
            box->setCurrentIndex(at);
        }
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, row] { table_->item(row, 5)->setText(Q(Say(kByHand, ui_language_))); });
        table_->setCellWidget(row, 4, box);
        files_.push_back(box);
    }
    table_->resizeColumnsToContents();
    layout->addWidget(table_, 3);

    notes_ = new QPlainTextEdit(Q(LooseEnds(list, found, lang)), this);
    notes_->setObjectName(QStringLiteral("EntriesNotes"));
    notes_->setReadOnly(true);
    notes_->setVisible(!notes_->toPlainText().isEmpty());
    layout->addWidget(notes_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &EntriesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EntriesDialog::reject);
    layout->addWidget(buttons);
}

EntriesDialog::Choices EntriesDialog::ChosenFiles() const
{
    Choices out;
    for (const QComboBox* box : files_) {
        const QVariant file = box->currentData();
        out.push_back(file.isValid() ? std::optional(FromQString(file.toString())) : std::nullopt);
    }
    return out;
}

void EntriesDialog::accept()
{
    // Stays open on a problem, so the user can choose again.
    if (check_)
        if (const auto problem = check_(ChosenFiles())) {
            dialogs_.ShowMessage("tackvue", *problem);
            return;
        }
    QDialog::accept();
}

} // namespace tackedit
