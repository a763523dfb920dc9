#pragma once

// A video of a race as the replay page draws it: the page in headless
// Chromium, stepped frame by frame on a fixed clock, each frame piped to
// ffmpeg. Never recorded in real time, so a slow machine drops no frame.

#include "replay/replay_data.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tackedit {

struct VideoOptions {
    std::string app_dir;    // the workspace, with its trailing separator
    std::string race_file;  // its name in raceadmin/
    std::string out;        // the .mp4 written
    std::string from, to;   // "HH:MM:SS" of the race's day; empty: its start, its finish
    double speed = 10;      // race seconds per video second
    int width = 1920, height = 1080, fps = 30;
    std::string follow;     // a boat's name; empty: the page's view of the whole fleet
    // Asked between steps and while waiting; true stops the render.
    std::function<bool()> cancelled;
};

// The sizes a phone and a TV play; width and height must be even for H.264.
inline constexpr int kVideoMinSide = 64, kVideoMaxSide = 4096, kVideoMaxFps = 120;
inline constexpr double kVideoMaxSpeed = 3600;

// "1920x1080" as its width and height; nullopt when it is not two even sides
// within the limits.
std::optional<std::pair<int, int>> ParseVideoSize(const std::string& text);

// What is missing to make a video: "" when chromium and ffmpeg are on PATH,
// else a message naming the Debian package to install.
std::string MissingVideoTools();

// Checks the options that need no race (size, fps, speed, the output's name);
// "" when they are fine, else what is wrong.
std::string CheckVideoOptions(const VideoOptions& options);

struct VideoPlan {
    std::int64_t from = 0, to = 0;  // local seconds, as the race holds them
    std::size_t frames = 0;
    std::string follow;  // the boat's name as the race has it
};

// The frames of the options' range in this race. The range lies within the
// page's replay window; a time outside it, a range of no frame or a boat not in
// the race raises DataError naming the race file.
VideoPlan PlanVideo(const ReplayRace& race, const VideoOptions& options);

// How far the render is: a step's name and, while drawing, frames done of count.
// Returns false to stop.
using VideoProgress = std::function<bool(const std::string& step, std::size_t done, std::size_t count)>;

// Makes options.out. Raises DataError on bad input (before any drawing) and
// on a failed or stopped render; the video is written beside options.out under
// a private name and renamed into place only when complete, so nothing partial
// is ever left there, and the browser and the encoder are ended with it.
void MakeVideo(const VideoOptions& options, const VideoProgress& progress = {});

} // namespace tackedit
