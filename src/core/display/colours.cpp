#include "core/display/colours.h"

#include <algorithm>

namespace insel {

const std::array<std::uint8_t, kHeightBandCount> kHeightBands{
    0,   4,   8,   12,  14,  16,  20,  22,  24,  26,  28,  32,  // 0-11
    36,  38,  40,  42,  44,  46,  48,  52,  54,  56,  58,       // 12-22
    60,  62,  64,  66,  70,  72,  74,  78,  80,  82,  88,       // 23-33
    96,  104, 112, 120, 128, 136, 144, 152, 160, 168, 170,      // 34-44
    176, 184, 192, 200, 208, 216, 224, 232, 240, 255,           // 45-54
};

const std::array<Colour, kHeightBandCount> kHeightColours{
    0x7C0000, 0xA00000, 0xFF0000, 0xE07000, 0xFF8000, 0xFFC000,
    0xE0E000, 0xFFFF00, 0xFFFF80, 0xFFFFC0, 0xFFFFE0, 0xFFFFF2,  // 0-11
    0xA6DCDC, 0x96F0F0, 0x89FAEC, 0x84FFF5, 0x00FFFF, 0x00FFE3,
    0x00FFC8, 0x00FFA2, 0x00FF86, 0x00FF62, 0x00FF00,  // 12-22
    0x20DF20, 0x40C040, 0x3EA43E, 0x0084E8, 0x0064E8, 0x0040E8,
    0x0020FF, 0x0000FF, 0x8000FF, 0xFF00FF, 0xFF80FF,  // 23-33
    0x008484, 0x0084A4, 0x0084C8, 0x0084E8, 0x0064E8, 0x0040E8,
    0x0020FF, 0x0000FF, 0x00FFFF, 0x00FFE3, 0x00FFC8,  // 34-44
    0x00FFA2, 0x00FF86, 0x00FF62, 0x00FF00, 0x20DF20, 0x40C040,
    0x3EA43E, 0x008484, 0x0084A4, 0x0084C4,  // 45-54
};

const std::array<Colour, kFertilityColourCount> kFertilityColours{
    0xC0FFFF, 0x80FFFF, 0x40FFFF, 0x00FFFF, 0x00FFE4, 0x80FFC0,
    0x80FFA0, 0x00FFC0, 0x00FFA0, 0x00FF84, 0x00FF00,
};

int HeightBand(int height) {
    const auto it = std::lower_bound(kHeightBands.begin(), kHeightBands.end(), height,
                                     [](std::uint8_t bound, int h) { return bound < h; });
    if (it == kHeightBands.end()) return kHeightBandCount - 1;
    return static_cast<int>(it - kHeightBands.begin());
}

Colour CellColour(int display_layer, int value) {
    switch (display_layer) {
        case 0:
            return kHeightColours[HeightBand(value)];
        case 1:
        case 2: {
            const auto v = static_cast<std::uint32_t>(value) & 0xFFFF;
            return (v >> 8) | ((v & 0xFF) << 8);
        }
        case 3:
            return kFertilityColours[std::clamp(value, 0, kFertilityColourCount - 1)];
        default:
            return kUnknownLayerColour;
    }
}

}  // namespace insel
