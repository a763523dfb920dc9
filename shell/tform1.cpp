#include "shell/tform1.h"

#include "screens/distribution_screen.h"
#include "screens/editor_screen.h"
#include "screens/gps_download_panel.h"
#include "screens/picture_resize_screen.h"
#include "platform/qt/qt_platform.h"
#include "screens/compile_screen.h"
#include "screens/race_screens.h"
#include "screens/captions.h"
#include "shell/cover_screen.h"
#include "shell/ui_language.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/workspace_files.h"
#include "base/workspace_paths.h"
#include "base/messages.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tackedit {

namespace {

QLineEdit* Edit(QWidget* root, const char* name)
{
    return root->findChild<QLineEdit*>(QString::fromLatin1(name));
}

} // namespace

std::string WithTrailingSeparator(std::string folder)
{
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += '/';
    return folder;
}

TForm1::TForm1(AppState& state, PlatformServices& services, std::string program_folder)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      state_(state), services_(services)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("tackvue EDITOR  v.5_150318"));
    setFont(WindowFont(0));

    editor_ = new EditorScreen(this, state_, services_, *this);
    CoverScreen::Actions cover_actions;
    cover_actions.OpenTrackForEditing = [this] { editor_->OpenTrackForEditing(); };
    // The download panel shows a failed read or write itself and keeps what the
    // user just registered, so it gets the raising forms.
    cover_actions.settings.ReadSettings = [this] { LoadSettings(); };
    cover_actions.settings.WriteSettings = [this] {
        WriteSettingsFile(state_.paths.SettingsFilePath, state_.race, state_.tools);
        state_.editor.TimeDiffHours = state_.race.TimeDiff;
    };
    cover_ = new CoverScreen(this, state_, services_, *this, cover_actions);
    compile_ = new CompileScreen(this, state_, services_, *this);
    file_selection_ = new FileSelectionScreen(this, state_, *this, *compile_);
    distribution_ = new DistributionScreen(this, state_, services_, *this);
    picture_resize_ = new PictureResizeScreen(this);
    show_race_ = new ShowRaceScreen(this, state_, services_, *this);
    making_small_ = new MakingSmallFilesScreen(this);

    FormCreate(program_folder);
}

void TForm1::FormCreate(const std::string& program_folder)
{
    setAcceptDrops(true);

    state_.UiLanguage = ChooseUiLanguage(std::getenv("TACKEDIT_LANG"), SystemLocaleLanguage(),
                                         HasJapaneseUiFont(services_.fonts.FontFamilies()));
    auto* map_label = findChild<QLabel*>(QStringLiteral("Label26"));
    auto* map_list = findChild<QListWidget*>(QStringLiteral("ListBox7"));
    if (state_.UiLanguage == 2) {
        setFont(WindowFont(2));
        map_list->hide();
        map_label->hide();
        ApplyEnglishCaptions(this);
        ApplyEnglishToolTips(this);
    } else {
        map_list->show();
        map_label->show();
        ApplyJapaneseCaptions(this);
    }

    WorkspacePaths& paths = state_.paths;
    paths.AppDir = WithTrailingSeparator(program_folder);
    paths.ViewerPath = paths.AppDir + paths.ViewerExe;
    paths.CtrlDir = paths.AppDir + "ctrl";
    paths.DownloadToolPath = paths.AppDir + "GPSFETCH.exe";
    state_.tools.DownloadTools[0] = paths.DownloadToolPath;

    std::error_code error;
    if (!std::filesystem::is_directory(paths.CtrlDir, error) &&
        !std::filesystem::create_directory(paths.CtrlDir, error))
        services_.dialogs.ShowMessage("tackvue", "Cannot create the folder " + paths.CtrlDir + ": " +
                                                     (error ? error.message() : std::string("unknown error")));

    paths.SettingsFilePath = paths.CtrlDir + "/ctrl.log";
    paths.HandoffFilePath = paths.CtrlDir + "/editfile.edt";
    std::filesystem::remove(paths.HandoffFilePath, error);

    distribution_->FillQualityList();
    state_.ScreenMode = 1;
    ShowScreen();
    ReadSettings();
}

void TForm1::FormClose()
{
    std::error_code error;
    std::filesystem::remove(state_.paths.HandoffFilePath, error);
}

bool TForm1::event(QEvent* event)
{
    // The first centring ran before the window had a frame, so it centred the
    // client area: once the frame is known, centre the whole window again.
    const QEvent::Type type = event->type();
    const bool result = QWidget::event(event);
    if (!centred_with_frame_ && isVisible() &&
        (type == QEvent::Show || type == QEvent::Move || type == QEvent::Paint) && frameGeometry().size() != size()) {
        centred_with_frame_ = true;
        CentreOnDisplay();
    }
    return result;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (state_.LongOperations > 0) {
        // The window would vanish while the work runs on unseen: it closes
        // when the work is done (LongOperation).
        event->ignore();
        if (!state_.CloseWhenDone) {
            state_.CloseWhenDone = true;
            services_.dialogs.ShowMessage("tackvue", Say(texts::kCloseAfterLongWork, state_.UiLanguage),
                                          true);
        }
        return;
    }
    // The editor opened from the race leaves the race's changes behind too.
    const bool may_close = state_.ScreenMode == 3 ? compile_->MayLeave()
                           : state_.ScreenMode == 22
                               ? editor_->MayLeave() && (!editor_->OpenedFromRace() || compile_->MayLeave())
                               : true;
    if (!may_close) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    // Files are taken only while the compile screen is shown.
    if (state_.ScreenMode != 3)
        return;
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(FromQString(url.toLocalFile()));
    event->acceptProposedAction();
    compile_->DropFiles(paths);
}

void TForm1::OpenFiles(const std::vector<std::string>& files)
{
    if (files.empty())
        return;
    const std::string& file = files.front();
    const std::string name = file.substr(file.find_last_of('/') + 1);
    const bool race_file = name.size() > 4 && QString::fromStdString(name).endsWith(".txt", Qt::CaseInsensitive);
    if (race_file) {
        // A bare FILE is one in the current folder, as for any program.
        std::error_code ec;
        std::string outside;
        const auto there = RaceFileName(state_.paths.AppDir, std::filesystem::absolute(file, ec).string(), outside);
        const auto found = there ? FindWorkspaceFile(state_.paths.AppDir + "raceadmin", *there) : std::nullopt;
        if (found && std::filesystem::equivalent(*found, file, ec))
            compile_->OpenRace(*there);
        else
            services_.dialogs.ShowMessage("tackvue", Say(texts::kRaceOutsideWorkspace, state_.UiLanguage,
                                                         {file, state_.paths.AppDir + "raceadmin"}));
    } else {
        editor_->EditTrack(file);
    }
    if (files.size() > 1)
        services_.dialogs.ShowMessage("tackvue", Say(texts::kOneFileAtATime, state_.UiLanguage, {file}));
}

void TForm1::SwitchScreen(int mode)
{
    state_.ScreenMode = mode;
    ShowScreen();
}

bool TForm1::EditRaceBoatTrack(const std::string& path, int boat) { return editor_->EditRaceBoatTrack(path, boat); }

bool TForm1::UseTrackInRace(int boat, const std::string& old_file, const std::string& new_file)
{
    return compile_->UseTrackForBoat(boat, old_file, new_file);
}

void TForm1::HideAllPanels()
{
    for (QWidget* panel : std::initializer_list<QWidget*>{cover_, cover_->DownloadPanel(), compile_, distribution_,
                                                          show_race_, file_selection_, making_small_,
                                                          picture_resize_, editor_})
        panel->hide();
}

void TForm1::ShowPanel(QWidget* panel)
{
    setFixedSize(panel->size());
    panel->move(0, 0);
    panel->show();
}

void TForm1::ShowScreen()
{
    services_.cursor.ShowDefaultCursor();
    HideAllPanels();
    switch (state_.ScreenMode) {
    case 1:
        ShowPanel(cover_);
        break;
    case 2: {
        ShowPanel(cover_);
        GpsDownloadPanel* panel = cover_->DownloadPanel();
        panel->move(0, cover_->height() - panel->height());
        panel->show();
        panel->raise();
        break;
    }
    case 22: ShowPanel(editor_); break;
    case 3: ShowPanel(compile_); break;
    case 31:
        file_selection_->PrepareToShow();
        ShowPanel(file_selection_);
        break;
    case 4:
        ShowPanel(distribution_);
        distribution_->PrepareToShow();
        break;
    case 41: ShowPanel(picture_resize_); break;
    case 5:
        ShowPanel(show_race_);
        show_race_->ListRaceFiles();
        break;
    case 6: ShowPanel(making_small_); break;
    default: break;
    }
    CentreOnDisplay();
    editor_->RefillAutoEditLists();
}

void TForm1::CentreOnDisplay()
{
    const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!display)
        return;
    const QRect area = display->geometry();
    // The outer size, title bar and borders included, once the window has a frame.
    const QSize outer = frameGeometry().size().expandedTo(size());
    const int left = RoundHalfEvenToInt32((area.width() - outer.width()) / 2.0L);
    const int top = RoundHalfEvenToInt32((area.height() - outer.height()) / 2.0L);
    move(area.left() + left, area.top() + top);
}

void TForm1::ReadSettings()
{
    try {
        LoadSettings();
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
        cover_->DownloadPanel()->FillToolBox();
    }
}

void TForm1::LoadSettings()
{
    const SettingsFieldTexts texts = ReadSettingsFile(state_.paths.SettingsFilePath, state_.race, state_.tools);
    const std::pair<const std::optional<std::string>*, const char*> fields[] = {
        {&texts.Edit8, "Edit8"}, {&texts.Edit9, "Edit9"}, {&texts.Edit10, "Edit10"},
        {&texts.Edit5, "Edit5"}, {&texts.Edit6, "Edit6"}};
    for (const auto& [text, name] : fields)
        if (*text)
            Edit(compile_, name)->setText(ToQString(**text));
    state_.editor.TimeDiffHours.reset();
    if (const auto hours = texts.Edit10 ? ParseInteger(*texts.Edit10) : std::nullopt; hours && std::abs(*hours) <= 14)
        state_.editor.TimeDiffHours = static_cast<int>(*hours);
    cover_->DownloadPanel()->FillToolBox();
}

void TForm1::WriteSettings()
{
    try {
        WriteSettingsFile(state_.paths.SettingsFilePath, state_.race, state_.tools);
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
    }
}

} // namespace tackedit
