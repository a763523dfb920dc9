#include "track/parallel_parse.h"

#include "base/data_error.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace tackedit {

int LoadThreads()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

namespace {

// The pieces in flight: handed out in order, parsed by whichever thread is
// free, stored by the loading thread in order. A thread takes a piece only
// while fewer than `window` pieces wait to be stored, so however large the file,
// only a few pieces' points are held besides the store.
class PieceQueue {
public:
    PieceQueue(const PieceJob& job, int threads)
        : job_(job), pieces_(job.count), done_(job.count, 0), window_(static_cast<std::size_t>(2 * threads)) {}

    // A helper thread's loop.
    void Help()
    {
        std::size_t k;
        while (Take(k))
            Parse(k);
    }

    // The loading thread's loop: store what is ready, parse while waiting.
    void Run(TrackFiller& filler)
    {
        std::int64_t lines_before = 0;
        for (std::size_t next = 0; next < job_.count; ++next) {
            for (;;) {
                std::unique_lock lock(mutex_);
                if (done_[next])
                    break;
                if (CanTake()) {
                    const std::size_t k = taken_++;
                    lock.unlock();
                    Parse(k);
                    continue;
                }
                changed_.wait(lock);
            }
            ParsedPiece& piece = pieces_[next];
            if (job_.join)
                job_.join(next, piece);
            filler.Append(piece.points.data(), piece.points.size());
            if (piece.error) {
                try {
                    std::rethrow_exception(piece.error);
                } catch (const DataError& e) {
                    throw e.LinesAfter(lines_before);
                }
            }
            lines_before += piece.lines;
            if (piece.stop)
                return;
            std::lock_guard lock(mutex_);
            spare_.push_back(std::move(piece.points));
            piece = ParsedPiece();
            stored_ = next + 1;
            changed_.notify_all();
        }
    }

    // Ends the helpers' loops: nothing more is handed out.
    void Close()
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

private:
    bool CanTake() const { return !closed_ && taken_ < job_.count && taken_ < stored_ + window_; }

    bool Take(std::size_t& k)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return CanTake() || closed_ || taken_ >= job_.count; });
        if (!CanTake())
            return false;
        k = taken_++;
        return true;
    }

    void Parse(std::size_t k)
    {
        ParsedPiece piece;
        {
            std::lock_guard lock(mutex_);
            if (!spare_.empty()) {
                piece.points = std::move(spare_.back());
                spare_.pop_back();
                piece.points.clear();
            }
        }
        try {
            job_.parse(k, piece);
        } catch (...) {
            piece.error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        pieces_[k] = std::move(piece);
        done_[k] = 1;
        changed_.notify_all();
    }

    const PieceJob& job_;
    std::vector<ParsedPiece> pieces_;
    std::vector<char> done_;
    std::vector<std::vector<TrackPoint>> spare_;  // storage of stored pieces, reused
    const std::size_t window_;
    std::size_t taken_ = 0, stored_ = 0;
    bool closed_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace

void ParsePieces(const PieceJob& job, TrackFiller& filler, int threads)
{
    if (threads <= 0)
        threads = LoadThreads();
    threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), job.count));
    PieceQueue queue(job, std::max(threads, 1));
    std::vector<std::thread> helpers;
    // The helpers end before the queue goes, also when a piece fails.
    struct Joiner {
        PieceQueue& queue;
        std::vector<std::thread>& helpers;
        ~Joiner()
        {
            queue.Close();
            for (std::thread& t : helpers)
                t.join();
        }
    } joiner{queue, helpers};
    // A thread the system refuses is only a helper less.
    try {
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back([&queue] { queue.Help(); });
    } catch (const std::system_error&) {
    }
    queue.Run(filler);
}

void SplitWork(std::size_t n, const std::function<void(std::size_t, std::size_t, std::size_t)>& work, int threads)
{
    if (threads <= 0)
        threads = LoadThreads();
    // Below this a thread costs more than it saves.
    constexpr std::size_t kSmallest = 1 << 16;
    const std::size_t parts = std::clamp<std::size_t>(n / kSmallest, 1, static_cast<std::size_t>(threads));
    std::vector<std::thread> helpers;
    std::vector<std::exception_ptr> errors(parts);
    struct Joiner {
        std::vector<std::thread>& helpers;
        ~Joiner()
        {
            for (std::thread& t : helpers)
                t.join();
        }
    } joiner{helpers};
    std::vector<std::size_t> left;  // parts no thread could be started for
    for (std::size_t p = 1; p < parts; ++p) {
        try {
            helpers.emplace_back([&, p] {
                try {
                    work(p, n * p / parts, n * (p + 1) / parts);
                } catch (...) {
                    errors[p] = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            left.push_back(p);
        }
    }
    work(0, 0, n / parts);
    for (const std::size_t p : left)
        work(p, n * p / parts, n * (p + 1) / parts);
    for (std::thread& t : helpers)
        t.join();
    helpers.clear();
    for (const std::exception_ptr& e : errors)
        if (e)
            std::rethrow_exception(e);
}

void ShareChunks(std::size_t count, const std::function<void(std::size_t)>& work, int threads)
{
    if (threads <= 0)
        threads = LoadThreads();
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex error_mutex;
    const auto run = [&] {
        for (std::size_t k; !failed.load(std::memory_order_relaxed) && (k = next.fetch_add(1)) < count;) {
            try {
                work(k);
            } catch (...) {
                std::lock_guard lock(error_mutex);
                if (!error)
                    error = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(threads), count);
    for (std::size_t t = 1; t < wanted; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break;  // a thread less: the others take its chunks
        }
    }
    run();
    for (std::thread& t : helpers)
        t.join();
    if (error)
        std::rethrow_exception(error);
}

std::vector<std::size_t> CutAtLineStarts(std::string_view text, std::size_t piece_bytes)
{
    std::vector<std::size_t> cuts{0};
    piece_bytes = std::max<std::size_t>(piece_bytes, 1);
    std::size_t at = piece_bytes;
    while (at < text.size()) {
        const void* lf = std::memchr(text.data() + at, '\n', text.size() - at);
        if (!lf)
            break;
        const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
        if (start >= text.size())
            break;
        cuts.push_back(start);
        at = start + piece_bytes;
    }
    cuts.push_back(text.size());
    return cuts;
}

} // namespace tackedit
