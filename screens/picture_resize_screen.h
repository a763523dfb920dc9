#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

namespace tackedit {

struct PictureProgress;

// PnlPicResize: progress while a distribution's pictures are reduced, with a
// preview of the picture just done.
class PictureResizeScreen final : public QFrame {
    Q_OBJECT
public:
    explicit PictureResizeScreen(QWidget* parent);

    // Label37, the bar and the preview Image5 for one picture.
    void ShowProgress(const PictureProgress& step);
    // Empties the panel before a new export.
    void Clear();

private:
    QLabel* Image5;
    QLabel* Label37;
    QProgressBar* bar_;
};

} // namespace tackedit
