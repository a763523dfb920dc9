// The GPX reader on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"
#include "track/formats/gpx_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {EncodeGpxTrack(SampleTrack()),
            "<gpx><trk><trkseg><trkpt lat=\"35.5\" lon=\"139.25\"><time>2010-05-03T01:02:03Z</time></trkpt>"
            "<trkpt lon='-151.5' lat='-33.25'><time>2010-05-03T01:02:13.5+09:00</time></trkpt></trkseg></trk></gpx>"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseGpxTrack(bytes, "fuzz.gpx", store);
    });
}
