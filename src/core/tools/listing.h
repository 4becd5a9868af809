#pragma once
// A row of the listings of the ground-tiles and vegetation pages: four columns of text.
#include <array>
#include <string>

namespace insel {

using ListingRow = std::array<std::string, 4>;

}  // namespace insel
