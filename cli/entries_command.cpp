// entries: an entry list's boats, the tracks that are theirs, and with
// --write the race file's boats set from them.

#include "cli/cli_common.h"
#include "entries/entry_list.h"
#include "entries/race_boats.h"
#include "entries/track_match.h"
#include "race/race_file.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/table_cells.h"
#include "base/workspace_files.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tackedit::cli {

namespace {

using json = nlohmann::ordered_json;

void PrintJson(const EntryList& list, const EntryMatches& found)
{
    json out = {{"matches", json::array()}, {"entries_without_track", json::array()},
                {"tracks_without_entry", found.tracks_without_entry}, {"conflicts", json::array()}};
    for (std::size_t e = 0; e < list.entries.size(); ++e) {
        const Entry& entry = list.entries[e];
        out["matches"].push_back({{"sail", entry.sail}, {"boat", entry.boat},
                                  {"file", found.file[e] ? json(*found.file[e]) : json(nullptr)},
                                  {"reason", found.file[e] ? json(found.reason[e]) : json(nullptr)}});
    }
    for (const std::size_t e : found.without_track)
        out["entries_without_track"].push_back({{"sail", list.entries[e].sail}, {"boat", list.entries[e].boat}});
    for (const MatchConflict& conflict : found.conflicts) {
        json sails = json::array(), boats = json::array();
        for (const std::size_t e : conflict.entries) {
            sails.push_back(list.entries[e].sail);
            boats.push_back(list.entries[e].boat);
        }
        out["conflicts"].push_back(
            {{"sails", sails}, {"boats", boats}, {"files", conflict.files}, {"reason", conflict.reason}});
    }
    std::printf("%s\n", out.dump(2, ' ', false, json::error_handler_t::replace).c_str());
}

void PrintTable(const EntryList& list, const EntryMatches& found)
{
    std::printf("sail\tboat\tclass\tfile\treason\n");
    for (std::size_t e = 0; e < list.entries.size(); ++e) {
        const Entry& entry = list.entries[e];
        std::printf("%s\t%s\t%s\t%s\t%s\n", TsvField(entry.sail).c_str(), TsvField(entry.boat).c_str(),
                    TsvField(entry.boat_class).c_str(), found.file[e] ? TsvField(*found.file[e]).c_str() : "-",
                    found.file[e] ? found.reason[e].c_str() : "-");
    }
    if (!found.without_track.empty()) {
        std::printf("\nentries without a track:\n");
        for (const std::size_t e : found.without_track)
            std::printf("  %s\n", TsvField(EntryLabel(list.entries[e])).c_str());
    }
    if (!found.tracks_without_entry.empty()) {
        std::printf("\ntracks without an entry:\n");
        for (const std::string& file : found.tracks_without_entry)
            std::printf("  %s\n", TsvField(file).c_str());
    }
    if (!found.conflicts.empty()) {
        std::printf("\nconflicts (no file given to these entries):\n");
        for (const MatchConflict& conflict : found.conflicts) {
            std::string entries, files;
            for (const std::size_t e : conflict.entries)
                entries += (entries.empty() ? "" : ", ") + EntryLabel(list.entries[e]);
            for (const std::string& file : conflict.files)
                files += (files.empty() ? "" : ", ") + file;
            std::printf("  %s: %s (%s)\n", TsvField(entries).c_str(), TsvField(files).c_str(),
                        conflict.reason.c_str());
        }
    }
}

// The race file's boats from the list: every entry with a track.
void WriteBoats(Console& console, const std::string& path, const std::string& name, const EntryList& list,
                const EntryMatches& found)
{
    std::vector<ListedBoat> boats;
    for (std::size_t e = 0; e < list.entries.size(); ++e) {
        if (!found.file[e])
            continue;
        const Entry& entry = list.entries[e];
        boats.push_back({*found.file[e], EntryBoatName(entry), entry.boat_class, entry.tcf});
    }
    std::string bytes;
    {
        const FileBytes old = ReadWholeFile(path);
        ReadUnchanged(old, [&] { bytes = SetRaceBoats(old.view(), boats, list.Classes(), path); });
    }
    WriteFileAtomically(path, bytes);
    if (boats.size() > static_cast<std::size_t>(RaceSettings::kMaxBoats))
        console.Note(name + ": " + ViewerShowsFirstNote(static_cast<std::int64_t>(boats.size())));
    const std::size_t left = list.entries.size() - boats.size();
    if (left > 0)
        console.Note(name + ": " + std::to_string(left) + " entries without a track are not in the race file");
    console.Note(name + ": wrote " + std::to_string(boats.size()) + " boats");
}

} // namespace

int Entries(Console& console, const std::vector<std::string>& args)
{
    const auto split = SplitFlags(args, {"--json", "--write"});
    if (!split || split->names.size() != 3)
        return console.Usage();
    const std::vector<std::string>& names = split->names;
    try {
        const std::string app_dir = WorkspaceFolder(names[0]);
        const auto race_name = RaceFileArgument(console, app_dir, names[2]);
        if (!race_name)
            return 1;
        const auto path = FindWorkspaceFile(app_dir + "raceadmin", *race_name);
        if (!path)
            return console.Fail(app_dir + "raceadmin/" + *race_name + ": no such race file");
        const EntryList list = ReadEntryList(names[1]);
        for (const std::string& problem : list.problems)
            console.Note(names[1] + ": " + problem);
        for (const std::string& duplicate : list.duplicates)
            console.Note(names[1] + ": duplicate " + duplicate);
        RaceSettings race;
        ReadRaceFile(*path, app_dir, 2, race);
        const double utc = race.TimeDiff / 24.0;
        const EntryMatches found = MatchTracks(app_dir + "gpsdat", list, {race.StartTime - utc, race.FinishTime - utc});
        for (const std::string& note : found.notes)
            console.Note(names[1] + ": " + note);
        if (split->Has("--json"))
            PrintJson(list, found);
        else
            PrintTable(list, found);
        if (std::fflush(stdout) != 0)
            return console.Fail("cannot write the output");
        if (split->Has("--write"))
            WriteBoats(console, *path, *race_name, list, found);
    } catch (const DataError& e) {
        return console.Fail(e.what());
    }
    return 0;
}

} // namespace tackedit::cli
