#pragma once

// Reduced copies of photographs for a distribution: decoded with the JPEG
// library's own scaling, resampled to the exact size, encoded as a baseline
// JPEG without metadata.

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

struct ReducedPicture {
    PictureSize size;
    PictureSize source;          // the picture's own size
    std::string jpeg;            // the encoded copy
    std::vector<unsigned char> rgb;  // size.width × size.height × 3, for a preview
};

// Reduces a JPEG held in memory. A picture that cannot be decoded (not a JPEG,
// unsupported, absurd dimensions) raises DataError naming `file`; a picture
// whose data is merely damaged or cut short is decoded as far as it goes.
ReducedPicture ReduceJpeg(std::string_view jpeg, int size, int quality, const std::string& file = "picture");

} // namespace tackedit
