#pragma once
// Mines and quarry spots: placing them under the water rules, selecting one at a cell,
// changing, moving and removing the selected one, and the report of all of them.
//
// The operations that change the island return the message for the user when a rule refuses
// the change (nothing was changed then) and "" when it was done. Run them as steps of the
// edit history.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/document/island_map.h"

namespace insel {

struct ToolState;
struct ViewState;

inline constexpr int kMineKindCount = 10;
inline constexpr int kWhaleKind = 7;
inline constexpr int kTreasureKind = 6;

// A selected record: its place in the list and the record as it was selected or last changed,
// so that a list changed behind the selection's back (undo, a load) ends the selection
// instead of letting it refer to another record.
struct RecordSelection {
    std::optional<std::size_t> index;
    MineRecord record;
};

struct MinesState {
    RecordSelection mine, quarry_spot;
    int orientation = 0;          // AbbauRadioGroup: 0 east, 1 south, 2 west, 3 north
    bool water_override = false;  // the secret option: mines under water
};

// What the mines page's kind index places: the building id and the kind number written.
std::int32_t MineBuildingId(int kind_index);
// The kind number of a building id (its layout when written; the combo box shows it).
int MineKindNumber(std::int32_t building_id);
// 2000 for treasures, 400 for everything else.
std::int32_t TreasureValue(std::int32_t building_id);
// The symbol value of a new mine of `kind_index` on a cell of height `height`, with the
// symbol offset spin at `offset`: for kinds above 5 the float 5.2, otherwise a float whose
// upper 16 bits are 16384 + round(height * (offset - height / 16) / 10).
std::uint32_t NewMineSymbolValue(int kind_index, int height, int offset);

struct MinePlacement {
    int x = 0, y = 0;
    int kind = 0;  // index into the mine kinds, 0..9
    bool visible = true;
    int symbol_offset = 0;
    bool water_override = false;
};
std::string PlaceMine(IslandMap& island, const MinePlacement& placement);
std::string PlaceQuarrySpot(IslandMap& island, int x, int y, int orientation, bool water_override);

// The first mine (quarry spot) at cell (x, y) becomes the selected one; none while a pen
// stroke runs. False when nothing is there (the selection is then empty).
bool SelectMineAt(ToolState& tools, const IslandMap& island, int x, int y);
bool SelectQuarrySpotAt(ToolState& tools, const IslandMap& island, int x, int y);
// The selected record when it is still in its list as selected; null otherwise.
const MineRecord* SelectedMine(const MinesState& state, const IslandMap& island);
const MineRecord* SelectedQuarrySpot(const MinesState& state, const IslandMap& island);

// Changes of the selected mine. Each says "No mine selected" when there is none.
std::string SetMineKind(IslandMap& island, MinesState& state, int kind_index);
std::string SetMineVisible(IslandMap& island, MinesState& state, bool visible);
// The treasure value as typed; refused when it does not fit the file's 32 bits.
std::string SetMineTreasure(IslandMap& island, MinesState& state, std::int64_t treasure);
// The elevation of the rotating symbol; from now on written instead of the symbol value.
std::string SetMineElevation(IslandMap& island, MinesState& state, std::int64_t elevation);
// Moves the selected mine (quarry spot) to cell (x, y) under the placement's water rules.
std::string MoveSelectedMine(IslandMap& island, MinesState& state, int x, int y);
std::string MoveSelectedQuarrySpot(IslandMap& island, MinesState& state, int x, int y);

std::string RemoveSelectedMine(IslandMap& island, MinesState& state);
std::string RemoveSelectedQuarrySpot(IslandMap& island, MinesState& state);
// Empty their lists; "" even when there was nothing.
void RemoveAllMines(IslandMap& island, MinesState& state);
void RemoveAllQuarrySpots(IslandMap& island, MinesState& state);

// The report of "Zeige Orte", Windows-1252 lines.
std::vector<std::string> MineReport(const IslandMap& island);

// The quarry orientation for the next placement; the frame takes the spot's footprint
// (3 x 4 for south and north, 4 x 3 for east and west).
void SetQuarryOrientation(ToolState& tools, const ViewState& view, const IslandMap& island,
                          int orientation);

inline constexpr const char* kNoMineSelected = "No mine selected";
inline constexpr const char* kNoQuarrySpotSelected = "No quarry spot selected";

}  // namespace insel
