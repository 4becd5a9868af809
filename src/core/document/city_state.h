#pragma once
// The cities of the loaded file with their buildings and warehouses, and the catchment grid
// that says which city a cell belongs to.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/document/island_map.h"

namespace insel {

inline constexpr int kWarehouseDefinition = 143;

struct BuildingEntry {
    std::int32_t city = 0;
    std::uint16_t record_length = 0;
    std::int32_t x = 0, y = 0;
    std::int64_t record_position = 0;  // of its ENTRY record; 0 or less for one placed here
    std::uint16_t graphic_id = 0;
    std::uint16_t definition = 0;
    std::uint16_t warehouse = 0;  // KONTID value, 0 without one
    std::uint16_t radius = 0;
    std::uint8_t size_x = 0, size_y = 0;
    std::int32_t market1 = kNoMarketPoint, market2 = kNoMarketPoint;

    bool operator==(const BuildingEntry&) const = default;
};

struct CityRecord {
    std::int32_t number = 0;
    std::int32_t island_number = 0;
    std::int32_t player = 0;
    std::int32_t people = 0;
    std::string name;  // Windows-1252
    std::uint16_t abs_first = 0, abs_second = 0;
    std::int32_t position_word1 = 0, position_word2 = 0;
    std::int32_t has_head = 0;
    std::int64_t head_search_start = 0;
    bool has_catchment = false;
    std::vector<BuildingEntry> buildings;

    bool operator==(const CityRecord&) const = default;
};

struct WarehouseRecord {
    std::int32_t city = 0;
    std::uint16_t radius = 0;
    std::int32_t x = 0, y = 0;
    std::uint8_t size_x = 0, size_y = 0;
    std::uint16_t number = 0;

    bool operator==(const WarehouseRecord&) const = default;
};

inline constexpr int kCatchmentSide = 512;
inline constexpr int kMaskSide = 51;

// The shape of one warehouse's catchment: [x offset][y offset], 1 = inside.
using CatchmentMask = std::array<std::array<std::uint8_t, kMaskSide>, kMaskSide>;

// One 8 x 8 square of the ID3 record: byte k holds the cells with x mod 8 = k, bit m y mod 8 = m.
struct CatchmentSquare {
    std::array<std::uint8_t, 8> bytes{};
};

// [x][y]: number of the city whose warehouse claims the cell, 0 when free. Wider than a byte so
// that cities above 255 keep their own number. The grid is half a megabyte and rarely written,
// yet the edit history compares it after every step: a grid carries a version that its copies
// share until one of them is written, and equal versions mean equal cells without a look.
class CatchmentGrid {
  public:
    const std::vector<std::uint16_t>& cells() const { return cells_; }
    // For writing, at once: the grid counts as changed from this call on, so the reference is
    // not to be kept past a copy of the grid.
    std::vector<std::uint16_t>& Edit() {
        version_ = NewVersion();
        return cells_;
    }
    bool operator==(const CatchmentGrid& other) const {
        return version_ == other.version_ || cells_ == other.cells_;
    }

  private:
    static std::uint64_t NewVersion();

    std::vector<std::uint16_t> cells_ = std::vector<std::uint16_t>(kCatchmentSide * kCatchmentSide);
    std::uint64_t version_ = NewVersion();
};

struct CityState {
    std::vector<CityRecord> cities;           // in load order
    std::optional<std::size_t> current;       // index into cities
    std::int32_t next_number = 1;             // numbers of cities read from the file
    std::vector<WarehouseRecord> warehouses;  // sorted by warehouse number
    CatchmentGrid catchment;
    int main_warehouse_kind = 1;  // NativeRadio is ticked at start
    int warehouse_counter = 0;    // warehouses written into the current ID3 record
    int cities_written = 0;       // cities written into the current file

    std::uint16_t CatchmentAt(int x, int y) const {
        return catchment.cells()[x * kCatchmentSide + y];
    }
    CityRecord* Current() { return current ? &cities[*current] : nullptr; }
    const CityRecord* Current() const { return current ? &cities[*current] : nullptr; }
    void Clear();  // what a load starts from
};

}  // namespace insel
