#pragma once

// Shared pieces of the tackedit-cli commands.

#include "track/track_loader.h"
#include "track/track_store.h"
#include "track/vkx_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tackedit::cli {

// Prints the usage of every command on stderr; returns the bad-usage exit code 2.
int Usage();

// Prints "error: MESSAGE" on stderr; returns the failure exit code 1.
int Fail(const std::string& message);

struct LoadedTrack {
    TrackStore store;
    TrackEditState edit;
    VkxEvents vkx;  // a race timer's events; empty for other files
};

// Loads a track as the editor would; false with the message when it fails
// (a missing file is a failure here).
bool Load(const std::string& path, LoadedTrack& track, std::string& error);

bool EndsWithNoCase(const std::string& text, const char* ending);

// Writes the whole track as TRB or GPX by the name's ending; false with the
// message when the write fails. Says on stderr how many fixes the file left
// out (those within the second of the fix before), which `left_out` gets.
bool SaveTrack(const std::string& path, const TrackStore& store, std::string& error,
               std::int32_t* left_out = nullptr);

// A track file this big takes long enough to read that a terminal shows what
// is going on; the size to show ("37 MB"), or nullopt for a smaller one.
inline constexpr std::uintmax_t kBigTrackBytes = 16 << 20;
std::optional<std::string> BigTrackSize(const std::string& path);

// The note on stderr when a whole-second file left fixes out.
void NoteLeftOut(const std::string& path, std::int32_t left_out);

// The commands; args excludes the command name.
int Dump(const std::vector<std::string>& args);
int Info(const std::vector<std::string>& args);
int Convert(const std::vector<std::string>& args);
int Race(const std::vector<std::string>& args);   // race_command.cpp
int Clean(const std::vector<std::string>& args);  // clean_command.cpp
int Check(const std::vector<std::string>& args);  // check_command.cpp
int Shift(const std::vector<std::string>& args);  // check_command.cpp
int PhotoTime(const std::vector<std::string>& args);   // picture_commands.cpp
int Pictures(const std::vector<std::string>& args);    // picture_commands.cpp
int Distribute(const std::vector<std::string>& args);  // picture_commands.cpp
int Replay(const std::vector<std::string>& args);      // replay_commands.cpp
int Results(const std::vector<std::string>& args);     // replay_commands.cpp

} // namespace tackedit::cli
