#pragma once

// GroupBox5 of the compile screen: the race's picture folder, its picture
// count, the camera time correction and the size of distributed pictures.

#include "screens/app_state.h"

#include <QGroupBox>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;

namespace tackedit {

class PictureFolderBox final : public QGroupBox {
    Q_OBJECT
public:
    PictureFolderBox(QWidget* parent, AppState& state, PlatformServices& services, const QRect& geometry);

    // Button17: a folder chosen in the folder dialog is indexed and shown.
    void ChoosePictureFolder();
    // An existing race was opened: its folder is indexed again, so that saving
    // it again keeps its PIC line.
    void IndexAfterOpen();
    // The race's folder, correction, size and picture count into the controls.
    void ShowRace();
    // Puts the start, finish and replay window of the race on the screen into
    // the race before each count.
    void SetRaceWindow(std::function<void(RaceSettings&)> race_window) { race_window_ = std::move(race_window); }
    // The race's start, finish or pre-start time changed: the pictures are
    // counted again a moment later, once, however many steps the change took.
    void ScheduleRecount();
    // The count again now, unless the folder and window are those last counted.
    void Recount();
    // A new race: no folder, no count, no correction.
    void Clear();

    QLineEdit *Edit3, *Edit2, *Edit4;
    QLabel* Label32;
    QSpinBox *UpDown1, *UpDown2;

private:
    void Edit2Change();
    void Edit4Change();
    void Index();
    std::string WindowKey() const;
    void ShowPictureCount();

    AppState& state_;
    PlatformServices& services_;
    std::function<void(RaceSettings&)> race_window_;
    QTimer* recount_timer_;
    std::string counted_;  // the folder and window of the count shown
    bool counting_ = false;
};

// IndexPictures with the red "!! Getting Exif Data !!" panel shown centred in
// the main window meanwhile.
void IndexPicturesWithPanel(QWidget* window, AppState& state, PlatformServices& services);

} // namespace tackedit
