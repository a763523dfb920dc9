#pragma once

#include <QFrame>

namespace tackedit {

// PnlPicResize: progress while a distribution's pictures are reduced.
class PictureResizeScreen final : public QFrame {
    Q_OBJECT
public:
    explicit PictureResizeScreen(QWidget* parent);
};

} // namespace tackedit
