// The capture-time reader on any bytes: it never throws, and what it gives is
// UTF-8 text of the picture's own Exif block (a byte that is not ASCII becomes
// one replacement character), so it has no more characters than the input bytes.
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
    std::size_t characters = 0;
    for (std::size_t i = 0; i < time.size(); ++characters) {
        const auto lead = static_cast<unsigned char>(time[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        fuzz::Check(length > 0 && i + length <= time.size(), "the time is UTF-8");
        for (std::size_t k = 1; k < length; ++k)
            fuzz::Check((static_cast<unsigned char>(time[i + k]) >> 6) == 2, "the time is UTF-8");
        i += length;
    }
    fuzz::Check(characters <= size, "the time comes from the input");
    return 0;
}
