#pragma once

// The day's races from one race file: copies that differ only in their start
// and finish, for the window and the command-line tool alike.

#include "base/datetime.h"
#include "race/race_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// The race file the day is split from, read once.
struct SplitSource {
    std::string app_dir, name, path;  // name: as in raceadmin/
    std::string bytes;                // as read, Shift-JIS with CR LF
    RaceSettings race;
    DateTime day = 0;  // the date of its ST
};

struct DaySplit {
    std::vector<std::string> names;  // "NAME-R1.txt", ... in raceadmin/
    std::vector<DateTime> starts, finishes;  // local time
    std::vector<std::string> contents;
    std::vector<std::string> notes;
};

// Raises DataError naming the file when it is missing or names no day.
SplitSource ReadSplitSource(const std::string& app_dir, const std::string& race_name);

// "H:MM" or "H:MM:SS", comma-separated, each after the one before, as times of
// day; DataError naming the text that is none.
std::vector<DateTime> ParseStartTimes(const std::string& text);

inline constexpr long kDefaultFinishAfter = 3600;  // seconds

// A finish-after typed in minutes (fractions allowed, up to a week) as
// seconds; nullopt when it is no positive number of minutes.
std::optional<long> ParseFinishAfter(const std::string& minutes);

// One race a start (local time, increasing), each finishing at the next start
// or `finish_after` seconds after its own, whichever comes first. DataError when
// a start lies outside every boat's track, two starts are not in order, or a
// file of a name it would write exists; nothing is written.
DaySplit PlanDaySplit(const SplitSource& source, const std::vector<DateTime>& starts,
                      long finish_after = kDefaultFinishAfter);

// Writes every race of the plan or none; DataError when the source changed
// since it was read or a file of one of the names appeared.
void WriteDaySplit(const SplitSource& source, const DaySplit& plan);

} // namespace tackedit
