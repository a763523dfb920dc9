#pragma once

// The entry list a race committee already keeps: a spreadsheet's or a scoring
// program's CSV export, or a results system's XRR file, read into entries.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct Entry {
    std::int64_t line = 0;  // of the list (the CSV row's first line; 0 for XRR)
    std::string sail, boat, boat_class, helm, club;
    double tcf = 0;  // 0 = none
    std::string track_file, device;
};

// The name a race gives the entry's boat: its boat name, else its sail number.
inline std::string EntryBoatName(const Entry& entry) { return entry.boat.empty() ? entry.sail : entry.boat; }
// "JPN 45 Bravo": the entry as lists of loose ends name it.
inline std::string EntryLabel(const Entry& entry)
{
    if (entry.sail.empty())
        return entry.boat;
    return entry.boat.empty() ? entry.sail : entry.sail + " " + entry.boat;
}

struct EntryList {
    std::vector<Entry> entries;
    // A row left out or a value not taken: "line 7: no sail number and no boat name".
    std::vector<std::string> problems;
    // "sail number GBR 12 on lines 4 and 9": both rows stay entries.
    std::vector<std::string> duplicates;
    bool has_file_column = false, has_device_column = false;
    // Classes in the order of their first entry.
    std::vector<std::string> Classes() const;
};

// Reads the list at `path`: XRR when it is XML, else CSV (comma, semicolon or
// tab; UTF-8 with or without BOM, or Shift-JIS). Raises DataError naming the
// file when it cannot be read, is neither, or has no column it recognises.
EntryList ReadEntryList(const std::string& path);
EntryList ParseEntryList(std::string_view bytes, const std::string& file);

EntryList ParseCsvEntryList(std::string_view bytes, const std::string& file);
EntryList ParseXrrEntryList(std::string_view bytes, const std::string& file);

// A sail number as the list and the file names may spell it: "JPN-0045",
// "jpn 45" and "45" share the number "45"; the nationality "JPN" is kept apart
// so that GBR 45 and JPN 45 stay two boats.
struct SailKey {
    std::string nation, number;
};
SailKey SailKeyOf(std::string_view sail);
bool IsNationCode(std::string_view letters);

// Reports each sail number given to more than one entry.
void FindDuplicateSails(EntryList& list);

} // namespace tackedit
