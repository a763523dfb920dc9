// The TRB reader on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds() { return {EncodeTrbTrack(SampleTrack(), "seed.trb")}; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        NullPendingEvents events;
        ParseTrbTrack(bytes, store, events);
    });
}
