#pragma once
// Turning the island, and the per-layer shifts applied when it is saved.
namespace insel {

struct IslandMap;
struct LayerShift;
struct SaveOptions;

enum ShiftKind : int { kShiftHeights = 0, kShiftGraphics = 1, kShiftPlants = 2, kShiftRocks = 3 };

// Moves one group of layers by the shift's offsets: 0 heights and fertility, 1 graphic tiles,
// 2 terrain elements with their parameters and the quarry spots, 3 rocks (elements
// 1501..1999) with their parameters and the quarry spots.
void ShiftLayer(IslandMap& island, int kind, const LayerShift& shift);

// Every shift the save options ask for, in the order of the kinds; done before a save.
void ApplySaveShifts(IslandMap& island, const SaveOptions& options);

}  // namespace insel
