// Times "Minimize GPS file size" on a big race: MinimizeGpsFiles over the boats
// gpsdat/boat1.gpx .. boatN.gpx of a workspace, with the progress label
// repainted for every boat as the "Making  Small Gps Files" panel does.
//   bench-minimize WORKSPACE BOATS [RUNS]   prints "minimize median_ms min_ms max_ms"

#include "platform/null_platform.h"
#include "race/compile_core.h"
#include "race/race_settings.h"
#include "track/track_loader.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace tackedit;

int main(int argc, char** argv)
{
    const int boats = argc > 2 ? std::atoi(argv[2]) : 0;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    if (argc < 3 || argc > 4 || boats < 1 || boats > RaceSettings::kMaxBoats || runs < 1) {
        std::fputs("usage: bench-minimize WORKSPACE BOATS [RUNS]\n", stderr);
        return 2;
    }
    const std::string app_dir = std::string(argv[1]) + "/";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLabel label28;
    label28.setObjectName(QStringLiteral("Label28"));
    label28.resize(300, 30);
    label28.show();

    TrackStore track;
    TrackEditState edit;
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    std::vector<double> ms;
    int shown = 0;
    for (int r = 0; r < runs; ++r) {
        RaceSettings race;
        race.BoatCount = boats;
        for (int b = 1; b <= boats; ++b)
            race.BoatGpsFile.push_back("boat" + std::to_string(b) + ".gpx");
        // The conversion keeps an identical TRB file rather than writing it
        // again: remove them so that every run times the writes.
        for (int b = 1; b <= boats; ++b)
            std::remove((app_dir + "gpsdat/boat" + std::to_string(b) + ".trb").c_str());
        const auto start = std::chrono::steady_clock::now();
        MinimizeGpsFiles(race, app_dir, track, edit, services, [&label28, &shown](const std::string& name) {
            label28.setText(QString::fromStdString(name));
            label28.repaint();
            QCoreApplication::processEvents();
            ++shown;
        });
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        for (int b = 1; b <= boats; ++b)
            if (race.BoatGpsFile[static_cast<std::size_t>(b - 1)] != "boat" + std::to_string(b) + ".trb") {
                std::fprintf(stderr, "bench-minimize: boat %d was not converted\n", b);
                return 1;
            }
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("boats %d points_last %d labels %d\n", boats, track.TrackCount, shown);
    std::printf("minimize %.2f %.2f %.2f\n", median, ms.front(), ms.back());
    return 0;
}
