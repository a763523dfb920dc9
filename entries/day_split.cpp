#include "entries/day_split.h"

#include "entries/track_match.h"
#include "race/race_file.h"
#include "race/race_times.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tackedit {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "H:MM" or "H:MM:SS" (hour of one or two digits) as a time of day; nothing
// looser, so a typo in the committee's log is refused rather than guessed.
std::optional<DateTime> ParseStart(const std::string& text)
{
    const auto two = [&](std::size_t at, int& value) {
        if (at + 2 > text.size() || !IsDigit(text[at]) || !IsDigit(text[at + 1]))
            return false;
        value = (text[at] - '0') * 10 + (text[at + 1] - '0');
        return true;
    };
    const std::size_t colon = text.find(':');
    if (colon != 1 && colon != 2)
        return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        hour = hour * 10 + (text[i] - '0');
    }
    if (!two(colon + 1, minute))
        return std::nullopt;
    if (text.size() != colon + 3 && (text.size() != colon + 6 || text[colon + 3] != ':' || !two(colon + 4, second)))
        return std::nullopt;
    return TryEncodeTime(hour, minute, second);
}

bool EndsWithTxt(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".txt";
}

// NAME.txt becomes NAME-R1.txt; a name without ".txt" gets it.
std::string RaceName(const std::string& source, std::size_t number)
{
    const bool txt = EndsWithTxt(source);
    const std::string stem = txt ? source.substr(0, source.size() - 4) : source;
    return stem + "-R" + std::to_string(number) + (txt ? source.substr(source.size() - 4) : ".txt");
}

bool AnythingAt(const std::string& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
}

std::string Admin(const SplitSource& source) { return source.app_dir + "raceadmin"; }

void RefuseExisting(const SplitSource& source, const std::string& name)
{
    const std::string admin = Admin(source);
    if (FindWorkspaceFile(admin, name) || AnythingAt(admin + "/" + name))
        throw DataError(admin + "/" + name, 0, "", "exists; it is not replaced");
}

} // namespace

SplitSource ReadSplitSource(const std::string& app_dir, const std::string& race_name)
{
    SplitSource source;
    source.app_dir = app_dir;
    source.name = race_name;
    const std::string admin = app_dir + "raceadmin";
    const auto path = FindWorkspaceFile(admin, race_name);
    if (!path)
        throw DataError(admin + "/" + race_name, 0, "", "no such race file");
    source.path = *path;
    const FileBytes bytes = ReadWholeFile(*path);
    ResetRaceForReading(source.race);
    ReadUnchanged(bytes, [&] { ParseRaceFile(bytes.view(), *path, app_dir, source.race); });
    source.bytes.assign(bytes.view());
    const DateTimeParts day = DecodeDateTime(source.race.StartTime);
    const auto date = TryEncodeDate(day.year, day.month, day.day);
    if (!date)
        throw DataError(*path, 0, "", "the start ST names no day");
    source.day = *date;
    return source;
}

std::vector<DateTime> ParseStartTimes(const std::string& text)
{
    std::vector<DateTime> times;
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t comma = std::min(text.find(',', begin), text.size());
        std::string one = text.substr(begin, comma - begin);
        // "10:00, 11:30" as people type lists.
        one.erase(0, one.find_first_not_of(" \t"));
        one.erase(one.find_last_not_of(" \t") + 1);
        const auto time = ParseStart(one);
        if (!time)
            throw DataError("--starts", 0, one, "\"" + one + "\" is no start time (HH:MM or HH:MM:SS)");
        if (!times.empty() && *time <= times.back())
            throw DataError("--starts", 0, one, one + " does not come after the start before it");
        times.push_back(*time);
        begin = comma + 1;
    }
    return times;
}

std::optional<long> ParseFinishAfter(const std::string& minutes)
{
    const auto value = ParseReal(minutes);
    if (!value || !std::isfinite(static_cast<double>(*value)) || *value <= 0 || *value > 7 * 24 * 60 ||
        std::lround(static_cast<double>(*value) * 60) < 1)
        return std::nullopt;
    return std::lround(static_cast<double>(*value) * 60);
}

DaySplit PlanDaySplit(const SplitSource& source, const std::vector<DateTime>& starts, long finish_after)
{
    if (starts.empty())
        throw DataError(source.path, 0, "", "no start to split the day at");
    DaySplit plan;
    for (std::size_t r = 0; r < starts.size(); ++r) {
        if (r > 0 && starts[r] <= starts[r - 1])
            throw DataError(source.path, 0, "",
                            "the start at " + FormatRaceDateTime(starts[r]) + " does not come after the one before");
        const DateTime latest = starts[r] + static_cast<double>(finish_after) / SecondsPerDay;
        plan.starts.push_back(starts[r]);
        plan.finishes.push_back(r + 1 < starts.size() ? std::min(starts[r + 1], latest) : latest);
    }

    // Each start must fall within some boat's log: a start outside them all
    // is a typo or the wrong day. Tracks keep UTC; the race file local time.
    const RaceSettings& race = source.race;
    std::vector<std::pair<DateTime, DateTime>> spans;
    for (int b = 0; b < race.BoatCount; ++b) {
        const auto file = FindWorkspaceFile(source.app_dir + "gpsdat", race.BoatGpsFile[b]);
        DateTime first = 0, last = 0;
        if (file && TrackTimeSpan(*file, first, last))
            spans.emplace_back(first, last);
    }
    if (spans.empty()) {
        plan.notes.push_back(source.name + ": no boat's track gives its times; the starts are not checked against them");
    } else {
        const double utc = race.TimeDiff / 24.0, slack = 0.5 / SecondsPerDay;
        for (const DateTime start : plan.starts) {
            const DateTime at = start - utc;
            bool inside = false;
            for (const auto& [first, last] : spans)
                inside = inside || (at >= first - slack && at <= last + slack);
            if (!inside)
                throw DataError(source.path, 0, "",
                                "the start at " + FormatRaceDateTime(start) + " lies outside every boat's track");
        }
    }

    for (std::size_t r = 0; r < plan.starts.size(); ++r) {
        plan.names.push_back(RaceName(source.name, r + 1));
        RefuseExisting(source, plan.names.back());
        plan.contents.push_back(SetRaceTimes(source.bytes, plan.starts[r], plan.finishes[r], source.path));
    }
    return plan;
}

void WriteDaySplit(const SplitSource& source, const DaySplit& plan)
{
    if (ReadWholeFile(source.path).view() != source.bytes)
        throw DataError(source.path, 0, "", "changed since it was read; nothing was written");
    for (const std::string& name : plan.names)
        RefuseExisting(source, name);
    const std::string admin = Admin(source);
    std::size_t written = 0;
    try {
        for (; written < plan.names.size(); ++written)
            WriteFileAtomically(admin + "/" + plan.names[written], plan.contents[written]);
    } catch (const DataError&) {
        // All the day's races or none.
        for (std::size_t r = 0; r < written; ++r)
            std::remove((admin + "/" + plan.names[r]).c_str());
        throw;
    }
}

} // namespace tackedit
