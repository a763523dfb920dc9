#include "distribution/distribution_core.h"

#include "pictures/picture_index.h"
#include "platform/null_platform.h"
#include "platform/text_codec.h"
#include "race/race_file.h"
#include "replay/replay_builder.h"
#include "replay/single_file.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/format_common.h"
#include "base/workspace_files.h"
#include "base/workspace_paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

// Files written at once: waiting on the disk, not the processor.
constexpr int kCopyThreads = 8;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

void MakeFolder(const std::string& path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        return;
    if (!fs::create_directory(path, error) || !fs::is_directory(path))
        throw DataError(path, 0, "", "cannot create the folder: " +
                                         (error ? error.message() : std::string("a file of that name exists")));
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

// The files of a build, gathered first and then written by several threads:
// most of a build's time is the disk flushing each finished file, and flushes
// of different files overlap. A later write to the same target replaces an
// earlier one, as it would have on disk.
class WritePlan {
public:
    // Copies workspace file `name` (found without regard to case) to `target`;
    // a missing or unsafe name copies nothing.
    void CopyWorkspaceFile(const std::string& folder, const std::string& name, const std::string& target)
    {
        if (const auto source = FindWorkspaceFile(folder, name))
            Add({*source, {}, target});
    }
    void Copy(const std::string& source, const std::string& target) { Add({source, {}, target}); }
    void Write(const std::string& target, std::string data) { Add({{}, std::move(data), target}); }
    // True when the target exists or is to be written.
    bool Has(const std::string& target) const { return index_.count(target) > 0 || Exists(target); }

    void Run(int threads)
    {
        std::atomic<std::size_t> next{0};
        std::mutex mutex;
        std::exception_ptr failure;
        auto work = [&] {
            for (std::size_t i; (i = next++) < writes_.size();) {
                {
                    const std::lock_guard lock(mutex);
                    if (failure)
                        return;
                }
                try {
                    const Planned& w = writes_[i];
                    if (w.source.empty())
                        WriteFileAtomically(w.target, w.data);
                    else
                        CopyFileAtomically(w.source, w.target);
                } catch (...) {
                    const std::lock_guard lock(mutex);
                    if (!failure)
                        failure = std::current_exception();
                }
            }
        };
        std::vector<std::thread> pool;
        for (int i = 1; i < threads && static_cast<std::size_t>(i) < writes_.size(); ++i)
            pool.emplace_back(work);
        work();
        for (std::thread& t : pool)
            t.join();
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    struct Planned {
        std::string source, data, target;
    };
    void Add(Planned write)
    {
        if (const auto it = index_.find(write.target); it != index_.end()) {
            writes_[it->second] = std::move(write);
            return;
        }
        index_[write.target] = writes_.size();
        writes_.push_back(std::move(write));
    }

    std::vector<Planned> writes_;
    std::map<std::string, std::size_t> index_;
};

std::string Cp932Line(const std::string& text, const std::string& file, const std::string& what)
{
    std::string bad;
    const auto bytes = Utf8ToCp932(text, &bad);
    if (!bytes)
        throw DataError(file, 0, text,
                        what + " '" + text + "' contains '" + bad + "', which cannot be stored in the file");
    return *bytes + "\r\n";
}

void PlanRaceFiles(const RaceSettings& race, const std::string& app_dir, const std::string& dist, WritePlan& plan)
{
    for (const std::string& file : race.BoatGpsFile)
        if (IsBareFileName(file) && !plan.Has(dist + "/gpsdat/" + file))
            plan.CopyWorkspaceFile(app_dir + "gpsdat", file, dist + "/gpsdat/" + file);
    // The wind file is copied for every race that names it, replacing the last copy.
    if (IsBareFileName(race.WindFile))
        plan.CopyWorkspaceFile(app_dir + "winddat", race.WindFile, dist + "/winddat/" + race.WindFile);
    for (const std::string& name : race.AttachmentNames)
        if (IsBareFileName(name) && !plan.Has(dist + "/attachment/" + name))
            plan.CopyWorkspaceFile(app_dir + "attachment", name, dist + "/attachment/" + name);
    for (const std::string& map : race.MapNames) {
        const std::string file = Lower(map).find(".cst") == std::string::npos ? map + ".cst" : map;
        if (IsBareFileName(file) && !plan.Has(dist + "/coastline/" + file))
            plan.CopyWorkspaceFile(app_dir + "coastline", file, dist + "/coastline/" + file);
    }
    if (race.Lighthouse && !plan.Has(dist + "/coastline/jlh.lh"))
        plan.CopyWorkspaceFile(app_dir + "coastline", "jlh.lh", dist + "/coastline/jlh.lh");
}

// The files directly inside a folder (no subfolders), links only when they
// resolve inside `root`.
std::vector<std::string> FolderFiles(const std::string& folder, const std::string& root)
{
    std::error_code error;
    std::vector<std::string> names;
    if (!fs::is_directory(folder, error))
        return names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (IsRegularFileInside(it->path(), root))
            names.push_back(it->path().filename().string());
    if (error)
        throw DataError(folder, 0, "", "cannot list the folder: " + error.message());
    return names;
}

void PlanFolderFiles(const std::string& from_folder, const std::string& to_folder, const std::string& workspace,
                     WritePlan& plan)
{
    for (const std::string& name : FolderFiles(from_folder, workspace))
        plan.Copy(from_folder + "/" + name, to_folder + "/" + name);
}

} // namespace

AddRaceResult ChooseDistRaceFile(DistributionPlayList& list, const std::string& name, const std::string& app_dir,
                                 int ui_language, RaceSettings& race)
{
    auto& files = list.DistRaceFiles;
    if (std::find(files.begin(), files.end(), name) != files.end())
        return AddRaceResult::Duplicate;
    if (files.size() >= DistributionPlayList::kMaxRaces)
        return AddRaceResult::Full;
    files.push_back(name);
    if (list.DistPictureFlag == 0) {
        race.PictureCount = 0;
        race.PicFolder.clear();
        const std::string folder = app_dir + "raceadmin";
        ReadRaceFile(FindWorkspaceFile(folder, name).value_or(folder + "/" + name), app_dir, ui_language, race);
        std::error_code error;
        const std::string pictures = PictureFolderPath(race.PicFolder);
        if (!pictures.empty() && fs::is_directory(pictures, error))
            list.DistPictureFlag = 1;
    }
    return AddRaceResult::Added;
}

std::optional<std::string> DistributionNameProblem(const std::string& name)
{
    if (name.empty())
        return std::string("The folder name is empty.");
    return WindowsNameProblem(name, "folder name");
}

std::string DistributionDir(const std::string& app_dir, const std::string& name)
{
    return app_dir + "distribution/" + name;
}

std::optional<std::string> ExistingDistributionFolder(const std::string& app_dir, const std::string& name)
{
    std::error_code error;
    const std::string exact = DistributionDir(app_dir, name);
    if (fs::is_directory(exact, error))
        return exact;
    const std::string wanted = Lower(name);
    for (fs::directory_iterator it(app_dir + "distribution", error), end; !error && it != end; it.increment(error))
        if (Lower(it->path().filename().string()) == wanted && it->is_directory(error))
            return it->path().string();
    return std::nullopt;
}

void CopyFolderFiles(const std::string& from_folder, const std::string& to_folder)
{
    for (const std::string& name : FolderFiles(from_folder, from_folder))
        CopyFileAtomically(from_folder + "/" + name, to_folder + "/" + name);
}

std::string DistributionPicLine(const std::string& race_file, const RaceSettings& race)
{
    return "PIC,PIC\\" + race_file.substr(0, race_file.find('.')) + "," + FormatGeneralNumber(race.PicTimeCorr) +
           "," + std::to_string(race.PicSize);
}

std::string WithoutPicLines(std::string_view bytes)
{
    // Tags and separators are ASCII, which no Shift-JIS trail byte is.
    std::string kept;
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t newline = bytes.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        const std::string_view line = bytes.substr(begin, end - begin);
        const std::string_view text = TrimBlanks(line);
        const std::string tag = Lower(std::string(TrimBlanks(text.substr(0, text.find(',')))));
        if (tag != "pic")
            kept += line;
        begin = end;
    }
    return kept;
}

std::vector<std::string> PicturesFromOutside(const DistributionPlayList& list, const std::string& app_dir,
                                             const std::string& dist)
{
    std::vector<std::string> named;
    for (const std::string& name : list.DistRaceFiles) {
        const auto source = FindWorkspaceFile(app_dir + "raceadmin", name);
        std::error_code error;
        if (!source || !fs::is_directory(dist + "/pic/" + name.substr(0, name.find('.')), error))
            continue;
        RaceSettings race;
        try {
            ReadRaceFile(*source, app_dir, 2, race);
        } catch (const DataError&) {
            continue;
        }
        if (PictureFolderOutsideWorkspace(app_dir, race.PicFolder))
            named.push_back(name + ": " + race.PicFolder);
    }
    return named;
}

namespace {
// Everything of the distribution but its folder, which BuildDistribution owns.
void FillDistribution(const DistributionPlayList& list, const DistributionOptions& options, const std::string& dist,
                      RaceSettings& race);
} // namespace

namespace {

void PutInPlace(const std::string& building, const std::string& dist, const DistributionOptions& options,
                const std::string& name)
{
    std::string trashed;
    if (const auto old = ExistingDistributionFolder(options.app_dir, name)) {
        if (!options.replace)
            throw DataError(*old, 0, "", "a distribution folder of this name exists now; it is kept as it was "
                                         "and this build is dropped");
        if (!options.move_to_trash || !options.move_to_trash(*old))
            throw DataError(*old, 0, "", "cannot move the old distribution folder to the trash; it is kept as it "
                                         "was and this build is dropped");
        if (Exists(*old))
            throw DataError(*old, 0, "", "the old distribution folder is still there after moving it to the "
                                         "trash; it is kept and this build is dropped");
        trashed = *old;
    }
    if (!RenameIntoPlace(building, dist)) {
        const std::string why = std::strerror(errno);
        throw DataError(dist, 0, "", "cannot put the new distribution folder in place: " + why +
                                         (trashed.empty() ? std::string()
                                                          : "; the old folder " + trashed +
                                                                " is in the desktop's trash"));
    }
}

} // namespace

namespace {

// The browser replay of the play list in replay/, its pictures the
// distribution's own reduced copies.
void AddReplay(const DistributionPlayList& list, const DistributionOptions& options, const std::string& building)
{
    ReplayBuildOptions replay;
    replay.app_dir = options.app_dir;
    replay.pictures = options.export_pictures;
    // As the viewer's play list, without the race files that are gone.
    std::vector<std::string> races;
    for (const std::string& name : list.DistRaceFiles)
        if (FindWorkspaceFile(options.app_dir + "raceadmin", name))
            races.push_back(name);
    const std::string folder = building + "/replay";
    MakeFolder(folder);
    const auto copy = [&](std::size_t, const std::string& race_file, const ReplayPicture& picture) {
        const std::string name = "pic/" + race_file.substr(0, race_file.find('.')) + "/s_" + picture.name;
        std::error_code error;
        return fs::is_regular_file(building + "/" + name, error) ? name : std::string();
    };
    WriteReplay(races, folder, replay, [&](std::size_t k, const std::string& race_file, const ReplayPicture& picture) {
        const std::string name = copy(k, race_file, picture);
        return name.empty() ? name : "../" + name;
    });
    if (options.replay_file)
        WriteFileAtomically(building + "/replay.html",
                            SingleFileReplay(RaceFiles(races, replay), replay,
                                             [&](std::size_t k, const std::string& race_file, const ReplayPicture& p) {
                                                 const std::string name = copy(k, race_file, p);
                                                 return name.empty() ? name : building + "/" + name;
                                             }));
}

} // namespace

std::string BuildDistribution(const DistributionPlayList& list, const DistributionOptions& options,
                              RaceSettings& race)
{
    const std::string& app_dir = options.app_dir;
    if (const auto problem = DistributionNameProblem(list.DistName))
        throw DataError(app_dir + "distribution", 0, list.DistName, *problem);
    MakeFolder(app_dir + "distribution");
    const std::string dist = DistributionDir(app_dir, list.DistName);
    // distribution/ may be a link that leads back into the workspace.
    if (const auto clash = OutputFolderClash(app_dir, dist, {}))
        throw DataError(dist, 0, "", *clash);
    const std::string building = MakeBuildingFolder(app_dir + "distribution", list.DistName);
    try {
        FillDistribution(list, options, building, race);
        if (options.finish)
            options.finish(building);
        AddReplay(list, options, building);
        PutInPlace(building, dist, options, list.DistName);
    } catch (const DataError& e) {
        std::error_code ignored;
        fs::remove_all(building, ignored);
        // The user knows the folder by its final name.
        if (e.file().starts_with(building))
            throw DataError(dist + e.file().substr(building.size()), e.line(), e.text(), e.message());
        throw;
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(building, ignored);
        throw;
    }
    return dist;
}

namespace {

// Whether ExportDistributionPictures will write pictures for the race just read:
// its folder exists and holds a picture inside the race.
bool PicturesExported(const DistributionPlayList& list, const DistributionOptions& options, RaceSettings& race)
{
    std::error_code error;
    const std::string folder = PictureFolderPath(race.PicFolder);
    if (!options.export_pictures || list.DistPictureFlag != 1 || folder.empty() || !fs::is_directory(folder, error))
        return false;
    PictureIndex index;
    NullPendingEvents events;
    IndexPictures(race, index, events);
    return race.PictureCount > 0;
}

void FillDistribution(const DistributionPlayList& list, const DistributionOptions& options, const std::string& dist,
                      RaceSettings& race)
{
    const std::string& app_dir = options.app_dir;
    for (const char* folder : {"raceadmin", "gpsdat", "winddat", "coastline", "attachment", "help", "vd"})
        MakeFolder(dist + "/" + folder);
    if (list.DistPictureFlag == 1)
        MakeFolder(dist + "/pic");

    WritePlan plan;
    plan.CopyWorkspaceFile(app_dir, options.viewer_exe, dist + "/" + options.viewer_exe);
    if (options.attach_help)
        PlanFolderFiles(app_dir + "help", dist + "/help", app_dir, plan);
    PlanFolderFiles(app_dir + "vd", dist + "/vd", app_dir, plan);
    const std::string play_list = dist + "/raceadmin/racefile.st";
    std::string text;
    for (const std::string& name : list.DistRaceFiles)
        text += Cp932Line(name, play_list, "The race file name");
    plan.Write(play_list, text);
    plan.CopyWorkspaceFile(app_dir + "raceadmin", "cover.jpg", dist + "/raceadmin/cover.jpg");

    for (const std::string& name : list.DistRaceFiles) {
        // A race file that has disappeared since it was chosen is skipped whole.
        const auto source = FindWorkspaceFile(app_dir + "raceadmin", name);
        if (!source)
            continue;
        ReadRaceFile(*source, app_dir, options.ui_language, race);
        const std::string target = dist + "/raceadmin/" + name;
        // The copy names the folder its pictures are written to, or none: a
        // path of this computer means nothing where the copy is played.
        const FileBytes bytes = ReadWholeFile(*source);
        std::string copy = WithoutPicLines(bytes.view());
        bytes.ThrowIfChanged();
        if (PicturesExported(list, options, race)) {
            const std::string line = DistributionPicLine(name, race);
            if (std::count(line.begin(), line.end(), ',') != 3)
                throw DataError(*source, 0, name, "the race file name '" + name + "' contains a comma, which the "
                                                  "picture line of its copy cannot hold");
            // The appended line must not run on from an unterminated last line.
            if (!copy.empty() && copy.back() != '\n' && copy.back() != '\r')
                copy += "\r\n";
            copy += Cp932Line(line, target, "The race file name");
        }
        plan.Write(target, std::move(copy));
        PlanRaceFiles(race, app_dir, dist, plan);
    }
    plan.Run(kCopyThreads);
}

} // namespace

} // namespace tackedit
