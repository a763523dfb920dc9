#pragma once

// The main window shown on the track editor, with tracks written as GPX files
// and the pixels of its pictures, for the editor screen's tests.

#include "editor/editor_core.h"
#include "window_test.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tackedit {

struct Fix {
    int seconds;
    double lat, lon;  // minutes of arc from 35 N 139 E: a fix at 0, 0 would be left out
};
constexpr double kLatOrigin = 35 * 60, kLonOrigin = 139 * 60;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

class EditorScreenTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Start();
        form_->show();
    }

    std::string WriteGpx(const std::string& name, const std::vector<Fix>& fixes)
    {
        const std::filesystem::path path = workspace_ / "gpsdat" / name;
        std::ofstream out(path);
        out << "<gpx><trk><trkseg>\n";
        for (const Fix& f : fixes) {
            char line[200];
            std::snprintf(line, sizeof line,
                          "<trkpt lat=\"%.12f\" lon=\"%.12f\"><time>2010-05-03T%02d:%02d:%02dZ</time></trkpt>\n",
                          (kLatOrigin + f.lat) / 60, (kLonOrigin + f.lon) / 60, f.seconds / 3600,
                          f.seconds / 60 % 60, f.seconds % 60);
            out << line;
        }
        out << "</trkseg></trk></gpx>\n";
        return path.string();
    }

    void Open(const std::vector<Fix>& fixes, const std::string& name = "boat1.gpx")
    {
        dialogs_.paths.push_back(WriteGpx(name, fixes));
        Click("Button21");
        ASSERT_EQ(state_.ScreenMode, 22);
    }

    QWidget* Map() { return Find<QWidget>("Image3"); }
    QWidget* Timeline() { return Find<QWidget>("Image6"); }
    QImage Picture(const char* name) { return Find<QLabel>(name)->pixmap().toImage(); }
    QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }

    // A move with no button held, as the pointer passes over a widget.
    void Hover(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    void Drag(QWidget* widget, Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(widget, button, {}, from);
        QTest::mouseMove(widget, to);
        QTest::mouseRelease(widget, button, {}, to);
    }

    std::vector<std::int32_t> Marks()
    {
        const TrackStore& s = state_.track;
        return std::vector<std::int32_t>(s.TrackMark.begin() + 1, s.TrackMark.begin() + 1 + s.TrackCount);
    }

    PixelPoint MapPosition(std::int32_t i)
    {
        return ProjectToMap(state_.editor.map, state_.track.TrackLat[i], state_.track.TrackLon[i]);
    }
    std::int64_t Column(std::int32_t i)
    {
        return TimelineColumn(state_.editor.timeline, state_.track.TrackTime[i],
                              state_.track.TrackTime[state_.edit.FirstPresent]);
    }

    std::filesystem::path& workspace_ = ws_;
};

// A 3 x 3 grid of points one minute apart, a second apart in time.
inline std::vector<Fix> Grid()
{
    std::vector<Fix> fixes;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            fixes.push_back({row * 3 + col, 2.0 - row, double(col)});
    return fixes;
}

// Rows of a picture column that hold a pixel of the colour.
inline std::vector<int> RowsWith(const QImage& image, QRgb colour)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) {
                rows.push_back(y);
                break;
            }
    return rows;
}

inline std::vector<int> ColumnsWith(const QImage& image, QRgb colour)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == colour) {
                columns.push_back(x);
                break;
            }
    return columns;
}

inline bool AllWhite(const QImage& image)
{
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    return image.convertToFormat(QImage::Format_RGB32) == white;
}

} // namespace tackedit
