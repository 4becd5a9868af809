#include "core/tools/mines.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>

#include "core/tools/tool_frame.h"
#include "core/tools/tool_state.h"

namespace insel {
namespace {

constexpr std::array<int, kMineKindCount> kKindBuildings = {1560, 1560, 1562, 1564, 1561,
                                                            1563, 1550, 1559, 1565, 1664};

constexpr const char* kNoMinesInWater = "No mines in water allowed";
constexpr const char* kNoWaterForWhaling = "Not enough water for whaleing";
constexpr const char* kNoWaterForWhale = "Not enough water for whale";
constexpr const char* kNotInWater = "Not allowed in water";

// Whale grounds and fishing grounds lie in water; every other kind on land.
bool WaterKind(int kind_number) { return kind_number == kWhaleKind || kind_number == 9; }
constexpr int kDeepestLand = 40;   // lower cells are water for mines
constexpr int kHighestWhale = 24;  // higher cells are too shallow for the water kinds

// The island's height at a cell of its rectangle.
int HeightAt(const IslandMap& island, int x, int y) {
    const IslandRecord& r = island.record;
    if (x < 0 || y < 0 || x >= r.width || y >= r.height) {
        throw BoundsError("cell (" + std::to_string(x) + ", " + std::to_string(y) +
                          ") is outside the island of " + std::to_string(r.width) + " x " +
                          std::to_string(r.height) + " cells");
    }
    return island.height.get(x, y);
}

// The water rule of a mine of `kind_number` at height h; `shallow_message` is what a water
// kind says on too high ground.
std::string MineWaterRule(int kind_number, int h, bool water_override,
                          const char* shallow_message) {
    if (WaterKind(kind_number)) return h > kHighestWhale ? shallow_message : "";
    return h < kDeepestLand && !water_override ? kNoMinesInWater : "";
}

// The selected record, when the list still holds it where and as it was selected.
template <class List>
auto* Selected(const RecordSelection& selection, List& list) {
    using Record = std::remove_reference_t<decltype(list[0])>;
    if (!selection.index || *selection.index >= list.size() ||
        !(list[*selection.index] == selection.record)) {
        return static_cast<Record*>(nullptr);
    }
    return &list[*selection.index];
}

template <class Cell>
bool SelectAt(const ToolState& tools, RecordSelection& selection,
              const std::vector<MineRecord>& list, int x, int y, Cell cell) {
    // A pen stroke in progress passes over mines without picking them up.
    if (tools.stroke_active) return false;
    selection = {};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto [cx, cy] = cell(list[i]);
        if (cx == x && cy == y) {
            selection = {i, list[i]};
            return true;
        }
    }
    return false;
}

// Changes the selected mine with `change` (which returns a refusal or ""), keeping the
// selection on the changed record.
template <class Change>
std::string ChangeMine(IslandMap& island, MinesState& state, Change change) {
    MineRecord* mine = Selected(state.mine, island.mines);
    if (mine == nullptr) return kNoMineSelected;
    MineRecord changed = *mine;
    std::string refusal = change(changed);
    if (!refusal.empty()) return refusal;
    *mine = changed;
    state.mine.record = changed;
    return {};
}

std::string Remove(RecordSelection& selection, std::vector<MineRecord>& list,
                   const char* none_selected) {
    if (Selected(selection, list) == nullptr) {
        selection = {};
        return none_selected;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(*selection.index));
    selection = {};
    return {};
}

std::pair<std::int64_t, std::int64_t> MineCell(const MineRecord& mine) {
    return {DecodeCellFloat(mine.x), DecodeCellFloat(mine.y)};
}
std::pair<std::int64_t, std::int64_t> SpotCell(const MineRecord& spot) { return {spot.x, spot.y}; }

}  // namespace

std::int32_t MineBuildingId(int kind_index) {
    if (kind_index < 0 || kind_index >= kMineKindCount) {
        throw BoundsError("mine kind " + std::to_string(kind_index) + " is outside 0..9");
    }
    return kKindBuildings[static_cast<std::size_t>(kind_index)] * 16384;
}

int MineKindNumber(std::int32_t building_id) {
    const int building = building_id / 16384;
    if (building == 1551) return 6;
    for (int k = 2; k < kMineKindCount; ++k) {
        if (kKindBuildings[static_cast<std::size_t>(k)] == building) return k;
    }
    return 0;
}

std::int32_t TreasureValue(std::int32_t building_id) {
    const int building = building_id / 16384;
    return building == 1550 || building == 1551 ? 2000 : 400;
}

std::uint32_t NewMineSymbolValue(int kind_index, int height, int offset) {
    if (kind_index > 5) return std::bit_cast<std::uint32_t>(5.2f);
    // Halves round to even, as the floating-point default does.
    const double v = std::nearbyint(height * ((offset - height / 16.0) / 10.0));
    const double upper = v + 16384;
    if (upper < 0 || upper > 0xFFFF) {
        throw OverflowError("the symbol elevation " + std::to_string(static_cast<long long>(v)) +
                            " of a new mine does not fit its 16 bits");
    }
    return static_cast<std::uint32_t>(upper) << 16;
}

std::string PlaceMine(IslandMap& island, const MinePlacement& p) {
    const std::int32_t building = MineBuildingId(p.kind);
    const int h = HeightAt(island, p.x, p.y);
    std::string refusal =
        MineWaterRule(MineKindNumber(building), h, p.water_override, kNoWaterForWhaling);
    if (!refusal.empty()) return refusal;
    MineRecord mine;
    mine.visible = p.visible ? 1 : 0;
    mine.x = EncodeCellFloat(p.x);
    mine.y = EncodeCellFloat(p.y);
    mine.building_id = building;
    mine.symbol_value = NewMineSymbolValue(p.kind, h, p.symbol_offset);
    mine.symbol_elevation = static_cast<std::int32_t>(mine.symbol_value >> 16) - 16384;
    mine.treasure = TreasureValue(building);
    mine.whale = p.kind == kWhaleKind ? 1 : 0;
    island.mines.push_back(mine);
    return {};
}

std::string PlaceQuarrySpot(IslandMap& island, int x, int y, int orientation, bool water_override) {
    if (orientation < 0 || orientation > 3) {
        throw BoundsError("quarry orientation " + std::to_string(orientation) + " is outside 0..3");
    }
    if (HeightAt(island, x, y) < kDeepestLand && !water_override) return kNotInWater;
    MineRecord spot;
    spot.x = static_cast<std::uint32_t>(x);
    spot.y = static_cast<std::uint32_t>(y);
    spot.x_band = x / 16;
    spot.orientation = orientation;
    island.quarry_spots.push_back(spot);
    return {};
}

bool SelectMineAt(ToolState& tools, const IslandMap& island, int x, int y) {
    return SelectAt(tools, tools.mines.mine, island.mines, x, y, MineCell);
}

bool SelectQuarrySpotAt(ToolState& tools, const IslandMap& island, int x, int y) {
    return SelectAt(tools, tools.mines.quarry_spot, island.quarry_spots, x, y, SpotCell);
}

const MineRecord* SelectedMine(const MinesState& state, const IslandMap& island) {
    return Selected(state.mine, island.mines);
}

const MineRecord* SelectedQuarrySpot(const MinesState& state, const IslandMap& island) {
    return Selected(state.quarry_spot, island.quarry_spots);
}

std::string SetMineKind(IslandMap& island, MinesState& state, int kind_index) {
    const std::int32_t building = MineBuildingId(kind_index);
    return ChangeMine(island, state, [&](MineRecord& mine) -> std::string {
        const auto [x, y] = MineCell(mine);
        const int h = HeightAt(island, static_cast<int>(x), static_cast<int>(y));
        std::string refusal =
            MineWaterRule(MineKindNumber(building), h, state.water_override, kNoWaterForWhale);
        if (!refusal.empty()) return refusal;
        mine.whale = kind_index == kWhaleKind ? 1 : 0;
        mine.treasure = kind_index == kTreasureKind ? 2000 : 400;
        mine.building_id = building;
        return {};
    });
}

std::string SetMineVisible(IslandMap& island, MinesState& state, bool visible) {
    return ChangeMine(island, state, [&](MineRecord& mine) -> std::string {
        mine.visible = visible ? 1 : 0;
        return {};
    });
}

std::string SetMineTreasure(IslandMap& island, MinesState& state, std::int64_t treasure) {
    return ChangeMine(island, state, [&](MineRecord& mine) -> std::string {
        if (treasure < 0 || treasure > std::numeric_limits<std::int32_t>::max())
            return "Schatzwert must lie between 0 and 2147483647";
        mine.treasure = static_cast<std::int32_t>(treasure);
        return {};
    });
}

std::string SetMineElevation(IslandMap& island, MinesState& state, std::int64_t elevation) {
    return ChangeMine(island, state, [&](MineRecord& mine) -> std::string {
        // Written as a 16-bit value offset by 16384.
        if (elevation < -16384 || elevation > 0xFFFF - 16384)
            return "Symbol must lie between -16384 and 49151";
        mine.symbol_elevation = static_cast<std::int32_t>(elevation);
        mine.elevation_edited = 1;
        return {};
    });
}

std::string MoveSelectedMine(IslandMap& island, MinesState& state, int x, int y) {
    return ChangeMine(island, state, [&](MineRecord& mine) -> std::string {
        const int h = HeightAt(island, x, y);
        std::string refusal = MineWaterRule(MineKindNumber(mine.building_id), h,
                                            state.water_override, kNoWaterForWhaling);
        if (!refusal.empty()) return refusal;
        mine.x = EncodeCellFloat(x);
        mine.y = EncodeCellFloat(y);
        return {};
    });
}

std::string MoveSelectedQuarrySpot(IslandMap& island, MinesState& state, int x, int y) {
    MineRecord* spot = Selected(state.quarry_spot, island.quarry_spots);
    if (spot == nullptr) return kNoQuarrySpotSelected;
    if (HeightAt(island, x, y) < kDeepestLand && !state.water_override) return kNotInWater;
    spot->x = static_cast<std::uint32_t>(x);
    spot->y = static_cast<std::uint32_t>(y);
    spot->x_band = x / 16;
    state.quarry_spot.record = *spot;
    return {};
}

std::string RemoveSelectedMine(IslandMap& island, MinesState& state) {
    return Remove(state.mine, island.mines, kNoMineSelected);
}

std::string RemoveSelectedQuarrySpot(IslandMap& island, MinesState& state) {
    return Remove(state.quarry_spot, island.quarry_spots, kNoQuarrySpotSelected);
}

void RemoveAllMines(IslandMap& island, MinesState& state) {
    island.mines.clear();
    state.mine = {};
}

void RemoveAllQuarrySpots(IslandMap& island, MinesState& state) {
    island.quarry_spots.clear();
    state.quarry_spot = {};
}

std::vector<std::string> MineReport(const IslandMap& island) {
    std::vector<std::string> lines;
    lines.push_back("Total Minen: " + std::to_string(CountMineRecords(island.mines, true)) +
                    " davon aktiv: " + std::to_string(CountMineRecords(island.mines, false)));
    for (const MineRecord& mine : island.mines) {
        const auto [x, y] = MineCell(mine);
        lines.push_back("Mine Typ " + std::to_string(mine.building_id) + " at x/y " +
                        std::to_string(mine.x) + ", " + std::to_string(mine.y) + " (local " +
                        std::to_string(x) + ", " + std::to_string(y) + ")");
    }
    lines.push_back(" ");
    // Windows-1252: "Abbauplätze", "Süden".
    lines.push_back(
        "Total Abbaupl\xE4tze: " + std::to_string(CountMineRecords(island.quarry_spots, true)) +
        " davon aktiv: " + std::to_string(CountMineRecords(island.quarry_spots, false)));
    static constexpr const char* kDirections[] = {" nach Osten   ",
                                                  " nach S\xFC"
                                                  "den   ",
                                                  " nach Westen  ", " nach Norden  "};
    for (const MineRecord& spot : island.quarry_spots) {
        const bool known = spot.orientation >= 0 && spot.orientation <= 3;
        lines.push_back("Abbauplatz at local x/y " + std::to_string(spot.x) + ", " +
                        std::to_string(spot.y) + " Orientierung " +
                        std::to_string(spot.orientation) +
                        (known ? kDirections[spot.orientation] : ""));
    }
    return lines;
}

void SetQuarryOrientation(ToolState& tools, const ViewState& view, const IslandMap& island,
                          int orientation) {
    if (orientation < 0 || orientation > 3) {
        throw BoundsError("quarry orientation " + std::to_string(orientation) + " is outside 0..3");
    }
    tools.mines.orientation = orientation;
    // South and north spots reach along y.
    const bool along_y = orientation % 2 == 1;
    SelectionRect& rect = tools.Selection(tools.mode);
    rect.width = along_y ? 3 : 4;
    rect.height = along_y ? 4 : 3;
    ShowToolFrame(tools, view, island);
}

}  // namespace insel
