// The compile screen's prompts refuse what the race file or the viewer could
// not take, while the user can still change it, and say what a read left out.

#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "screens/compile_screen.h"
#include "screens/captions.h"
#include "base/messages.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimeEdit>

#include <algorithm>

namespace tackedit {

std::optional<std::string> CompileScreen::AskBoatName(const std::string& proposed)
{
    std::string text = proposed;
    for (;;) {
        const auto name = services_.dialogs.InputBox("Boat Name", "Boat Name ?", text);
        if (!name)
            return std::nullopt;
        const auto problem = BoatNameProblem(*name, state_.UiLanguage);
        if (!problem)
            return name;
        ShowError(*problem);
        text = *name;  // asked again with what was typed
    }
}

std::optional<std::string> CompileScreen::AskRaceFileName(const std::string& proposed)
{
    std::string text = proposed;
    for (;;) {
        const auto answer = services_.dialogs.InputBox("Race Admin File", "Input Race Admin File Name.", text);
        if (!answer)
            return std::nullopt;
        const std::string name = RaceFileNameFromAnswer(*answer);
        const auto problem = RaceFileNameProblem(name, state_.UiLanguage);
        if (!problem)
            return name;
        ShowError(*problem);
        text = *answer;
    }
}

void CompileScreen::ReportSkippedBoats(const RaceFileSkips& skips)
{
    std::vector<const RaceFileSkips::Boat*> skipped;
    for (const RaceFileSkips::Boat& boat : skips.boats)
        if (!boat.list_full)
            skipped.push_back(&boat);
    if (skipped.empty() && skips.full_boats == 0)
        return;
    std::string text;
    if (!skipped.empty()) {
        text = Say(texts::kBoatsLeftOut, state_.UiLanguage);
        const std::size_t shown = std::min<std::size_t>(skipped.size(), 20);
        for (std::size_t i = 0; i < shown; ++i)
            text += "\n" + skipped[i]->name + " / " + skipped[i]->file;
        if (skips.missing_boats > static_cast<std::int64_t>(shown))
            text += Say(texts::kAndMore, state_.UiLanguage,
                        {std::to_string(skips.missing_boats - static_cast<std::int64_t>(shown))});
    }
    if (skips.full_boats > 0)
        text += (text.empty() ? "" : "\n\n") + BoatsPastLimitNote(skips.full_boats, state_.UiLanguage);
    ShowError(text);
}

namespace {

// Entries no wider than the list, so that the view cuts a long one in the
// middle (both ends of a file name tell) instead of scrolling sideways.
class ElidingDelegate final : public QStyledItemDelegate {
public:
    explicit ElidingDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::min(size.width(), list_->viewport()->width()));
        return size;
    }

private:
    QListWidget* list_;
};

} // namespace

void ShowLongEntriesAsToolTips(QListWidget* list)
{
    if (!dynamic_cast<ElidingDelegate*>(list->itemDelegate())) {
        list->setItemDelegate(new ElidingDelegate(list));
        list->setTextElideMode(Qt::ElideMiddle);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    // The room left when the scroll bar shows: the entry is cut in that case too.
    const int room = list->width() - 2 * list->frameWidth() - list->verticalScrollBar()->sizeHint().width() - 4;
    const QFontMetrics metrics(list->font());
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setToolTip(metrics.horizontalAdvance(item->text()) > room ? item->text() : QString());
    }
}

std::string CompileScreen::RaceOnScreen() const
{
    // Every value Save Data would write, as the screen and the boat list hold
    // it. The GPS file list and "Minimize GPS file size" are not the race's.
    QStringList values;
    for (QLineEdit* edit : {Edit1, Edit18, Edit5, Edit6, Edit8, Edit9, Edit10, Edit12, Edit3, Edit4, Edit2})
        values << edit->text();
    for (QComboBox* box : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        values << box->currentText();
    for (QDateEdit* date : {DateTimePicker1, DateTimePicker3})
        values << date->date().toString(Qt::ISODate);
    for (QTimeEdit* time : {DateTimePicker2, DateTimePicker4})
        values << time->time().toString(Qt::ISODate);
    values << (findChild<QRadioButton*>(QStringLiteral("RadioButton8"))->isChecked() ? QStringLiteral("N")
                                                                                      : QStringLiteral("W"));
    for (QListWidget* list : {ListBox3, ListBox7}) {
        for (int i = 0; i < list->count(); ++i)
            values << list->item(i)->text();
        values << QString();
    }
    const RaceSettings& race = state_.race;
    for (int i = 0; i < race.BoatCount; ++i) {
        const auto b = static_cast<std::size_t>(i);
        values << ToQString(race.BoatName[b]) + QLatin1Char('/') + ToQString(race.BoatGpsFile[b]) +
                      QLatin1Char('/') + QString::number(race.BoatClass[b]) + QLatin1Char('/') +
                      QString::number(race.BoatTcf[b], 'g', 17) + QLatin1Char('/') +
                      QString::number(race.BoatStartOffset[b]) + QLatin1Char('/') +
                      QString::number(race.BoatShown[b]) + QString::number(race.BoatEntered[b]);
    }
    // An entry list sets the classes too.
    for (const std::string& name : race.ClassNames)
        values << ToQString(name);
    return FromQString(values.join(QChar(0x1f)));
}

bool CompileScreen::HasUnsavedChanges() const { return RaceOnScreen() != saved_race_; }

bool CompileScreen::MayLeave()
{
    return !HasUnsavedChanges() ||
           services_.dialogs.AskYesNo("tackvue", Say(texts::kLeaveUnsavedRace, state_.UiLanguage));
}

void CompileScreen::LeaveProgressPanel()
{
    // The progress panel has no buttons: a failed save goes back to its race.
    if (state_.ScreenMode == 6)
        host_.SwitchScreen(3);
}

} // namespace tackedit
