#include "pictures/picture_export.h"

#include "platform/text_codec.h"
#include "race/race_file.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/workspace_files.h"

#include <algorithm>
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

// A kept picture to reduce, or the reason it cannot go in, found beforehand.
struct PictureJob {
    std::string from, to;
    std::optional<PictureFailure> refused;
};

PictureResult ReduceOne(const PictureJob& job, int size, int quality)
{
    PictureResult result;
    const std::string& from = job.from;
    if (job.refused) {
        result.failure = job.refused;
        return result;
    }
    if (!FileExists(from)) {
        result.failure = PictureFailure{from, from + ": gone since the folder was indexed", PictureProblem::Missing};
        return result;
    }
    PictureProblem problem = PictureProblem::Unreadable;
    try {
        const FileBytes bytes = ReadWholeFile(from);
        problem = PictureProblem::Undecodable;
        ReadUnchanged(bytes, [&] { result.picture = ReduceJpeg(bytes.view(), size, quality, from); });
    } catch (const FileChangedError& e) {
        result.failure = PictureFailure{from, e.what(), PictureProblem::Unreadable};
        return result;
    } catch (const PictureTooLargeError& e) {
        result.failure = PictureFailure{from, e.what(), PictureProblem::TooLarge};
        return result;
    } catch (const DataError& e) {
        result.failure = PictureFailure{from, e.what(), problem};
        return result;
    } catch (const std::bad_alloc&) {
        result.failure =
            PictureFailure{from, from + ": not enough memory to reduce the picture", PictureProblem::TooLarge};
        return result;
    }
    if (!result.picture->warning.empty())
        result.failure = PictureFailure{from, from + ": damaged, reduced from what decodes (" +
                                                  result.picture->warning + ")",
                                        PictureProblem::Salvaged};
    try {
        WriteFileAtomically(job.to, result.picture->jpeg);
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
    OrderedReducer(std::vector<PictureJob> jobs, int size, int quality, int threads)
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
            return ReduceOne(jobs_[i], size_, quality_);
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
            PictureResult result = ReduceOne(jobs_[i], size_, quality_);
            {
                const std::lock_guard lock(mutex_);
                results_[i] = std::move(result);
                done_[i] = true;
            }
            changed_.notify_all();
        }
    }

    std::vector<PictureJob> jobs_;
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

bool HoldsLineBreakOrComma(const std::string& text)
{
    return text.find_first_of(",\r\n") != std::string::npos;
}

// The picture's line of "datetime.csv", or why it cannot have one.
std::optional<PictureFailure> LineProblem(const std::string& path, const std::string& name, const std::string& time)
{
    if (HoldsLineBreakOrComma(name))
        return PictureFailure{path, path + ": a comma, CR or LF in the name would break the lines of datetime.csv",
                              PictureProblem::NameSeparator};
    std::string bad;
    if (!Utf8ToCp932("s_" + name, &bad))
        return PictureFailure{path, path + ": the name contains '" + bad + "', which cannot be stored in datetime.csv",
                              PictureProblem::NameNotShiftJis};
    if (HoldsLineBreakOrComma(time) || !Utf8ToCp932(time))
        return PictureFailure{path, path + ": its capture time '" + time + "' cannot be written to datetime.csv",
                              PictureProblem::TimeNotStorable};
    return std::nullopt;
}

const char* ProblemText(PictureProblem problem)
{
    switch (problem) {
    case PictureProblem::NameNotShiftJis: return "name datetime.csv cannot hold";
    case PictureProblem::NameSeparator: return "comma, CR or LF in the name";
    case PictureProblem::TimeNotStorable: return "capture time datetime.csv cannot hold";
    case PictureProblem::Missing: return "gone since indexing";
    case PictureProblem::Unreadable: return "cannot be read";
    case PictureProblem::TooLarge: return "too large to decode";
    case PictureProblem::Undecodable: return "undecodable";
    case PictureProblem::Salvaged: return "damaged";
    }
    return "";
}

std::string Pictures(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " picture" : " pictures");
}

} // namespace

std::string PictureReportText(const std::vector<PictureFailure>& failures, std::size_t max_names)
{
    std::vector<const PictureFailure*> left_out, salvaged;
    for (const PictureFailure& f : failures)
        (f.LeftOut() ? left_out : salvaged).push_back(&f);
    std::string text;
    std::size_t named = 0;
    const auto name_all = [&](const std::vector<const PictureFailure*>& list) {
        for (const PictureFailure* f : list)
            if (named < max_names) {
                text += "\n" + f->message;
                ++named;
            }
    };
    if (!left_out.empty()) {
        text += Pictures(left_out.size()) + " left out of the distribution (";
        bool first = true;
        for (int p = 0; p <= static_cast<int>(PictureProblem::Undecodable); ++p) {
            const auto count = static_cast<std::size_t>(std::count_if(
                left_out.begin(), left_out.end(), [p](const PictureFailure* f) { return static_cast<int>(f->problem) == p; }));
            if (count > 0) {
                text += std::string(first ? "" : ", ") + std::to_string(count) + " " +
                        ProblemText(static_cast<PictureProblem>(p));
                first = false;
            }
        }
        text += "):";
        name_all(left_out);
    }
    if (!salvaged.empty()) {
        text += std::string(text.empty() ? "" : "\n") + Pictures(salvaged.size()) +
                " damaged, reduced from what decodes of them:";
        name_all(salvaged);
    }
    if (failures.size() > named)
        text += "\n... and " + Pictures(failures.size() - named) + " more";
    return text;
}

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
        std::vector<PictureJob> jobs;
        for (std::size_t i = 0; i < index.PictureName.size(); ++i) {
            const std::string& picture = index.PictureName[i];
            const std::string from = folder + "/" + picture;
            jobs.push_back({from, target + "/s_" + picture, LineProblem(from, picture, index.PictureTimeText[i])});
        }
        OrderedReducer reducer(std::move(jobs), size, options.quality, options.threads);
        // Only pictures that have their copy get a line, so the index is written last.
        std::string csv;
        const int count = race.PictureCount;
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            PictureResult result = reducer.Take(at, events);
            if (result.write_error)
                std::rethrow_exception(result.write_error);
            if (result.failure)
                failures.push_back(*result.failure);
            if (result.picture)
                csv += *Utf8ToCp932("s_" + index.PictureName[at] + "," + index.PictureTimeText[at]) + "\r\n";
            PictureProgress step{index.PictureName[at], i + 1, count, result.picture ? &*result.picture : nullptr,
                                 name};
            if (progress)
                progress(step);
        }
        WriteFileAtomically(target + "/datetime.csv", csv);
    }
    return failures;
}

} // namespace tackedit
