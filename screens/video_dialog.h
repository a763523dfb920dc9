#pragma once

// "Make a video…": the choices of `tackedit-cli video` in a small dialog, then
// the render with its progress and a Cancel.

#include "replay/video.h"
#include "screens/app_state.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace tackedit {

class VideoDialog final : public QDialog {
    Q_OBJECT
public:
    // `boats` are the race's boat names, offered to follow.
    VideoDialog(QWidget* parent, const std::string& app_dir, const std::string& race_file,
                const std::vector<std::string>& boats, int ui_language);

    // The choices as made, for a video at `out`; "" in a field leaves the command's default.
    VideoOptions Options(const std::string& out) const;

private:
    std::string app_dir_, race_file_;
    QLineEdit *from_, *to_;
    QComboBox *speed_, *size_, *follow_, *fps_;
};

// Asks for the choices and the file, then makes the video with a progress
// dialog; messages say where it is or why there is none. True when written.
bool MakeVideoOfRaceFile(QWidget* parent, const std::string& race_file, AppState& state,
                         PlatformServices& services);

} // namespace tackedit
