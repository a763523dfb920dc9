#include "editor/editor_texts.h"

#include "platform/null_platform.h"
#include "shell/messages.h"
#include "track/data_error.h"
#include "track/file_buffer.h"
#include "track/track_formats.h"
#include "track/track_loader.h"

#include <filesystem>
#include <optional>

namespace tackedit {

namespace {

// The points of a file the editor wrote before; nullopt when it does not read.
std::optional<std::int32_t> PointsIn(const std::string& path)
{
    try {
        TrackStore store;
        NullPendingEvents events;
        CountingBeeper beeper;
        switch (TrackFileKindOf(path)) {
        case TrackFileKind::Gpx: ReadGpxTrack(path, store); break;
        case TrackFileKind::Trb: ReadTrbTrack(path, store, events, beeper); break;
        default: return std::nullopt;
        }
        return store.TrackCount;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::string SaveConfirmationText(const std::string& new_file, int ui_language)
{
    const std::string text = Say(texts::kSaveTrackAs, ui_language) + new_file;
    std::error_code error;
    if (!std::filesystem::exists(new_file, error))
        return text;
    const auto points = PointsIn(new_file);
    return text + Say(texts::kReplacesSave, ui_language,
                      {points ? Say(texts::kReplacesPoints, ui_language, {std::to_string(*points)}) : ""});
}

std::string NoPointsMessage(const std::string& path, int ui_language)
{
    return Say(TrackFileKindOf(path) == TrackFileKind::None ? texts::kNotTrackFile : texts::kNoTrackPoint,
               ui_language, {path});
}

} // namespace tackedit
