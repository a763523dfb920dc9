#include "race/compile_core.h"

#include "platform/text_codec.h"
#include "race/race_file.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <ctime>
#include <sys/stat.h>
#include <cmath>
#include <filesystem>
#include <set>
#include <system_error>

namespace tackedit {

void ResetRace(RaceSettings& race)
{
    // Clears the night flag too: a new race starts without the previous race's.
    race.ClearRace();
}

int LocalZoneHours(int standard_bias_minutes)
{
    // Local minus UTC, signed: a zone west of Greenwich gets a negative default.
    return static_cast<int>(RoundHalfEven(-standard_bias_minutes / 60.0L));
}

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

// The file's last-write time in local time, as the desktop shows file dates; 0
// when it cannot be read.
DateTime LastWriteTime(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    const std::time_t whole = st.st_mtime;
    std::tm local{};
    localtime_r(&whole, &local);
    const auto day = TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const auto clock = TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59));
    return day && clock ? *day + *clock : 0;
}

} // namespace

std::vector<WorkspaceFileEntry> ListWorkspaceFiles(const std::string& folder, const std::string& extension,
                                                   bool by_date, std::size_t limit)
{
    namespace fs = std::filesystem;
    std::vector<WorkspaceFileEntry> entries;
    const std::string ending = "." + Lower(extension);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end && entries.size() < limit;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_regular_file(error))
            continue;
        if (extension != "*" &&
            (name.size() < ending.size() || Lower(name.substr(name.size() - ending.size())) != ending))
            continue;
        WorkspaceFileEntry entry;
        entry.name = name;
        entry.modified = LastWriteTime(it->path().string());
        entry.modified_text = FormatRaceDateTime(entry.modified);
        entries.push_back(std::move(entry));
    }
    // Names first, so that equal dates keep a fixed order too.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const std::string la = Lower(a.name), lb = Lower(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
    if (by_date)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.modified > b.modified; });
    return entries;
}

std::optional<std::string> PlayTimeText(DateTime start, DateTime finish, const std::string& pre_start_min,
                                        const std::string& speed_after, const std::string& speed_pre,
                                        int ui_language)
{
    const auto pre = ParseInteger(pre_start_min);
    const auto after = ParseReal(speed_after);
    const auto before = ParseReal(speed_pre);
    if (!pre || !after || !before)
        return std::nullopt;
    // Both times to whole seconds, as the pickers show them.
    const auto whole = [](DateTime t) {
        const DateTimeParts p = DecodeDateTime(t);
        return *TryEncodeDate(p.year, p.month, p.day) + *TryEncodeTime(p.hour, p.minute, p.second);
    };
    const int race_seconds = RaceSeconds(whole(start), whole(finish));
    const float speed_a = static_cast<float>(*after);
    const float speed_p = static_cast<float>(*before);
    const long double total_real = race_seconds / static_cast<long double>(speed_a) +
                                   (*pre * 60) / static_cast<long double>(speed_p);
    if (!std::isfinite(total_real))
        return std::nullopt;
    const std::int64_t total = RoundHalfEven(total_real);
    const std::int64_t h = total / 3600;
    const std::int64_t m = (total - 3600 * h) / 60;
    const std::int64_t s = total - 3600 * h - 60 * m;
    const bool japanese = ui_language == 0;
    std::string text;
    if (h > 0)
        text += std::to_string(h) + (japanese ? "時間" : "hr");
    if (m > 0)
        text += std::to_string(m) + (japanese ? "分" : "min");
    text += std::to_string(s) + (japanese ? "秒" : "sec");
    return (japanese ? "(推定合計プレイ時間= " : "(Est Total Play Time= ") + text + ")";
}

std::string EntryFileName(const std::string& entry)
{
    return entry.substr(0, entry.find(" /"));
}

std::string DefaultBoatName(const std::string& file)
{
    const std::size_t dot = file.find('.');
    if (dot == std::string::npos)
        return {};
    std::string name = file.substr(0, dot);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    const std::size_t underscore = name.find('_');
    if (underscore != std::string::npos) {
        // At most 100 characters, never cut inside one (UTF-8 continuation bytes are 10xxxxxx).
        std::size_t end = underscore + 1;
        for (int characters = 0; end < name.size() && characters < 100; ++characters)
            do
                ++end;
            while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80);
        const std::string after = name.substr(underscore + 1, end - underscore - 1);
        if (after.size() >= 2)
            return after;
    }
    return name;
}

std::optional<std::string> BoatNameProblem(const std::string& name, int ui_language)
{
    return RaceFieldProblem(name, Say(texts::kTheBoatName, ui_language), ui_language);
}

std::vector<std::string> CoastlineTiles(double min_lat, double max_lat, double min_lon, double max_lon)
{
    const float diagonal = static_cast<float>(
        std::sqrt(std::pow(std::fabs(max_lat - min_lat), 2) + std::pow(max_lon - min_lon, 2)));
    if (diagonal > 60)
        return {"jcoast"};
    const int lat_lo = static_cast<int>(std::trunc((min_lat - 5) / 40));
    const int lat_hi = static_cast<int>(std::trunc((max_lat + 5) / 40));
    const int lon_lo = static_cast<int>(std::trunc((min_lon - 7.5) / 60)) - 100;
    const int lon_hi = static_cast<int>(std::trunc((max_lon + 7.5) / 60)) - 100;
    std::vector<std::string> tiles;
    for (int lat = lat_lo; lat <= lat_hi; ++lat)
        for (int lon = lon_lo; lon <= lon_hi; ++lon)
            tiles.push_back(std::to_string(lat * 100 + lon));
    return tiles;
}

std::optional<RaceArea> RaceAreaOf(const TrackStore& track, int zone_hours, int ui_language)
{
    const int n = track.TrackCount;
    if (n <= 20)
        return std::nullopt;
    RaceArea area;
    area.start = track.TrackTime[5] + 1.0 / 48 + zone_hours / 24.0;
    area.finish = track.TrackTime[static_cast<std::size_t>(n - 5)] + zone_hours / 24.0;
    double max_lat = -5400, min_lat = 5400, max_lon = -10800, min_lon = 10800;
    for (int i = 1; i <= n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        max_lat = std::max(max_lat, track.TrackLat[at]);
        min_lat = std::min(min_lat, track.TrackLat[at]);
        max_lon = std::max(max_lon, track.TrackLon[at]);
        min_lon = std::min(min_lon, track.TrackLon[at]);
    }
    if (ui_language == 0)
        area.map_names = CoastlineTiles(min_lat, max_lat, min_lon, max_lon);
    return area;
}

bool IsNightRace(DateTime start, DateTime finish)
{
    const std::int64_t hours = RoundHalfEven(RaceSeconds(start, finish) / 3600.0L);
    const auto time_of_day = [](DateTime t) { return std::fabs(t - std::trunc(t)); };
    const auto night = [](double f) { return f > 0.75 || f < 0.25; };
    return hours > 12 || night(time_of_day(start)) || night(time_of_day(finish));
}

std::string ProposedRaceFileName(const std::string& race_file_name, const std::string& combo_text)
{
    if (race_file_name.empty())
        return combo_text;
    return SavedCopyStem(race_file_name.substr(0, race_file_name.find('.'))) + ".txt";
}

std::string RaceFileNameFromAnswer(const std::string& answer)
{
    const std::string lower = Lower(answer);
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".txt") == 0)
        return answer;
    return answer + ".txt";
}

std::optional<std::string> RaceFileNameProblem(const std::string& name, int ui_language)
{
    const std::string stem = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
    if (stem.find_first_not_of(" \t") == std::string::npos)
        return Say(texts::kEnterRaceFileName, ui_language);
    if (!IsBareFileName(name))
        return Say(texts::kNotRaceFileName, ui_language, {name});
    // Distributions copy the race file to Windows computers.
    if (auto problem = WindowsNameProblem(name, "file name"))
        return problem;
    std::string bad;
    if (!Utf8ToCp932(name, &bad))
        return Say(texts::kRaceFileNameCannotStore, ui_language, {name, bad});
    return std::nullopt;
}

} // namespace tackedit

#include "race/handoff_file.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "track/formats/trb_format.h"
#include "base/workspace_files.h"

namespace tackedit {

void ConvertGpsFilesToTrb(const RaceSettings& race, const std::string& app_dir, TrackStore& track,
                          TrackEditState& edit, LoadServices& services,
                          const std::function<void(const std::string&)>& progress,
                          std::vector<std::string>& trb_files, std::vector<TrbLeftOut>* left_out)
{
    const std::string folder = app_dir + "gpsdat";
    const auto count = static_cast<std::size_t>(race.BoatCount);
    trb_files.assign(count, "");
    for (std::size_t b = 0; b < count; ++b) {
        const std::string& file = race.BoatGpsFile[b];
        const std::string name = Lower(file);
        if (name.size() >= 3 && name.compare(name.size() - 3, 3, "trb") == 0)
            continue;
        const std::string new_name = MinimizedGpsFileName(file);
        if (progress)
            progress(new_name);
        const auto source = FindWorkspaceFile(folder, name);
        if (!source || !IsBareFileName(new_name))
            continue;
        LoadTrackFile(*source, track, edit, services);
        std::int32_t skipped = 0;
        const std::string bytes = EncodeTrbTrack(track, folder + "/" + new_name, &skipped);
        if (left_out && skipped > 0)
            left_out->push_back({b, skipped, track.TrackCount});
        // Boats sharing one source may share its conversion; no other boat's file is ever used.
        std::set<std::string> taken;
        for (std::size_t j = 0; j < count; ++j)
            if (j != b && Lower(race.BoatGpsFile[j]) != name)
                taken.insert(Lower(trb_files[j].empty() ? race.BoatGpsFile[j] : trb_files[j]));
        const ConversionTarget target = ChooseConversionTarget(folder, new_name, bytes, taken);
        if (!target.exists)
            WriteFileAtomically(folder + "/" + target.name, bytes);
        trb_files[b] = target.name;
    }
}

void UseTrbFiles(RaceSettings& race, const std::vector<std::string>& trb_files)
{
    for (std::size_t b = 0; b < trb_files.size() && b < race.BoatGpsFile.size(); ++b)
        if (!trb_files[b].empty())
            race.BoatGpsFile[b] = trb_files[b];
}

void MinimizeGpsFiles(RaceSettings& race, const std::string& app_dir, TrackStore& track, TrackEditState& edit,
                      LoadServices& services, const std::function<void(const std::string&)>& progress)
{
    std::vector<std::string> trb_files;
    try {
        ConvertGpsFilesToTrb(race, app_dir, track, edit, services, progress, trb_files);
    } catch (...) {
        UseTrbFiles(race, trb_files);
        throw;
    }
    UseTrbFiles(race, trb_files);
}

void WriteHandoffFile(const std::string& path, const std::string& text)
{
    WriteFileAtomically(path, EncodeHandoffFile(text, path));
}

} // namespace tackedit
