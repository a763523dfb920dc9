#include "pictures/picture_export.h"

#include "platform/text_codec.h"
#include "race/race_file.h"
#include "track/atomic_write.h"
#include "track/data_error.h"
#include "track/file_buffer.h"
#include "track/workspace_files.h"

#include <chrono>
#include <exception>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

namespace tackedit {

namespace {

struct PictureResult {
    std::optional<ReducedPicture> picture;
    std::optional<PictureFailure> failure;
    std::exception_ptr write_error;  // fatal: the distribution cannot be completed
};

PictureResult ReduceOne(const std::string& from, const std::string& to, int size, int quality)
{
    PictureResult result;
    if (!FileExists(from))
        return result;
    try {
        const FileBytes bytes = ReadWholeFile(from);
        ReadUnchanged(bytes, [&] { result.picture = ReduceJpeg(bytes.view(), size, quality, from); });
    } catch (const DataError& e) {
        result.failure = PictureFailure{from, e.what()};
        return result;
    } catch (const std::bad_alloc&) {
        result.failure = PictureFailure{from, from + ": not enough memory to reduce the picture"};
        return result;
    }
    try {
        WriteFileAtomically(to, result.picture->jpeg);
    } catch (const DataError&) {
        result.write_error = std::current_exception();
    }
    return result;
}

// Reduces pictures on worker threads and hands the results back in order on
// the calling thread, which keeps the window's events flowing meanwhile. At
// most a few results wait, so memory stays small whatever the folder holds.
class OrderedReducer {
public:
    OrderedReducer(std::vector<std::pair<std::string, std::string>> jobs, int size, int quality, int threads)
        : jobs_(std::move(jobs)), results_(jobs_.size()), done_(jobs_.size(), false), size_(size),
          quality_(quality), window_(threads + 2)
    {
        const int workers = std::min<int>(threads, static_cast<int>(jobs_.size()));
        if (workers > 1)
            for (int i = 0; i < workers; ++i)
                threads_.emplace_back([this] { Work(); });
    }
    OrderedReducer(const OrderedReducer&) = delete;
    OrderedReducer& operator=(const OrderedReducer&) = delete;
    ~OrderedReducer()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    PictureResult Take(std::size_t i, PendingEvents& events)
    {
        if (threads_.empty())
            return ReduceOne(jobs_[i].first, jobs_[i].second, size_, quality_);
        std::unique_lock lock(mutex_);
        while (!done_[i]) {
            changed_.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            events.ProcessPendingEvents();
            lock.lock();
        }
        PictureResult result = std::move(results_[i]);
        results_[i] = PictureResult();
        taken_ = i + 1;
        changed_.notify_all();
        return result;
    }

private:
    void Work()
    {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stop_ || next_ >= jobs_.size() || next_ < taken_ + window_; });
                if (stop_ || next_ >= jobs_.size())
                    return;
                i = next_++;
            }
            PictureResult result = ReduceOne(jobs_[i].first, jobs_[i].second, size_, quality_);
            {
                const std::lock_guard lock(mutex_);
                results_[i] = std::move(result);
                done_[i] = true;
            }
            changed_.notify_all();
        }
    }

    std::vector<std::pair<std::string, std::string>> jobs_;
    std::vector<PictureResult> results_;
    std::vector<bool> done_;
    int size_, quality_;
    std::size_t window_;
    std::size_t next_ = 0, taken_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

void WriteDateTimeCsv(const std::string& path, const PictureIndex& index)
{
    std::string text;
    for (std::size_t i = 0; i < index.PictureName.size(); ++i) {
        const std::string line = "s_" + index.PictureName[i] + "," + index.PictureTimeText[i];
        std::string bad;
        const auto bytes = Utf8ToCp932(line, &bad);
        if (!bytes)
            throw DataError(path, 0, index.PictureName[i],
                            "the picture name '" + index.PictureName[i] + "' contains '" + bad +
                                "', which Shift-JIS cannot hold");
        text += *bytes + "\r\n";
    }
    WriteFileAtomically(path, text);
}

} // namespace

std::vector<PictureFailure> ExportDistributionPictures(const std::vector<std::string>& race_files,
                                                       const PictureExportOptions& options, RaceSettings& race,
                                                       PictureIndex& index, PendingEvents& events,
                                                       const std::function<void(const PictureProgress&)>& progress)
{
    std::vector<PictureFailure> failures;
    const std::string race_folder = options.app_dir + "raceadmin";
    for (const std::string& name : race_files) {
        race.PictureCount = 0;
        race.PicFolder.clear();
        ReadRaceFile(FindWorkspaceFile(race_folder, name).value_or(race_folder + "/" + name), options.app_dir,
                     options.ui_language, race);
        const int size = race.PicSize == 0 ? 500 : race.PicSize;
        std::error_code error;
        const std::string folder = PictureFolderPath(race.PicFolder);
        if (folder.empty() || !std::filesystem::is_directory(folder, error))
            continue;
        IndexPictures(race, index, events);
        if (race.PictureCount <= 0)
            continue;
        if (size < 1 || size > kMaxPicSize)
            throw DataError(race_folder + "/" + name, 0, std::to_string(size),
                            "the picture size " + std::to_string(size) + " is not between 1 and " +
                                std::to_string(kMaxPicSize));

        const std::string target = options.dist_dir + "/pic/" + name.substr(0, name.find('.'));
        std::filesystem::create_directories(target, error);
        if (!std::filesystem::is_directory(target))
            throw DataError(target, 0, "", "cannot create the folder: " + error.message());
        WriteDateTimeCsv(target + "/datetime.csv", index);

        std::vector<std::pair<std::string, std::string>> jobs;
        for (const std::string& picture : index.PictureName)
            jobs.emplace_back(folder + "/" + picture, target + "/s_" + picture);
        OrderedReducer reducer(std::move(jobs), size, options.quality, options.threads);
        const int count = race.PictureCount;
        for (int i = 0; i < count; ++i) {
            PictureResult result = reducer.Take(static_cast<std::size_t>(i), events);
            if (result.write_error)
                std::rethrow_exception(result.write_error);
            if (result.failure)
                failures.push_back(*result.failure);
            PictureProgress step{index.PictureName[static_cast<std::size_t>(i)], i + 1, count,
                                 result.picture && !result.failure ? &*result.picture : nullptr};
            if (progress)
                progress(step);
        }
    }
    return failures;
}

} // namespace tackedit
