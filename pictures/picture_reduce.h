#pragma once

// Reduced copies of photographs for a distribution: decoded with the JPEG
// library's own scaling, resampled to the exact size, encoded as a baseline
// JPEG without metadata.

#include "base/data_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

struct PictureSize {
    int width = 0, height = 0;
};

// The longer side becomes `size`; the other keeps the proportions, truncated
// (4000 × 3000 at 500 gives 500 × 375; a square gives size × size). Never below
// one pixel.
PictureSize ReducedSize(int width, int height, int size);

// Pictures larger than this are refused before anything is allocated for them.
inline constexpr int kMaxPictureSide = 50000;
inline constexpr long long kMaxPicturePixels = 150'000'000;
// What one decode may take. A progressive or multi-scan picture holds all its
// coefficients at full size (two bytes each) whatever the scale; two decodes
// at once stay inside the 200 MB the distribution build promises.
inline constexpr long kMaxDecoderMemory = 80L * 1024 * 1024;

// A picture too large to decode within those limits.
class PictureTooLargeError : public DataError {
public:
    using DataError::DataError;
};

struct ReducedPicture {
    PictureSize size;
    PictureSize source;          // the picture's own size
    std::string jpeg;            // the encoded copy
    std::vector<unsigned char> rgb;  // size.width × size.height × 3, for a preview
    std::string warning;             // the library's first complaint about damaged data; empty when clean
};

// Reduces a JPEG held in memory. A picture that cannot be decoded (not a JPEG,
// unsupported) raises DataError naming `file`, one too large for the limits
// above PictureTooLargeError; a picture whose data is merely damaged or cut
// short is decoded as far as it goes (the rest grey) and carries a warning.
// Without `enlarge` a picture smaller than `size` keeps its own size.
ReducedPicture ReduceJpeg(std::string_view jpeg, int size, int quality, const std::string& file = "picture",
                          bool enlarge = true);

} // namespace tackedit
