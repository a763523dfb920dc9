#include "screens/race_map.h"

#include "check/track_shift.h"
#include "editor/editor_core.h"
#include "platform/qt/qt_platform.h"
#include "race/course.h"
#include "screens/map_pens.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <system_error>
#include <utility>

namespace tackedit {

namespace {

using Land = std::vector<std::vector<double>>;

LandReader& CurrentLandReader()
{
    static LandReader reader = ReadShoreline;
    return reader;
}

// Land read this run, by the box it was read for; nullptr where GMT could not
// tell. Only the window's thread touches it.
std::map<GeoBox, std::shared_ptr<const Land>>& LandCache()
{
    static std::map<GeoBox, std::shared_ptr<const Land>> cache;
    return cache;
}

bool Covers(const GeoBox& outer, const GeoBox& inner)
{
    return outer[0] <= inner[0] && outer[1] <= inner[1] && outer[2] >= inner[2] && outer[3] >= inner[3];
}

// A box on a grid of 0.05° with a margin, so that panning a little or a boat
// added nearby finds the land already read.
GeoBox LandBoxAround(double south, double west, double north, double east)
{
    constexpr double kGrid = 0.05;
    return {std::floor(south / kGrid - 1) * kGrid, std::floor(west / kGrid - 1) * kGrid,
            std::ceil(north / kGrid + 1) * kGrid, std::ceil(east / kGrid + 1) * kGrid};
}

// GMT at full resolution over a large box takes long and shows nothing a
// race needs.
constexpr double kLargestLandBox = 3.0;

QPoint Pixel(const MapView& view, double lat_degrees, double lon_degrees)
{
    const PixelPoint p = ProjectToMap(view, lat_degrees * 60, lon_degrees * 60);
    return {ClampCoordinate(p.x), ClampCoordinate(p.y)};
}

const char* Said(bool japanese, const char* english, const char* japanese_text)
{
    return japanese ? japanese_text : english;
}

} // namespace

RaceMapView::RaceMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RaceMap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RaceMapView::SetLandReader(LandReader reader)
{
    CurrentLandReader() = std::move(reader);
    LandCache().clear();
}

QColor RaceMapView::BoatColour(std::size_t boat)
{
    // Apart from each other, from the land, the marks' red and the course's grey.
    static const QColor kColours[] = {{0, 90, 220},   {0, 150, 60},   {230, 120, 0}, {150, 40, 190},
                                      {0, 160, 170},  {200, 0, 120},  {110, 80, 20}, {90, 160, 0},
                                      {40, 40, 120},  {255, 170, 200}, {0, 200, 255}, {120, 120, 0}};
    return kColours[boat % std::size(kColours)];
}

void RaceMapView::SetJapanese(bool japanese)
{
    if (japanese_ == japanese)
        return;
    japanese_ = japanese;
    Redraw();
}

void RaceMapView::ShowRace(RaceMapInput input)
{
    // The same race still looks at its files: one may have been saved anew.
    const bool same = input == input_ && !picture_.isNull();
    if (!same)
        input_ = std::move(input);
    if (ReadMissingTracks() || !same)
        Redraw();
}

void RaceMapView::showEvent(QShowEvent* event)
{
    // Back from the editor, say, with a track saved over.
    if (ReadMissingTracks())
        Redraw();
    QWidget::showEvent(event);
}

bool RaceMapView::ReadMissingTracks()
{
    if (reading_tracks_)
        return false;  // looked at again when the reading in hand is done
    bool gone = false;
    std::vector<std::string> wanted;
    for (const std::string& path : input_.boat_paths) {
        if (path.empty() || std::find(wanted.begin(), wanted.end(), path) != wanted.end())
            continue;
        const auto stamp = StampOf(path);
        const auto known = tracks_.find(path);
        if (!stamp) {
            gone = tracks_.erase(path) > 0 || gone;
            continue;
        }
        if (known == tracks_.end() || known->second.stamp != *stamp)
            wanted.push_back(path);
    }
    if (wanted.empty())
        return gone;
    reading_tracks_ = true;
    using Read = std::vector<std::pair<std::string, Track>>;
    jobs_.Start<Read>(
        [wanted](const std::atomic<bool>& cancelled) {
            Read read;
            for (const std::string& path : wanted) {
                if (cancelled)
                    break;
                Track track;
                const auto stamp = StampOf(path);
                if (!stamp)
                    continue;
                track.stamp = *stamp;
                auto store = std::make_shared<TrackStore>();
                TrackEditState edit;
                QuietLoad load;
                try {
                    LoadTrackFile(path, *store, edit, load.services);
                    track.store = std::move(store);
                } catch (const std::exception&) {
                    // A file that does not read is drawn as no track; the check says why.
                }
                read.emplace_back(path, std::move(track));
            }
            return read;
        },
        [this](Read read) {
            reading_tracks_ = false;
            for (auto& [path, track] : read)
                tracks_[path] = std::move(track);
            ReadMissingTracks();  // what changed while these were read
            Redraw();
        });
    return gone;
}

void RaceMapView::RequestLand()
{
    land_.reset();
    if (!view_ || !(view_->ViewScaleLat > 0) || !(view_->ViewScaleLon > 0))
        return;
    const MapView& v = *view_;
    const double west = v.ViewCenterLon + (0 - v.ViewCenterX) / static_cast<double>(v.ViewScaleLon);
    const double east = v.ViewCenterLon + (width() - v.ViewCenterX) / static_cast<double>(v.ViewScaleLon);
    const double north = v.ViewCenterLat + v.ViewCenterY / static_cast<double>(v.ViewScaleLat);
    const double south = v.ViewCenterLat - (height() - v.ViewCenterY) / static_cast<double>(v.ViewScaleLat);
    const GeoBox needed{south / 60, west / 60, north / 60, east / 60};
    if (needed[2] - needed[0] > kLargestLandBox || needed[3] - needed[1] > kLargestLandBox || needed[0] < -90 ||
        needed[2] > 90)
        return;
    for (const auto& [box, land] : LandCache())
        if (Covers(box, needed)) {
            land_ = land;
            return;
        }
    const GeoBox box = LandBoxAround(needed[0], needed[1], needed[2], needed[3]);
    if (land_asked_)
        return;  // the land comes with its answer, or is asked for again then
    land_asked_ = box;
    jobs_.Start<std::shared_ptr<const Land>>(
        [box, reader = CurrentLandReader()](const std::atomic<bool>&) -> std::shared_ptr<const Land> {
            std::string why;
            auto land = reader ? reader(box, why) : std::nullopt;
            return land ? std::make_shared<const Land>(std::move(*land)) : nullptr;
        },
        [this, box](std::shared_ptr<const Land> land) {
            land_asked_.reset();
            // Kept even when GMT could not tell, so it is not asked again and again.
            LandCache()[box] = std::move(land);
            Redraw();
        });
}

std::optional<QPoint> RaceMapView::PixelOf(double lat, double lon) const
{
    if (!view_)
        return std::nullopt;
    return Pixel(*view_, lat, lon);
}

void RaceMapView::Redraw()
{
    // Each boat's fixes outside the race window are left out as the editor
    // leaves out deleted points.
    std::vector<std::pair<std::size_t, TrackEditState>> drawn;
    std::vector<double> lats, lons;
    bool missing_tracks = false;
    for (std::size_t b = 0; b < input_.boat_paths.size(); ++b) {
        const auto found = tracks_.find(input_.boat_paths[b]);
        if (found == tracks_.end() || !found->second.store) {
            missing_tracks = missing_tracks || reading_tracks_;
            continue;
        }
        TrackStore& track = *found->second.store;
        TrackEditState edit;
        edit.FirstPresent = track.TrackCount + 1;
        edit.LastPresent = 0;
        for (std::int32_t i = 1; i <= track.TrackCount; ++i) {
            const double t = track.TrackTime[i];
            const bool inside = t >= input_.from && t <= input_.to;
            track.TrackMark[i] = inside ? 0 : MarkTime;
            if (inside) {
                edit.FirstPresent = std::min(edit.FirstPresent, i);
                edit.LastPresent = i;
                lats.push_back(track.TrackLat[i]);
                lons.push_back(track.TrackLon[i]);
            }
        }
        if (edit.LastPresent > 0)
            drawn.emplace_back(b, edit);
    }
    // A logger's few wild jumps would shrink the race to a dot: the view
    // holds all but the outermost hundredth of the fixes each way, and the
    // marks and lines.
    double min_lat = HUGE_VAL, max_lat = -HUGE_VAL, min_lon = HUGE_VAL, max_lon = -HUGE_VAL;
    const auto take = [&](double lat, double lon) {
        min_lat = std::min(min_lat, lat), max_lat = std::max(max_lat, lat);
        min_lon = std::min(min_lon, lon), max_lon = std::max(max_lon, lon);
    };
    if (!lats.empty()) {
        const auto at = [](std::vector<double>& values, double share) {
            const auto k = static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
            std::nth_element(values.begin(), values.begin() + k, values.end());
            return values[static_cast<std::size_t>(k)];
        };
        take(at(lats, 0.01), at(lons, 0.01));
        take(at(lats, 0.99), at(lons, 0.99));
    }
    for (const auto& m : input_.marks)
        take(m[0] * 60, m[1] * 60);
    for (const auto& l : input_.lines) {
        take(l[0] * 60, l[1] * 60);
        take(l[2] * 60, l[3] * 60);
    }

    picture_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    view_.reset();
    if (max_lat >= min_lat) {
        // A single position still gets a view: half a mile around it.
        if (max_lat - min_lat < 0.05)
            min_lat -= 0.25, max_lat += 0.25;
        if (max_lon - min_lon < 0.05)
            min_lon -= 0.25, max_lon += 0.25;
        MapView view;
        if (FitMapView(min_lat, max_lat, min_lon, max_lon, view, picture_.width(), picture_.height()))
            view_ = view;
    }
    RequestLand();
    if (view_ && land_) {
        painter.setPen(OnePixelPen(QColor(150, 140, 100)));
        painter.setBrush(QColor(235, 225, 190));
        for (const auto& ring : *land_) {
            QPolygon polygon;
            for (std::size_t i = 0; i + 1 < ring.size(); i += 2)
                polygon << Pixel(*view_, ring[i + 1], ring[i]);
            painter.drawPolygon(polygon);
        }
        painter.setBrush(Qt::NoBrush);
    }
    if (view_) {
        for (const auto& [boat, edit] : drawn) {
            painter.setPen(OnePixelPen(BoatColour(boat)));
            PolylinePen pen(painter);
            TraceTrackMap(*tracks_.at(input_.boat_paths[boat]).store, edit, *view_, pen);
        }
        PaintMarksLinesCourse(painter);
    }

    // The boats' colours, as many as there is room for.
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    const int row = metrics.height();
    int y = 4;
    for (std::size_t b = 0; b < input_.boat_names.size() && y + row < picture_.height() - row; ++b, y += row) {
        painter.fillRect(4, y + row / 2 - 1, 14, 3, BoatColour(b));
        painter.drawText(22, y + metrics.ascent(), ToQString(input_.boat_names[b]));
    }
    QString note;
    if (missing_tracks)
        note = QString::fromUtf8(Said(japanese_, "Reading tracks…", "航跡を読み込み中…"));
    else if (!input_.boat_paths.empty() && drawn.empty())
        note = QString::fromUtf8(
            Said(japanese_, "No fix between the start and the finish", "スタートからフィニッシュまでの航跡がありません"));
    if (!note.isEmpty())
        painter.drawText(QRect(4, picture_.height() - row - 4, picture_.width() - 8, row), Qt::AlignLeft, note);
    painter.end();
    update();
}

void RaceMapView::PaintMarksLinesCourse(QPainter& painter) const
{
    const MapView& view = *view_;
    const auto middle = [&](const std::array<double, 4>& l) {
        return Pixel(view, (l[0] + l[2]) / 2, (l[1] + l[3]) / 2);
    };
    // The course as sailed: the start line's middle, the marks in turn, the finish line's middle.
    QPen course(QColor(120, 120, 120));
    course.setStyle(Qt::DashLine);
    painter.setPen(course);
    std::optional<QPoint> previous;
    for (const std::string& entry : input_.course) {
        const CourseEntry e = ReadCourseEntry(entry, input_.marks.size(), input_.lines.size());
        std::optional<QPoint> at;
        if (e.kind == CourseEntry::Mark)
            at = Pixel(view, input_.marks[static_cast<std::size_t>(e.mark - 1)][0],
                       input_.marks[static_cast<std::size_t>(e.mark - 1)][1]);
        else if (e.kind == CourseEntry::Start)
            at = middle(input_.lines.front());
        else if (e.kind == CourseEntry::Finish)
            at = middle(input_.lines.back());
        if (!at)
            continue;
        if (previous)
            painter.drawLine(*previous, *at);
        previous = at;
    }

    QPen line(QColor(0, 0, 0));
    line.setWidth(2);
    for (std::size_t i = 0; i < input_.lines.size(); ++i) {
        const auto& l = input_.lines[i];
        const QPoint a = Pixel(view, l[0], l[1]), b = Pixel(view, l[2], l[3]);
        painter.setPen(line);
        painter.drawLine(a, b);
        const bool start = i == 0, finish = i + 1 == input_.lines.size();
        const QString label = start && finish ? QStringLiteral("S/F") : start ? QStringLiteral("S")
                                                                       : finish ? QStringLiteral("F")
                                                                                : QString::number(i + 1);
        painter.drawText(std::max(a.x(), b.x()) + 4, std::max(a.y(), b.y()) + 4, label);
    }

    painter.setBrush(MarkColour());
    for (std::size_t i = 0; i < input_.marks.size(); ++i) {
        const QPoint at = Pixel(view, input_.marks[i][0], input_.marks[i][1]);
        painter.setPen(OnePixelPen(MarkColour()));
        painter.drawEllipse(at, 4, 4);
        painter.setPen(Qt::black);
        painter.drawText(at + QPoint(7, -5), QString::number(i + 1));
    }
    painter.setBrush(Qt::NoBrush);
}

void RaceMapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void RaceMapView::resizeEvent(QResizeEvent*)
{
    Redraw();
}

} // namespace tackedit
