#include "track/track_loader.h"

#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/track_formats.h"
#include "track/formats/vkx_reader.h"

namespace tackedit {

TrackFileKind TrackFileKindOf(const std::string& path)
{
    std::string key = path.substr(path.size() >= 3 ? path.size() - 3 : 0);
    for (char& c : key)
        c = AsciiLower(c);
    const auto has = [&key](const char* word) { return key.find(word) != std::string::npos; };
    if (has("gpx"))
        return TrackFileKind::Gpx;
    if (has("gdb"))
        return TrackFileKind::Gdb;
    if (has("trb"))
        return TrackFileKind::Trb;
    if (has("trl"))
        return TrackFileKind::Trl;
    if (has("dtr") || has("trk"))
        return TrackFileKind::Text;
    // Formats of watches, race timers and apps; the viewer reads none of them.
    if (key == "fit")
        return TrackFileKind::Fit;
    if (key == "vkx")
        return TrackFileKind::Vkx;
    if (key == "tcx")
        return TrackFileKind::Tcx;
    if (key == "kml")
        return TrackFileKind::Kml;
    if (key == "kmz")
        return TrackFileKind::Kmz;
    // Loggers and chartplotters also name their NMEA logs .nmea, .nma or .nme.
    const bool nmea = key == "mea" && path.size() >= 4 && AsciiLower(path[path.size() - 4]) == 'n';
    if (has("log") || nmea || key == "nma" || key == "nme")
        return TrackFileKind::Nmea;
    return TrackFileKind::None;
}

std::int32_t MeanSamplingInterval(const TrackStore& store)
{
    if (store.TrackCount <= 0)
        return 0;
    const float span = static_cast<float>(store.TrackTime[store.TrackCount] - store.TrackTime[1]);
    return RoundHalfEvenToInt32(static_cast<long double>(span) * 24 * 3600 / store.TrackCount);
}

double MeanSamplingSeconds(const TrackStore& store)
{
    if (store.TrackCount <= 0)
        return 0;
    const float span = static_cast<float>(store.TrackTime[store.TrackCount] - store.TrackTime[1]);
    return static_cast<double>(span) * 24 * 3600 / store.TrackCount;
}

namespace {

// A logger without a position writes one at 0 N 0 E, where no race is sailed;
// kept, it would stretch every view and distance of the track. The scan only
// reads, so a track without such a fix costs one pass over its latitudes.
std::int32_t DropZeroFixes(TrackStore& store)
{
    double* const times = store.TrackTime.data();
    double* const lats = store.TrackLat.data();
    double* const lons = store.TrackLon.data();
    const std::int32_t count = store.TrackCount;
    std::int32_t first = 1;
    while (first <= count && !(lats[first] == 0 && lons[first] == 0))
        ++first;
    if (first > count)
        return 0;
    std::int32_t kept = first - 1;
    for (std::int32_t i = first; i <= count; ++i) {
        if (lats[i] == 0 && lons[i] == 0)
            continue;
        ++kept;
        times[kept] = times[i];
        lats[kept] = lats[i];
        lons[kept] = lons[i];
    }
    store.TrackCount = kept;
    return count - kept;
}

} // namespace

std::string ZeroFixesNote(std::int32_t fixes)
{
    return fixes == 1 ? "1 fix at latitude 0, longitude 0 (a fix without a position) was left out"
                      : std::to_string(fixes) +
                            " fixes at latitude 0, longitude 0 (fixes without a position) were left out";
}

void LoadTrackFile(const std::string& path, TrackStore& store, TrackEditState& edit, LoadServices& services)
{
    if (!FileExists(path))
        return;
    {
        BusyCursorScope busy(services.cursor);
        store.TrackCount = 0;
        store.ReadNotes.clear();
        store.ZeroFixesLeftOut = 0;
        if (services.vkx_events)
            services.vkx_events->list.clear();
        try {
            switch (TrackFileKindOf(path)) {
            case TrackFileKind::Gpx: ReadGpxTrack(path, store); break;
            case TrackFileKind::Gdb: ReadGdbTrack(path, store, services.events, services.beeper); break;
            case TrackFileKind::Trb: ReadTrbTrack(path, store, services.events, services.beeper); break;
            case TrackFileKind::Trl: ReadTrlTrack(path, store, services.events, services.beeper); break;
            case TrackFileKind::Text: ReadTextTrack(path, store); break;
            case TrackFileKind::Nmea: ReadNmeaLog(path, store); break;
            case TrackFileKind::Tcx: ReadTcxTrack(path, store); break;
            case TrackFileKind::Kml: ReadKmlTrack(path, store); break;
            case TrackFileKind::Kmz: ReadKmzTrack(path, store); break;
            case TrackFileKind::Vkx: ReadVkxTrack(path, store, services.vkx_events); break;
            case TrackFileKind::Fit: ReadFitTrack(path, store); break;
            case TrackFileKind::None: break;
            }
        } catch (const FileChangedError&) {
            store.TrackCount = 0;
            throw;
        } catch (const DataError& e) {
            if (!e.file().empty())
                throw;
            throw DataError(path, e.line(), e.text(), e.message());  // the track store's own limit
        }
        store.ZeroFixesLeftOut = DropZeroFixes(store);
        if (store.ZeroFixesLeftOut > 0) {
            // With no fix left, it is the reason the file gives none.
            const auto at = store.TrackCount == 0 ? store.ReadNotes.begin() : store.ReadNotes.end();
            store.ReadNotes.insert(at, ZeroFixesNote(store.ZeroFixesLeftOut));
        }
    }
    // Written only where set: a fresh store is zero already, and reading its
    // untouched memory costs far less than writing it.
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        if (store.TrackMark[i] != 0)
            store.TrackMark[i] = 0;
    ++store.Changes;
    edit.DeletedCount = 0;
    edit.AreaDeletedCount = 0;
    edit.TimeDeletedCount = 0;
    edit.PointDeletedCount = 0;
    edit.AutoDeletedCount = 0;
    if (services.ShowDeletionCounts)
        services.ShowDeletionCounts();
    edit.FirstPresent = 1;
    edit.LastPresent = store.TrackCount;
    edit.LoadedInterval = MeanSamplingInterval(store);
    edit.LoadedIntervalSeconds = MeanSamplingSeconds(store);
}

} // namespace tackedit
