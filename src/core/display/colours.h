#pragma once
// The fixed colour function that maps a cell value of the shown layer to a colour. The map,
// the overview picture and the legend all go through it, so they always agree.
// Colours are 24-bit 0xBBGGRR values (blue in the high byte, red in the low byte).
#include <array>
#include <cstdint>

namespace insel {

using Colour = std::uint32_t;

inline constexpr int kHeightBandCount = 55;
inline constexpr int kFertilityColourCount = 11;

// Upper bound (inclusive) of each height band, ascending; the last one is 255.
extern const std::array<std::uint8_t, kHeightBandCount> kHeightBands;
extern const std::array<Colour, kHeightBandCount> kHeightColours;
// Fertility 0..10; higher values share the colour of 10.
extern const std::array<Colour, kFertilityColourCount> kFertilityColours;

// Colour of anything the function has no rule for (pure red).
inline constexpr Colour kUnknownLayerColour = 0x0000FF;

// The first band whose upper bound is at least `height`. Heights are bytes; anything above 255
// falls in the last band, anything below 0 in the first.
int HeightBand(int height);

// Colour of a cell value under a display layer: 0 heights (by band), 1 graphic tiles and
// 2 vegetation (red = high byte, green = low byte of the 16-bit value), 3 fertility.
Colour CellColour(int display_layer, int value);

}  // namespace insel
