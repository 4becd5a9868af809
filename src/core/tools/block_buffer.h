#pragma once
// The block buffer: a rectangle of the island with every per-cell layer and the mines and
// quarry spots in it, pasted once or as a tiling, and kept in the island block text format.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace insel {

struct IslandMap;
struct ToolState;

struct MineCopy {
    int x = 0, y = 0;  // relative to the block's corner
    std::int32_t building_id = 0;
    std::uint32_t symbol_value = 0;
    std::int32_t symbol_elevation = 0;
    std::int32_t treasure = 0;
    bool operator==(const MineCopy&) const = default;
};

struct QuarryCopy {
    int x = 0, y = 0;  // relative to the block's corner
    std::int32_t x_band = 0;
    std::int32_t orientation = 0;
    bool operator==(const QuarryCopy&) const = default;
};

struct BlockBuffer {
    int left = 0, top = 0;      // where it was copied from
    int width = 0, height = 0;  // 0 x 0: empty
    // Cell (bx, by) at index bx * height + by.
    std::vector<std::uint8_t> heights;
    std::vector<std::uint16_t> gfx, fertility, terrain, terrain_param, river, river_param;
    std::vector<MineCopy> mines;
    std::vector<QuarryCopy> quarry_spots;
    std::string comment;

    bool empty() const { return width == 0 || height == 0; }
    std::size_t Index(int bx, int by) const {
        return static_cast<std::size_t>(bx) * static_cast<std::size_t>(height) +
               static_cast<std::size_t>(by);
    }
    bool operator==(const BlockBuffer&) const = default;
};

// Which parts a paste writes; all by default, as the page's boxes start.
struct PasteOptions {
    bool heights = true;
    bool gfx = true;  // graphic tiles and both river layers
    bool terrain = true;
    bool plants = true;      // elements below 800
    bool rocks = true;       // elements above 1500
    bool skip_empty = true;  // an empty element cell clears the target only with plants
    bool fertility = true;
    bool mines = true;
    bool quarries = true;
    bool zero_height = true;  // also cells whose buffered height is 0
};

// Copies width x height cells from (left, top) with the mines (whale grounds excepted) and
// quarry spots that lie in them. Cells outside the layers are a BoundsError and the buffer keeps
// what it held.
void CopyBlock(BlockBuffer& buffer, const IslandMap& island, int left, int top, int width,
               int height, bool mines, bool quarries);

// Pastes the buffer `n` times to the right and `m` times down from (left, top), edge to edge.
// Cells past the layers' last index are left out, and so are the mines and quarry spots that
// would land there. Run it as a step. False when the buffer is empty.
bool PasteBlock(IslandMap& island, const BlockBuffer& buffer, int left, int top, int n, int m,
                const PasteOptions& options);

// The island block text: "Rechteckblock", comment, width, height, seven lines per cell, then
// the mine and quarry lines; CR LF line ends.
std::string BlockText(const BlockBuffer& buffer);
// Reads block text (CR LF or LF). A text that is no block, ends early or holds a line that is not
// a number is a FormatError naming the line.
BlockBuffer ParseBlockText(std::string_view text);

void SaveBlockFile(const BlockBuffer& buffer, const std::filesystem::path& path);
// Loads a block file into the buffer; on any fault it throws and the buffer stays as it was.
// The tool frame then takes the block's size, at cell 0, 0, and keeps that size.
void LoadBlockFile(ToolState& tools, const std::filesystem::path& path);
// Takes a parsed block as LoadBlockFile does.
void TakeLoadedBlock(ToolState& tools, BlockBuffer block);

// Empties the buffer and frees the frame's size again (1 x 1).
void ClearBlock(ToolState& tools);

}  // namespace insel
