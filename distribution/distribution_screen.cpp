#include "distribution/distribution_screen.h"

#include "platform/qt/named_controls.h"
#include "shell/captions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tackedit {

DistributionScreen::DistributionScreen(QWidget* parent, ScreenHost& host) : QFrame(parent), host_(host)
{
    SetUpPanel(this, "pnlDistribution", 289, 417, QColor(192, 192, 192));
    AddControl<QLabel>(this, "Label23", QRect(16, 8, 257, 16));
    AddControl<QListWidget>(this, "ListBox5", QRect(16, 26, 257, 130));
    AddControl<QLabel>(this, "Label24", QRect(16, 164, 140, 16));
    AddControl<QLabel>(this, "Label25", QRect(150, 164, 123, 16));
    AddControl<QListWidget>(this, "ListBox6", QRect(16, 182, 257, 110));
    AddControl<QCheckBox>(this, "CheckBox1", QRect(16, 300, 257, 20))->setChecked(true);
    AddControl<QLabel>(this, "Label35", QRect(16, 328, 60, 20), QStringLiteral("Quality"));
    auto* quality = AddControl<QComboBox>(this, "ComboBox8", QRect(80, 326, 70, 22));
    quality->setEditable(true);
    quality->setEnabled(false);
    AddControl<QPushButton>(this, "Button6", QRect(16, 360, 257, 26));
    auto* cancel = AddControl<QPushButton>(this, "Button11", QRect(100, 388, 89, 24), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &DistributionScreen::Button11Click);
    ApplyEnglishCaptions(this);
}

void DistributionScreen::PrepareToShow()
{
    findChild<QListWidget*>(QStringLiteral("ListBox6"))->clear();
    findChild<QComboBox*>(QStringLiteral("ComboBox8"))->setEditText(QStringLiteral("30"));
}

void DistributionScreen::FillQualityList()
{
    auto* quality = findChild<QComboBox*>(QStringLiteral("ComboBox8"));
    quality->clear();
    for (int i = 2; i <= 10; ++i)
        quality->addItem(QString::number(i * 10));
}

void DistributionScreen::Button11Click() { host_.SwitchScreen(1); }

} // namespace tackedit
