#include "pictures/picture_index.h"

#include "pictures/photo_metadata.h"
#include "race/race_file.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <filesystem>

namespace tackedit {

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

} // namespace

std::string PictureFolderPath(const std::string& pic_folder)
{
    // A folder reached through ".." may lie anywhere: it counts as missing.
    if (ReachesUpward(pic_folder))
        return {};
    std::string path = pic_folder;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::vector<PictureFile> ListPictureFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<PictureFile> files;
    std::error_code error;
    for (fs::directory_iterator it(PictureFolderPath(folder), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string lower = Lower(name);
        if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".jpg") != 0)
            continue;
        // A link out of the folder could pack any picture of this computer.
        if (!IsRegularFileInside(it->path(), PictureFolderPath(folder)))
            continue;
        std::error_code file_error;
        const std::uintmax_t bytes = it->file_size(file_error);
        files.push_back({name, file_error ? 0 : bytes});
    }
    std::sort(files.begin(), files.end(), [](const PictureFile& a, const PictureFile& b) {
        const std::string la = Lower(a.name), lb = Lower(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
    return files;
}

void IndexPictures(RaceSettings& race, PictureIndex& index, PendingEvents& events)
{
    index = PictureIndex();
    race.PictureCount = 0;
    race.PictureFileCount = 0;
    const std::string folder = PictureFolderPath(race.PicFolder);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return;
    const std::vector<PictureFile> files = ListPictureFiles(folder);
    race.PictureFileCount = static_cast<int>(files.size());
    for (const PictureFile& file : files)
        index.PictureTotalKB += static_cast<std::int64_t>(file.bytes / 1024);

    for (const PictureFile& file : files) {
        events.ProcessPendingEvents();
        const PhotoCaptureTime capture = ReadPhotoCaptureTime(folder + "/" + file.name);
        if (!capture.readable)
            ++index.UnreadableCount;
        const std::string& time = capture.text;
        const auto taken = ParseRaceDateTime(time);
        if (time.empty() || !taken)
            continue;
        const auto d = static_cast<float>(RaceSeconds(race.StartTime, *taken));
        if (d < static_cast<float>(race.ReplayFrom - kPictureMarginSeconds) ||
            d > static_cast<float>(race.ReplayTo + kPictureMarginSeconds))
            continue;
        index.PictureName.push_back(file.name);
        index.PictureTimeText.push_back(time);
        index.PictureKeptKB += static_cast<std::int64_t>(file.bytes / 1024);
    }
    race.PictureCount = static_cast<int>(index.PictureName.size());
}

std::string PictureCountText(const RaceSettings& race, const PictureIndex& index)
{
    std::string text = std::to_string(race.PictureCount) + " / " + std::to_string(race.PictureFileCount) + " Pictures";
    if (index.PictureTotalKB > 0)
        text += "  (" + std::to_string(index.PictureKeptKB) + "KB / " + std::to_string(index.PictureTotalKB) + "KB)";
    if (index.UnreadableCount > 0)
        text += ", " + std::to_string(index.UnreadableCount) + " unreadable";
    return text;
}

} // namespace tackedit
