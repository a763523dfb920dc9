// Times the editor's interactive work on a synthetic track, as the screen does
// it but without a window:
//   redraw    map view, map picture, the hover's index, time line picture
//   hover     the point under the mouse and the close-up picture, over and off the track
//   autoedit  speed test (12 knots) and thinning (20 s), then the recount of the deletions
//   restore   the automatic deletions brought back, then the recount
//   restore+redraw  the same followed by the redraw
//   bench-editor [POINTS [RUNS [HZ]]]   prints one "name median_ms min_ms max_ms" line each

#include "editor/editor_core.h"
#include "screens/editor_painting.h"
#include "editor/map_index.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace tackedit;

namespace {

// A boat tacking on a three-mile course, logged `hz` times a second, with a
// GPS jump every 5,000 fixes and a one-hour pause every 100,000.
void MakeTrack(TrackStore& store, int points, int hz)
{
    TrackFiller filler(store);
    filler.ExpectPoints(static_cast<std::size_t>(points));
    double time = 40000.0, lat = 2100.0, lon = 8370.0;
    const double step = 6.0 / 3600 / hz;  // six knots
    for (int i = 0; i < points; ++i) {
        const int second = i / hz;
        const double heading = ((second / 300) % 2 ? 0.8 : -0.8) + 0.3 * std::sin(second / 500.0);
        lat += step * std::cos(heading);
        lon += step * std::sin(heading) / 0.81;
        if (lat > 2103 || lat < 2097)
            lat = 2100;
        if (lon > 8374 || lon < 8366)
            lon = 8370;
        const bool jump = i % 5000 == 2500;
        filler.Store(time, jump ? lat + 3 : lat, lon);
        time += (i % 100000 == 99999 ? 3600.0 : 1.0 / hz) / 86400;
    }
    filler.Finish();
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        store.TrackMark[i] = 0;
}

struct Stats {
    double median, min, max;
};

Stats Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    return {median, ms.front(), ms.back()};
}

// Runs `prepare` untimed, then `work` timed, `runs` times.
Stats Time(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Summarise(ms);
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
    const int hz = argc > 3 ? ParsePositive(argv[3]) : 1;
    if (argc > 4 || points < 0 || runs < 0 || hz < 0) {
        std::fputs("usage: bench-editor [POINTS [RUNS [HZ]]]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    TrackStore store;
    MakeTrack(store, points, hz);
    TrackEditState edit;
    edit.FirstPresent = 1;
    edit.LastPresent = store.TrackCount;
    EditorState view;

    // Checksums keep the compiler from dropping the work and show it was done.
    long long drawn = 0;
    const auto redraw = [&] {
        if (UpdateMapView(store, edit, view.map)) {
            drawn += PaintTrackMap(store, edit, view.map, MapWidth, MapHeight, &view.map_points).pixel(256, 256);
        }
        if (UpdateTimelineView(store, edit, view.timeline)) {
            std::int32_t counted = 0;
            drawn += PaintTimeline(store, edit, view.timeline, counted).pixel(0, 0);
            view.CurrentInterval = MeanPresentInterval(view.timeline, counted);
        }
    };
    // As after an edit: the hover's index is built anew.
    const Stats redraw_stats = Time(runs, [&store] { ++store.Changes; }, redraw);

    // Over points spread along the track, a few pixels off, and over empty sea.
    std::vector<PixelPoint> mice;
    for (int k = 1; k <= 20; ++k) {
        const std::int32_t i = static_cast<std::int32_t>(static_cast<long long>(store.TrackCount) * k / 21);
        const PixelPoint p = ProjectToMap(view.map, store.TrackLat[i], store.TrackLon[i]);
        mice.push_back({p.x + 3, p.y - 2});
    }
    mice.push_back({2, 2});
    mice.push_back({510, 2});
    std::int32_t found = 0;
    std::vector<double> hover_ms;
    for (int r = 0; r < runs; ++r)
        for (const PixelPoint& mouse : mice) {
            const auto start = std::chrono::steady_clock::now();
            const std::int32_t k = FindNearestMapPoint(store, edit, view.map, view.map_points, mouse.x, mouse.y);
            if (k != 0) {
                UpdateZoomView(store, view.zoom, k);
                drawn += PaintZoomView(store, view.zoom).pixel(150, 150);
                found = k;
            }
            hover_ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    const Stats hover_stats = Summarise(hover_ms);

    AutoEditSettings settings;
    settings.MaxSpeed = 12;
    settings.Interval = 20;
    std::int32_t deleted = 0;
    const auto clear = [&] { RestoreAllMarks(store); };
    const Stats auto_stats = Time(runs, clear, [&] {
        deleted = RunAutoEdit(store, edit, settings);
        CountDeletions(store, edit);
    });
    const auto auto_edit = [&] { RunAutoEdit(store, edit, settings); };
    const Stats restore_stats = Time(runs, auto_edit, [&] {
        RestoreMarks(store, MarkAuto);
        CountDeletions(store, edit);
    });
    const Stats restore_redraw_stats = Time(runs, auto_edit, [&] {
        RestoreMarks(store, MarkAuto);
        CountDeletions(store, edit);
        redraw();
    });

    std::printf("points %d hz %d runs %d hover_index %d auto_deleted %d checksum %lld\n", store.TrackCount, hz, runs,
                found, deleted, drawn);
    const auto print = [](const char* name, const Stats& s) {
        std::printf("%s %.2f %.2f %.2f\n", name, s.median, s.min, s.max);
    };
    print("redraw", redraw_stats);
    print("hover", hover_stats);
    print("autoedit", auto_stats);
    print("restore", restore_stats);
    print("restore+redraw", restore_redraw_stats);
    return found != 0 && deleted > 0 ? 0 : 1;
}
