#pragma once

#include "screens/app_state.h"
#include "shell/ui_language.h"

#include <QWidget>

#include <string>
#include <vector>

namespace tackedit {

class CompileScreen;
class CoverScreen;
class DistributionScreen;
class EditorScreen;
class FileSelectionScreen;
class MakingSmallFilesScreen;
class PictureResizeScreen;
class ShowRaceScreen;

// The one main window. Each screen is a panel of it; exactly one is shown, and
// the window takes that panel's size and is centred on the display.
class TForm1 final : public QWidget, public ScreenHost {
    Q_OBJECT
public:
    // program_folder: the folder of the executable, the root of the workspace.
    TForm1(AppState& state, PlatformServices& services, std::string program_folder);

    void SwitchScreen(int mode) override;
    bool EditRaceBoatTrack(const std::string& path, int boat) override;
    bool UseTrackInRace(int boat, const std::string& old_file, const std::string& new_file) override;
    // Files given on the command line: a race file of the workspace opens on
    // the compile screen, any other file in the track editor.
    void OpenFiles(const std::vector<std::string>& files);
    void ShowScreen();
    void HideAllPanels();
    void ReadSettings();
    void WriteSettings();

    CoverScreen* Cover() const { return cover_; }
    EditorScreen* Editor() const { return editor_; }
    CompileScreen* Compile() const { return compile_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const std::string& program_folder);
    void FormClose();
    void ShowPanel(QWidget* panel);
    void LoadSettings();  // ReadSettings that raises DataError
    void CentreOnDisplay();

    AppState& state_;
    PlatformServices& services_;
    CoverScreen* cover_ = nullptr;
    FileSelectionScreen* file_selection_ = nullptr;
    CompileScreen* compile_ = nullptr;
    DistributionScreen* distribution_ = nullptr;
    PictureResizeScreen* picture_resize_ = nullptr;
    ShowRaceScreen* show_race_ = nullptr;
    MakingSmallFilesScreen* making_small_ = nullptr;
    EditorScreen* editor_ = nullptr;
    bool centred_with_frame_ = false;
};

// The program folder with exactly one trailing separator.
std::string WithTrailingSeparator(std::string folder);

} // namespace tackedit
