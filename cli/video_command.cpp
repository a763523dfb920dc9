// video: an MP4 of a race as the replay page draws it.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "replay/video.h"
#include "base/data_error.h"
#include "base/numbers.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace tackedit::cli {

namespace {

volatile std::sig_atomic_t stop_signal = 0;

void OnStopSignal(int signal) { stop_signal = signal; }

// Ctrl+C or a kill stops the render between steps, so the video's children
// are ended and its private file removed before we go. No SA_RESTART: a wait
// on a child returns at once.
class StopSignals {
public:
    StopSignals()
    {
        struct sigaction action{};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < 3; ++i)
            sigaction(kSignals[i], &action, &old_[i]);
    }
    ~StopSignals()
    {
        for (std::size_t i = 0; i < 3; ++i)
            sigaction(kSignals[i], &old_[i], nullptr);
    }

private:
    static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction old_[3];
};

std::optional<double> Number(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

int Video(Console& console, const std::vector<std::string>& args)
{
    std::map<std::string, std::string> values;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            names.push_back(arg);
            continue;
        }
        static const char* kOptions[] = {"--from", "--to", "--speed", "--size", "--follow", "--fps"};
        if (std::find(std::begin(kOptions), std::end(kOptions), arg) == std::end(kOptions) || i + 1 == args.size() ||
            values.count(arg))
            return console.Usage();
        values[arg] = args[++i];
    }
    if (names.size() != 3)
        return console.Usage();
    VideoOptions options;
    options.app_dir = WorkspaceFolder(names[0]);
    options.out = names[2];
    options.from = values["--from"];
    options.to = values["--to"];
    options.follow = values["--follow"];
    if (values.count("--size")) {
        const auto size = ParseVideoSize(values["--size"]);
        if (!size)
            return console.Fail("--size " + values["--size"] + ": give two even numbers from " +
                                std::to_string(kVideoMinSide) + " to " + std::to_string(kVideoMaxSide) +
                                ", as 1920x1080 or 1080x1920");
        std::tie(options.width, options.height) = *size;
    }
    if (values.count("--speed")) {
        const auto speed = Number(values["--speed"]);
        if (!speed || !(*speed > 0) || *speed > kVideoMaxSpeed)
            return console.Fail("--speed " + values["--speed"] + ": give a factor above 0, at most " +
                                std::to_string(static_cast<int>(kVideoMaxSpeed)));
        options.speed = *speed;
    }
    if (values.count("--fps")) {
        const auto fps = Number(values["--fps"]);
        if (!fps || *fps != std::floor(*fps) || *fps < 1 || *fps > kVideoMaxFps)
            return console.Fail("--fps " + values["--fps"] + ": give a whole number from 1 to " +
                                std::to_string(kVideoMaxFps));
        options.fps = static_cast<int>(*fps);
    }
    // Nothing is read or started while a tool is missing or an option is wrong.
    if (const std::string missing = MissingVideoTools(); !missing.empty())
        return console.Fail(missing);
    if (const std::string wrong = CheckVideoOptions(options); !wrong.empty())
        return console.Fail(wrong);
    const auto race_name = RaceFileArgument(console, options.app_dir, names[1]);
    if (!race_name)
        return 1;
    options.race_file = *race_name;

    StopSignals signals;
    options.cancelled = [] { return stop_signal != 0; };
    Progress progress(console);
    try {
        MakeVideo(options, [&progress](const std::string& step, std::size_t done, std::size_t count) {
            if (count == 0 || step != "frame")
                progress.Show(step);
            else
                progress.Show("frame", done + 1, count);
            return true;
        });
    } catch (const DataError& e) {
        const int code = console.Fail(e.what());
        return stop_signal ? 128 + stop_signal : code;
    }
    console.ClearProgressLine();
    std::printf("%s\n", options.out.c_str());
    return 0;
}

} // namespace tackedit::cli
