// Times the editor's interactive work on a synthetic track: a full redraw (map
// and time line into off-screen pictures), one hover (nearest point plus the
// close-up) and one automatic editing run (speed test and thinning).
//   bench-editor [POINTS [RUNS]]   prints one "name median_ms min_ms max_ms" line each

#include "editor/editor_core.h"
#include "editor/editor_painting.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tackedit;

namespace {

// A boat beating back and forth for days at 1 s intervals, with a GPS jump every
// 5,000 points and a one-hour pause every 100,000.
void MakeTrack(TrackStore& store, int points)
{
    TrackFiller filler(store);
    filler.ExpectPoints(static_cast<std::size_t>(points));
    double time = 40000.0, lat = 2100.0, lon = 8370.0;
    for (int i = 0; i < points; ++i) {
        const double heading = ((i / 600) % 2 ? 0.8 : -0.8) + 0.3 * std::sin(i / 50000.0);
        const double step = 6.0 / 3600;  // 6 knots for one second
        lat += step * std::cos(heading);
        lon += step * std::sin(heading) / 0.81;
        // Stay in a 10-mile square.
        if (lat > 2105 || lat < 2095)
            lat = 2100;
        if (lon > 8376 || lon < 8364)
            lon = 8370;
        const bool jump = i % 5000 == 2500;
        filler.Store(time, jump ? lat + 3 : lat, lon);
        time += (i % 100000 == 99999 ? 3600.0 : 1.0) / 86400;
    }
    filler.Finish();
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        store.TrackMark[i] = 0;
}

struct Stats {
    double median, min, max;
};

template <class Work>
Stats Time(int runs, Work&& work)
{
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    return {median, ms.front(), ms.back()};
}

int ParsePositive(const char* text)
{
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && n > 0 && n < 100000000) ? static_cast<int>(n) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const int points = argc > 1 ? ParsePositive(argv[1]) : 1000000;
    const int runs = argc > 2 ? ParsePositive(argv[2]) : 9;
    if (argc > 3 || points < 0 || runs < 0) {
        std::fputs("usage: bench-editor [POINTS [RUNS]]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    TrackStore store;
    MakeTrack(store, points);
    TrackEditState edit;
    edit.FirstPresent = 1;
    edit.LastPresent = store.TrackCount;
    EditorState view;

    // Checksums keep the compiler from dropping the work and show it was done.
    long long drawn = 0;
    const Stats redraw = Time(runs, [&] {
        if (UpdateMapView(store, edit, view.map)) {
            const QImage map = PaintTrackMap(store, edit, view.map);
            drawn += map.pixel(256, 256);
        }
        if (UpdateTimelineView(store, edit, view.timeline)) {
            std::int32_t counted = 0;
            const QImage line = PaintTimeline(store, edit, view.timeline, counted);
            view.CurrentInterval = MeanPresentInterval(view.timeline, counted);
            drawn += counted;
        }
    });

    // Hover over a point of the track's middle, a few pixels off.
    const std::int32_t middle = store.TrackCount / 2;
    const PixelPoint target = ProjectToMap(view.map, store.TrackLat[middle], store.TrackLon[middle]);
    std::int32_t found = 0;
    const Stats hover = Time(runs, [&] {
        found = FindNearestMapPoint(store, edit, view.map, target.x + 3, target.y - 2);
        if (found != 0) {
            UpdateZoomView(store, view.zoom, found);
            drawn += PaintZoomView(store, view.zoom).pixel(150, 150);
        }
    });

    AutoEditSettings settings;
    settings.MaxSpeed = 12;
    settings.Interval = 20;
    std::int32_t deleted = 0;
    std::vector<double> auto_ms;
    for (int r = 0; r < runs; ++r) {
        for (std::int32_t i = 1; i <= store.TrackCount; ++i)
            store.TrackMark[i] = 0;
        auto_ms.push_back(Time(1, [&] { deleted = RunAutoEdit(store, edit, settings); }).median);
    }
    std::sort(auto_ms.begin(), auto_ms.end());
    const Stats automatic{auto_ms[auto_ms.size() / 2], auto_ms.front(), auto_ms.back()};

    std::printf("points %d runs %d hover_index %d auto_deleted %d checksum %lld\n", store.TrackCount, runs, found,
                deleted, drawn);
    std::printf("redraw %.2f %.2f %.2f\n", redraw.median, redraw.min, redraw.max);
    std::printf("hover %.2f %.2f %.2f\n", hover.median, hover.min, hover.max);
    std::printf("autoedit %.2f %.2f %.2f\n", automatic.median, automatic.min, automatic.max);
    return found != 0 && deleted > 0 ? 0 : 1;
}
