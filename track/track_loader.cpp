#include "track/track_loader.h"

#include "track/data_error.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"
#include "track/vkx_reader.h"

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

void LoadTrackFile(const std::string& path, TrackStore& store, TrackEditState& edit, LoadServices& services)
{
    if (!FileExists(path))
        return;
    {
        BusyCursorScope busy(services.cursor);
        store.TrackCount = 0;
        store.ReadNotes.clear();
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
