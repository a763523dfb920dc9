// Picture reduction (decode, scale, encode) on hostile JPEGs. The first byte
// picks the size, the second the quality; the rest is the picture. A picture the
// library cannot read is a DataError, never an exit; one it reads comes out at
// the reduced size and decodes again, cleanly, to that same size.
#include "fuzz/fuzz_common.h"
#include "pictures/picture_reduce.h"
#include "tests/picture_fixtures.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    fixtures::ExifBlock block;
    block.big_endian = true;
    return {std::string("\x07\x32", 2) + fixtures::MakeJpeg(40, 24, 75, fixtures::ExifPayload(block)),
            std::string("\x20\x5a", 2) + fixtures::MakeJpeg(17, 33, 90, std::nullopt, 2, true),
            std::string("\x00\x01", 2) + fixtures::MakeJpeg(8, 8, 10, std::nullopt, 3)};
}

namespace {

// Whether a frame header anywhere in the bytes declares more than a megapixel.
// Large pictures go through the same code as small ones, only slower: left out,
// the fuzzer tries hundreds of inputs a second instead of tens.
bool DeclaresLargePicture(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i + 9 <= size; ++i) {
        const unsigned marker = data[i + 1];
        if (data[i] != 0xFF || marker < 0xC0 || marker > 0xCF || marker == 0xC4 || marker == 0xC8 || marker == 0xCC)
            continue;
        const unsigned height = data[i + 5] << 8 | data[i + 6], width = data[i + 7] << 8 | data[i + 8];
        if (static_cast<unsigned long>(width) * height > (1u << 20))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || DeclaresLargePicture(data + 2, size - 2))
        return 0;
    // Sizes stay small: what is fuzzed is the decoder's handling of the bytes.
    const int side = 1 + data[0];
    const int quality = 1 + data[1] % 100;
    ReducedPicture reduced;
    try {
        reduced = ReduceJpeg(fuzz::Bytes(data + 2, size - 2), side, quality, "fuzz.jpg");
    } catch (const DataError&) {
        return 0;
    }
    const PictureSize expected = ReducedSize(reduced.source.width, reduced.source.height, side);
    fuzz::Check(reduced.size.width == expected.width && reduced.size.height == expected.height,
                "the copy has the reduced size");
    fuzz::Check(reduced.rgb.size() == static_cast<std::size_t>(expected.width) * expected.height * 3,
                "the preview holds every pixel");
    ReducedPicture again;
    try {
        again = ReduceJpeg(reduced.jpeg, side, quality, "copy.jpg");
    } catch (const DataError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fuzz::Check(false, "the reduced copy decodes");
    }
    fuzz::Check(again.source.width == expected.width && again.source.height == expected.height,
                "the reduced copy decodes to its size");
    fuzz::Check(again.warning.empty(), "the reduced copy is not damaged");
    return 0;
}
