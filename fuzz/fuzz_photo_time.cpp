// The capture-time reader on any bytes: it never throws, and what it gives is a
// text of the picture's own Exif block, so never longer than the input.
#include "fuzz/fuzz_common.h"
#include "pictures/photo_metadata.h"
#include "tests/picture_fixtures.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    std::vector<std::string> seeds;
    for (const bool big_endian : {false, true}) {
        fixtures::ExifBlock block;
        block.big_endian = big_endian;
        seeds.push_back(fixtures::MakeJpeg(16, 8, 50, fixtures::ExifPayload(block)));
    }
    // The header alone: the time must come without any pixel data.
    const std::string whole = seeds.front();
    seeds.push_back(whole.substr(0, whole.size() / 2));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string time = CaptureTimeFromJpeg(fuzz::Bytes(data, size));
    fuzz::Check(time.size() <= size, "the time comes from the input");
    return 0;
}
