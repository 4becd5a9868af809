#pragma once
#include <string_view>

class QImage;

namespace insel {

// A 3 x 5 pixel font for the hexadecimal digits, so the pictures can be labelled without
// any system font (the generator runs at build time, without a display).
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;

// Width in pixels of `text` drawn at `scale`: glyphs 3 x scale wide with `scale` pixels between
// them.
int TextWidth(std::string_view text, int scale);

// Draws `text` (characters 0-9, A-F; others leave a gap) into an 8-bit indexed image with its
// top-left corner at (left, top); pixels outside the image are skipped.
void DrawText(QImage& image, int left, int top, std::string_view text, int scale, int colour_index);

}  // namespace insel
