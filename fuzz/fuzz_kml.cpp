// The KML reader on any bytes, in one pass and in small pieces: both
// must give the same track or the same error.
#include "fuzz/fuzz_xml.h"
#include "track/formats/kml_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"<kml><Placemark><gx:MultiTrack><gx:Track><when>2024-06-15T10:00:00Z</when><when>2024-06-15T19:00:01+09:00"
            "</when><when>2024-06-15T10:00:02Z</when><gx:coord>139.25 35.5 3</gx:coord><gx:coord> </gx:coord>"
            "<gx:coord>-1 -0.5</gx:coord></gx:Track></gx:MultiTrack>"
            "</Placemark><Placemark><Track><when>2024-06-15T12:00:00Z</when><coord>3 4 5</coord></Track></Placemark>"
            "<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark></kml>"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::PiecesMatchOnePass(data, size, ParseKmlTrackInPieces);
}
