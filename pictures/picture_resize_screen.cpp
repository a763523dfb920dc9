#include "pictures/picture_resize_screen.h"

#include "platform/qt/named_controls.h"

#include <QLabel>

namespace tackedit {

PictureResizeScreen::PictureResizeScreen(QWidget* parent) : QFrame(parent)
{
    SetUpPanel(this, "PnlPicResize", 305, 345, QColor(192, 192, 192));
    AddControl<QLabel>(this, "LabelPicResizeTitle", QRect(16, 16, 273, 20), QStringLiteral("Resizing pictures"));
}

} // namespace tackedit
