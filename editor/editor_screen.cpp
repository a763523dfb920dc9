#include "editor/editor_screen.h"

#include "platform/qt/named_controls.h"
#include "track/data_error.h"
#include "track/file_buffer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tackedit {

EditorScreen::EditorScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlEDIT", 913, 596, QColor(192, 192, 192));
    AddControl<QLabel>(this, "Label40", QRect(8, 4, 600, 18));
    auto* automatic = AddControl<QGroupBox>(this, "GroupBox7", QRect(700, 300, 205, 200));
    automatic->setTitle(QStringLiteral("自動編集"));
    AddControl<QLabel>(automatic, "Label41", QRect(8, 20, 189, 18));
    AddControl<QCheckBox>(automatic, "CheckBox4", QRect(8, 44, 120, 20), QStringLiteral("インターバル（秒）"));
    AddControl<QComboBox>(automatic, "ComboBox9", QRect(130, 44, 67, 22))->setEditable(true);
    AddControl<QCheckBox>(automatic, "CheckBox5", QRect(8, 72, 120, 20), QStringLiteral("最高速度（KNOT)"));
    AddControl<QComboBox>(automatic, "ComboBox6", QRect(130, 72, 67, 22))->setEditable(true);
    AddControl<QCheckBox>(automatic, "CheckBox6", QRect(8, 100, 189, 20));
    AddControl<QPushButton>(automatic, "Button27", QRect(8, 160, 189, 28));
    auto* back = AddControl<QPushButton>(this, "Button22", QRect(780, 560, 125, 28), QStringLiteral("CANCEL/戻る"));
    connect(back, &QPushButton::clicked, this, &EditorScreen::Button22Click);
}

void EditorScreen::OpenTrackForEditing()
{
    const auto chosen = services_.dialogs.OpenFile("ALL(*.*)|*.*|*.TRB|*.TRB|*.DTR|*.DTR|*.GPX|*.GPX",
                                                   state_.paths.AppDir + "gpsdat");
    if (!chosen || !FileExists(*chosen))
        return;
    state_.edit.CurrentTrackFile = *chosen;
    LoadServices load{services_.events, services_.beeper, services_.cursor, {}};
    try {
        LoadTrackFile(*chosen, state_.track, state_.edit, load);
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
        return;
    }
    host_.SwitchScreen(22);
}

void EditorScreen::RefillAutoEditLists()
{
    auto* interval = findChild<QComboBox*>(QStringLiteral("ComboBox9"));
    interval->clear();
    for (int i = 1; i <= 24; ++i)
        interval->addItem(QString::number(i * 5));
    interval->setEditText(QStringLiteral("20"));
    auto* speed = findChild<QComboBox*>(QStringLiteral("ComboBox6"));
    speed->clear();
    for (int i = 1; i <= 20; ++i)
        speed->addItem(QString::number(i * 2));
    speed->setEditText(QStringLiteral("12"));
}

void EditorScreen::Button22Click() { host_.SwitchScreen(1); }

} // namespace tackedit
