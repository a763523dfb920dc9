// What the editor does on the user's input: the pointer over the map and the
// time line (hover, deletion of a point, an area or a time range) and the
// buttons (restores, automatic editing, saving, leaving).

#include "screens/editor_screen.h"

#include "editor/editor_core.h"
#include "editor/editor_texts.h"
#include "editor/map_index.h"
#include "platform/qt/qt_platform.h"
#include "base/data_error.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tackedit {

namespace {

bool Shift(const QMouseEvent* event) { return event->modifiers() & Qt::ShiftModifier; }

} // namespace

void EditorScreen::Image3MouseMove(bool, int x, int y)
{
    EditorState& editor = state_.editor;
    if (editor.MapDragX > 0) {
        const int left = std::min(x, editor.MapDragX) + image3_->x();
        const int top = std::min(y, editor.MapDragY) + image3_->y();
        const int width = std::abs(x - editor.MapDragX);
        const int height = std::abs(y - editor.MapDragY);
        panel3_->setGeometry(left, top, width, 1);
        panel4_->setGeometry(left, top, 1, height);
        panel5_->setGeometry(left, top + height, width, 1);
        panel6_->setGeometry(left + width, top, 1, height);
        for (QWidget* line : {panel3_, panel4_, panel5_, panel6_})
            line->show();
        label42_->hide();
        editor.TimeDragX = -1;
        return;
    }
    const std::int32_t k = FindNearestMapPoint(state_.track, state_.edit, editor.map, editor.map_points, x, y);
    if (k == 0) {
        editor.HoverIndex = 0;
        image7_->hide();
        label42_->hide();
        label43_->hide();
    } else {
        editor.HoverIndex = k;
        UpdateZoomView(state_.track, editor.zoom, k, image7_->width(), image7_->height());
        DrawZoomView();
        label42_->setText(ToQString(PointDateTimeText(k)));
        label42_->adjustSize();
        label42_->move(x, image3_->y() + y + 30);
        label42_->show();
        label43_->show();
    }
    HideSelectionLines();
    editor.TimeDragX = -1;
}

void EditorScreen::Image3MouseDown(Qt::MouseButton, bool shift, int x, int y)
{
    EditorState& editor = state_.editor;
    if (shift) {
        if (editor.HoverIndex >= 1 && DeletePoint(state_.track, editor.HoverIndex)) {
            ShowDeletionCounts();
            DrawZoomView();
            DrawTrackMap();
            if (state_.edit.LastPresent <= state_.edit.FirstPresent)
                DrawTimeline();  // clears it: too few points are left for a time line
        }
        return;
    }
    editor.MapDragX = x;
    editor.MapDragY = y;
}

void EditorScreen::Image3MouseUp(Qt::MouseButton button, bool, int x, int y)
{
    EditorState& editor = state_.editor;
    if (editor.MapDragX > 0) {
        DeleteByArea(state_.track, state_.edit, editor.map, editor.MapDragX, editor.MapDragY, x, y,
                     button != Qt::LeftButton);
        ShowDeletionCounts();
        DrawTrackMap();
        DrawTimeline();
    }
    editor.MapDragX = -1;
    editor.MapDragY = -1;
}

void EditorScreen::Image6MouseMove(bool, int x, int)
{
    EditorState& editor = state_.editor;
    const TimelineHit hit = FindNearestTimelinePoint(state_.track, state_.edit, editor.timeline, x);
    if (hit.index != 0 && hit.distance < 1000) {
        memo1_->move(x, image6_->y() - 40);
        memo1_->setText(ToQString(PointDateTimeText(hit.index)));
        memo1_->resize(memo1_->fontMetrics().horizontalAdvance(memo1_->text()) + 12, memo1_->height());
        memo1_->show();
        const MapView& map = editor.map;
        const double lat = state_.track.TrackLat[hit.index], lon = state_.track.TrackLon[hit.index];
        const std::int64_t left =
            RoundPixel((lon - map.ViewCenterLon) * map.ViewScaleLon + map.ViewCenterX + image3_->x()) - 5;
        const std::int64_t top =
            RoundPixel(map.ViewCenterY - (lat - map.ViewCenterLat) * map.ViewScaleLat + image3_->y()) - 5;
        shape1_->move(static_cast<int>(std::clamp<std::int64_t>(left, -100000, 100000)),
                      static_cast<int>(std::clamp<std::int64_t>(top, -100000, 100000)));
        shape1_->show();
    }
    if (editor.TimeDragX > 0) {
        const int left = std::min(x, editor.TimeDragX) + image6_->x();
        const int width = std::abs(x - editor.TimeDragX);
        panel3_->setGeometry(left, image6_->y(), width, 1);
        panel5_->setGeometry(left, image6_->y() + image6_->height(), width, 1);
        panel3_->show();
        panel5_->show();
    } else {
        HideSelectionLines();
    }
    editor.MapDragX = -1;
    label42_->hide();
    label43_->hide();
}

void EditorScreen::Image6MouseDown(Qt::MouseButton, bool, int x, int y)
{
    state_.editor.TimeDragX = x;
    state_.editor.TimeDragY = y;
}

void EditorScreen::Image6MouseUp(Qt::MouseButton button, bool, int x, int)
{
    EditorState& editor = state_.editor;
    if (editor.TimeDragX > 0) {
        if (button == Qt::RightButton)
            services_.beeper.Beep();
        DeleteByTimeRange(state_.track, state_.edit, editor.timeline, editor.TimeDragX, x,
                          button != Qt::LeftButton);
        ShowDeletionCounts();
        DrawTrackMap();
        DrawTimeline();
    }
    editor.TimeDragX = -1;
    editor.TimeDragY = -1;
}

void EditorScreen::Image7MouseMove()
{
    label42_->hide();
    label43_->hide();
}

void EditorScreen::pnlEDITMouseMove()
{
    shape1_->hide();
    memo1_->hide();
    HideSelectionLines();
    label42_->hide();
    label43_->hide();
    state_.editor.TimeDragX = -1;
    state_.editor.MapDragX = -1;
}

void EditorScreen::mouseMoveEvent(QMouseEvent* event)
{
    pnlEDITMouseMove();
    QFrame::mouseMoveEvent(event);
}

EditorImage* EditorScreen::ImageAt(const QPoint& panel_position) const
{
    for (EditorImage* image : {image3_, image6_, image7_})
        if (image->isVisible() && image->geometry().contains(panel_position))
            return image;
    return nullptr;
}

// The image under the pointer gets the move; over the background it is the
// panel's, which ends a drag that left its image.
void EditorScreen::RouteMouseMove(EditorImage* source, QMouseEvent* event)
{
    const QPoint panel_position = source->mapTo(this, event->position().toPoint());
    EditorImage* target = source->rect().contains(event->position().toPoint()) ? source : ImageAt(panel_position);
    if (!target) {
        pnlEDITMouseMove();
        return;
    }
    const QPoint p = target->mapFrom(this, panel_position);
    if (target == image3_)
        Image3MouseMove(Shift(event), p.x(), p.y());
    else if (target == image6_)
        Image6MouseMove(Shift(event), p.x(), p.y());
    else
        Image7MouseMove();
}

// A release over the background or the close-up deletes nothing; every
// release ends both drags, so none outlives its button.
void EditorScreen::RouteMouseUp(EditorImage* source, QMouseEvent* event)
{
    const QPoint panel_position = source->mapTo(this, event->position().toPoint());
    EditorImage* target = source->rect().contains(event->position().toPoint()) ? source : ImageAt(panel_position);
    const QPoint p = target ? target->mapFrom(this, panel_position) : QPoint();
    if (target == image3_)
        Image3MouseUp(event->button(), Shift(event), p.x(), p.y());
    else if (target == image6_)
        Image6MouseUp(event->button(), Shift(event), p.x(), p.y());
    EditorState& editor = state_.editor;
    editor.MapDragX = editor.MapDragY = editor.TimeDragX = editor.TimeDragY = -1;
}

void EditorScreen::RestoreKind(std::int32_t bit)
{
    RestoreMarks(state_.track, bit);
    ShowDeletionCounts();
    DrawTrackMap();
    DrawTimeline();
}

void EditorScreen::Button26Click() { RestoreKind(MarkArea); }
void EditorScreen::Button25Click() { RestoreKind(MarkTime); }
void EditorScreen::Button24Click() { RestoreKind(MarkPoint); }
void EditorScreen::Button31Click() { RestoreKind(MarkAuto); }

void EditorScreen::Button23Click()
{
    RestoreAllMarks(state_.track);
    ShowDeletionCounts();
    DrawTrackMap();
    DrawTimeline();
}

void EditorScreen::Button27Click()
{
    AutoEditSettings settings;
    // Both texts are read before either pass runs; a bad one stops everything.
    const auto read = [this](QComboBox* box, std::optional<float>& into) {
        const std::string text = FromQString(box->currentText());
        const auto value = ParseReal(text);
        if (!value) {
            services_.dialogs.ShowMessage("tackvue", "'" + text + "' is not a valid floating point value");
            return false;
        }
        into = static_cast<float>(*value);
        return true;
    };
    if (check_box4_->isChecked() && !read(combo_box9_, settings.Interval))
        return;
    if (check_box5_->isChecked() && !read(combo_box6_, settings.MaxSpeed))
        return;
    RunAutoEdit(state_.track, state_.edit, settings);
    ShowDeletionCounts();
    DrawTrackMap();
    DrawTimeline();
}

void EditorScreen::SaveEditedTrackAs(bool gpx)
{
    const EditedTrackFormat format = gpx ? EditedTrackFormat::Gpx : EditedTrackFormat::Trb;
    const std::string name = EditedTrackName(state_.edit.CurrentTrackFile, format);
    if (!services_.dialogs.AskYesNo(
            "tackvue", SaveConfirmationText(name, state_.UiLanguage, SaveLeavesOut(state_.track, format))))
        return;
    try {
        SaveEditedTrack(state_.track, name, format);
    } catch (const DataError& e) {
        services_.dialogs.ShowMessage("tackvue", e.what());
        return;
    }
    TrackEditState& edit = state_.edit;
    edit.DeletedCount = edit.AreaDeletedCount = edit.TimeDeletedCount = 0;
    edit.PointDeletedCount = edit.AutoDeletedCount = 0;
    for (QLineEdit* box : {edit11_, edit13_, edit14_, edit7_, edit15_})
        box->setText(QStringLiteral("0"));
    const QString kept = QString::number(state_.track.TrackCount);
    memo2_->setText(kept + QStringLiteral(" / ") + kept);
    // The indices moved: the highlighted point is no longer the one at HoverIndex.
    state_.editor.HoverIndex = 0;
    edit.CurrentTrackFile = name;
    DrawTrackMap();
    DrawTimeline();
    OfferToRace(name);
}

void EditorScreen::OfferToRace(const std::string& saved)
{
    if (!race_boat_)
        return;
    const RaceSettings& race = state_.race;
    const int boat = race_boat_->boat;
    if (boat < 1 || boat > race.BoatCount)
        return;
    const auto at = static_cast<std::size_t>(boat - 1);
    const std::string uses = race.BoatGpsFile[at], name = race.BoatName[at];
    const std::string file = std::filesystem::path(saved).filename().string();
    // Only while the boat still has the track the editor was opened on, and
    // the race can name the new one: it names its tracks within gpsdat/.
    std::error_code error;
    const auto found = FindWorkspaceFile(state_.paths.AppDir + "gpsdat", file);
    if (!SameFileName(uses, race_boat_->file) || SameFileName(uses, file) || !found ||
        !std::filesystem::equivalent(*found, saved, error))
        return;
    const int lang = state_.UiLanguage;
    if (!services_.dialogs.AskYesNo("tackvue", Say(texts::kUseCleanedInRace, lang, {file, name})))
        return;
    if (host_.UseTrackInRace(boat, uses, file))
        services_.dialogs.ShowMessage("tackvue", Say(texts::kCleanedInRace, lang, {file, name}));
}

void EditorScreen::Button29Click() { SaveEditedTrackAs(false); }
void EditorScreen::Button30Click() { SaveEditedTrackAs(true); }

bool EditorScreen::HasUnsavedEdit() const
{
    const TrackStore& track = state_.track;
    for (std::int32_t i = 1; i <= track.TrackCount; ++i)
        if (track.TrackMark[i] != 0)
            return true;
    return false;
}

bool EditorScreen::MayLeave()
{
    return !HasUnsavedEdit() ||
           services_.dialogs.AskYesNo("tackvue", Say(texts::kLeaveUnsavedTrack, state_.UiLanguage));
}

void EditorScreen::Button22Click()
{
    if (!MayLeave())
        return;
    const bool to_race = race_boat_.has_value();
    race_boat_.reset();
    host_.SwitchScreen(to_race ? 3 : 1);
}

} // namespace tackedit
