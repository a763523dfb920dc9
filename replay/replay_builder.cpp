#include "replay/replay_builder.h"

#include "pictures/picture_reduce.h"
#include "replay/packing.h"
#include "replay/replay_analysis.h"
#include "replay/results_page.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/workspace_paths.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, std::string_view bytes, const std::string& shown_as)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw DataError(shown_as, 0, "", "cannot be written");
}

// A name for the page: letters, digits, "-", "_" and "." only.
std::string SafeName(const std::string& name)
{
    std::string out;
    for (const char c : name)
        out.push_back((std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_');
    return out.empty() || out[0] == '.' ? "_" + out : out;
}

// The name itself, or with "-2", "-3" ... before its extension when another
// picture of the folder took it already. Names are compared without regard to
// case: the folder may sit on a case-blind file system.
std::string UnusedName(const std::string& name, std::set<std::string>& taken)
{
    const auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const std::size_t dot = name.rfind('.');
    const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    std::string candidate = name;
    for (int n = 2; !taken.insert(lower(candidate)).second; ++n)
        candidate = name.substr(0, cut) + "-" + std::to_string(n) + name.substr(cut);
    return candidate;
}

} // namespace

std::string EncodeFixes(const ReplayBoat& boat)
{
    std::string bytes;
    bytes.reserve(boat.time.size() * 4);
    for (std::size_t i = 0; i < boat.time.size(); ++i) {
        if (i == 0) {
            Varint(bytes, Zigzag(boat.time[0]));
            Varint(bytes, Zigzag(boat.lat[0]));
            Varint(bytes, Zigzag(boat.lon[0]));
            continue;
        }
        Varint(bytes, static_cast<std::uint64_t>(boat.time[i] - boat.time[i - 1]));
        Varint(bytes, Zigzag(std::int64_t{boat.lat[i]} - boat.lat[i - 1]));
        Varint(bytes, Zigzag(std::int64_t{boat.lon[i]} - boat.lon[i - 1]));
    }
    return Base64(bytes);
}

std::string RaceScript(const ReplayRace& race, const std::vector<std::string>& pictures,
                       const std::vector<std::string>& urls)
{
    using nlohmann::ordered_json;
    ordered_json boats = ordered_json::array();
    for (const ReplayBoat& b : race.boats)
        boats.push_back({{"name", b.name}, {"color", b.color}, {"shown", b.shown}, {"entered", b.entered},
                         {"tcf", b.tcf}, {"startOffset", b.start_offset}, {"fixes", b.time.size()},
                         {"track", EncodeFixes(b)}});
    ordered_json marks = ordered_json::array(), lines = ordered_json::array(), wind = ordered_json::array(),
                 shots = ordered_json::array();
    for (const ReplayMark& m : race.marks)
        marks.push_back({{"label", m.label}, {"lat", m.lat}, {"lon", m.lon}});
    for (const ReplayLine& l : race.lines)
        lines.push_back({{"lat1", l.lat1}, {"lon1", l.lon1}, {"lat2", l.lat2}, {"lon2", l.lon2}});
    for (const ReplayWind& w : race.wind)
        wind.push_back({w.time, w.direction, w.speed});
    for (std::size_t i = 0; i < race.pictures.size() && i < pictures.size(); ++i) {
        shots.push_back({{"src", pictures[i]}, {"time", race.pictures[i].time}});
        if (i < urls.size() && !urls[i].empty())
            shots.back()["url"] = urls[i];
    }
    ordered_json land = nullptr, land_box = nullptr;
    const auto rounded = [](double v) { return std::round(v * 1e5) / 1e5; };
    if (race.land) {
        land_box = ordered_json::array();
        for (const double v : race.land_box)
            land_box.push_back(rounded(v));
        land = ordered_json::array();
        for (const auto& polygon : *race.land) {
            ordered_json flat = ordered_json::array();
            for (const double v : polygon)
                flat.push_back(rounded(v));
            land.push_back(std::move(flat));
        }
    }
    ordered_json view = nullptr;
    if (const auto box = ViewBox(race)) {
        view = ordered_json::array();
        for (const double v : *box)
            view.push_back(std::round(v * 1e6) / 1e6);
    }
    ordered_json data = {{"file", race.file}, {"title1", race.title1}, {"title2", race.title2},
                               {"timeDiff", race.time_diff}, {"start", race.start}, {"finish", race.finish},
                               {"replayFrom", race.replay_from}, {"replayTo", race.replay_to},
                               {"playSpeedPre", race.play_speed_pre}, {"playSpeedAfter", race.play_speed_after},
                               {"northUp", race.north_up}, {"windDir", race.wind_dir}, {"magVar", race.mag_var},
                               {"boats", boats}, {"marks", marks}, {"lines", lines}, {"markCount", race.mark_count},
                               {"lineCount", race.line_count}, {"course", race.course},
                               {"notes", race.notes}, {"wind", wind}, {"pictures", shots}, {"land", land},
                               {"landBox", land_box}, {"landNote", race.land_note},
                               {"view", view}};
    // The analysis and the results it gives; the page works out neither.
    std::string why_no_results;
    data["results"] = ResultsScript(race, why_no_results);
    data["resultsNote"] = why_no_results;
    data["analysis"] = AnalysisScript(race);
    // "</" could end the script early where a page inlines it; JSON lets "\/" stand for "/".
    std::string json = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    for (std::size_t at = json.find("</"); at != std::string::npos; at = json.find("</", at + 3))
        json.replace(at, 2, "<\\/");
    return "(window.TACK_RACES = window.TACK_RACES || []).push(" + json + ");\n";
}

ReplayRaces RaceFiles(const std::vector<std::string>& race_files, const ReplayBuildOptions& options)
{
    ReplayRaces races;
    races.count = race_files.size();
    races.file = [race_files](std::size_t k) { return race_files[k]; };
    races.read = [race_files, app_dir = options.app_dir, pictures = options.pictures](std::size_t k) {
        ReplayReadOptions read;
        read.pictures = pictures;
        read.analysis = true;
        return ReadReplayRace(app_dir, race_files[k], read);
    };
    return races;
}

RaceResultsPage ResultsPageOf(const ReplayRace& race, const std::string& file)
{
    RaceResultsPage page;
    page.file = file;
    page.title = race.title1;
    page.results = ReplayResults(race, page.why);
    if (!page.results && page.why.empty())
        page.why = "the race was read without its analysis";
    return page;
}

void WriteReplay(const std::vector<std::string>& race_files, const std::string& folder,
                 const ReplayBuildOptions& options, const ReplayPictureSource& pictures)
{
    WriteReplay(RaceFiles(race_files, options), folder, options, pictures);
}

void BuildReplay(const std::vector<std::string>& race_files, const std::string& out_dir,
                 const ReplayBuildOptions& options)
{
    BuildReplay(RaceFiles(race_files, options), out_dir, options);
}

void WriteReplay(const ReplayRaces& races, const std::string& folder, const ReplayBuildOptions& options,
                 const ReplayPictureSource& pictures)
{
    const fs::path building(folder);
    std::set<std::string> taken;  // in the race's picture folder
    const auto reduced_copy = [&](std::size_t k, const std::string&, const ReplayPicture& picture) -> std::string {
        const std::string name =
            "pictures/race-" + std::to_string(k + 1) + "/" + UnusedName(SafeName(picture.name), taken);
        try {
            const FileBytes jpeg = ReadWholeFile(picture.source);
            const ReducedPicture reduced = ReduceJpeg(jpeg.view(), 1280, 80, picture.source, false);
            WriteFile(building / name, reduced.jpeg, (building / name).string());
            return name;
        } catch (const DataError&) {
            return "";  // the page goes on without it
        }
    };
    std::string script_tags;
    std::vector<RaceResultsPage> results;
    for (std::size_t k = 0; k < races.count; ++k) {
        const std::string file = races.file(k);
        if (options.progress)
            options.progress(file);
        const ReplayRace race = races.read(k);
        const std::string id = "race-" + std::to_string(k + 1);
        std::vector<std::string> names;
        taken.clear();
        for (const ReplayPicture& picture : race.pictures)
            names.push_back(pictures ? pictures(k, file, picture) : reduced_copy(k, file, picture));
        WriteFile(building / "races" / (id + ".js"), RaceScript(race, names), (building / "races" / (id + ".js")).string());
        script_tags += "<script src=\"races/" + id + ".js\"></script>\n";
        results.push_back(ResultsPageOf(race, file));
    }
    WriteFile(building / "results.html", ResultsPageHtml(results), (building / "results.html").string());
    for (const WebFile& file : ReplayWebFiles()) {
        std::string bytes(reinterpret_cast<const char*>(file.bytes), file.size);
        if (std::string_view(file.path) == "index.html") {
            const std::string mark = "<!-- tackedit:races -->";
            const std::size_t at = bytes.find(mark);
            if (at != std::string::npos)
                bytes.replace(at, mark.size(), script_tags);
        }
        WriteFile(building / file.path, bytes, (building / file.path).string());
    }
}

namespace {

// The file a replay build leaves in its folder, so that --replace and the
// window's own replay only ever remove a folder such a build wrote.
constexpr const char* kReplayMark = ".tackedit-replay";

bool IsFolderNotLink(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

bool IsReplayFolder(const fs::path& folder)
{
    std::error_code ec;
    return IsFolderNotLink(folder) && fs::is_regular_file(fs::symlink_status(folder / kReplayMark, ec));
}

// A folder of the window's replay from before the mark: nothing in it but
// what the page is made of.
bool HasReplayShape(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(folder / "index.html", ec)))
        return false;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        bool ours = name == "races" || name == "pictures";
        for (const WebFile& file : ReplayWebFiles())
            ours = ours || name == fs::path(file.path).begin()->string();
        if (!ours)
            return false;
    }
    return !ec;
}

enum class Build { Named, Control };

void PutReplayInPlace(const ReplayRaces& races, const fs::path& target, const std::string& out_dir,
                      const ReplayBuildOptions& options, Build kind)
{
    const auto replaceable = [&] {
        return IsReplayFolder(target) || (kind == Build::Control && IsFolderNotLink(target) && HasReplayShape(target));
    };
    const auto refuse = [&](const std::string& why) { throw DataError(out_dir, 0, "", why); };
    const auto check_target = [&](bool at_end) {
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(target, ec)))
            return false;
        if (!options.replace)
            refuse(at_end ? "appeared while this replay was built; it is kept and this build is dropped"
                          : "already exists; --replace moves it to the trash first");
        if (!replaceable())
            refuse(std::string(IsFolderNotLink(target) ? "is a folder" : "is a file or link") +
                   " that no replay build wrote; it is kept" +
                   (kind == Build::Named ? " (--replace replaces only a replay folder)" : ", so move it away"));
        return true;
    };
    check_target(false);
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(parent, ec))
        throw DataError(parent.string(), 0, "", "no such folder");
    const fs::path building(MakeBuildingFolder(parent.string(), target.filename().string()));
    try {
        try {
            WriteReplay(races, building.string(), options);
            WriteFile(building / kReplayMark, "tackedit replay\n", (building / kReplayMark).string());
        } catch (const DataError& e) {
            // The user knows the folder by its final name.
            if (e.file().starts_with(building.string()))
                throw DataError(target.string() + e.file().substr(building.string().size()), e.line(), e.text(),
                                e.message());
            throw;
        }
        // Checked again: another build may have put its folder there meanwhile.
        if (check_target(true)) {
            if (!options.move_to_trash || !options.move_to_trash(target.string()) ||
                fs::exists(fs::symlink_status(target, ec)))
                refuse("cannot be moved to the trash");
        }
        if (!RenameIntoPlace(building.string(), target.string())) {
            if (errno == EEXIST || errno == ENOTEMPTY)
                refuse("appeared while this replay was built; it is kept and this build is dropped");
            refuse(std::string("cannot be put in place: ") + std::strerror(errno));
        }
    } catch (...) {
        fs::remove_all(building, ec);
        throw;
    }
}

} // namespace

void BuildReplay(const ReplayRaces& races, const std::string& out_dir, const ReplayBuildOptions& options)
{
    if (const auto clash = OutputFolderClash(options.app_dir, out_dir, options.inputs))
        throw DataError(out_dir, 0, "", *clash);
    fs::path target = fs::path(out_dir).lexically_normal();
    if (target.has_relative_path() && target.filename().empty())
        target = target.parent_path();  // "out/" is the folder out
    PutReplayInPlace(races, target, out_dir, options, Build::Named);
}

std::string BuildControlReplay(const ReplayRaces& races, const std::string& app_dir)
{
    ReplayBuildOptions options;
    options.app_dir = app_dir;
    options.replace = true;
    options.move_to_trash = [](const std::string& path) {
        std::error_code error;
        fs::remove_all(path, error);
        return !error;
    };
    std::error_code ignored;
    fs::create_directories(app_dir + "ctrl", ignored);
    const std::string folder = app_dir + "ctrl/replay";
    PutReplayInPlace(races, fs::path(folder), folder, options, Build::Control);
    return folder + "/index.html";
}

} // namespace tackedit
