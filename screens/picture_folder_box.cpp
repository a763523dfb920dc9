#include "screens/picture_folder_box.h"

#include "pictures/picture_index.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "track/formats/track_formats.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>

namespace tackedit {

namespace {

QFrame* ExifPanel(QWidget* window)
{
    if (auto* panel = window->findChild<QFrame*>(QStringLiteral("pnlGetExifDat")))
        return panel;
    auto* panel = new QFrame(window);
    SetUpPanel(panel, "pnlGetExifDat", 241, 57, Qt::red);
    panel->setFrameShape(QFrame::Panel);
    auto* caption = AddControl<QLabel>(panel, "LabelGetExifDat", QRect(0, 0, 241, 57),
                                       QStringLiteral("!! Getting Exif Data !!"));
    caption->setAlignment(Qt::AlignCenter);
    return panel;
}

// The spin box's value without its change signal, kept inside its range.
void SetQuietly(QSpinBox* box, long long value)
{
    const QSignalBlocker quiet(box);
    box->setValue(static_cast<int>(std::clamp<long long>(value, box->minimum(), box->maximum())));
}

// A caption whose last word is the unit of the box beside it: the words are
// wrapped left of the box and the unit drawn after it. text() stays the caption.
class UnitCaption final : public QLabel {
public:
    UnitCaption(QWidget* parent, int words_width, int unit_left)
        : QLabel(parent), words_width_(words_width), unit_left_(unit_left)
    {
        setWordWrap(true);
    }

    int heightForWidth(int width) const override
    {
        const auto [words, unit] = Parts();
        const QFontMetrics metrics = fontMetrics();
        if (unit_left_ + metrics.horizontalAdvance(unit) > width)
            return 1 << 16;  // no room for the unit: never fits
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, words_width_, 1 << 16), Qt::TextWordWrap, words);
        return std::max(wrapped.height(), metrics.height());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const auto [words, unit] = Parts();
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(QRect(0, 0, words_width_, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                         words);
        painter.drawText(QRect(unit_left_, 0, width() - unit_left_, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         unit);
    }

private:
    std::pair<QString, QString> Parts() const
    {
        const QString caption = text();
        int end = static_cast<int>(caption.size());
        while (end > 0 && !caption[end - 1].isSpace())
            --end;
        return {caption.left(end).trimmed(), caption.mid(end)};
    }

    int words_width_, unit_left_;
};

} // namespace

void IndexPicturesWithPanel(QWidget* window, AppState& state, PlatformServices& services)
{
    QFrame* panel = ExifPanel(window);
    panel->move((window->width() - panel->width()) / 2, (window->height() - panel->height()) / 2);
    panel->show();
    panel->raise();
    panel->repaint();
    IndexPictures(state.race, state.pictures, services.events);
    panel->hide();
}

PictureFolderBox::PictureFolderBox(QWidget* parent, AppState& state, PlatformServices& services,
                                   const QRect& geometry)
    : QGroupBox(parent), state_(state), services_(services)
{
    setObjectName(QStringLiteral("GroupBox5"));
    setGeometry(geometry);
    AddControl<QLabel>(this, "Label31", QRect(8, 3, 150, 16), QStringLiteral("Picture Folder"));
    Edit3 = AddControl<QLineEdit>(this, "Edit3", QRect(8, 20, 150, 20));
    Edit3->setToolTip(QString::fromUtf8("レース画面で画像のあるフォルダーをドロップもできます"));
    auto* choose = AddControl<QPushButton>(this, "Button17", QRect(162, 18, 48, 24), QStringLiteral("Ref"));
    connect(choose, &QPushButton::clicked, this, [this] { ChoosePictureFolder(); });
    Label32 = AddControl<QLabel>(this, "Label32", QRect(8, 44, 205, 16), QStringLiteral("0 of Pictures"));
    AddControl<QLabel>(this, "Label36", QRect(8, 66, 60, 18), QStringLiteral("Pic Size"));
    Edit4 = AddControl<QLineEdit>(this, "Edit4", QRect(70, 64, 50, 20), QStringLiteral("500"));
    UpDown2 = AddControl<QSpinBox>(this, "UpDown2", QRect(122, 64, 18, 20));
    UpDown2->setRange(200, 900);
    UpDown2->setSingleStep(100);
    UpDown2->setValue(500);
    connect(UpDown2, &QSpinBox::valueChanged, this, [this](int v) { Edit4->setText(QString::number(v)); });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { Edit4Change(); });
    // The caption's spaces were to put "sec" after the box in one Windows
    // font; here the unit is drawn after the box whatever the font.
    auto* correction = new UnitCaption(this, 110 - 2, 174);
    correction->setObjectName(QStringLiteral("Label33"));
    correction->setGeometry(QRect(8, 90, 204, 26));
    correction->setText(QString::fromUtf8("Camera Time Error Correction\u3000     \u3000\u3000 \u3000sec"));
    Edit2 = AddControl<QLineEdit>(this, "Edit2", QRect(118, 92, 40, 20), QStringLiteral("0"));
    UpDown1 = AddControl<QSpinBox>(this, "UpDown1", QRect(160, 92, 18, 20));
    UpDown1->setRange(-600, 600);
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int v) { Edit2->setText(QString::number(v)); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    recount_timer_ = new QTimer(this);
    recount_timer_->setSingleShot(true);
    recount_timer_->setInterval(250);
    connect(recount_timer_, &QTimer::timeout, this, [this] { Recount(); });
}

void PictureFolderBox::Edit2Change()
{
    const std::string text = FromQString(Edit2->text());
    const auto value = ParseReal(text);
    if (!value)
        return;
    state_.race.PicTimeCorr = static_cast<float>(*value);
    if (const auto whole = ParseInteger(text))
        SetQuietly(UpDown1, *whole);
}

void PictureFolderBox::Edit4Change()
{
    if (const auto whole = ParseInteger(FromQString(Edit4->text())))
        SetQuietly(UpDown2, *whole);
}

void PictureFolderBox::ChoosePictureFolder()
{
    const auto folder = services_.dialogs.BrowseForFolder(Say(texts::kChoosePictureFolder, state_.UiLanguage), "");
    if (!folder)
        return;
    state_.race.PicFolder = *folder;
    state_.race.PicFolderNamed = true;
    Edit3->setText(ToQString(state_.race.PicFolder));
    Index();
}

std::string PictureFolderBox::WindowKey() const
{
    const RaceSettings& race = state_.race;
    return race.PicFolder + '\n' + FormatGeneralNumber(race.StartTime) + ' ' + std::to_string(race.ReplayFrom) + ' ' +
           std::to_string(race.ReplayTo);
}

void PictureFolderBox::Index()
{
    if (race_window_)
        race_window_(state_.race);
    counting_ = true;
    counted_ = WindowKey();
    IndexPicturesWithPanel(window(), state_, services_);
    counting_ = false;
    ShowPictureCount();
}

void PictureFolderBox::ShowPictureCount()
{
    // With unreadable files the text can outgrow the label: the whole of it is in the tooltip.
    SetElidedText(Label32, ToQString(PictureCountText(state_.race, state_.pictures)));
}

void PictureFolderBox::ScheduleRecount()
{
    if (!state_.race.PicFolder.empty())
        recount_timer_->start();
}

void PictureFolderBox::Recount()
{
    // A change seen while the pictures are read is counted after them.
    if (counting_) {
        recount_timer_->start();
        return;
    }
    recount_timer_->stop();
    if (state_.race.PicFolder.empty())
        return;
    if (race_window_)
        race_window_(state_.race);
    if (WindowKey() != counted_)
        Index();
}

void PictureFolderBox::Clear()
{
    recount_timer_->stop();
    counted_.clear();
    state_.pictures = PictureIndex();
    if (state_.race.PicSize == 0)
        state_.race.PicSize = 500;  // the size a new race offers, not the cleared record's 0
    ShowRace();
}

void PictureFolderBox::IndexAfterOpen()
{
    // The race's own start and finish: the screen shows them only afterwards.
    if (state_.race.PicFolder.empty())
        return;
    counted_ = WindowKey();
    IndexPicturesWithPanel(window(), state_, services_);
}

void PictureFolderBox::ShowRace()
{
    const RaceSettings& race = state_.race;
    Edit4->setText(QString::number(race.PicSize));
    Edit3->setText(ToQString(race.PicFolder));
    ShowPictureCount();
    // The arrows hold whole seconds; the box shows the rounded correction even
    // where it lies outside their range.
    const std::int64_t seconds = RoundHalfEven(race.PicTimeCorr);
    SetQuietly(UpDown1, seconds);
    Edit2->setText(QString::number(seconds));
}

} // namespace tackedit
