#pragma once

// Land around a race: GSHHG's full-resolution shoreline (Debian's
// gmt-gshhg-full) read through GMT's `gmt coast`, cut to a box and closed
// along its edges into land polygons.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// A box in degrees: south, west, north, east.
using GeoBox = std::array<double, 4>;

// Closes shoreline pieces cut at the box into land polygons (flat lon/lat
// pairs). Pieces keep the land on their left, as GSHHG's do; a piece that ends
// inside the box is left out.
std::vector<std::vector<double>> CloseShoreline(const std::vector<std::vector<double>>& pieces, const GeoBox& box);

// `gmt coast -M` output as pieces.
std::vector<std::vector<double>> ParseShorelineDump(const std::string& text);

// The land polygons in the box; nullopt with `why` when GMT or the shoreline
// data are not installed or GMT fails.
std::optional<std::vector<std::vector<double>>> ReadShoreline(const GeoBox& box, std::string& why);

} // namespace tackedit
