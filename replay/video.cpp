#include "replay/video.h"

#include "replay/headless_browser.h"
#include "replay/replay_builder.h"
#include "base/data_error.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tackedit {

namespace {

constexpr int kJpegQuality = 90;

std::string ClockText(std::int64_t local)
{
    const std::int64_t s = ((local % 86400) + 86400) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return text;
}

// The page's replay window: the race file's, or every fix when it has none.
std::pair<std::int64_t, std::int64_t> ReplayWindow(const ReplayRace& race)
{
    std::int64_t from = race.start + race.replay_from, to = race.start + race.replay_to;
    if (to > from)
        return {from, to};
    std::int64_t first = INT64_MAX, last = INT64_MIN;
    for (const ReplayBoat& boat : race.boats)
        if (!boat.time.empty()) {
            first = std::min(first, boat.time.front());
            last = std::max(last, boat.time.back());
        }
    if (first == INT64_MAX)
        return {race.start, race.start + 3600};
    return {first, std::max(last, first + 1)};
}

// "HH:MM:SS" (or "HH:MM") on the day the race starts; past midnight when the
// window runs into the next day.
std::optional<std::int64_t> RaceTime(const std::string& text, std::int64_t start, std::int64_t window_to)
{
    int h = 0, m = 0, s = 0, used = 0;
    const int fields = std::sscanf(text.c_str(), "%2d:%2d%n:%2d%n", &h, &m, &used, &s, &used);
    if (fields < 2 || used != static_cast<int>(text.size()) || h > 23 || m > 59 || s > 59 || h < 0 || m < 0 || s < 0)
        return std::nullopt;
    std::int64_t t = start - ((start % 86400) + 86400) % 86400 + h * 3600 + m * 60 + s;
    if (t < start && t + 86400 <= window_to)
        t += 86400;
    return t;
}

// SIGPIPE held back on this thread while it writes to children: a browser or an
// encoder that dies must fail the render, not end the program with a partial file.
class PipeSignalHeld {
public:
    PipeSignalHeld()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalHeld()
    {
        const timespec now{0, 0};
        while (sigtimedwait(&pipe_, nullptr, &now) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    sigset_t pipe_, old_;
};

// A folder of our own for the page and the browser's profile, gone with it.
struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tackedit-video-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw DataError(pattern, 0, "", std::string("cannot make a scratch folder: ") + std::strerror(errno));
        path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string FileUrl(const std::string& path)
{
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-._~", c)) {
            url.push_back(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            url += escaped;
        }
    }
    return url;
}

void WriteAll(int fd, const std::string& bytes, const std::function<bool()>& cancelled)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR && !cancelled())
            continue;
        if (n < 0)
            throw std::runtime_error(errno == EINTR ? "cancelled" : "ffmpeg stopped taking frames");
        done += static_cast<std::size_t>(n);
    }
}

std::string LastLine(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return "";
    std::string text, line;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, file)) {
        line = chunk;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty())
            text = line;
    }
    std::fclose(file);
    return text;
}

// Chromium draws and reads back a frame on one thread at a time, so a second
// browser drawing every other frame nearly halves the time. Each browser steps
// through every frame, so both hold the same view and leaderboard: they draw
// exactly what one browser would.
class FrameWorkers {
public:
    FrameWorkers(const std::string& scratch, const std::string& page, const VideoOptions& o, const VideoPlan& plan,
                 std::function<bool()> cancelled)
        : cancelled_(std::move(cancelled))
    {
        const auto stopped = [this] { return abort_.load() || cancelled_(); };
        const std::string program = *FindProgram("chromium");
        for (int i = 0; i < kBrowsers; ++i)
            browsers_.push_back(std::make_unique<HeadlessBrowser>(
                program, scratch + "/profile-" + std::to_string(i), o.width, o.height, stopped));
        nlohmann::json setup = {{"race", 0}, {"fps", o.fps}};
        if (!plan.follow.empty())
            setup["follow"] = plan.follow;
        for (auto& browser : browsers_) {
            browser->Open(FileUrl(page + "/index.html"));
            browser->Evaluate("tackeditVideo.setup(" + setup.dump() + ")");
        }
        for (int i = 0; i < kBrowsers; ++i)
            threads_.emplace_back([this, i, &o, &plan] { Draw(i, o, plan); });
    }
    ~FrameWorkers()
    {
        abort_ = true;
        ready_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    // Frame k as JPEG bytes, once its browser has drawn it.
    std::string Take(std::size_t k)
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return frames_.count(k) || failure_; });
        if (failure_)
            std::rethrow_exception(failure_);
        std::string frame = std::move(frames_[k]);
        frames_.erase(k);
        taken_ = k + 1;
        ready_.notify_all();
        return frame;
    }

    void Quit()
    {
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
        for (auto& browser : browsers_)
            browser->Quit();
    }

private:
    static constexpr int kBrowsers = 2;
    static constexpr std::size_t kAhead = 8;  // frames held before the encoder takes them

    void Draw(int i, const VideoOptions& o, const VideoPlan& plan)
    {
        try {
            HeadlessBrowser& browser = *browsers_[i];
            for (std::size_t k = 0; k < plan.frames; ++k) {
                const double t = static_cast<double>(plan.from) + static_cast<double>(k) * o.speed / o.fps;
                browser.Evaluate("tackeditVideo.frame(" + nlohmann::json(t).dump() + ")");
                if (k % kBrowsers != static_cast<std::size_t>(i))
                    continue;
                {
                    std::unique_lock lock(mutex_);
                    ready_.wait(lock, [&] { return k < taken_ + kAhead || abort_ || failure_; });
                    if (abort_ || failure_)
                        return;
                }
                std::string frame = browser.Screenshot(kJpegQuality);
                const std::lock_guard lock(mutex_);
                frames_[k] = std::move(frame);
                ready_.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!failure_)
                failure_ = std::current_exception();
            abort_ = true;
            ready_.notify_all();
        }
    }

    std::function<bool()> cancelled_;
    std::atomic<bool> abort_ = false;
    std::vector<std::unique_ptr<HeadlessBrowser>> browsers_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::map<std::size_t, std::string> frames_;
    std::size_t taken_ = 0;
    std::exception_ptr failure_;
};

} // namespace

std::optional<std::pair<int, int>> ParseVideoSize(const std::string& text)
{
    int w = 0, h = 0, used = 0;
    if (std::sscanf(text.c_str(), "%5d%*[xX]%5d%n", &w, &h, &used) != 2 || used != static_cast<int>(text.size()))
        return std::nullopt;
    if (w % 2 || h % 2 || w < kVideoMinSide || h < kVideoMinSide || w > kVideoMaxSide || h > kVideoMaxSide)
        return std::nullopt;
    return std::pair(w, h);
}

std::string MissingVideoTools()
{
    for (const char* tool : {"chromium", "ffmpeg"})
        if (!FindProgram(tool))
            return std::string("the video needs ") + tool + ", which is not installed (on Debian: sudo apt install " +
                   tool + ")";
    return "";
}

std::string CheckVideoOptions(const VideoOptions& o)
{
    if (!ParseVideoSize(std::to_string(o.width) + "x" + std::to_string(o.height)))
        return "the size must be two even numbers from " + std::to_string(kVideoMinSide) + " to " +
               std::to_string(kVideoMaxSide) + ", as 1920x1080";
    if (o.fps < 1 || o.fps > kVideoMaxFps)
        return "the frame rate must be from 1 to " + std::to_string(kVideoMaxFps);
    if (!(o.speed > 0) || o.speed > kVideoMaxSpeed)
        return "the speed must be above 0 and at most " + std::to_string(static_cast<int>(kVideoMaxSpeed));
    const fs::path out(o.out);
    std::string ending = out.extension().string();
    std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ending != ".mp4")
        return o.out + ": the video's name must end in .mp4";
    std::error_code error;
    if (fs::is_directory(out, error))
        return o.out + ": is a folder";
    const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, error))
        return o.out + ": no such folder " + folder.string();
    return "";
}

VideoPlan PlanVideo(const ReplayRace& race, const VideoOptions& o)
{
    const auto fail = [&](const std::string& message) { return DataError(race.file, 0, "", message); };
    const auto [window_from, window_to] = ReplayWindow(race);
    const std::string window = ClockText(window_from) + " to " + ClockText(window_to);
    VideoPlan plan;
    plan.from = std::max(race.start, window_from);
    plan.to = race.finish > race.start ? std::min(race.finish, window_to) : window_to;
    if (plan.from >= window_to)
        plan.from = window_from;
    for (const auto& [text, flag, into] : {std::tuple(o.from, "--from", &plan.from), std::tuple(o.to, "--to", &plan.to)}) {
        if (text.empty())
            continue;
        const auto t = RaceTime(text, race.start, window_to);
        if (!t)
            throw fail(std::string(flag) + " " + text + " is not a time HH:MM:SS");
        if (*t < window_from || *t > window_to)
            throw fail(std::string(flag) + " " + text + " is outside the race, which the replay shows from " + window);
        *into = *t;
    }
    if (plan.to <= plan.from)
        throw fail("the video would end (" + ClockText(plan.to) + ") before it starts (" + ClockText(plan.from) + ")");
    const double frames = std::round(static_cast<double>(plan.to - plan.from) * o.fps / o.speed);
    if (frames < 1)
        throw fail("from " + ClockText(plan.from) + " to " + ClockText(plan.to) + " at " + std::to_string(o.speed) +
                   "x makes no frame");
    // A whole race at 1x and 120 fps is a day of video: a typing mistake, not a wish.
    if (frames > 3e6)
        throw fail("the video would have " + std::to_string(static_cast<long long>(frames)) + " frames; raise --speed");
    plan.frames = static_cast<std::size_t>(frames);
    if (!o.follow.empty()) {
        auto boat = std::find_if(race.boats.begin(), race.boats.end(),
                                 [&](const ReplayBoat& b) { return b.name == o.follow; });
        if (boat == race.boats.end())
            boat = std::find_if(race.boats.begin(), race.boats.end(), [&](const ReplayBoat& b) {
                return b.name.size() == o.follow.size() &&
                       std::equal(b.name.begin(), b.name.end(), o.follow.begin(), [](char a, char c) {
                           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(c));
                       });
            });
        if (boat == race.boats.end()) {
            std::string names;
            for (const ReplayBoat& b : race.boats)
                names += (names.empty() ? "" : ", ") + b.name;
            throw fail("no boat \"" + o.follow + "\" in the race (its boats: " + names + ")");
        }
        plan.follow = boat->name;
    }
    return plan;
}

void MakeVideo(const VideoOptions& o, const VideoProgress& progress)
{
    const auto fail = [&](const std::string& message) { return DataError(o.out, 0, "", message); };
    if (const std::string missing = MissingVideoTools(); !missing.empty())
        throw DataError("video", 0, "", missing);
    if (const std::string wrong = CheckVideoOptions(o); !wrong.empty())
        throw DataError("video", 0, "", wrong);
    std::atomic<bool> stop = false;
    const auto cancelled = [&] { return stop.load() || (o.cancelled && o.cancelled()); };
    const auto step = [&](const std::string& what, std::size_t done, std::size_t count) {
        if ((progress && !progress(what, done, count)) || cancelled()) {
            stop = true;
            throw fail("stopped: no video written");
        }
    };

    step("reading the race", 0, 0);
    ReplayBuildOptions build;
    build.app_dir = o.app_dir;
    build.pictures = false;  // the page would show them as they load: no two renders alike
    ReplayRaces races = RaceFiles({o.race_file}, build);
    ReplayRace race = races.read(0);
    const VideoPlan plan = PlanVideo(race, o);

    ScratchFolder scratch;
    step("building the page", 0, 0);
    const std::string page = scratch.path + "/replay";
    fs::create_directory(page);
    races.read = [&race](std::size_t) { return std::move(race); };
    WriteReplay(races, page, build);

    const fs::path out = fs::absolute(o.out);
    std::string temporary = (out.parent_path() / (out.stem().string() + ".tmp-XXXXXX.mp4")).string();
    const int reserved = ::mkstemps(temporary.data(), 4);
    if (reserved < 0)
        throw fail(std::string("cannot write beside it: ") + std::strerror(errno));
    // A private name, not private bits: the video gets what any new file there gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(reserved, 0666 & ~mask);
    ::close(reserved);
    PipeSignalHeld held;
    try {
        int frames_in[2];
        if (::pipe2(frames_in, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
        const std::string log = scratch.path + "/ffmpeg.log";
        const int log_fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::string fps = std::to_string(o.fps);
        ChildProcess encoder;
        try {
            encoder = ChildProcess({*FindProgram("ffmpeg"), "-hide_banner", "-loglevel", "error", "-y",
                                    "-f", "image2pipe", "-c:v", "mjpeg", "-framerate", fps, "-i", "pipe:0",
                                    "-c:v", "libx264", "-preset", "veryfast", "-crf", "20", "-pix_fmt", "yuv420p",
                                    "-r", fps, "-movflags", "+faststart", "-f", "mp4",
                                    // Never a protocol or device, whatever the name holds before a colon.
                                    "file:" + temporary},
                                   {{0, frames_in[0]}, {2, log_fd < 0 ? frames_in[0] : log_fd}});
        } catch (...) {
            ::close(frames_in[0]);
            ::close(frames_in[1]);
            if (log_fd >= 0)
                ::close(log_fd);
            throw;
        }
        ::close(frames_in[0]);
        if (log_fd >= 0)
            ::close(log_fd);
        struct Closer {
            int fd;
            ~Closer() { if (fd >= 0) ::close(fd); }
        } to_encoder{frames_in[1]};

        step("starting chromium", 0, plan.frames);
        FrameWorkers workers(scratch.path, page, o, plan, cancelled);
        for (std::size_t k = 0; k < plan.frames; ++k) {
            step("frame", k, plan.frames);
            const std::string frame = workers.Take(k);
            try {
                WriteAll(to_encoder.fd, frame, cancelled);
            } catch (const std::runtime_error&) {
                if (cancelled())
                    throw;
                encoder.Wait();  // its own words say more than a broken pipe
                const std::string why = LastLine(log);
                throw std::runtime_error("ffmpeg stopped taking frames" + (why.empty() ? std::string() : ": " + why));
            }
        }
        workers.Quit();
        ::close(std::exchange(to_encoder.fd, -1));
        step("encoding", plan.frames, plan.frames);
        if (encoder.Wait() != 0) {
            const std::string why = LastLine(log);
            throw std::runtime_error("ffmpeg failed" + (why.empty() ? std::string() : ": " + why));
        }
        if (std::rename(temporary.c_str(), o.out.c_str()) != 0)
            throw std::runtime_error(std::string("cannot put the video in place: ") + std::strerror(errno));
    } catch (const DataError&) {
        ::unlink(temporary.c_str());
        throw;
    } catch (const std::exception& e) {
        ::unlink(temporary.c_str());
        throw fail(stop || cancelled() ? "stopped: no video written" : e.what());
    }
}

} // namespace tackedit
