// The gdb byte-pattern scan on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"
#include "track/formats/gdb_reader.h"
#include "base/file_buffer.h"
#include "track/formats/little_endian.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    // One record of each layout around its marker byte (1), padded to the scan's minimum.
    std::string a(40, '\0'), b(40, '\0');
    std::string fields;
    AppendInt32LE(fields, 423000000);   // latitude, semicircles
    AppendInt32LE(fields, -1666000000); // longitude
    a.replace(2, 8, fields);
    a[10] = 1;
    a[19] = 1;
    b.replace(1, 8, fields);
    b[10] = 1;
    std::string time;
    AppendInt32LE(time, 1272848523);
    a.replace(20, 4, time);
    b.replace(11, 4, time);
    return {std::string(30, 'x') + a + a, std::string(30, 'x') + b + a + b};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        NullPendingEvents events;
        ParseGdbTrack(bytes, store, events);
    });
}
