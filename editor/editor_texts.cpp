#include "editor/editor_texts.h"

#include "platform/null_platform.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "track/formats/gpx_reader.h"
#include "track/formats/trb_format.h"
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

std::string SaveConfirmationText(const std::string& new_file, int ui_language, std::int32_t left_out)
{
    std::string text = Say(texts::kSaveTrackAs, ui_language) + new_file;
    std::error_code error;
    if (std::filesystem::exists(new_file, error)) {
        const auto points = PointsIn(new_file);
        text += Say(texts::kReplacesSave, ui_language,
                    {points ? Say(texts::kReplacesPoints, ui_language, {std::to_string(*points)}) : ""});
    }
    if (left_out > 0)
        text += Say(texts::kSaveLeavesOut, ui_language, {CountOf(left_out, texts::check::kPoint, ui_language)});
    return text;
}

std::string HoverTimeText(double track_time, std::optional<int> time_diff_hours)
{
    const DateTimeParts utc = DecodeDateTime(track_time);
    std::string text = FormatIsoDateTime(utc) + " UTC";
    if (!time_diff_hours)
        return text;
    const DateTimeParts local = DecodeDateTime(track_time + *time_diff_hours / 24.0);
    std::string shown = FormatIsoDateTime(local);
    if (local.year == utc.year && local.month == utc.month && local.day == utc.day)
        shown = shown.substr(shown.find(' ') + 1);
    return text + " / " + shown + " UTC" + (*time_diff_hours < 0 ? "" : "+") + std::to_string(*time_diff_hours);
}

std::string NoPointsMessage(const std::string& path, int ui_language, const std::vector<std::string>& notes)
{
    if (TrackFileKindOf(path) == TrackFileKind::None)
        return Say(texts::kNotTrackFile, ui_language, {path});
    if (notes.empty())
        return Say(texts::kNoTrackPoint, ui_language, {path});
    return Say(texts::kNoTrackPointBecause, ui_language, {path, JoinedNotes(notes)});
}

std::string JoinedNotes(const std::vector<std::string>& notes)
{
    std::string text;
    for (const std::string& note : notes)
        text += (text.empty() ? "" : "\n") + note;
    return text;
}

} // namespace tackedit
