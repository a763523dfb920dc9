#include "replay/replay_data.h"

#include "check/photo_time.h"
#include "check/track_shift.h"
#include "pictures/picture_index.h"
#include "race/race_file.h"
#include "race/race_settings.h"
#include "replay/replay_analysis.h"
#include "replay/shoreline.h"
#include "replay/track_cache.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/track_loader.h"
#include "track/formats/vkx_reader.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <numeric>
#include <optional>

namespace tackedit {

namespace {

// Strong colours for small fleets; larger ones go on round the hue circle.
constexpr std::array<std::uint32_t, 12> kFirstColors = {0xe6194b, 0x3cb44b, 0x4363d8, 0xf58231, 0x911eb4, 0xf032e6,
                                                      0x008080, 0x9a6324, 0x800000, 0x808000, 0x000075, 0x2f2f2f};
// The page's water and land.
constexpr std::array<std::uint32_t, 2> kBackgrounds = {0x9fc3dc, 0xd8d0b8};

double Luminance(std::uint32_t rgb)
{
    const auto channel = [](std::uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16 & 255) + 0.7152 * channel(rgb >> 8 & 255) + 0.0722 * channel(rgb & 255);
}

std::uint32_t Hsl(double h, double s, double l)
{
    const auto f = [&](double n) {
        const double k = std::fmod(n + h / 30, 12), a = s * std::min(l, 1 - l);
        return static_cast<std::uint32_t>(std::lround(255 * (l - a * std::max(-1.0, std::min({k - 3, 9 - k, 1.0})))));
    };
    return f(0) << 16 | f(8) << 8 | f(4);
}

std::uint32_t Scaled(std::uint32_t rgb, double k)
{
    const auto c = [&](int shift) { return static_cast<std::uint32_t>(std::lround((rgb >> shift & 255) * k)) << shift; };
    return c(16) | c(8) | c(0);
}

// Apart enough to tell two boats side by side: a weighted distance in RGB.
double ColorDistance(std::uint32_t a, std::uint32_t b)
{
    const auto d = [&](int shift) { return static_cast<double>(a >> shift & 255) - static_cast<double>(b >> shift & 255); };
    return std::sqrt(2 * d(16) * d(16) + 4 * d(8) * d(8) + 3 * d(0) * d(0));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::int32_t Micro(double degrees) { return static_cast<std::int32_t>(std::llround(degrees * 1e6)); }

bool Plausible(double lat, double lon) { return std::fabs(lat) <= 90 && std::fabs(lon) <= 180; }

} // namespace

std::int64_t ReplaySeconds(double date_time)
{
    const auto ms = static_cast<std::int64_t>(std::llround((date_time - TrackEpoch) * SecondsPerDay * 1000));
    return FloorDiv(ms, 1000);
}

void TakeFixes(const TrackStore& track, int time_diff, ReplayBoat& boat, bool utc)
{
    struct Fix {
        std::int64_t time;
        std::int32_t lat, lon;
    };
    std::vector<Fix> fixes;
    fixes.reserve(static_cast<std::size_t>(std::max(track.TrackCount, 0)));
    boat.utc_fixes.clear();
    if (utc)
        boat.utc_fixes.reserve(fixes.capacity());
    for (std::int32_t i = 1; i <= track.TrackCount; ++i) {
        const double lat = track.TrackLat[i] / 60, lon = track.TrackLon[i] / 60;
        if (!Plausible(lat, lon) || (lat == 0 && lon == 0))
            continue;  // nowhere a boat sails; the check names such points
        fixes.push_back({ReplaySeconds(track.TrackTime[i]) + std::int64_t{time_diff} * 3600, Micro(lat), Micro(lon)});
        if (utc)
            boat.utc_fixes.push_back({(track.TrackTime[i] - TrackEpoch) * SecondsPerDay, lat, lon});
    }
    const auto earlier = [](const Fix& a, const Fix& b) { return a.time < b.time; };
    if (!std::is_sorted(fixes.begin(), fixes.end(), earlier))  // most logs are; sorting them costs a tenth of a read
        std::stable_sort(fixes.begin(), fixes.end(), earlier);
    boat.time.clear();
    boat.lat.clear();
    boat.lon.clear();
    for (const Fix& f : fixes) {
        if (!boat.time.empty() && boat.time.back() == f.time)
            continue;
        boat.time.push_back(f.time);
        boat.lat.push_back(f.lat);
        boat.lon.push_back(f.lon);
    }
}

std::optional<std::array<double, 4>> TrackBox(const std::vector<ReplayBoat>& boats)
{
    // The middle 99 % of the fixes: a wild fix a logger wrote far away must not
    // stretch the race area over half a country.
    std::vector<double> lats, lons;
    std::size_t total = 0;
    for (const ReplayBoat& b : boats)
        total += b.time.size();
    const std::size_t stride = std::max<std::size_t>(1, total / 200000);
    std::size_t k = 0;
    for (const ReplayBoat& b : boats)
        for (std::size_t i = 0; i < b.time.size(); ++i, ++k)
            if (k % stride == 0) {
                lats.push_back(b.lat[i] / 1e6);
                lons.push_back(b.lon[i] / 1e6);
            }
    if (lats.empty())
        return std::nullopt;
    const auto quantile = [](std::vector<double>& v, double q) {
        const auto at = v.begin() + static_cast<std::ptrdiff_t>(std::llround(q * static_cast<double>(v.size() - 1)));
        std::nth_element(v.begin(), at, v.end());
        return *at;
    };
    return std::array<double, 4>{quantile(lats, 0.005), quantile(lons, 0.005), quantile(lats, 0.995),
                                 quantile(lons, 0.995)};
}

std::vector<std::string> BoatColors(std::size_t count)
{
    // Contrast of at least 2 against water and land: light tints vanish there.
    const auto shows = [](std::uint32_t c) {
        for (const std::uint32_t back : kBackgrounds)
            if ((Luminance(back) + 0.05) / (Luminance(c) + 0.05) < 2)
                return false;
        return true;
    };
    std::vector<std::uint32_t> chosen;
    std::vector<std::string> out;
    // The nearer the fleet fills the colour space, the closer two colours may lie.
    double apart = 120;
    for (std::size_t tried = 0, misses = 0; out.size() < count; ++tried) {
        std::uint32_t c;
        if (tried < kFirstColors.size()) {
            c = kFirstColors[tried];
        } else {
            const std::size_t g = tried - kFirstColors.size();
            const double lightness[] = {0.42, 0.3, 0.55, 0.22};
            c = Hsl(std::fmod(17 + 137.508 * static_cast<double>(g), 360), g % 2 ? 0.65 : 0.95, lightness[g / 7 % 4]);
        }
        while (!shows(c))
            c = Scaled(c, 0.92);
        bool far = true;
        for (const std::uint32_t other : chosen)
            far = far && c != other && ColorDistance(c, other) >= apart;
        if (!far) {
            if (++misses > 60) {
                apart *= 0.9;  // more boats than such colours: settle for closer ones
                misses = 0;
            }
            continue;
        }
        chosen.push_back(c);
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%06x", c);
        out.emplace_back(hex);
    }
    return out;
}

std::optional<std::array<double, 4>> ViewBox(const ReplayRace& race)
{
    const std::int64_t from = race.start + race.replay_from, to = race.start + race.replay_to;
    std::vector<ReplayBoat> within;
    within.reserve(race.boats.size());
    for (const ReplayBoat& b : race.boats) {
        ReplayBoat& w = within.emplace_back();
        for (std::size_t i = 0; i < b.time.size(); ++i)
            if (to <= from || (b.time[i] >= from && b.time[i] <= to)) {
                w.time.push_back(b.time[i]);
                w.lat.push_back(b.lat[i]);
                w.lon.push_back(b.lon[i]);
            }
    }
    auto box = TrackBox(within);
    const auto take = [&](double lat, double lon) {
        if (!box)
            box = std::array<double, 4>{lat, lon, lat, lon};
        auto& b = *box;
        b = {std::min(b[0], lat), std::min(b[1], lon), std::max(b[2], lat), std::max(b[3], lon)};
    };
    for (const ReplayMark& m : race.marks)
        take(m.lat, m.lon);
    for (const ReplayLine& l : race.lines) {
        take(l.lat1, l.lon1);
        take(l.lat2, l.lon2);
    }
    return box;
}

void PlaceMarksAndLines(const std::vector<std::array<double, 2>>& marks,
                        const std::vector<std::array<double, 4>>& lines, ReplayRace& race)
{
    const auto box = TrackBox(race.boats);
    // Near: inside the tracks' box grown by half its size and at least 0.1 degree.
    const auto near = [&](double lat, double lon) {
        if (!Plausible(lat, lon))
            return false;
        if (!box)
            return true;
        const auto& b = *box;
        const double margin = std::max({0.1, (b[2] - b[0]) / 2, (b[3] - b[1]) / 2});
        return lat >= b[0] - margin && lat <= b[2] + margin && lon >= b[1] - margin && lon <= b[3] + margin;
    };
    // Degrees as the file holds them, else minutes of arc; empty when neither fits.
    const auto place = [&](const double* values, std::size_t n) -> std::optional<std::vector<double>> {
        for (const double scale : {1.0, 60.0}) {
            std::vector<double> v(values, values + n);
            bool fits = true;
            for (std::size_t i = 0; i + 1 < n; i += 2) {
                v[i] /= scale;
                v[i + 1] /= scale;
                fits = fits && near(v[i], v[i + 1]);
            }
            if (fits)
                return v;
        }
        return std::nullopt;
    };
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const auto v = place(marks[k].data(), 2);
        if (v)
            race.marks.push_back({std::to_string(k + 1), (*v)[0], (*v)[1]});
        else
            race.notes.push_back("MK " + std::to_string(k + 1) + " left out: it lies near no track");
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const auto v = place(lines[k].data(), 4);
        if (v)
            race.lines.push_back({(*v)[0], (*v)[1], (*v)[2], (*v)[3], k + 1});
        else
            race.notes.push_back("LN " + std::to_string(k + 1) + " left out: it lies near no track");
    }
}

std::optional<std::vector<ReplayWind>> ReadWindFile(const std::string& path, std::string& why)
{
    std::string bytes;
    try {
        bytes = std::string(ReadWholeFile(path).view());
    } catch (const DataError& e) {
        why = e.what();
        return std::nullopt;
    }
    std::vector<ReplayWind> rows;
    std::int64_t line = 0;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string_view text = TrimBlanks(std::string_view(bytes).substr(at, end - at));
        at = end + 1;
        ++line;
        if (text.empty())
            continue;
        const std::size_t c1 = text.find(','), c2 = c1 == std::string_view::npos ? c1 : text.find(',', c1 + 1);
        const auto time = c1 == std::string_view::npos ? std::nullopt : ParseRaceDateTime(text.substr(0, c1));
        const auto direction = c2 == std::string_view::npos ? std::nullopt : ParseReal(TrimBlanks(text.substr(c1 + 1, c2 - c1 - 1)));
        const auto speed = c2 == std::string_view::npos ? std::nullopt : ParseReal(TrimBlanks(text.substr(c2 + 1)));
        if (!time || !direction || !speed) {
            if (rows.empty() && line == 1)
                continue;  // a header
            why = path + ":" + std::to_string(line) + ": not a wind row (date time,direction,speed)";
            return std::nullopt;
        }
        rows.push_back({ReplaySeconds(*time), static_cast<double>(*direction), static_cast<double>(*speed)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ReplayWind& a, const ReplayWind& b) { return a.time < b.time; });
    return rows;
}

ReplayRace ReadReplayRace(const std::string& app_dir, const std::string& race_file, const ReplayReadOptions& options,
                          RaceSettings* settings)
{
    const auto path = FindWorkspaceFile(app_dir + "raceadmin", race_file);
    if (!path)
        throw DataError(app_dir + "raceadmin/" + race_file, 0, "", "no such race file");
    RaceSettings race;
    race.BoatLimit = RaceSettings::kMaxReplayBoats;
    RaceFileSkips skipped;
    ReadRaceFile(*path, app_dir, 2, race, &skipped);
    ReplayRace out = MakeReplayRace(race, app_dir, race_file, options);
    if (skipped.full_boats > 0)
        out.notes.insert(out.notes.begin(),
                         BoatsPastLimitNote(skipped.full_boats, 2, RaceSettings::kMaxReplayBoats));
    if (race.BoatCount > RaceSettings::kMaxBoats) {
        out.boats_past_viewer = race.BoatCount - RaceSettings::kMaxBoats;
        out.notes.insert(out.notes.begin(), ViewerShowsFirstNote(race.BoatCount));
    }
    if (settings)
        *settings = std::move(race);
    return out;
}

ReplayRace MakeReplayRace(const RaceSettings& race, const std::string& app_dir, const std::string& race_file,
                          const ReplayReadOptions& options)
{
    ReplayRace out;
    out.file = race_file;
    out.title1 = race.Title1;
    out.title2 = race.Title2;
    out.time_diff = race.TimeDiff;
    out.start = ReplaySeconds(race.StartTime);
    out.finish = ReplaySeconds(race.FinishTime);
    out.replay_from = race.ReplayFrom;
    out.replay_to = race.ReplayTo;
    out.play_speed_pre = race.PlaySpeedPre;
    out.play_speed_after = race.PlaySpeedAfter;
    out.north_up = race.NorthUp;
    out.wind_dir = race.WindDir;
    out.mag_var = race.MagVar;
    out.course = race.CourseList;
    out.mark_count = race.MarkList.size();
    out.line_count = race.LineList.size();

    TrackStore track;
    TrackEditState edit;
    QuietLoad load;
    const bool utc = options.utc_fixes || options.analysis;
    // Per boat: its track file found, and why it gave no fixes.
    std::vector<std::optional<std::string>> paths(static_cast<std::size_t>(std::max(race.BoatCount, 0)));
    std::vector<std::string> errors(paths.size());
    VkxEvents timer;
    if (options.timer_starts)
        load.services.vkx_events = &timer;
    for (int i = 0; i < race.BoatCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        ReplayBoat boat;
        boat.name = race.BoatName[k];
        boat.file = race.BoatGpsFile[k];
        boat.shown = race.BoatShown[k] != 0;
        boat.entered = race.BoatEntered[k] != 0;
        boat.tcf = race.BoatTcf[k];
        boat.start_offset = race.BoatStartOffset[k];
        paths[k] = FindWorkspaceFile(app_dir + "gpsdat", boat.file);
        if (!paths[k])
            errors[k] = DataError(app_dir + "gpsdat/" + boat.file, 0, "", "no such file").what();
        else if (!options.tracks) {
            try {
                timer.list.clear();
                LoadTrackFile(*paths[k], track, edit, load.services);
                TakeFixes(track, race.TimeDiff, boat, utc);
                for (const VkxEvent& e : timer.list)
                    if (e.kind == VkxEvent::RaceStart)
                        boat.timer_starts.push_back((e.time - TrackEpoch) * SecondsPerDay);
            } catch (const DataError& e) {
                errors[k] = e.what();
            }
        }
        out.boats.push_back(std::move(boat));
    }
    if (options.tracks) {
        // Files other races are reading now come last, so that two races
        // read side by side read different files rather than wait in turn.
        std::vector<bool> pending(paths.size());
        for (std::size_t k = 0; k < paths.size(); ++k)
            pending[k] = paths[k].has_value();
        for (const bool wait : {false, true})
            for (std::size_t k = 0; k < paths.size(); ++k) {
                const TrackCache::Track* cached = pending[k] ? options.tracks->Find(*paths[k], wait) : nullptr;
                if (!cached)
                    continue;
                pending[k] = false;
                if (cached->error.empty())
                    TakeFixes(cached->store, race.TimeDiff, out.boats[k], utc);
                else
                    errors[k] = cached->error;
            }
    }
    for (std::size_t k = 0; k < out.boats.size(); ++k) {
        const ReplayBoat& boat = out.boats[k];
        if (!errors[k].empty())
            out.notes.push_back(boat.name + ": " + errors[k]);
        if (boat.time.empty() && out.notes.empty())
            out.notes.push_back(boat.name + ": no fix in " + boat.file);
    }
    const auto colors = BoatColors(out.boats.size());
    for (std::size_t k = 0; k < out.boats.size(); ++k)
        out.boats[k].color = colors[k];
    PlaceMarksAndLines(race.MarkList, race.LineList, out);

    if (options.land) {
        auto box = TrackBox(out.boats);
        for (const ReplayMark& m : out.marks)
            if (box)
                *box = {std::min((*box)[0], m.lat), std::min((*box)[1], m.lon), std::max((*box)[2], m.lat),
                        std::max((*box)[3], m.lon)};
        if (box) {
            // Room to pan and zoom out: half the area's size and at least 4 km.
            auto& b = *box;
            const double margin = std::max({0.04, (b[2] - b[0]) / 2, (b[3] - b[1]) / 2});
            b = {std::max(-90.0, b[0] - margin), std::max(-180.0, b[1] - margin), std::min(90.0, b[2] + margin),
                 std::min(180.0, b[3] + margin)};
            out.land = ReadShoreline(b, out.land_note);
            out.land_box = b;
        } else {
            out.land_note = "no fix places the race on the map";
        }
    }

    if (!race.WindFile.empty()) {
        std::string why;
        const auto wind_path = FindWorkspaceFile(app_dir + "winddat", race.WindFile);
        const auto rows = wind_path ? ReadWindFile(*wind_path, why) : std::nullopt;
        if (rows)
            out.wind = *rows;
        else
            out.notes.push_back("The wind file " + race.WindFile + " does not read" + (why.empty() ? "" : ": " + why) +
                                "; the wind shown is the race's wind direction");
    }

    if (options.pictures) {
        const std::string folder = PictureFolderPath(race.PicFolder);
        if (!folder.empty()) {
            const std::int64_t from = out.start + out.replay_from - 30, to = out.start + out.replay_to + 30;
            for (const PictureFile& file : ListPictureFiles(folder)) {
                const std::string picture = folder + "/" + file.name;
                const auto taken = ReadCaptureTime(picture);
                if (!taken)
                    continue;
                const std::int64_t time =
                    ReplaySeconds(*taken) + static_cast<std::int64_t>(std::llround(race.PicTimeCorr));
                if (time >= from && time <= to)
                    out.pictures.push_back({picture, file.name, time});
            }
        }
    }
    if (options.analysis)
        AddAnalysis(race, out);
    return out;
}

} // namespace tackedit
