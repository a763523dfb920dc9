// The TCX reader on any bytes, in one pass and in small pieces: both
// must give the same track or the same error.
#include "fuzz/fuzz_xml.h"
#include "track/formats/tcx_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"<TrainingCenterDatabase><Activities><Activity><Lap><Track><Trackpoint><Time>2024-06-15T19:00:00+09:00"
            "</Time><Position><LatitudeDegrees>35.5</LatitudeDegrees><LongitudeDegrees>-139.25</LongitudeDegrees>"
            "</Position></Trackpoint><!-- <Trackpoint> --><Trackpoint><Time>2024-06-15T10:00:01.5Z</Time>"
            "</Trackpoint></Track></Lap></Activity></Activities></TrainingCenterDatabase>"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::PiecesMatchOnePass(data, size, ParseTcxTrackInPieces);
}
