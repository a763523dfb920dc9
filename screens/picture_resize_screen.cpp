#include "screens/picture_resize_screen.h"

#include "pictures/picture_export.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>

namespace tackedit {

namespace {
constexpr int kPreviewSide = 270;
}

PictureResizeScreen::PictureResizeScreen(QWidget* parent) : QFrame(parent)
{
    SetUpPanel(this, "PnlPicResize", 305, 345, QColor(192, 192, 192));
    Image5 = AddControl<QLabel>(this, "Image5", QRect(17, 17, kPreviewSide, kPreviewSide));
    Label37 = AddControl<QLabel>(this, "Label37", QRect(8, 292, 289, 20));
    Label37->setAlignment(Qt::AlignCenter);
    bar_ = AddControl<QProgressBar>(this, "PicResizeProgress", QRect(16, 318, 273, 16));
    bar_->setTextVisible(true);
    Clear();
}

void PictureResizeScreen::Clear()
{
    Image5->clear();
    Label37->clear();
    bar_->setRange(0, 1);
    bar_->setValue(0);
}

void PictureResizeScreen::ShowProgress(const PictureProgress& step)
{
    Label37->setText(ToQString(step.name + "   ( " + std::to_string(step.number) + " / " +
                               std::to_string(step.count) + " )"));
    bar_->setRange(0, step.count);
    bar_->setValue(step.number);
    if (const ReducedPicture* picture = step.picture) {
        // The preview keeps the picture's own proportions, its longer side 270.
        const long long w = picture->source.width, h = picture->source.height;
        const int pw = w > h ? kPreviewSide : static_cast<int>(w * kPreviewSide / h);
        const int ph = w > h ? static_cast<int>(h * kPreviewSide / w) : kPreviewSide;
        const QImage reduced(picture->rgb.data(), picture->size.width, picture->size.height,
                             picture->size.width * 3, QImage::Format_RGB888);
        QPixmap preview(std::max(pw, 1), std::max(ph, 1));
        preview.fill(Qt::white);
        QPainter painter(&preview);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(preview.rect(), reduced);
        painter.end();
        Image5->setGeometry((width() - pw) / 2, (width() - ph) / 2, pw, ph);
        Image5->setPixmap(preview);
    }
    repaint();
}

} // namespace tackedit
