#pragma once

// Shared pieces of the tackedit-cli commands.

#include "track/track_loader.h"
#include "track/track_store.h"
#include "track/formats/vkx_reader.h"
#include "base/workspace_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {
struct RaceResult;
struct SeriesEntry;
}

namespace tackedit::cli {

// What a run of a command says on stderr besides its output: errors, notes
// and the progress line. One per run, made by main and handed to the command.
struct Console {
    std::string command;  // the command's name; empty before one is known
    bool quiet = false;   // --quiet: no notes and no progress
    std::size_t line_columns = 0;  // of the progress line on the terminal now; 0 when none

    // This command's usage (every command's before one is known) on stderr;
    // returns the bad-usage exit code 2.
    int Usage();
    // "error: MESSAGE" on stderr; returns the failure exit code 1.
    int Fail(const std::string& message);
    // "note: TEXT" on stderr unless quiet.
    void Note(const std::string& text);
    // Clears the progress line, if one is showing, so a message starts on a clean line.
    void ClearProgressLine();
};

struct LoadedTrack {
    TrackStore store;
    TrackEditState edit;
    VkxEvents vkx;  // a race timer's events; empty for other files
};

// Loads a track as the editor would; false with the message when it fails
// (a missing file is a failure here).
bool Load(Console& console, const std::string& path, LoadedTrack& track, std::string& error);

bool EndsWithNoCase(const std::string& text, const char* ending);

// A command's flags (each one of `known`, in the order given) apart from its
// other arguments; nullopt when an argument starting with "--" is none of them.
struct SplitArguments {
    std::vector<std::string> flags, names;
    bool Has(const std::string& flag) const;
};
std::optional<SplitArguments> SplitFlags(const std::vector<std::string>& args, const std::vector<std::string>& known);

// A RACEFILE argument (see RaceFileName) as its bare name in the workspace
// `app_dir`; nullopt once the error is said (exit code 1).
std::optional<std::string> RaceFileArgument(Console& console, const std::string& app_dir, const std::string& typed);

// Writes the whole track as TRB or GPX by the name's ending; false with the
// message when the write fails. Says on stderr how many fixes the file left
// out (those within the second of the fix before), which `left_out` gets.
bool SaveTrack(Console& console, const std::string& path, const TrackStore& store, std::string& error,
               std::int32_t* left_out = nullptr);

// A track file this big takes long enough to read that a terminal shows what
// is going on; the size to show ("37 MB"), or nullopt for a smaller one.
inline constexpr std::uintmax_t kBigTrackBytes = 16 << 20;
std::optional<std::string> BigTrackSize(const std::string& path);

// The note on stderr when a whole-second file left fixes out.
void NoteLeftOut(Console& console, const std::string& path, std::int32_t left_out);

// The commands; args excludes the command name.
int Dump(Console& console, const std::vector<std::string>& args);
int Info(Console& console, const std::vector<std::string>& args);
int Convert(Console& console, const std::vector<std::string>& args);
int Race(Console& console, const std::vector<std::string>& args);   // race_command.cpp
int Clean(Console& console, const std::vector<std::string>& args);  // clean_command.cpp
int Check(Console& console, const std::vector<std::string>& args);  // check_command.cpp
int Shift(Console& console, const std::vector<std::string>& args);  // check_command.cpp
int PhotoTime(Console& console, const std::vector<std::string>& args);   // picture_commands.cpp
int Pictures(Console& console, const std::vector<std::string>& args);    // picture_commands.cpp
int Distribute(Console& console, const std::vector<std::string>& args);  // picture_commands.cpp
int Replay(Console& console, const std::vector<std::string>& args);      // replay_commands.cpp
int Results(Console& console, const std::vector<std::string>& args);     // replay_commands.cpp
int Analyse(Console& console, const std::vector<std::string>& args);     // analyse_command.cpp
int Entries(Console& console, const std::vector<std::string>& args);     // entries_command.cpp
int Series(Console& console, const std::vector<std::string>& args);      // series_command.cpp
int Split(Console& console, const std::vector<std::string>& args);       // split_command.cpp
int Video(Console& console, const std::vector<std::string>& args);       // video_command.cpp

// The entry list at `path` as the series matches it to boats; the rows it
// cannot use are notes. Raises DataError when the list does not read.
std::vector<SeriesEntry> ReadSeriesEntries(Console& console, const std::string& path);

// On stdout, the rows a scoring program imports: one per boat and race, the
// races numbered from 1 in the order given, sail numbers from `entries`
// (series_command.cpp).
void PrintForScoring(const std::vector<std::vector<RaceResult>>& races,
                     const std::vector<SeriesEntry>* entries = nullptr);

} // namespace tackedit::cli
