// split: the day's races from one race file, at the start times the committee
// logged.

#include "cli/cli_common.h"
#include "entries/track_match.h"
#include "race/race_file.h"
#include "race/race_times.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tackedit::cli {

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

// NAME.txt becomes NAME-R1.txt; a name without ".txt" gets it.
std::string RaceName(const std::string& source, std::size_t number)
{
    const bool txt = EndsWithNoCase(source, ".txt");
    const std::string stem = txt ? source.substr(0, source.size() - 4) : source;
    return stem + "-R" + std::to_string(number) + (txt ? source.substr(source.size() - 4) : ".txt");
}

bool AnythingAt(const std::string& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
}

} // namespace

int Split(Console& console, const std::vector<std::string>& args)
{
    std::optional<std::string> starts_text, finish_text;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--starts" && args[i] != "--finish-after") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size())
            return console.Usage();
        std::optional<std::string>& value = args[i] == "--starts" ? starts_text : finish_text;
        value = args[++i];
    }
    const auto split = SplitFlags(rest, {});
    if (!split || split->names.size() != 2 || !starts_text)
        return console.Usage();

    long finish_after = 3600;
    if (finish_text) {
        const auto minutes = ParseReal(*finish_text);
        if (!minutes || !std::isfinite(static_cast<double>(*minutes)) || *minutes <= 0 || *minutes > 7 * 24 * 60 ||
            std::lround(static_cast<double>(*minutes) * 60) < 1)
            return console.Fail("--finish-after " + *finish_text + ": not a positive number of minutes");
        finish_after = std::lround(static_cast<double>(*minutes) * 60);
    }
    std::vector<DateTime> times;
    for (std::size_t begin = 0; begin <= starts_text->size();) {
        const std::size_t comma = std::min(starts_text->find(',', begin), starts_text->size());
        const std::string text = starts_text->substr(begin, comma - begin);
        const auto time = ParseStart(text);
        if (!time)
            return console.Fail("--starts: \"" + text + "\" is no start time (HH:MM or HH:MM:SS)");
        if (!times.empty() && *time <= times.back())
            return console.Fail("--starts: " + text + " does not come after the start before it");
        times.push_back(*time);
        begin = comma + 1;
    }

    try {
        const std::string app_dir = WorkspaceFolder(split->names[0]);
        const auto race_name = RaceFileArgument(console, app_dir, split->names[1]);
        if (!race_name)
            return 1;
        const std::string admin = app_dir + "raceadmin";
        const auto path = FindWorkspaceFile(admin, *race_name);
        if (!path)
            return console.Fail(admin + "/" + *race_name + ": no such race file");
        const FileBytes source = ReadWholeFile(*path);
        RaceSettings race;
        ResetRaceForReading(race);
        ReadUnchanged(source, [&] { ParseRaceFile(source.view(), *path, app_dir, race); });
        const DateTimeParts day_parts = DecodeDateTime(race.StartTime);
        const auto day = TryEncodeDate(day_parts.year, day_parts.month, day_parts.day);
        if (!day)
            return console.Fail(*path + ": the start ST names no day");

        std::vector<DateTime> starts, finishes;
        for (std::size_t r = 0; r < times.size(); ++r) {
            const DateTime start = *day + times[r];
            const DateTime latest = start + static_cast<double>(finish_after) / SecondsPerDay;
            starts.push_back(start);
            finishes.push_back(r + 1 < times.size() ? std::min(*day + times[r + 1], latest) : latest);
        }

        // Each start must fall within some boat's log: a start outside them all
        // is a typo or the wrong day. Tracks keep UTC; the race file local time.
        std::vector<std::pair<DateTime, DateTime>> spans;
        for (int b = 0; b < race.BoatCount; ++b) {
            const auto file = FindWorkspaceFile(app_dir + "gpsdat", race.BoatGpsFile[b]);
            DateTime first = 0, last = 0;
            if (file && TrackTimeSpan(*file, first, last))
                spans.emplace_back(first, last);
        }
        if (spans.empty()) {
            console.Note(*race_name + ": no boat's track gives its times; the starts are not checked against them");
        } else {
            const double utc = race.TimeDiff / 24.0, slack = 0.5 / SecondsPerDay;
            for (std::size_t r = 0; r < starts.size(); ++r) {
                const DateTime at = starts[r] - utc;
                bool inside = false;
                for (const auto& [first, last] : spans)
                    inside = inside || (at >= first - slack && at <= last + slack);
                if (!inside)
                    return console.Fail(*race_name + ": the start at " + FormatRaceDateTime(starts[r]) +
                                        " lies outside every boat's track");
            }
        }

        std::vector<std::string> names, contents;
        for (std::size_t r = 0; r < starts.size(); ++r) {
            names.push_back(RaceName(*race_name, r + 1));
            if (FindWorkspaceFile(admin, names.back()) || AnythingAt(admin + "/" + names.back()))
                return console.Fail(admin + "/" + names.back() + " exists; it is not replaced");
            contents.push_back(SetRaceTimes(source.view(), starts[r], finishes[r], *path));
        }
        source.ThrowIfChanged();
        std::size_t written = 0;
        try {
            for (; written < names.size(); ++written)
                WriteFileAtomically(admin + "/" + names[written], contents[written]);
        } catch (const DataError&) {
            // All the day's races or none.
            for (std::size_t r = 0; r < written; ++r)
                std::remove((admin + "/" + names[r]).c_str());
            throw;
        }
        for (const std::string& name : names)
            std::printf("%s\n", name.c_str());
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    return std::fflush(stdout) == 0 ? 0 : console.Fail("cannot write the output");
}

} // namespace tackedit::cli
