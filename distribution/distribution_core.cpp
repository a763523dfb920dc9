#include "distribution/distribution_core.h"

#include "pictures/picture_index.h"
#include "platform/text_codec.h"
#include "race/race_file.h"
#include "track/atomic_write.h"
#include "track/data_error.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"
#include "track/workspace_files.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

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
        throw DataError(file, 0, text, what + " '" + text + "' contains '" + bad + "', which Shift-JIS cannot hold");
    return *bytes + "\r\n";
}

std::string LastComponent(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

// The files directly inside a folder (no subfolders).
std::vector<std::string> FolderFiles(const std::string& folder)
{
    std::error_code error;
    std::vector<std::string> names;
    if (!fs::is_directory(folder, error))
        return names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error))
            names.push_back(it->path().filename().string());
    if (error)
        throw DataError(folder, 0, "", "cannot list the folder: " + error.message());
    return names;
}

void PlanFolderFiles(const std::string& from_folder, const std::string& to_folder, WritePlan& plan)
{
    for (const std::string& name : FolderFiles(from_folder))
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
    for (const std::string& name : FolderFiles(from_folder))
        CopyFileAtomically(from_folder + "/" + name, to_folder + "/" + name);
}

std::string DistributionPicLine(const RaceSettings& race)
{
    return "PIC,PIC\\" + LastComponent(race.PicFolder) + "," + FormatGeneralNumber(race.PicTimeCorr) + "," +
           std::to_string(race.PicSize);
}

namespace {
// Everything of the distribution but its folder, which BuildDistribution owns.
void FillDistribution(const DistributionPlayList& list, const DistributionOptions& options, const std::string& dist,
                      RaceSettings& race);
} // namespace

bool DiscardDistribution(const std::string& dist)
{
    std::error_code error;
    std::filesystem::remove_all(dist, error);
    return !error;
}

std::string BuildDistribution(const DistributionPlayList& list, const DistributionOptions& options,
                              RaceSettings& race)
{
    const std::string& app_dir = options.app_dir;
    if (const auto problem = DistributionNameProblem(list.DistName))
        throw DataError(app_dir + "distribution", 0, list.DistName, *problem);
    MakeFolder(app_dir + "distribution");
    const std::string dist = DistributionDir(app_dir, list.DistName);
    if (const auto old = ExistingDistributionFolder(app_dir, list.DistName))
        if (!options.move_to_trash || !options.move_to_trash(*old))
            throw DataError(*old, 0, "", "cannot move the old distribution folder to the trash");
    MakeFolder(dist);
    try {
        FillDistribution(list, options, dist, race);
    } catch (...) {
        DiscardDistribution(dist);
        throw;
    }
    return dist;
}

namespace {

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
        PlanFolderFiles(app_dir + "help", dist + "/help", plan);
    PlanFolderFiles(app_dir + "vd", dist + "/vd", plan);
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
        if (race.PicFolder.empty()) {
            plan.Copy(*source, target);
        } else {
            if (LastComponent(race.PicFolder).find(',') != std::string::npos)
                throw DataError(*source, 0, race.PicFolder,
                                "the picture folder '" + race.PicFolder + "' contains a comma, which the race file "
                                                                          "cannot hold");
            const FileBytes bytes = ReadWholeFile(*source);
            std::string copy(bytes.view());
            bytes.ThrowIfChanged();
            // The appended line must not run on from an unterminated last line.
            if (!copy.empty() && copy.back() != '\n' && copy.back() != '\r')
                copy += "\r\n";
            copy += Cp932Line(DistributionPicLine(race), target, "The picture folder");
            plan.Write(target, std::move(copy));
        }
        PlanRaceFiles(race, app_dir, dist, plan);
    }
    plan.Run(kCopyThreads);
}

} // namespace

} // namespace tackedit
