#pragma once
// Ground tiles: the 3 x 3 tile field composed from a series, a field row and a turn, and what
// writes it into the graphic tile layer (a tile, a row, a column, the whole field, a flood of
// copies, a base pattern over the island), plus the series replacement and listing.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/tools/listing.h"

namespace insel {

struct BlockRect;
struct Definitions;
struct IslandMap;
struct ToolState;

// How much of the field a click on one of its nine keys writes; the numbers are the radios'
// tags.
enum class EntryShape : int { Single = 0, Row = 1, Column = 2, Full = 3 };

// Which cells a base-pattern fill covers; the numbers are the fill buttons' tags.
enum class FillWhere : int { All = 0, HeightZero = 1, Above = 2, Below = 3 };

inline constexpr const char* kFaultyPatternMessage = "Faulty GFX.txt structure";

// The tile field of the ground-tiles page.
struct TileField {
    // Tile bytes indexed [dx][dy], dx across and dy down.
    std::array<std::array<std::uint8_t, 3>, 3> bytes{};
    int series = 0;    // series code the stamps write as the high byte
    int offset = 0;    // field row: 0x00, 0x20, 0x40 or 0x60
    int rotation = 0;  // 0..3 or 12..15; the turn is rotation mod 4
    EntryShape shape = EntryShape::Full;
    std::string search_text;  // series the listing looks for, as typed (two hex digits)
    int picked_item = -1;     // tile-list line the last picked cell matched
    int base_pattern = 0;     // chosen line of the base-pattern list

    // The value the stamps write for field cell (dx, dy).
    std::uint16_t Value(int dx, int dy) const {
        return static_cast<std::uint16_t>(series * 256 + bytes[dx][dy]);
    }
};

// A hexadecimal key typed into `field` (1 or 2 bytes); other text is a FormatError naming the
// field.
int ReadHexKey(std::string_view text, int bytes, std::string_view field);

// The nine tile bytes of the field in row `offset` turned by `rotation`.
std::array<std::array<std::uint8_t, 3>, 3> FieldBytes(int offset, int rotation);
// Sets series, row and turn and composes the bytes; the tile frame becomes 3 x 3. The texts are
// those of the lists ("D", "20"); anything else is a FormatError.
void ComposeField(ToolState& tools, std::string_view series_text, std::string_view rotation_text,
                  std::string_view offset_text);

// The entry shape and the tile frame's size that goes with it.
void SetEntryShape(ToolState& tools, EntryShape shape);

// The field written from key `edit` (0..8) at cell (x, y) in `shape`. Cells outside the layer
// are a BoundsError before anything is written.
void StampField(IslandMap& island, const TileField& field, int x, int y, EntryShape shape,
                int edit);
// A right click on the tile frame: the field on the frame's first three columns and rows.
void StampFrameField(IslandMap& island, const TileField& field, const BlockRect& frame);
// The frame's stamp repeated `right` x `down` times in steps of the frame's size. False when a
// count is below 1.
bool FloodField(IslandMap& island, const TileField& field, int left, int top, int width, int height,
                int right, int down);

// Every cell of the layer with series `from` gets series `to`, keeping its tile byte. Returns
// the number of cells changed.
std::int64_t ReplaceSeries(IslandMap& island, int from, int to);

// One row of the series listing: tile byte in hex, x, y, height.
inline const ListingRow kListingHeader = {"Stufe", "x", "y", "Höhe"};
// The island's cells of the series typed in `search_text` (x major). Nothing unless the text
// holds exactly two characters; other than hex digits is a FormatError.
struct SeriesListing {
    bool listed = false;
    int series = 0;  // what the highlight picks out
    std::vector<ListingRow> rows;
};
SeriesListing ListSeriesCells(const IslandMap& island, std::string_view search_text);

// Fills the layer with the base pattern of `pattern_line` (a line of the base-pattern list)
// where the height rule selects; the pattern becomes the field's bytes. Returns the message
// for a line that is no pattern, when nothing changed; else empty.
std::string FillBase(IslandMap& island, TileField& field, std::string_view pattern_line,
                     FillWhere where, int threshold);

// What a click on cell (x, y) finds of the tile list: the field of the tile there, taken into
// the tile field when `fill` is set. False when the tile's series and quarter are not listed.
bool PickTileField(ToolState& tools, const IslandMap& island, const Definitions& definitions, int x,
                   int y, bool fill);

}  // namespace insel
