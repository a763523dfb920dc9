#include "race/race_screens.h"

#include "external/help.h"
#include "platform/qt/named_controls.h"
#include "shell/captions.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace tackedit {

namespace {
const QColor kSilver(192, 192, 192);
}

FileSelectionScreen::FileSelectionScreen(QWidget* parent, AppState& state, ScreenHost& host)
    : QFrame(parent), state_(state), host_(host)
{
    SetUpPanel(this, "pnlFileSel", 281, 377, kSilver);
    auto* new_race = AddControl<QRadioButton>(this, "RadioButton10", QRect(24, 16, 233, 24), QStringLiteral("New Race"));
    auto* existing =
        AddControl<QRadioButton>(this, "RadioButton11", QRect(24, 44, 233, 24), QStringLiteral("Load existing file"));
    // Separate handlers: a click that checks the button, as the user makes it.
    connect(new_race, &QRadioButton::clicked, this, &FileSelectionScreen::RadioButton10Click);
    connect(existing, &QRadioButton::clicked, this, &FileSelectionScreen::RadioButton11Click);
    auto* files = AddControl<QGroupBox>(this, "GroupBox3", QRect(16, 76, 249, 249));
    AddControl<QLabel>(files, "Label21", QRect(8, 20, 233, 18));
    AddControl<QListWidget>(files, "ListBox4", QRect(8, 42, 233, 197));
    auto* cancel = AddControl<QPushButton>(this, "Button12", QRect(96, 337, 89, 26), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &FileSelectionScreen::Button12Click);
    ApplyEnglishCaptions(this);
}

void FileSelectionScreen::PrepareToShow()
{
    for (const char* name : {"RadioButton10", "RadioButton11"}) {
        auto* button = findChild<QRadioButton*>(QString::fromLatin1(name));
        // Radio buttons of one parent are exclusive: lift that to uncheck both.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    findChild<QGroupBox*>(QStringLiteral("GroupBox3"))->hide();
}

void FileSelectionScreen::RadioButton10Click() { host_.SwitchScreen(3); }

void FileSelectionScreen::RadioButton11Click() { findChild<QGroupBox*>(QStringLiteral("GroupBox3"))->show(); }

void FileSelectionScreen::Button12Click() { host_.SwitchScreen(1); }

CompileScreen::CompileScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlCOMPILE", 673, 541, kSilver);
    setToolTip(QStringLiteral("Drop GPS File Here"));

    // Boats and their files.
    AddControl<QLabel>(this, "Label4", QRect(232, 8, 200, 16));
    MarkYellow(AddControl<QListWidget>(this, "ListBox2", QRect(232, 26, 200, 250)));

    // Race values, label beside a yellow edit box.
    int y = 290;
    auto value = [&](const char* label_name, const char* edit_name, const QString& caption) {
        auto* label = AddControl<QLabel>(this, label_name, QRect(232, y, 130, 18), caption);
        auto* edit = AddControl<QLineEdit>(this, edit_name, QRect(366, y - 2, 66, 20));
        MarkYellow(edit);
        y += 24;
        return label;
    };
    value("Label7", "Edit5", QString());
    value("Label8", "Edit6", QStringLiteral("(DN)"));
    value("Label10", "Edit8", QStringLiteral("LOA"));
    value("Label12", "Edit9", QString());
    value("Label14", "Edit10", QString());
    AddControl<QLabel>(this, "Label30", QRect(232, y, 200, 18));
    AddControl<QComboBox>(this, "ComboBox5", QRect(366, y - 2, 66, 20));
    y += 24;
    AddControl<QLabel>(this, "Label9", QRect(232, y, 200, 18));
    AddControl<QComboBox>(this, "ComboBox4", QRect(366, y - 2, 66, 20));

    // Attachments.
    auto* attachments = AddControl<QGroupBox>(this, "GroupBox1", QRect(448, 8, 217, 150));
    AddControl<QLabel>(attachments, "Label17", QRect(8, 18, 200, 16));
    AddControl<QListWidget>(attachments, "ListBox3", QRect(8, 36, 200, 80));
    AddControl<QPushButton>(attachments, "Button7", QRect(8, 120, 96, 24));
    AddControl<QPushButton>(attachments, "Button8", QRect(112, 120, 96, 24), QStringLiteral("Clear"));

    auto* orientation = AddControl<QGroupBox>(this, "RadioGroup2", QRect(448, 166, 217, 48));
    AddControl<QRadioButton>(orientation, "RadioButton8", QRect(8, 20, 100, 20))->setChecked(true);
    AddControl<QRadioButton>(orientation, "RadioButton9", QRect(110, 20, 100, 20));

    // The coastline map list, shown only with Japanese captions.
    AddControl<QLabel>(this, "Label26", QRect(448, 222, 217, 16), QStringLiteral("Map Name"));
    AddControl<QListWidget>(this, "ListBox7", QRect(448, 240, 217, 80));

    auto* pictures = AddControl<QGroupBox>(this, "GroupBox5", QRect(448, 328, 217, 60));
    pictures->setTitle(QStringLiteral("Picture Folder"));
    AddControl<QPushButton>(pictures, "Button17", QRect(150, 24, 56, 24));

    AddControl<QPushButton>(this, "Button9", QRect(448, 460, 217, 32));
    auto* cancel = AddControl<QPushButton>(this, "Button10", QRect(448, 500, 120, 28), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &CompileScreen::Button10Click);
    auto* help = AddControl<QPushButton>(this, "Button16", QRect(635, 500, 30, 28), QStringLiteral("?"));
    connect(help, &QPushButton::clicked, this, &CompileScreen::Button16Click);
    ApplyEnglishCaptions(this);
}

void CompileScreen::Button10Click() { host_.SwitchScreen(1); }

void CompileScreen::Button16Click() { ShowEditorHelp(state_.paths.AppDir, state_.UiLanguage, services_.shell); }

ShowRaceScreen::ShowRaceScreen(QWidget* parent, ScreenHost& host) : QFrame(parent), host_(host)
{
    SetUpPanel(this, "pnlSHOWRACE", 265, 281, kSilver);
    AddControl<QLabel>(this, "Label27", QRect(16, 12, 233, 18), QStringLiteral("Choose Race File"));
    AddControl<QListWidget>(this, "ListBox8", QRect(16, 34, 233, 197));
    auto* cancel = AddControl<QPushButton>(this, "Button15", QRect(88, 241, 89, 26), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &ShowRaceScreen::Button15Click);
}

void ShowRaceScreen::Button15Click() { host_.SwitchScreen(1); }

MakingSmallFilesScreen::MakingSmallFilesScreen(QWidget* parent) : QFrame(parent)
{
    SetUpPanel(this, "pnlMkSMALL", 273, 113, kSilver);
    AddControl<QLabel>(this, "LabelMkSmallTitle", QRect(16, 20, 241, 20), QStringLiteral("Making  Small Gps Files"));
    AddControl<QLabel>(this, "Label28", QRect(16, 56, 241, 20));
}

} // namespace tackedit
