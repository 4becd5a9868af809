#pragma once
// Game-file fixtures assembled block by block from the island block layouts: island files,
// extracted-city heads, savegames with several islands, and the empty dummy island.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fixture_file.h"

namespace insel::fixture {

// A cell coordinate as the bit pattern of the float cell + 0.5.
std::uint32_t CellFloatBits(int cell);

struct Element {
    std::uint16_t element = 0;  // 0 = nothing at the cell
    std::uint16_t parameter = 0;
};

// One ENTRY2 record of OCCUR. `data_length` 16 (short form), 24 (with treasure and visible
// flag) or 42 (whale ground: the 26-byte WHALE tail instead of treasure and flag).
struct MineSpec {
    std::uint32_t building_id = 1560u * 16384u;
    int x = 0, y = 0;
    std::uint32_t symbol_value = 16410u * 65536u;
    std::uint32_t treasure = 400;
    std::uint32_t visible = 0;
    int data_length = 24;
};

struct QuarrySpec {
    int x = 0, y = 0;
    std::uint8_t orientation = 0;
};

// One PROD2 entry; it goes into the block of the cell block holding (x, y).
struct ObjectSpec {
    std::uint16_t id_word = 0;  // number + orientation x 16384
    std::uint16_t parameter = 0;
    int x = 0, y = 0;
};

struct KontorIdSpec {
    std::uint32_t first = 2;
    std::uint16_t second = 1;
};

struct IslandSpec {
    int width = 64, height = 64;
    bool insel4 = false;  // older header without length field
    std::uint16_t world_first = 0, world_second = 0;
    std::uint32_t number = 0;

    // INFO
    std::uint8_t climate = 0, city_byte = 0, people_byte = 0, info_a = 0;
    std::optional<std::uint16_t> block_figure;  // default (height div 8) squared
    std::uint32_t info_b = 0;

    // Cell contents; empty functions give height 0, tile 0, fertility 10, no element.
    std::function<std::uint8_t(int x, int y)> heights, fertility;
    std::function<std::uint16_t(int x, int y)> gfx;
    std::function<Element(int x, int y)> terrain, rivers;

    std::vector<QuarrySpec> quarry_spots;
    std::vector<MineSpec> mines;
    std::vector<std::array<std::uint16_t, 4>> animals;  // the four words in file order
    std::vector<ObjectSpec> objects;                    // file order within each block

    bool with_discover = true;
    std::optional<KontorIdSpec> kontorid = KontorIdSpec{};
    std::optional<std::string> name;  // NAME block when set (Windows-1252)
};

// The island from its header to EVENTINSEL: INSEL5 (or INSEL4), INFO, HEIGHT, GFXID,
// GELAENDE, FRUCHTBAR, FLUESSE, BERGWERK2, OCCUR, ANBAU, [DISCOVER], [KONTORID], PROD2, [NAME],
// HIRSCH, EVENTINSEL. Per-cell blocks: one per 32 x 32 cell block, x major, contents running
// along y first. FLUESSE: one block per 8 x 8 square holding a river cell.
Bytes IslandBytes(const IslandSpec& island);

// "KELM" (level 0) or "KELMADDON<level>" head with the length of the rest of the file.
Bytes IslandFileHead(int addon_level, std::uint32_t rest_length);
// A WARETYPE (or, for the dummy, WARETYP) block with the 56 goods entries; length 543.
Bytes WaretypeBlock(const char* tag = "WARETYPE");
// Island file as the editor writes it: head, WARETYPE, the island.
Bytes IslandFileBytes(const IslandSpec& island, int addon_level = 0);
// "CTYFORMAT-ADDONLEVEL" and the level digit's character code as a 4-byte value.
Bytes CityFileHead(int addon_level);

// A savegame: a head block that belongs to no island, then the islands, then `trailer` (by
// default 64 zero bytes, so the last island does not end at the data limit).
Bytes SavegameHead();
Bytes SavegameBytes(const std::vector<IslandSpec>& islands, std::optional<Bytes> trailer = {});

// The empty dummy island of `size` x `size` cells in the INSEL4 layout.
Bytes DummyIslandBytes(int size, std::uint8_t climate);

}  // namespace insel::fixture
