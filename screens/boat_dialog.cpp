#include "screens/boat_dialog.h"

#include "base/numbers.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_platform.h"
#include "track/formats/format_common.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include <cmath>

namespace tackedit {

namespace {

QString Text(bool japanese, const char* english, const char* in_japanese)
{
    return QString::fromUtf8(japanese ? in_japanese : english);
}

} // namespace

BoatDialog::BoatDialog(QWidget* parent, const BoatValues& values, const std::vector<std::string>& classes,
                       int ui_language, DialogService& dialogs,
                       std::function<std::optional<std::string>(const BoatValues&)> problem)
    : QDialog(parent), dialogs_(dialogs), problem_(std::move(problem)), japanese_(ui_language == 0)
{
    setObjectName(QStringLiteral("BoatDialog"));
    setWindowTitle(Text(japanese_, "Boat", "艇の設定"));
    auto* form = new QFormLayout(this);
    name_ = new QLineEdit(ToQString(values.name), this);
    name_->setObjectName(QStringLiteral("BoatName"));
    file_ = new QLineEdit(ToQString(values.file), this);
    file_->setObjectName(QStringLiteral("BoatFile"));
    class_ = new QComboBox(this);
    class_->setObjectName(QStringLiteral("BoatClass"));
    class_->addItem(Text(japanese_, "(none)", "(なし)"));
    for (const std::string& name : classes)
        class_->addItem(ToQString(name));
    class_->setCurrentIndex(values.boat_class >= 0 && values.boat_class <= static_cast<int>(classes.size())
                                ? values.boat_class
                                : 0);
    class_->setEnabled(!classes.empty());
    tcf_ = new QLineEdit(values.tcf > 0 ? ToQString(FormatGeneralNumber(values.tcf)) : QString(), this);
    tcf_->setObjectName(QStringLiteral("BoatTcf"));
    tcf_->setPlaceholderText(Text(japanese_, "none", "なし"));
    offset_ = new QSpinBox(this);
    offset_->setObjectName(QStringLiteral("BoatStartOffset"));
    // A handicap start lies within the day.
    offset_->setRange(-86400, 86400);
    offset_->setValue(values.start_offset);
    shown_ = new QCheckBox(Text(japanese_, "Shown in the replay", "艇を表示する"), this);
    shown_->setObjectName(QStringLiteral("BoatShown"));
    shown_->setChecked(values.shown != 0);
    entered_ = new QCheckBox(Text(japanese_, "Entered in the race", "レースに参加"), this);
    entered_->setObjectName(QStringLiteral("BoatEntered"));
    entered_->setChecked(values.entered != 0);
    form->addRow(Text(japanese_, "Boat name", "艇名"), name_);
    form->addRow(Text(japanese_, "GPS file", "GPSファイル"), file_);
    form->addRow(Text(japanese_, "Class", "クラス"), class_);
    form->addRow(QStringLiteral("TCF"), tcf_);
    form->addRow(Text(japanese_, "Start offset (sec)", "時間差スタート(秒)"), offset_);
    form->addRow(shown_);
    form->addRow(entered_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &BoatDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BoatDialog::reject);
    form->addRow(buttons);
}

std::optional<BoatValues> BoatDialog::Values() const
{
    BoatValues values;
    values.name = FromQString(name_->text().trimmed());
    values.file = FromQString(file_->text().trimmed());
    values.boat_class = class_->currentIndex();
    const std::string tcf = FromQString(tcf_->text().trimmed());
    if (!tcf.empty()) {
        const auto number = ParseReal(tcf);
        if (!number || !std::isfinite(static_cast<double>(*number)) || *number < 0)
            return std::nullopt;
        values.tcf = static_cast<double>(*number);
    }
    values.start_offset = offset_->value();
    values.shown = shown_->isChecked() ? 1 : 0;
    values.entered = entered_->isChecked() ? 1 : 0;
    return values;
}

void BoatDialog::accept()
{
    const auto values = Values();
    std::optional<std::string> problem;
    if (!values)
        problem = FromQString(Text(japanese_, "The TCF is not a number: ", "TCFが数値ではありません: ") +
                              tcf_->text());
    else if (problem_)
        problem = problem_(*values);
    if (problem) {
        // The dialog stays open so the value can be mended.
        dialogs_.ShowMessage("tackvue", *problem);
        return;
    }
    QDialog::accept();
}

} // namespace tackedit
