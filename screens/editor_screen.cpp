// The track editor's layout: its images, counts and buttons, the track
// opened into it, and the map, time line and close-up drawn. What the
// pointer and the buttons do is in editor_actions.cpp.

#include "screens/editor_screen.h"

#include "editor/editor_core.h"
#include "screens/editor_painting.h"
#include "editor/editor_texts.h"
#include "editor/map_index.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"
#include "screens/captions.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "base/jump_speed.h"
#include "base/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace tackedit {

namespace {

// The design caption; the window sets the one of its language.
QString Caption(const char* control) { return QString::fromUtf8(CaptionOf(control, 0)); }

// Shape1: an 11 x 11 red circle; the track stays visible through it.
class CircleShape final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(Qt::red, 1));
        painter.drawEllipse(0, 0, width() - 1, height() - 1);
    }
};

QPixmap WhitePicture(QSize size)
{
    QImage white(size, QImage::Format_RGB32);
    white.fill(Qt::white);
    return QPixmap::fromImage(white);
}

QWidget* AddRedLine(QWidget* parent, const char* name)
{
    auto* line = AddControl<QFrame>(parent, name, QRect(0, 0, 1, 1));
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Qt::red);
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->hide();
    return line;
}

void SetTextColour(QWidget* control, const QColor& text, const QColor* background = nullptr)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, text);
    if (background) {
        palette.setColor(QPalette::Window, *background);
        control->setAutoFillBackground(true);
    }
    control->setPalette(palette);
}

QLineEdit* AddCountBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = AddControl<QLineEdit>(parent, name, geometry);
    box->setReadOnly(true);
    return box;
}

EditorImage* AddImage(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* image = AddControl<EditorImage>(parent, name, geometry);
    image->setMouseTracking(true);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(WhitePicture(geometry.size()));
    return image;
}

int X(const QMouseEvent* event) { return event->position().toPoint().x(); }
int Y(const QMouseEvent* event) { return event->position().toPoint().y(); }
bool Shift(const QMouseEvent* event) { return event->modifiers() & Qt::ShiftModifier; }

} // namespace

void EditorImage::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(this, event);
    event->accept();
}

void EditorImage::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(this, event);
    event->accept();
}

void EditorImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp)
        OnMouseUp(this, event);
    event->accept();
}

EditorScreen::EditorScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlEDIT", 913, 596, QColor(192, 192, 192));
    setMouseTracking(true);

    label40_ = AddControl<QLabel>(this, "Label40", QRect(24, 6, 513, 18));
    label40_->setAlignment(Qt::AlignCenter);
    SetTextColour(label40_, Qt::red);

    image3_ = AddImage(this, "Image3", QRect(24, 28, MapWidth, MapHeight));
    image6_ = AddImage(this, "Image6", QRect(24, 552, TimelineWidth, TimelineHeight));
    image7_ = AddImage(this, "Image7", QRect(575, 27, ZoomWidthPixels, ZoomHeightPixels));
    for (EditorImage* image : {image3_, image6_, image7_}) {
        image->OnMouseDown = [this](EditorImage* source, QMouseEvent* e) {
            if (source == image3_)
                Image3MouseDown(e->button(), Shift(e), X(e), Y(e));
            else if (source == image6_)
                Image6MouseDown(e->button(), Shift(e), X(e), Y(e));
        };
        image->OnMouseMove = [this](EditorImage* source, QMouseEvent* e) { RouteMouseMove(source, e); };
        image->OnMouseUp = [this](EditorImage* source, QMouseEvent* e) { RouteMouseUp(source, e); };
    }

    const QColor white(Qt::white);
    label43_ = AddControl<QLabel>(this, "Label43", QRect(56, 30, 449, 16), Caption("Label43"));
    SetTextColour(label43_, QColor(0, 128, 0), &white);
    label43_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label42_ = AddControl<QLabel>(this, "Label42", QRect(24, 58, 140, 16));
    SetTextColour(label42_, Qt::blue);
    label42_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label42_->hide();
    memo1_ = AddControl<QLineEdit>(this, "memo1", QRect(24, 512, 140, 21));
    memo1_->setReadOnly(true);
    memo1_->setAttribute(Qt::WA_TransparentForMouseEvents);
    memo1_->hide();
    shape1_ = new CircleShape(this);
    shape1_->setObjectName(QStringLiteral("Shape1"));
    shape1_->setGeometry(0, 0, 11, 11);
    shape1_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shape1_->hide();
    panel3_ = AddRedLine(this, "Panel3");
    panel4_ = AddRedLine(this, "Panel4");
    panel5_ = AddRedLine(this, "Panel5");
    panel6_ = AddRedLine(this, "Panel6");

    AddControl<QLabel>(this, "Label39", QRect(575, 334, 160, 16), Caption("Label39"));
    // Room for "1000000 / 1000000".
    memo2_ = AddControl<QLineEdit>(this, "Memo2", QRect(575, 351, 164, 21));
    memo2_->setReadOnly(true);

    // Restore buttons, each left of the box counting what it would bring back.
    struct RestoreRow {
        const char* button;
        const char* box;
        void (EditorScreen::*click)();
        QLineEdit** field;
    };
    const RestoreRow rows[] = {
        {"Button26", "Edit11", &EditorScreen::Button26Click, &edit11_},
        {"Button25", "Edit13", &EditorScreen::Button25Click, &edit13_},
        {"Button24", "Edit14", &EditorScreen::Button24Click, &edit14_},
        {"Button31", "Edit7", &EditorScreen::Button31Click, &edit7_},
        {"Button23", "Edit15", &EditorScreen::Button23Click, &edit15_},
    };
    int top = 380;
    for (const RestoreRow& row : rows) {
        auto* button = AddControl<QPushButton>(this, row.button, QRect(575, top, 110, 24), Caption(row.button));
        connect(button, &QPushButton::clicked, this, row.click);
        *row.field = AddCountBox(this, row.box, QRect(689, top + 1, 50, 22));
        top += 26;
    }

    auto* automatic = AddControl<QGroupBox>(this, "GroupBox7", QRect(746, 334, 159, 172));
    automatic->setTitle(Caption("GroupBox7"));
    label41_ = AddControl<QLabel>(automatic, "Label41", QRect(6, 18, 149, 16));
    SetTextColour(label41_, Qt::red);
    check_box4_ = AddControl<QCheckBox>(automatic, "CheckBox4", QRect(6, 38, 147, 20), Caption("CheckBox4"));
    check_box4_->setToolTip(QStringLiteral("データ間隔が密過ぎる場合に間引きします"));
    combo_box9_ = AddControl<QComboBox>(automatic, "ComboBox9", QRect(96, 60, 57, 22));
    combo_box9_->setEditable(true);
    check_box5_ = AddControl<QCheckBox>(automatic, "CheckBox5", QRect(6, 86, 147, 20), Caption("CheckBox5"));
    check_box5_->setToolTip(QStringLiteral("急激なデータ跳び検出して自動除去します"));
    check_box5_->setChecked(true);
    combo_box6_ = AddControl<QComboBox>(automatic, "ComboBox6", QRect(96, 108, 57, 22));
    combo_box6_->setEditable(true);
    check_box6_ = AddControl<QCheckBox>(automatic, "CheckBox6", QRect(6, 96, 147, 20), QStringLiteral("Smart Edit"));
    check_box6_->setToolTip(QStringLiteral("データの時間間隔が短い軌跡データを平滑化して不要データを排除します"));
    check_box6_->hide();
    auto* run = AddControl<QPushButton>(automatic, "Button27", QRect(6, 138, 147, 26), Caption("Button27"));
    connect(run, &QPushButton::clicked, this, &EditorScreen::Button27Click);

    auto* save_trb = AddControl<QPushButton>(this, "Button29", QRect(575, 512, 330, 24),
                                             Caption("Button29"));
    connect(save_trb, &QPushButton::clicked, this, &EditorScreen::Button29Click);
    auto* save_gpx = AddControl<QPushButton>(this, "Button30", QRect(575, 538, 330, 24),
                                             Caption("Button30"));
    connect(save_gpx, &QPushButton::clicked, this, &EditorScreen::Button30Click);
    auto* back = AddControl<QPushButton>(this, "Button22", QRect(780, 566, 125, 24), Caption("Button22"));
    connect(back, &QPushButton::clicked, this, &EditorScreen::Button22Click);

    // The floating pieces lie over the images.
    for (QWidget* w : std::initializer_list<QWidget*>{label43_, label42_, memo1_, shape1_, panel3_, panel4_, panel5_, panel6_})
        w->raise();
}

void EditorScreen::OpenTrackForEditing()
{
    const auto chosen = services_.dialogs.OpenFile("ALL(*.*)|*.*|*.TRB|*.TRB|*.DTR|*.DTR|*.GPX|*.GPX",
                                                   state_.paths.AppDir + "gpsdat");
    if (chosen && FileExists(*chosen))
        EditTrack(*chosen);
}

bool EditorScreen::EditTrack(const std::string& file) { return LoadForEditing(file, std::nullopt); }

bool EditorScreen::EditRaceBoatTrack(const std::string& file, int boat)
{
    return LoadForEditing(file, RaceBoat{boat, std::filesystem::path(file).filename().string()});
}

bool EditorScreen::LoadForEditing(const std::string& file, std::optional<RaceBoat> boat)
{
    if (!FileExists(file)) {
        services_.dialogs.ShowMessage("tackvue", file + ": no such file");
        return false;
    }
    state_.edit.CurrentTrackFile = file;
    LoadServices load{services_.events, services_.beeper, services_.cursor, [this] { ShowDeletionCounts(); }};
    try {
        LoadTrackFile(file, state_.track, state_.edit, load);
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
        return false;
    }
    race_boat_ = std::move(boat);
    // Nothing of the previous track's pointer state carries over to this one.
    EditorState& editor = state_.editor;
    editor.HoverIndex = 0;
    editor.MapDragX = editor.MapDragY = editor.TimeDragX = editor.TimeDragY = -1;
    image7_->setPixmap(WhitePicture(image7_->size()));
    image7_->show();
    label42_->hide();
    memo1_->hide();
    shape1_->hide();
    HideSelectionLines();
    label43_->show();
    host_.SwitchScreen(22);
    DrawTrackMap();
    DrawTimeline();
    if (state_.track.TrackCount == 0)
        services_.dialogs.ShowMessage("tackvue",
                                      NoPointsMessage(file, state_.UiLanguage, state_.track.ReadNotes));
    else if (!state_.track.ReadNotes.empty())
        services_.dialogs.ShowMessage("tackvue", file + ":\n" + JoinedNotes(state_.track.ReadNotes));
    return true;
}

void EditorScreen::RefillAutoEditLists()
{
    combo_box9_->clear();
    for (int i = 1; i <= 24; ++i)
        combo_box9_->addItem(QString::number(i * 5));
    combo_box9_->setEditText(QStringLiteral("20"));
    combo_box6_->clear();
    for (int i = 1; i <= 20; ++i)
        combo_box6_->addItem(QString::number(i * 2));
    // The shared jump limit; a value typed here holds for this edit only.
    combo_box6_->setEditText(QString::number(kJumpKnots));
    const std::string limit = std::to_string(static_cast<int>(kJumpKnots));
    combo_box6_->setToolTip(ToQString(Say(texts::kJumpLimitTip, state_.UiLanguage, {limit})));
}

void EditorScreen::DrawTrackMap()
{
    const std::string& file = state_.edit.CurrentTrackFile;
    const std::size_t slash = file.find_last_of('/');
    label40_->setText(ToQString(slash == std::string::npos ? file : file.substr(slash + 1)));
    if (!UpdateMapView(state_.track, state_.edit, state_.editor.map, image3_->width(), image3_->height())) {
        // Nothing to draw: no picture at all rather than a track that is gone.
        image3_->setPixmap(WhitePicture(image3_->size()));
        return;
    }
    const QImage picture = PaintTrackMap(state_.track, state_.edit, state_.editor.map, image3_->width(),
                                         image3_->height(), &state_.editor.map_points);
    image3_->setPixmap(QPixmap::fromImage(picture));
    image3_->update();
    services_.beeper.Beep();
}

void EditorScreen::DrawTimeline()
{
    TimelineView& view = state_.editor.timeline;
    if (!UpdateTimelineView(state_.track, state_.edit, view, image6_->width(), image6_->height())) {
        image6_->setPixmap(WhitePicture(image6_->size()));
        return;
    }
    std::int32_t counted = 0;
    const QImage picture =
        PaintTimeline(state_.track, state_.edit, view, counted, image6_->width(), image6_->height());
    image6_->setPixmap(QPixmap::fromImage(picture));
    image6_->update();
    state_.editor.CurrentInterval = MeanPresentInterval(view, counted);
    const double current = counted > 0 ? static_cast<double>(view.TimeSpan) * 24 * 3600 / counted : 0;
    SetElidedText(label41_,
                  ToQString(IntervalLabelText(state_.edit.LoadedIntervalSeconds, current, state_.UiLanguage)));
}

void EditorScreen::ShowDeletionCounts()
{
    TrackEditState& edit = state_.edit;
    CountDeletions(state_.track, edit);
    edit11_->setText(QString::number(edit.AreaDeletedCount));
    edit13_->setText(QString::number(edit.TimeDeletedCount));
    edit14_->setText(QString::number(edit.PointDeletedCount));
    edit7_->setText(QString::number(edit.AutoDeletedCount));
    edit15_->setText(QString::number(edit.DeletedCount));
    memo2_->setText(QString::number(state_.track.TrackCount - edit.DeletedCount) + QStringLiteral(" / ") +
                    QString::number(state_.track.TrackCount));
}

void EditorScreen::DrawZoomView()
{
    const ZoomView& zoom = state_.editor.zoom;
    image7_->show();
    image7_->setPixmap(QPixmap::fromImage(PaintZoomView(state_.track, zoom)));
    image7_->update();
}

std::string EditorScreen::PointDateTimeText(std::int32_t index) const
{
    return HoverTimeText(state_.track.TrackTime[index], state_.editor.TimeDiffHours);
}

void EditorScreen::HideSelectionLines()
{
    for (QWidget* line : {panel3_, panel4_, panel5_, panel6_})
        line->hide();
}

} // namespace tackedit
