#pragma once

// GroupBox5 of the compile screen: the race's picture folder, its picture
// count, the camera time correction and the size of distributed pictures.

#include "shell/app_state.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QSpinBox;

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

    QLineEdit *Edit3, *Edit2, *Edit4;
    QLabel* Label32;
    QSpinBox *UpDown1, *UpDown2;

private:
    void Edit2Change();
    void Edit4Change();
    void ShowPictureCount();

    AppState& state_;
    PlatformServices& services_;
};

// IndexPictures with the red "!! Getting Exif Data !!" panel shown centred in
// the main window meanwhile.
void IndexPicturesWithPanel(QWidget* window, AppState& state, PlatformServices& services);

} // namespace tackedit
