#include "check/track_shift.h"

#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"

namespace tackedit {

void ShiftTrackTimes(TrackStore& track, double seconds)
{
    const double days = seconds / SecondsPerDay;
    for (std::int32_t i = 1; i <= track.TrackCount; ++i)
        track.TrackTime[static_cast<std::size_t>(i)] += days;
}

std::string ShiftedFileName(const std::string& file)
{
    return file.substr(0, file.find('.')) + "_shifted.trb";
}

ShiftedCopy MakeShiftedCopy(const std::string& from, const std::string& to, double seconds)
{
    if (!FileExists(from))
        throw DataError(from, 0, "", "no such file");
    if (TrackFileKindOf(from) == TrackFileKind::None)
        throw DataError(from, 0, "", "not a kind of GPS file tackedit reads");
    TrackStore track;
    TrackEditState edit;
    QuietLoad load;
    LoadTrackFile(from, track, edit, load.services);
    ShiftTrackTimes(track, seconds);
    std::string ending = to.substr(to.size() >= 4 ? to.size() - 4 : 0);
    for (char& c : ending)
        c = AsciiLower(c);
    ShiftedCopy copy;
    copy.bytes = ending == ".gpx" ? EncodeGpxTrack(track, &copy.left_out) : EncodeTrbTrack(track, to, &copy.left_out);
    copy.points = track.TrackCount - copy.left_out;
    return copy;
}

ShiftedCopy WriteShiftedCopy(const std::string& from, const std::string& to, double seconds)
{
    ShiftedCopy copy = MakeShiftedCopy(from, to, seconds);
    WriteFileAtomically(to, copy.bytes);
    return copy;
}

} // namespace tackedit
