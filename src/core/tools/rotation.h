#pragma once
// Turning the island, and the per-layer shifts applied when it is saved.
#include <string>

namespace insel {

struct IslandMap;
struct LayerShift;
struct SaveOptions;
struct Document;
struct Definitions;
struct Status;

// The history step of one quarter turn: the caption of its button.
inline constexpr const char* kQuarterTurnStep = "+90 Grad";

// Turns the island a quarter turn clockwise on the map: cell (x, y) goes to (W - 1 - y, x).
// Every layer, element (by its footprint), animal, mine, quarry spot, placed object and the
// building positions of the island's cities follow. Returns a message for the user and
// changes nothing when the island is not square (the turn keeps the sides); "" otherwise.
// The log of what moved goes to memo3; elements that would land outside the island are
// listed there instead of written. Run it as a step named kQuarterTurnStep.
std::string RotateQuarter(Document& doc, const Definitions& definitions, Status& status);

// The element size code of the terrain list line of `element_id` (orientation removed): tens
// digit the extent across, units digit along; 11 for ids without a line, 0 for id 0.
int ElementSizeCode(const Definitions& definitions, int element_id);

enum ShiftKind : int { kShiftHeights = 0, kShiftGraphics = 1, kShiftPlants = 2, kShiftRocks = 3 };

// Moves one group of layers by the shift's offsets: 0 heights and fertility, 1 graphic tiles,
// 2 terrain elements with their parameters and the quarry spots, 3 rocks (elements
// 1501..1999) with their parameters and the quarry spots.
void ShiftLayer(IslandMap& island, int kind, const LayerShift& shift);

// Every shift the save options ask for, in the order of the kinds; done before a save.
void ApplySaveShifts(IslandMap& island, const SaveOptions& options);

}  // namespace insel
