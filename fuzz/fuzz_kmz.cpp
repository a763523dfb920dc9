// The KMZ reader on any bytes: libzip's reading of a damaged archive and the
// inflate limit.
#include "fuzz/fuzz_common.h"
#include "track/formats/kml_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds() { return {}; }  // the fixtures are the seeds

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseKmzTrack(bytes, "fuzz.kmz", store);
    });
}
