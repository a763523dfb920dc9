// Entry lists as spreadsheets and scoring programs export them.

#include "entries/entry_list.h"

#include "base/data_error.h"
#include "base/numbers.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tackedit {

namespace {

enum Column { kSail, kBoat, kClass, kHelm, kClub, kTcf, kTrack, kDevice, kColumns };

// Headers as they are written, compared after Compact().
const std::vector<std::string_view> kHeaders[kColumns] = {
    {"sailno", "sailnumber", "sail", "sailnum", "sail#", "sailnr", "セール番号", "セールナンバー", "セイル番号",
     "艇番号", "帆番号"},
    {"boat", "boatname", "yacht", "yachtname", "vessel", "艇名", "ヨット名", "艇"},
    {"class", "classname", "division", "fleet", "クラス", "艇種"},
    {"helm", "helmname", "helmsman", "skipper", "skippername", "ヘルム", "ヘルムスマン", "スキッパー", "艇長"},
    {"club", "clubname", "yachtclub", "クラブ", "所属", "所属クラブ"},
    {"tcf", "rating", "tcc", "handicap", "レーティング", "レイティング"},
    {"track", "trackfile", "file", "filename", "gpsfile", "gps", "gpx", "logfile", "トラック", "ファイル",
     "gpsファイル", "トラックファイル"},
    {"device", "deviceid", "serial", "serialno", "serialnumber", "tracker", "trackerid", "logger", "デバイス",
     "端末", "シリアル", "シリアル番号"},
};

const char* const kColumnNames[kColumns] = {"sail number", "boat name", "class", "helm", "club",
                                            "TCF", "track file", "device"};

// Lower case, without blanks, dashes, underscores, dots and full-width spaces.
std::string Compact(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '\t')
            continue;
        if (text.substr(i, 3) == "\xE3\x80\x80") {
            i += 2;
            continue;
        }
        out += AsciiLower(c);
    }
    return out;
}

int ColumnOfHeader(std::string_view header)
{
    const std::string compact = Compact(header);
    for (int c = 0; c < kColumns; ++c)
        for (std::string_view name : kHeaders[c])
            if (compact == name)
                return c;
    return -1;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

struct Record {
    std::int64_t line = 0;
    std::vector<std::string> fields;
};

// RFC 4180 records: a quoted field may hold the separator, doubled quotes and
// line breaks. An unclosed quote runs to the end and is reported.
std::vector<Record> SplitRecords(std::string_view text, char separator, bool& unclosed)
{
    std::vector<Record> records;
    Record record;
    std::string field;
    std::int64_t line = 1;
    bool quoted = false, any = false;
    unclosed = false;
    record.line = 1;
    const auto end_field = [&] {
        record.fields.push_back(std::string(TrimBlanks(field)));
        field.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && TrimBlanks(field).empty()) {
            field.clear();
            quoted = any = true;
        } else if (c == separator) {
            end_field();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            end_field();
            records.push_back(std::move(record));
            record = Record{};
            record.line = ++line;
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    unclosed = quoted;
    if (any || !field.empty()) {
        end_field();
        records.push_back(std::move(record));
    }
    return records;
}

bool Blank(const Record& record)
{
    return std::all_of(record.fields.begin(), record.fields.end(), [](const std::string& f) { return f.empty(); });
}

// The columns of a header, -1 for one it does not know.
std::vector<int> Columns(const Record& header, int& known)
{
    std::vector<int> columns;
    std::array<bool, kColumns> seen{};
    known = 0;
    for (const std::string& name : header.fields) {
        int column = ColumnOfHeader(name);
        if (column >= 0 && seen[static_cast<std::size_t>(column)])
            column = -1;  // the first of two such columns counts
        if (column >= 0) {
            seen[static_cast<std::size_t>(column)] = true;
            ++known;
        }
        columns.push_back(column);
    }
    return columns;
}

} // namespace

EntryList ParseCsvEntryList(std::string_view bytes, const std::string& file)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (bytes.find('\0') != std::string_view::npos)
        throw DataError(file, 0, "", "not an entry list: it holds binary data, not CSV text");
    const std::string text = IsUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);

    // The separator that makes the most columns of the header known.
    std::vector<Record> records;
    std::vector<int> columns;
    int best = 0;
    bool unclosed = false;
    for (const char separator : {',', ';', '\t'}) {
        bool open = false;
        std::vector<Record> split = SplitRecords(text, separator, open);
        const auto header = std::find_if(split.begin(), split.end(), [](const Record& r) { return !Blank(r); });
        if (header == split.end())
            continue;
        int known = 0;
        std::vector<int> found = Columns(*header, known);
        if (known > best) {
            best = known;
            columns = std::move(found);
            split.erase(split.begin(), header);
            records = std::move(split);
            unclosed = open;
        }
    }
    const auto has = [&](Column c) { return std::find(columns.begin(), columns.end(), c) != columns.end(); };
    if (best == 0)
        throw DataError(file, 0, "",
                        "not an entry list: no column it knows in the first row (a header such as Sail No, "
                        "Boat, Class, Helm, Club, TCF, Track or Device is needed)");
    if (!has(kSail) && !has(kBoat))
        throw DataError(file, records.front().line, "",
                        "the entry list has no sail number column and no boat name column");

    EntryList list;
    list.has_file_column = has(kTrack);
    list.has_device_column = has(kDevice);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        if (Blank(record))
            continue;
        const std::string where = "line " + std::to_string(record.line) + ": ";
        std::array<std::string, kColumns> value;
        for (std::size_t i = 0; i < record.fields.size() && i < columns.size(); ++i)
            if (columns[i] >= 0)
                value[static_cast<std::size_t>(columns[i])] = record.fields[i];
        Entry entry;
        entry.line = record.line;
        entry.sail = value[kSail];
        entry.boat = value[kBoat];
        if (entry.sail.empty() && entry.boat.empty()) {
            list.problems.push_back(where + "no sail number and no boat name; the row is left out");
            continue;
        }
        entry.boat_class = value[kClass];
        entry.helm = value[kHelm];
        entry.club = value[kClub];
        entry.track_file = value[kTrack];
        entry.device = value[kDevice];
        if (!value[kTcf].empty()) {
            std::string number = value[kTcf];
            std::replace(number.begin(), number.end(), ',', '.');  // "1,025" in a semicolon list
            const auto tcf = ParseReal(number);
            if (tcf && std::isfinite(static_cast<double>(*tcf)) && *tcf > 0 && *tcf < 100)
                entry.tcf = static_cast<double>(*tcf);
            else
                list.problems.push_back(where + "the " + std::string(kColumnNames[kTcf]) + " '" + value[kTcf] +
                                        "' is not a positive number; the boat is taken without one");
        }
        list.entries.push_back(std::move(entry));
    }
    if (unclosed)
        list.problems.push_back("line " + std::to_string(records.back().line) +
                                ": a quote opened here is never closed; the rest of the file is one field");
    return list;
}

} // namespace tackedit
