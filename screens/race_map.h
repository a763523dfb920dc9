#pragma once

// The compile screen's map of the race: each boat's track within the race
// window in a colour of its own, the marks, the lines, the course and the land
// where GMT knows it, drawn with the track editor's projection and pens.

#include "base/datetime.h"
#include "editor/editor_state.h"
#include "replay/shoreline.h"
#include "screens/background_jobs.h"
#include "screens/file_stamp.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

struct TrackStore;

struct RaceMapInput {
    std::vector<std::string> boat_paths;  // resolved; empty for a file gpsdat/ lacks
    std::vector<std::string> boat_names;
    DateTime from = 0, to = 0;  // the race window as the tracks hold time (UTC)
    std::vector<std::array<double, 2>> marks;  // degrees
    std::vector<std::array<double, 4>> lines;
    std::vector<std::string> course;
    bool operator==(const RaceMapInput&) const = default;
};

using LandReader = std::function<std::optional<std::vector<std::vector<double>>>(const GeoBox&, std::string&)>;

class RaceMapView final : public QWidget {
public:
    explicit RaceMapView(QWidget* parent);

    // Tracks not read yet are read off the window's thread; the map shows what
    // it has meanwhile and again as they come.
    void ShowRace(RaceMapInput input);
    void SetJapanese(bool japanese);

    // Tracks or land still being read.
    bool Busy() const { return jobs_.Busy(); }
    const QImage& Picture() const { return picture_; }
    // Where a position (degrees) falls on the picture; nullopt before anything is drawn.
    std::optional<QPoint> PixelOf(double lat, double lon) const;

    static QColor BoatColour(std::size_t boat);
    static QColor MarkColour() { return QColor(220, 0, 0); }
    // Where land comes from (GMT unless replaced; tests give their own).
    static void SetLandReader(LandReader reader);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Track {
        FileStamp stamp;
        std::shared_ptr<TrackStore> store;  // null: the file did not read
    };
    // True when a track went (its file did); the map then needs drawing anew.
    bool ReadMissingTracks();
    void RequestLand();
    void Redraw();
    void PaintMarksLinesCourse(class QPainter& painter) const;

    RaceMapInput input_;
    std::map<std::string, Track> tracks_;  // by path, as long as size and time agree
    bool reading_tracks_ = false;
    bool japanese_ = false;
    std::optional<MapView> view_;
    std::optional<GeoBox> land_asked_;
    std::shared_ptr<const std::vector<std::vector<double>>> land_;
    QImage picture_;
    BackgroundJobs jobs_;
};

} // namespace tackedit
