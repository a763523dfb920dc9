#pragma once

#include "screens/app_state.h"

#include <QFrame>
#include <QLabel>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tackedit {

// An image control that reports its mouse events. While a button is held the
// image keeps the mouse, so it hands every event to the screen, which decides
// what lies under the pointer.
class EditorImage final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void(EditorImage*, QMouseEvent*)> OnMouseDown, OnMouseMove, OnMouseUp;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// pnlEDIT: the track editor.
class EditorScreen final : public QFrame {
    Q_OBJECT
public:
    EditorScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host);

    // Button21 of the cover: choose a track file, load it, show the editor.
    void OpenTrackForEditing();
    // Opens a track file in the editor, from anywhere; false when it did not open.
    bool EditTrack(const std::string& file);
    // The track of boat `boat` (1-based) of the race on the compile screen:
    // Back returns to that screen, and a saved cleaned track is offered for the boat.
    bool EditRaceBoatTrack(const std::string& file, int boat);
    bool OpenedFromRace() const { return race_boat_.has_value(); }
    // The two value lists of automatic editing, back to 20 s and the shared jump limit.
    void RefillAutoEditLists();

    // The view operations every edit ends with.
    void DrawTrackMap();
    void DrawTimeline();
    void ShowDeletionCounts();
    void DrawZoomView();

    // Mouse handlers; positions are relative to the image (or the panel).
    void Image3MouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void Image3MouseMove(bool shift, int x, int y);
    void Image3MouseUp(Qt::MouseButton button, bool shift, int x, int y);
    void Image6MouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void Image6MouseMove(bool shift, int x, int y);
    void Image6MouseUp(Qt::MouseButton button, bool shift, int x, int y);
    void Image7MouseMove();
    void pnlEDITMouseMove();

    // Points deleted since the track was loaded or saved: saving would change
    // the file. A restore that brought every point back leaves nothing unsaved.
    bool HasUnsavedEdit() const;
    // Asks before an unsaved edit is left behind; true when the screen may go.
    bool MayLeave();

    void Button22Click();  // back to the cover
    void Button23Click();  // restore all
    void Button24Click();  // restore single points
    void Button25Click();  // restore time ranges
    void Button26Click();  // restore areas
    void Button31Click();  // restore automatic deletions
    void Button27Click();  // automatic editing
    void Button29Click();  // save as TRB
    void Button30Click();  // save as GPX

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void RouteMouseMove(EditorImage* source, QMouseEvent* event);
    void RouteMouseUp(EditorImage* source, QMouseEvent* event);
    EditorImage* ImageAt(const QPoint& panel_position) const;
    void HideSelectionLines();
    void RestoreKind(std::int32_t bit);
    void SaveEditedTrackAs(bool gpx);
    struct RaceBoat {
        int boat = 0;
        std::string file;  // bare name, as the race named it when the editor opened
    };
    bool LoadForEditing(const std::string& file, std::optional<RaceBoat> boat);
    void OfferToRace(const std::string& saved);
    std::string PointDateTimeText(std::int32_t index) const;

    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
    std::optional<RaceBoat> race_boat_;

    QLabel* label40_ = nullptr;
    QLabel* label41_ = nullptr;
    QLabel* label42_ = nullptr;
    QLabel* label43_ = nullptr;
    QLineEdit* memo2_ = nullptr;
    QLineEdit* memo1_ = nullptr;
    EditorImage* image3_ = nullptr;
    EditorImage* image6_ = nullptr;
    EditorImage* image7_ = nullptr;
    QWidget* shape1_ = nullptr;
    QWidget* panel3_ = nullptr;
    QWidget* panel4_ = nullptr;
    QWidget* panel5_ = nullptr;
    QWidget* panel6_ = nullptr;
    QLineEdit* edit11_ = nullptr;
    QLineEdit* edit13_ = nullptr;
    QLineEdit* edit14_ = nullptr;
    QLineEdit* edit7_ = nullptr;
    QLineEdit* edit15_ = nullptr;
    QCheckBox* check_box4_ = nullptr;
    QCheckBox* check_box5_ = nullptr;
    QCheckBox* check_box6_ = nullptr;
    QComboBox* combo_box9_ = nullptr;
    QComboBox* combo_box6_ = nullptr;
};

} // namespace tackedit
