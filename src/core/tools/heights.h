#pragma once
// The height-profile tools: pen marks, filling the marked outlines, taking the marked profile
// over as heights or fertility, framing and replacing one height, and an object's height.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace insel {

struct IslandMap;

// The height steps of the legend, as the height lists offer them.
inline constexpr std::array<int, 54> kHeightSteps = {
    0,   4,   8,   12,  14,  16,  20,  22,  24,  26,  28,  32,  36,  38,  40,  42,  44,  46,
    48,  52,  54,  56,  58,  60,  62,  64,  66,  70,  72,  74,  78,  80,  82,  88,  96,  104,
    112, 120, 128, 136, 144, 152, 160, 168, 170, 176, 184, 192, 200, 208, 216, 224, 232, 240};
// The list items chosen after every load: 48 for the profile, 46 for the second height.
inline constexpr int kProfileHeightItem = 18;
inline constexpr int kSecondHeightItem = 17;
inline constexpr int kHighestFertility = 10;
// Heights below the coast line are water, where nothing grows.
inline constexpr int kCoastHeight = 40;

// The height page's own settings beside the pen size.
struct HeightToolState {
    int gap_size = 4;  // widest outline stroke the fill bridges
};

// Marks the pen x pen square whose top-left cell is (x, y); cells past the last array index
// are left out, and a pen below 1 marks nothing.
void MarkPenSquare(IslandMap& island, int x, int y, int pen);
void ClearMarks(IslandMap& island);
// Number of marked cells.
long long CountMarks(const IslandMap& island);

// Closes the marked outlines row by row: a stroke at most `gap` cells wide opens a stretch that
// is marked up to the next stroke. `row_done` (may be empty) hears of each row once it is done.
void FillOutlines(IslandMap& island, int gap, const std::function<void(int row)>& row_done = {});

enum class ProfileLayer { Height, Fertility };
// Writes `value` into every marked cell (heights 1..39 also clear the fertility), then clears
// the marks. Heights are 0..255, fertilities 0..10; other values throw before anything changes.
void TakeProfile(IslandMap& island, ProfileLayer layer, int value);

// Writes h2 into the cells just outside the first and last cell of height h1 in each row and
// column (from row and column 1 on). False, and nothing written, when h1 equals h2: framing a
// height with itself would only grow it by a cell on each side.
bool FrameHeight(IslandMap& island, int h1, int h2);
// Every island cell of height h1 gets h2; the fertility stays. False when h1 equals h2.
bool ReplaceHeight(IslandMap& island, int h1, int h2);

// The first object of the list standing at (x, y).
std::optional<std::size_t> ObjectAt(const IslandMap& island, int x, int y);
// The object's height word becomes `height` (above 255 taken as 255) times 256. Negative
// heights and indexes past the list throw.
void SetObjectHeight(IslandMap& island, std::size_t object, int height);

}  // namespace insel
