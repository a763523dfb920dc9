#include "entries/track_match.h"

#include "base/numbers.h"
#include "base/workspace_files.h"
#include "track/track_loader.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace tackedit {

namespace {

// The words of a file name without its ending, lower-cased, with a date
// (2026-05-16, 20260516) and the time of day after it left out.
std::vector<std::string> NameWords(const std::string& file_name)
{
    const std::size_t dot = file_name.rfind('.');
    const std::string stem = file_name.substr(0, dot == std::string::npos || dot == 0 ? file_name.size() : dot);
    std::vector<std::string> words;
    std::string word;
    for (const char c : stem) {
        if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '(' || c == ')' || c == ',' || c == '+' ||
            c == '#' || c == '[' || c == ']') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += AsciiLower(c);
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    const auto digits = [](const std::string& w, std::size_t n) {
        return w.size() == n && std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const auto year = [&](const std::string& w) { return w.compare(0, 2, "19") == 0 || w.compare(0, 2, "20") == 0; };
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::size_t date_words = 0;
        if (digits(words[i], 4) && year(words[i]) && i + 2 < words.size() && digits(words[i + 1], 2) &&
            digits(words[i + 2], 2))
            date_words = 3;
        else if (digits(words[i], 8) && year(words[i]))
            date_words = 1;
        if (date_words == 0) {
            kept.push_back(words[i]);
            continue;
        }
        i += date_words - 1;
        // The time of day that follows: 103512, or 10 35 12.
        if (i + 1 < words.size() && (digits(words[i + 1], 6) || digits(words[i + 1], 4)))
            i += 1;
        else if (i + 3 < words.size() && digits(words[i + 1], 2) && digits(words[i + 2], 2) && digits(words[i + 3], 2))
            i += 3;
    }
    return kept;
}

std::string CompactName(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '\'')
            continue;
        if (text.compare(i, 3, "\xE3\x80\x80") == 0) {
            i += 2;
            continue;
        }
        out += AsciiLower(c);
    }
    return out;
}

std::string CompactDevice(const std::string& text)
{
    std::string out;
    for (const char c : text)
        if (c != ' ' && c != '-' && c != '_' && c != ':')
            out += AsciiLower(c);
    return out;
}

bool DeviceMatches(const std::string& listed, const std::string& recorded)
{
    const std::string a = CompactDevice(listed), b = CompactDevice(recorded);
    return !a.empty() && !b.empty() && (a == b || (a.size() >= 4 && b.find(a) != std::string::npos));
}

} // namespace

bool FileNameHoldsSail(const std::string& file_name, const std::string& sail)
{
    const SailKey wanted = SailKeyOf(sail);
    if (wanted.number.empty())
        return false;
    const std::vector<std::string> words = NameWords(file_name);
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string word = words[i];
        // "jpn 45" is one sail number, whose nationality must agree.
        if (IsNationCode(word) && i + 1 < words.size())
            word += words[++i];
        const SailKey key = SailKeyOf(word);
        if (key.number == wanted.number && (key.nation.empty() || wanted.nation.empty() || key.nation == wanted.nation))
            return true;
    }
    return false;
}

bool FileNameHoldsBoat(const std::string& file_name, const std::string& boat)
{
    const std::string wanted = CompactName(boat);
    if (wanted.size() < 3)
        return false;
    const std::vector<std::string> words = NameWords(file_name);
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string joined;
        for (std::size_t k = i; k < words.size() && joined.size() < wanted.size(); ++k) {
            joined += CompactName(words[k]);
            if (joined == wanted)
                return true;
        }
    }
    return false;
}

std::vector<std::string> ListTrackFiles(const std::string& gpsdat)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(gpsdat, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (TrackFileKindOf(name) != TrackFileKind::None && IsRegularFileInside(it->path(), gpsdat))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

EntryMatches MatchTracks(const std::string& gpsdat, const EntryList& list, RaceWindow race)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files = ListTrackFiles(gpsdat);

    const std::size_t n = list.entries.size();
    EntryMatches out;
    out.file.assign(n, std::nullopt);
    out.reason.assign(n, "");
    std::vector<bool> open_entry(n, true);
    std::set<std::string> taken;

    std::map<std::string, std::string> devices;
    const auto device_of = [&](const std::string& file) -> const std::string& {
        auto found = devices.find(file);
        if (found == devices.end())
            found = devices.emplace(file, TrackDeviceId(gpsdat + "/" + file)).first;
        return found->second;
    };
    struct Span {
        bool known;
        DateTime first, last;
    };
    std::map<std::string, Span> spans;
    const auto span_of = [&](const std::string& file) -> const Span& {
        auto found = spans.find(file);
        if (found == spans.end()) {
            Span span{false, 0, 0};
            span.known = TrackTimeSpan(gpsdat + "/" + file, span.first, span.last);
            found = spans.emplace(file, span).first;
        }
        return found->second;
    };
    // Of several files, the one alone in overlapping the race, or else alone in
    // covering it whole; empty while still tied.
    const auto by_race_time = [&](const std::vector<std::string>& candidates) -> std::string {
        if (race.start >= race.finish)
            return {};
        std::vector<std::string> overlapping, covering;
        for (const std::string& file : candidates) {
            const Span& span = span_of(file);
            if (!span.known || span.last < race.start || span.first > race.finish)
                continue;
            overlapping.push_back(file);
            if (span.first <= race.start && span.last >= race.finish)
                covering.push_back(file);
        }
        if (overlapping.size() == 1)
            return overlapping.front();
        return covering.size() == 1 ? covering.front() : std::string();
    };

    // One rule after another: an entry matched, or caught in a conflict, by one
    // rule is not offered to the next, nor is its file.
    const auto apply = [&](const std::string& label, auto&& reason_of, auto&& matches) {
        std::map<std::string, std::vector<std::size_t>> claims;
        std::vector<std::string> why(n);
        for (std::size_t e = 0; e < n; ++e) {
            if (!open_entry[e])
                continue;
            std::vector<std::string> candidates;
            for (const std::string& file : files)
                if (!taken.count(file) && matches(list.entries[e], file))
                    candidates.push_back(file);
            if (candidates.empty())
                continue;
            why[e] = reason_of(list.entries[e]);
            if (candidates.size() > 1) {
                const std::string chosen = by_race_time(candidates);
                if (chosen.empty()) {
                    out.conflicts.push_back(
                        {{e}, candidates, why[e] + ": " + std::to_string(candidates.size()) + " files match"});
                    open_entry[e] = false;
                    taken.insert(candidates.begin(), candidates.end());
                    continue;
                }
                candidates = {chosen};
                why[e] = "covers the race";
            }
            claims[candidates.front()].push_back(e);
        }
        for (const auto& [file, entries] : claims) {
            if (taken.count(file)) {
                // Also one of another entry's tied files: that conflict names it.
                for (MatchConflict& conflict : out.conflicts)
                    if (std::find(conflict.files.begin(), conflict.files.end(), file) != conflict.files.end()) {
                        conflict.entries.insert(conflict.entries.end(), entries.begin(), entries.end());
                        break;
                    }
                for (const std::size_t e : entries)
                    open_entry[e] = false;
                continue;
            }
            taken.insert(file);
            if (entries.size() > 1) {
                out.conflicts.push_back({entries, {file}, label + ": " + std::to_string(entries.size()) +
                                                              " entries claim one file"});
                for (const std::size_t e : entries)
                    open_entry[e] = false;
                continue;
            }
            out.file[entries.front()] = file;
            out.reason[entries.front()] = why[entries.front()];
            open_entry[entries.front()] = false;
        }
    };

    std::map<std::size_t, std::string> listed;  // entry -> its file column's file, as gpsdat/ spells it
    for (std::size_t e = 0; e < n; ++e) {
        const std::string& named = list.entries[e].track_file;
        if (named.empty())
            continue;
        const auto path = FindWorkspaceFile(gpsdat, named);
        if (path)
            listed[e] = fs::path(*path).filename().string();
        else
            out.notes.push_back("the file column of " + (list.entries[e].line > 0 ? "line " + std::to_string(list.entries[e].line)
                                                                                   : "sail " + list.entries[e].sail) +
                                " names " + named + ", which is not in gpsdat/");
    }
    // A listed file need not be one a track reader takes by its ending.
    for (const auto& [e, file] : listed)
        if (!std::binary_search(files.begin(), files.end(), file))
            files.insert(std::upper_bound(files.begin(), files.end(), file), file);
    const auto fixed = [](const char* reason) { return [reason](const Entry&) { return std::string(reason); }; };
    apply("file column", fixed("file column"), [&](const Entry& entry, const std::string& file) {
        const auto found = listed.find(static_cast<std::size_t>(&entry - list.entries.data()));
        return found != listed.end() && found->second == file;
    });
    if (list.has_device_column)
        apply("device", [](const Entry& entry) { return "device " + entry.device; },
              [&](const Entry& entry, const std::string& file) {
                  return !entry.device.empty() && DeviceMatches(entry.device, device_of(file));
              });
    apply("sail number in file name", fixed("sail number in file name"),
          [](const Entry& entry, const std::string& file) { return FileNameHoldsSail(file, entry.sail); });
    apply("boat name in file name", fixed("boat name in file name"),
          [](const Entry& entry, const std::string& file) { return FileNameHoldsBoat(file, entry.boat); });

    std::set<std::size_t> in_conflict;
    for (const MatchConflict& conflict : out.conflicts)
        in_conflict.insert(conflict.entries.begin(), conflict.entries.end());
    for (std::size_t e = 0; e < n; ++e)
        if (!out.file[e] && !in_conflict.count(e))
            out.without_track.push_back(e);
    for (const std::string& file : files)
        if (!taken.count(file))
            out.tracks_without_entry.push_back(file);
    return out;
}

} // namespace tackedit
