#include "screens/race_screens.h"

#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "screens/compile_screen.h"
#include "screens/replay_open.h"
#include "screens/video_dialog.h"
#include "base/data_error.h"
#include "platform/qt/named_controls.h"
#include "screens/captions.h"

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

FileSelectionScreen::FileSelectionScreen(QWidget* parent, AppState& state, ScreenHost& host, CompileScreen& compile)
    : QFrame(parent), state_(state), host_(host), compile_(compile)
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
    auto* races = AddControl<QListWidget>(files, "ListBox4", QRect(8, 42, 233, 197));
    connect(races, &QListWidget::itemClicked, this, &FileSelectionScreen::ListBox4Click);
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

void FileSelectionScreen::RadioButton10Click() { compile_.StartNewRace(); }

void FileSelectionScreen::RadioButton11Click()
{
    findChild<QGroupBox*>(QStringLiteral("GroupBox3"))->show();
    FillRaceFileList(findChild<QListWidget*>(QStringLiteral("ListBox4")), state_.paths.AppDir);
}

void FileSelectionScreen::ListBox4Click()
{
    // A race that does not read leaves the user here, with its error shown.
    if (QListWidgetItem* item = findChild<QListWidget*>(QStringLiteral("ListBox4"))->currentItem())
        compile_.OpenRace(FromQString(item->text()));
}

void FileSelectionScreen::Button12Click() { host_.SwitchScreen(1); }

ShowRaceScreen::ShowRaceScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlSHOWRACE", 265, 281, kSilver);
    AddControl<QLabel>(this, "Label27", QRect(16, 12, 233, 18), QStringLiteral("Choose Race File"));
    auto* races = AddControl<QListWidget>(this, "ListBox8", QRect(16, 34, 233, 197));
    connect(races, &QListWidget::itemClicked, this, &ShowRaceScreen::ListBox8Click);
    auto* cancel = AddControl<QPushButton>(this, "Button15", QRect(88, 241, 89, 26), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &ShowRaceScreen::Button15Click);
    // Pressed, a click on a race replays it in the browser instead of starting the viewer.
    auto* browser = AddControl<QPushButton>(this, "ButtonShowReplay", QRect(181, 241, 68, 26));
    browser->setCheckable(true);
    // Pressed instead, the click makes a video of the race.
    auto* video = AddControl<QPushButton>(this, "ButtonMakeVideo", QRect(16, 241, 68, 26));
    video->setCheckable(true);
    connect(browser, &QPushButton::toggled, video, [video](bool on) { if (on) video->setChecked(false); });
    connect(video, &QPushButton::toggled, browser, [browser](bool on) { if (on) browser->setChecked(false); });
}

void ShowRaceScreen::ListRaceFiles()
{
    FillRaceFileList(findChild<QListWidget*>(QStringLiteral("ListBox8")), state_.paths.AppDir);
}

void ShowRaceScreen::ListBox8Click()
{
    QListWidgetItem* item = findChild<QListWidget*>(QStringLiteral("ListBox8"))->currentItem();
    if (!item)
        return;
    state_.RaceFileName = FromQString(item->text());
    if (findChild<QPushButton*>(QStringLiteral("ButtonMakeVideo"))->isChecked()) {
        if (MakeVideoOfRaceFile(this, state_.RaceFileName, state_, services_))
            host_.SwitchScreen(1);
        return;
    }
    if (findChild<QPushButton*>(QStringLiteral("ButtonShowReplay"))->isChecked()) {
        if (OpenReplayOfRaceFile(state_.RaceFileName, state_, services_))
            host_.SwitchScreen(1);
        return;
    }
    try {
        WriteHandoffFile(state_.paths.HandoffFilePath, state_.RaceFileName);
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
        return;
    }
    if (const std::string problem = services_.shell.StartProgram(ViewerToStart(state_.paths)); !problem.empty())
        services_.dialogs.ShowMessage("tackvue", problem);
    host_.SwitchScreen(1);
}

void ShowRaceScreen::Button15Click() { host_.SwitchScreen(1); }

MakingSmallFilesScreen::MakingSmallFilesScreen(QWidget* parent) : QFrame(parent)
{
    SetUpPanel(this, "pnlMkSMALL", 273, 113, kSilver);
    AddControl<QLabel>(this, "LabelMkSmallTitle", QRect(16, 20, 241, 20), QStringLiteral("Making  Small Gps Files"));
    AddControl<QLabel>(this, "Label28", QRect(16, 56, 241, 20));
}

} // namespace tackedit
