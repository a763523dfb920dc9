// The dtr/trk text track reader on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"
#include "track/formats/text_track_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"H DMS\nT N351220.7 E1394540.2 2010/05/03 01:02:04 x\n"
            "H DEG\nT S35.2058 W139.7612 2010/05/03 01:02:05 x\n",
            "T N3512.345 E13945.678 05/03/2010 23:59:59.5 a\r\nT N3512.346 E13945.679 05-03-10 0:00:01 a\r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseTextTrack(bytes, "fuzz.dtr", store);
    });
}
