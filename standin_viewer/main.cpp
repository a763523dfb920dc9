// tackvue stand-in: a small viewer of ours that takes the replay viewer's place in
// the demo workspace, so that "Save Data" and "Show Racing" lead somewhere. It
// reads the hand-off file and the race file as the real viewer does and shows the
// titles, start and finish, the mode and every boat's track on a plain map; the
// part of each track between start and finish is drawn strong.
//
// It takes no arguments: the workspace is TACKEDIT_WORKSPACE, which the editor
// sets for the programs it starts, else the folder the program lies in.
// TACKVUE_STANDIN_RENDER=<png path> renders the window into that file and exits
// (0 when the picture was written) instead of showing it, printing the window's
// status line and what became of the browser replay; with
// QT_QPA_PLATFORM=offscreen this needs no display.

#include "platform/null_platform.h"
#include "platform/qt/qt_platform.h"
#include "race/handoff_file.h"
#include "race/race_file.h"
#include "replay/replay_builder.h"
#include "base/data_error.h"
#include "track/track_loader.h"
#include "base/workspace_files.h"
#include "base/workspace_paths.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProcess>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace tackedit;

struct BoatTrack {
    std::string name, file, problem;
    std::vector<double> time, lat, lon;  // local race time; degrees
};

struct ShownRace {
    std::string error;  // when set, the window shows only this
    std::string file;
    bool edit_mode = true;
    RaceSettings race;
    std::vector<BoatTrack> boats;
};

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// Error texts name files by their full path; inside the workspace the rest is enough.
std::string InWorkspace(std::string message, const std::string& app_dir)
{
    if (message.starts_with(app_dir))
        message.erase(0, app_dir.size());
    return message;
}

bool InRace(const RaceSettings& race, double t) { return t >= race.StartTime && t <= race.FinishTime; }

ShownRace ReadRace(const std::string& app_dir)
{
    ShownRace shown;
    std::ifstream handoff(app_dir + "ctrl/editfile.edt", std::ios::binary);
    if (!handoff) {
        shown.error = "No race to show: ctrl/editfile.edt is missing.\n"
                      "Start the viewer from the editor (Save Data or Show Racing).";
        return shown;
    }
    const Handoff read = ParseHandoffFile(std::string(std::istreambuf_iterator<char>(handoff), {}));
    const std::string& line = read.race_file;
    shown.edit_mode = read.edit_mode;
    shown.file = line;
    if (line.empty()) {
        shown.error = "The hand-off file ctrl/editfile.edt names no race.";
        return shown;
    }
    const auto path = FindWorkspaceFile(app_dir + "raceadmin", line);
    if (!path) {
        shown.error = "Race file raceadmin/" + line + " not found.";
        return shown;
    }
    try {
        ReadRaceFile(*path, app_dir, 2, shown.race);
    } catch (const std::exception& e) {
        shown.error = "Cannot read the race file.\n" + InWorkspace(e.what(), app_dir);
        return shown;
    }

    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    // GPS receivers log UTC, and the TRB conversion keeps it.
    const double zone = shown.race.TimeDiff / 24.0;
    for (int i = 0; i < shown.race.BoatCount; ++i) {
        BoatTrack boat{shown.race.BoatName[i], shown.race.BoatGpsFile[i], {}, {}, {}, {}};
        TrackStore store;
        TrackEditState edit;
        try {
            if (const auto file = FindWorkspaceFile(app_dir + "gpsdat", boat.file))
                LoadTrackFile(*file, store, edit, services);
            if (store.TrackCount == 0)
                boat.problem = "no track points";
        } catch (const std::exception& e) {
            boat.problem = InWorkspace(e.what(), app_dir);
        }
        for (int p = 1; p <= store.TrackCount; ++p) {
            boat.time.push_back(store.TrackTime[p] + zone);
            boat.lat.push_back(store.TrackLat[p] / 60);
            boat.lon.push_back(store.TrackLon[p] / 60);
        }
        shown.boats.push_back(std::move(boat));
    }
    return shown;
}

const QColor kPalette[] = {{214, 39, 40}, {31, 119, 180}, {44, 160, 44}, {148, 103, 189}, {255, 127, 14},
                           {140, 86, 75}, {227, 119, 194}, {23, 190, 207}, {188, 189, 34}, {80, 80, 80}};

QColor BoatColour(std::size_t i) { return kPalette[i % std::size(kPalette)]; }

// Lower and upper `share` quantiles: a few GPS jumps kilometres off must not
// shrink the race to a dot.
std::pair<double, double> Range(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * (values.size() - 1))]; };
    return {at(share), at(1 - share)};
}

// The legend beside the map covers whatever ran over its edge.
void DrawLegend(QPainter& p, const ShownRace& shown, const QRect& box)
{
    p.fillRect(box, QColor(250, 250, 250));
    p.setPen(QColor(150, 150, 150));
    p.drawLine(box.topLeft(), box.bottomLeft());
    const int boats = static_cast<int>(shown.boats.size());
    const int row = std::clamp((box.height() - 100) / std::max(boats, 1), 14, 40);
    const int text_w = box.width() - 50;
    for (int i = 0; i < boats; ++i) {
        const BoatTrack& b = shown.boats[i];
        const int y = box.top() + 24 + row * i;
        p.setPen(QPen(BoatColour(i), 4));
        p.drawLine(box.left() + 12, y, box.left() + 36, y);
        p.setPen(Qt::black);
        p.drawText(QPointF(box.left() + 44, y + 5), Q(b.name));
        const QString note = b.problem.empty() ? QString("%1 points").arg(b.time.size()) : Q(b.problem);
        p.setPen(QColor(90, 90, 90));
        if (row >= 30)  // room for the file under the name
            p.drawText(QRect(box.left() + 44, y + 8, text_w, 16), Qt::AlignVCenter,
                       p.fontMetrics().elidedText(Q(b.file) + ", " + note, Qt::ElideRight, text_w));
    }
    p.drawText(QRect(box.left() + 12, box.bottom() - 70, box.width() - 20, 60), Qt::TextWordWrap,
               "Strong lines: between start and finish. Orange dots: marks of the race file.");
}

QImage DrawMap(const ShownRace& shown, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(222, 236, 246));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const RaceSettings& race = shown.race;
    const int legend_w = 300, map_w = width - legend_w;
    const QRect legend(map_w, 0, legend_w, height);

    std::vector<double> lats, lons;
    for (bool race_only : {true, false}) {
        for (const BoatTrack& b : shown.boats)
            for (std::size_t i = 0; i < b.time.size(); ++i)
                if (!race_only || InRace(race, b.time[i])) {
                    lats.push_back(b.lat[i]);
                    lons.push_back(b.lon[i]);
                }
        if (!lats.empty())
            break;
    }
    if (lats.empty()) {
        p.drawText(QRect(0, 0, map_w, height), Qt::AlignCenter, "No track points to draw.");
        DrawLegend(p, shown, legend);
        return image;
    }
    auto [lat0, lat1] = Range(lats, 0.002);
    auto [lon0, lon1] = Range(lons, 0.002);
    // Marks (taken as latitude, longitude in degrees) widen the view when near.
    for (const auto& m : race.MarkList)
        if (std::abs(m[0] - (lat0 + lat1) / 2) < 0.1 && std::abs(m[1] - (lon0 + lon1) / 2) < 0.1) {
            lat0 = std::min(lat0, m[0]), lat1 = std::max(lat1, m[0]);
            lon0 = std::min(lon0, m[1]), lon1 = std::max(lon1, m[1]);
        }
    const double kx = std::cos((lat0 + lat1) / 2 * M_PI / 180), margin = 40;
    const double scale = std::min((map_w - 2 * margin) / std::max((lon1 - lon0) * kx, 1e-6),
                                  (height - 2 * margin) / std::max(lat1 - lat0, 1e-6));
    const double cx = (lon0 + lon1) / 2, cy = (lat0 + lat1) / 2;
    const auto at = [&](double lat, double lon) {
        return QPointF(map_w / 2.0 + (lon - cx) * kx * scale, height / 2.0 - (lat - cy) * scale);
    };

    p.setPen(QPen(QColor(60, 60, 60), 1.5, Qt::DashLine));
    for (const auto& l : race.LineList)
        p.drawLine(at(l[0], l[1]), at(l[2], l[3]));
    for (std::size_t i = 0; i < shown.boats.size(); ++i) {
        const BoatTrack& b = shown.boats[i];
        QPainterPath all, racing;
        for (std::size_t k = 0; k < b.time.size(); ++k) {
            const QPointF point = at(b.lat[k], b.lon[k]);
            if (k == 0)
                all.moveTo(point);
            else
                all.lineTo(point);
            if (!InRace(race, b.time[k]))
                continue;
            if (k > 0 && InRace(race, b.time[k - 1]))
                racing.lineTo(point);
            else
                racing.moveTo(point);
        }
        QColor faint = BoatColour(i);
        faint.setAlpha(70);
        p.setPen(QPen(faint, 1));
        p.drawPath(all);
        p.setPen(QPen(BoatColour(i), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(racing);
        if (!racing.isEmpty()) {  // where the boat was at the finish
            p.setBrush(BoatColour(i));
            p.drawEllipse(racing.currentPosition(), 4.5, 4.5);
            p.setBrush(Qt::NoBrush);
        }
    }
    p.setPen(QPen(QColor(120, 60, 0), 1.5));
    p.setBrush(QColor(255, 150, 30));
    for (std::size_t m = 0; m < race.MarkList.size(); ++m) {
        const QPointF point = at(race.MarkList[m][0], race.MarkList[m][1]);
        p.drawEllipse(point, 5, 5);
        p.drawText(point + QPointF(8, -6), QString::number(m + 1));
    }
    DrawLegend(p, shown, legend);

    // An arrow blowing from the true direction the wind comes from, and a scale.
    const double from = (race.WindDir + race.MagVar) * M_PI / 180;
    const QPointF hub(50, 60), way(-std::sin(from), std::cos(from)), side(-way.y(), way.x());
    const QPointF head = hub + way * 28;
    p.setPen(QPen(QColor(30, 60, 120), 2.5));
    p.drawLine(hub - way * 28, head);
    p.drawLine(head, head - way * 10 + side * 6);
    p.drawLine(head, head - way * 10 - side * 6);
    p.drawText(QPointF(18, 110), QString("Wind %1° mag").arg(race.WindDir));
    const double mile = scale / 60.0;  // pixels per nautical mile
    const double bar = mile > 300 ? 0.25 : mile > 150 ? 0.5 : 1.0;
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(20, height - 20), QPointF(20 + bar * mile, height - 20));
    p.drawText(QPointF(20, height - 28), QString("%1 nm   north up").arg(bar));
    return image;
}

QString StatusLine(const ShownRace& shown)
{
    if (!shown.error.empty())
        return "error: " + Q(shown.error).replace('\n', ' ');
    int racing = 0;
    for (const BoatTrack& b : shown.boats)
        racing += std::any_of(b.time.begin(), b.time.end(), [&](double t) { return InRace(shown.race, t); });
    return QString("%1: %2, %3 boats, %4 with track points between start and finish")
        .arg(Q(shown.file), shown.edit_mode ? "Edit mode" : "Normal mode")
        .arg(shown.boats.size())
        .arg(racing);
}

} // namespace

// $BROWSER first, as xdg-open itself honours it; then the desktop's choice.
bool OpenInBrowser(const QUrl& url)
{
    const QString browser = qEnvironmentVariable("BROWSER").section(':', 0, 0);
    if (browser.isEmpty())
        return QtShell().OpenDocument(url.toLocalFile().toStdString());
    QStringList words = QProcess::splitCommand(browser);
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    if (words.contains("%s"))
        words.replaceInStrings("%s", url.toString());
    else
        words << url.toString();
    return QProcess::startDetached(program, words);
}

// The browser replay of the race, in ctrl/replay/; what happened, for the window.
QString OpenReplay(const std::string& app_dir, const std::string& file)
{
    ReplayBuildOptions read;
    read.app_dir = app_dir;
    std::string index;
    try {
        index = BuildControlReplay(RaceFiles({file}, read), app_dir);
    } catch (const DataError& e) {
        return "No replay: " + Q(e.what());
    }
    if (!OpenInBrowser(QUrl::fromLocalFile(Q(index))))
        return "No browser opened the replay " + Q(index) + "; the picture below stays.";
    return "The replay opened in the browser (" + Q(index) + ").";
}

int main(int argc, char** argv)
{
    // Answered before any window exists, so they need no display.
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("tackvue-standin %s\n", TACKEDIT_VERSION);
        return 0;
    }
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::printf("Usage: tackvue-standin\n"
                    "   or: tackvue-standin --help | --version\n"
                    "Shows the race that tackedit hands to its viewer (ctrl/editfile.edt of the\n"
                    "workspace): titles, start and finish, every boat's track on a plain map, and\n"
                    "opens the race's replay in the browser. tackedit starts it when the workspace\n"
                    "holds no tackvue.exe.\n"
                    "\n"
                    "Environment:\n"
                    "  TACKEDIT_WORKSPACE  the workspace (tackedit sets it); else the program's folder\n"
                    "  BROWSER             the browser for the replay; else the desktop's\n");
        return 0;
    }
    QApplication app(argc, argv);
    // The editor names its workspace; started alone, the stand-in lies in it.
    QString workspace = qEnvironmentVariable("TACKEDIT_WORKSPACE");
    if (workspace.isEmpty())
        workspace = QCoreApplication::applicationDirPath();
    const std::string app_dir = WorkspaceFolder(workspace.toStdString());
    const ShownRace shown = ReadRace(app_dir);

    QWidget window;
    window.setWindowTitle("tackvue stand-in" + (shown.file.empty() ? QString() : " - " + Q(shown.file)));
    auto* layout = new QVBoxLayout(&window);
    const auto add_label = [&](const QString& text, int point_size, bool bold) {
        auto* label = new QLabel(text);
        QFont font = label->font();
        font.setPointSize(point_size);
        font.setBold(bold);
        label->setFont(font);
        label->setWordWrap(true);
        layout->addWidget(label);
        return label;
    };
    if (!shown.error.empty()) {
        add_label("tackvue stand-in", 14, true);
        add_label(Q(shown.error), 11, false)->setStyleSheet("color: #b00000;");
        window.setMinimumWidth(520);
    } else {
        const RaceSettings& r = shown.race;
        add_label(Q(r.Title1), 16, true);
        if (!r.Title2.empty())
            add_label(Q(r.Title2), 12, false);
        add_label(QString("Start %1    Finish %2    (local time, UTC%3%4)")
                      .arg(Q(FormatRaceDateTime(r.StartTime)), Q(FormatRaceDateTime(r.FinishTime)),
                           r.TimeDiff < 0 ? "-" : "+")
                      .arg(std::abs(r.TimeDiff)),
                  11, false);
        add_label(QString("%1    race file %2").arg(shown.edit_mode ? "Edit mode" : "Normal mode", Q(shown.file)),
                  11, true);
        auto* map = new QLabel;
        map->setPixmap(QPixmap::fromImage(DrawMap(shown, 960, 640)));
        layout->addWidget(map);
    }
    const QString status = StatusLine(shown);
    if (shown.error.empty())
        layout->addWidget(new QLabel(status));

    QString replay;
    if (shown.error.empty() && !shown.file.empty()) {
        replay = OpenReplay(app_dir, shown.file);
        layout->addWidget(new QLabel(replay));
    }

    const QByteArray render_to = qgetenv("TACKVUE_STANDIN_RENDER");
    if (!render_to.isEmpty()) {
        window.adjustSize();
        const bool saved = window.grab().save(QString::fromLocal8Bit(render_to), "PNG");
        std::printf("%s\n", status.toStdString().c_str());
        if (!replay.isEmpty())
            std::printf("%s\n", replay.toStdString().c_str());
        if (!saved)
            std::fprintf(stderr, "cannot write %s\n", render_to.constData());
        return saved ? 0 : 1;
    }
    window.show();
    return app.exec();
}
