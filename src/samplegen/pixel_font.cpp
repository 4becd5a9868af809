#include "samplegen/pixel_font.h"

#include <QImage>
#include <array>
#include <cstdint>

namespace insel {
namespace {

// Each glyph is five rows of three bits, the leftmost pixel in bit 2.
constexpr std::array<std::array<std::uint8_t, 5>, 16> kGlyphs{{
    {2, 5, 5, 5, 2},  // 0 (rounded, unlike D)
    {2, 6, 2, 2, 7},  // 1
    {7, 1, 7, 4, 7},  // 2
    {7, 1, 3, 1, 7},  // 3
    {5, 5, 7, 1, 1},  // 4
    {7, 4, 7, 1, 7},  // 5
    {7, 4, 7, 5, 7},  // 6
    {7, 1, 2, 2, 2},  // 7
    {2, 5, 2, 5, 2},  // 8 (rounded, unlike B)
    {7, 5, 7, 1, 7},  // 9
    {2, 5, 7, 5, 5},  // A
    {6, 5, 6, 5, 6},  // B
    {3, 4, 4, 4, 3},  // C
    {6, 5, 5, 5, 6},  // D
    {7, 4, 6, 4, 7},  // E
    {7, 4, 6, 4, 4},  // F
}};

int GlyphIndex(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

}  // namespace

int TextWidth(std::string_view text, int scale) {
    if (text.empty()) return 0;
    const int n = static_cast<int>(text.size());
    return n * kGlyphWidth * scale + (n - 1) * scale;
}

void DrawText(QImage& image, int left, int top, std::string_view text, int scale,
              int colour_index) {
    int x0 = left;
    for (const char ch : text) {
        const int glyph = GlyphIndex(ch);
        if (glyph >= 0) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int col = 0; col < kGlyphWidth; ++col) {
                    if ((kGlyphs[glyph][row] >> (kGlyphWidth - 1 - col) & 1) == 0) continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        const int y = top + row * scale + dy;
                        if (y < 0 || y >= image.height()) continue;
                        std::uint8_t* line = image.scanLine(y);
                        for (int dx = 0; dx < scale; ++dx) {
                            const int x = x0 + col * scale + dx;
                            if (x >= 0 && x < image.width())
                                line[x] = static_cast<std::uint8_t>(colour_index);
                        }
                    }
                }
            }
        }
        x0 += (kGlyphWidth + 1) * scale;
    }
}

}  // namespace insel
