// The trl reader (16- or 20-byte records) on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"
#include "track/formats/trl_reader.h"
#include "base/file_buffer.h"
#include "track/formats/little_endian.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    std::vector<std::string> seeds;
    for (const std::size_t length : {16, 20}) {
        std::string trl;
        for (int r = 0; r < 4; ++r) {
            std::string record;
            AppendInt32LE(record, 1272848523 + r);
            AppendFloat32LE(record, 35.5f + static_cast<float>(r) / 1024);
            AppendFloat32LE(record, -139.25f);
            record.resize(length, '\x11');
            trl += record;
        }
        seeds.push_back(trl);
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        NullPendingEvents events;
        ParseTrlTrack(bytes, store, events);
    });
}
