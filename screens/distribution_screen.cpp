#include "screens/distribution_screen.h"

#include "distribution/distribution_core.h"
#include "pictures/picture_export.h"
#include "screens/picture_resize_screen.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"
#include "screens/compile_screen.h"
#include "screens/captions.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <thread>

namespace tackedit {

namespace {

template <class T>
T* Child(QWidget* root, const char* name)
{
    return root->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

DistributionScreen::DistributionScreen(QWidget* parent, AppState& state, PlatformServices& services,
                                       ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlDistribution", 289, 417, QColor(192, 192, 192));
    AddControl<QLabel>(this, "Label23", QRect(16, 8, 257, 16));
    auto* races = AddControl<QListWidget>(this, "ListBox5", QRect(16, 26, 257, 130));
    connect(races, &QListWidget::itemClicked, this, &DistributionScreen::ChooseDistRaceFile);
    AddControl<QLabel>(this, "Label24", QRect(16, 164, 120, 16));
    AddControl<QLabel>(this, "Label25", QRect(136, 164, 137, 16));
    AddControl<QListWidget>(this, "ListBox6", QRect(16, 182, 257, 100));
    auto* clear = AddControl<QPushButton>(this, "Button13", QRect(16, 286, 64, 22), QStringLiteral("Clear"));
    connect(clear, &QPushButton::clicked, this, &DistributionScreen::Button13Click);
    AddControl<QCheckBox>(this, "CheckBox1", QRect(16, 312, 130, 20))->setChecked(true);
    AddControl<QCheckBox>(this, "CheckBoxReplayFile", QRect(150, 312, 123, 20));
    auto* pictures =
        AddControl<QCheckBox>(this, "CheckBox3", QRect(16, 336, 130, 20), QStringLiteral("Attach Pictures"));
    pictures->setChecked(true);
    pictures->setEnabled(false);
    AddControl<QLabel>(this, "Label35", QRect(150, 338, 50, 18), QStringLiteral("Quality"))->setEnabled(false);
    auto* quality = AddControl<QComboBox>(this, "ComboBox8", QRect(203, 336, 70, 22));
    quality->setEditable(true);
    quality->setEnabled(false);
    auto* ok = AddControl<QPushButton>(this, "Button6", QRect(16, 364, 257, 26));
    connect(ok, &QPushButton::clicked, this, &DistributionScreen::CreateDistribution);
    auto* cancel = AddControl<QPushButton>(this, "Button11", QRect(100, 394, 89, 20), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &DistributionScreen::Button11Click);
    ApplyEnglishCaptions(this);
}

void DistributionScreen::PrepareToShow()
{
    state_.distribution.DistPictureFlag = 0;
    state_.distribution.DistRaceFiles.clear();
    Child<QListWidget>(this, "ListBox6")->clear();
    Child<QComboBox>(this, "ComboBox8")->setEditText(QStringLiteral("30"));
    FillRaceFileList(Child<QListWidget>(this, "ListBox5"), state_.paths.AppDir);
}

void DistributionScreen::FillQualityList()
{
    auto* quality = Child<QComboBox>(this, "ComboBox8");
    quality->clear();
    for (int i = 2; i <= 10; ++i)
        quality->addItem(QString::number(i * 10));
}

void DistributionScreen::RefillPlayList()
{
    auto* list = Child<QListWidget>(this, "ListBox6");
    list->clear();
    for (const std::string& name : state_.distribution.DistRaceFiles)
        list->addItem(ToQString(name));
}

void DistributionScreen::EnablePictureControls()
{
    for (const char* name : {"CheckBox3", "Label35", "ComboBox8"})
        Child<QWidget>(this, name)->setEnabled(true);
}

void DistributionScreen::ChooseDistRaceFile()
{
    if (QListWidgetItem* item = Child<QListWidget>(this, "ListBox5")->currentItem()) {
        try {
            switch (tackedit::ChooseDistRaceFile(state_.distribution, FromQString(item->text()), state_.paths.AppDir,
                                                 state_.UiLanguage, state_.race)) {
            case AddRaceResult::Duplicate: services_.dialogs.ShowMessage("tackvue", "Same file exists"); break;
            case AddRaceResult::Full:
                services_.dialogs.ShowMessage("tackvue", Say(texts::kPlayListFull, state_.UiLanguage,
                                                             {std::to_string(DistributionPlayList::kMaxRaces)}));
                break;
            case AddRaceResult::Added: RefillPlayList(); break;
            }
        } catch (const DataError& e) {
            RefillPlayList();
            ShowError(e.what());
        }
    }
    if (state_.distribution.DistPictureFlag == 1)
        EnablePictureControls();
}

void DistributionScreen::Button13Click()
{
    state_.distribution.DistRaceFiles.clear();
    state_.distribution.DistPictureFlag = 0;
    Child<QListWidget>(this, "ListBox6")->clear();
}

void DistributionScreen::CreateDistribution()
{
    DistributionPlayList& list = state_.distribution;
    if (list.DistRaceFiles.empty()) {
        services_.dialogs.ShowMessage("tackvue", "Fill All Frames");
        return;
    }
    const auto answer = services_.dialogs.InputBox("Distribution File", "Input Distribution Folder Name?", "");
    if (!answer || answer->empty())
        return;
    const std::string name(TrimBlanks(*answer));
    if (const auto problem = DistributionNameProblem(name)) {
        ShowError(*problem);
        return;
    }
    // The quality is checked before anything is built.
    int quality = 0;
    if (list.DistPictureFlag == 1 && Child<QCheckBox>(this, "CheckBox3")->isChecked()) {
        const std::string text = FromQString(Child<QComboBox>(this, "ComboBox8")->currentText());
        const auto value = ParseInteger(text);
        if (!value || *value < 1 || *value > 100) {
            ShowError("'" + text + "' is not a picture quality: give a whole number from 1 to 100.");
            return;
        }
        quality = static_cast<int>(*value);
    }
    const bool exists = ExistingDistributionFolder(state_.paths.AppDir, name).has_value();
    if (exists) {
        std::string question = "Same folder name exists. Overwrite?\nThe old folder goes to the trash.";
        if (state_.UiLanguage == 0)
            question += "\n古いフォルダはごみ箱に移されます。";
        if (!services_.dialogs.AskYesNo("Distribution Folder", question)) {
            list.DistName.clear();
            return;
        }
    }
    list.DistName = name;
    Build(quality, exists);
}

void DistributionScreen::Build(int quality, bool replace)
{
    const LongOperation building(state_, [this] { window()->close(); });
    const DistributionPlayList& list = state_.distribution;
    DistributionOptions options;
    options.app_dir = state_.paths.AppDir;
    options.viewer_exe = state_.paths.ViewerExe;
    options.attach_help = Child<QCheckBox>(this, "CheckBox1")->isChecked();
    options.ui_language = state_.UiLanguage;
    options.export_pictures = quality > 0;
    options.replay_file = Child<QCheckBox>(this, "CheckBoxReplayFile")->isChecked();
    options.replace = replace;
    options.move_to_trash = [this](const std::string& folder) { return services_.shell.MoveFolderToTrash(folder); };
    std::vector<PictureFailure> failures;
    if (quality > 0)
        options.finish = [&](const std::string& building) {
            services_.cursor.ShowDefaultCursor();
            host_.SwitchScreen(41);
            auto* panel = window()->findChild<PictureResizeScreen*>();
            if (panel)
                panel->Clear();
            PictureExportOptions pictures;
            pictures.app_dir = state_.paths.AppDir;
            pictures.dist_dir = building;
            pictures.ui_language = state_.UiLanguage;
            pictures.quality = quality;
            pictures.threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
            failures = ExportDistributionPictures(list.DistRaceFiles, pictures, state_.race, state_.pictures,
                                                  services_.events, [panel](const PictureProgress& step) {
                                                      if (panel)
                                                          panel->ShowProgress(step);
                                                  });
        };
    std::string dist;
    try {
        services_.cursor.ShowBusyCursor();
        dist = BuildDistribution(list, options, state_.race);
        services_.cursor.ShowDefaultCursor();
    } catch (const DataError& e) {
        services_.cursor.ShowDefaultCursor();
        // The picture panel has no buttons; the message is shown over the cover.
        if (state_.ScreenMode == 41)
            host_.SwitchScreen(1);
        ShowError(e.what());
        return;
    }
    host_.SwitchScreen(1);
    if (!failures.empty())
        ShowError(PictureReportText(failures, 10));
    if (quality > 0)
        if (const auto outside = PicturesFromOutside(list, state_.paths.AppDir, dist); !outside.empty()) {
            std::string text = Say(texts::kPicturesFromOutside, state_.UiLanguage);
            for (const std::string& line : outside)
                text += "\n" + line;
            ShowError(text);
        }
    // A window closed during the build closes now, without the question.
    if (!state_.CloseWhenDone &&
        services_.dialogs.AskYesNo(Say(texts::kCheckDistributionCaption, state_.UiLanguage),
                                   Say(texts::kCheckDistributionQuestion, state_.UiLanguage, {dist})) &&
        !services_.shell.OpenDocument(dist))
        ShowError(Say(texts::kFolderDoesNotOpen, state_.UiLanguage, {dist}));
}

void DistributionScreen::Button11Click() { host_.SwitchScreen(1); }

void DistributionScreen::ShowError(const std::string& text) { services_.dialogs.ShowMessage("tackvue", text); }

} // namespace tackedit
