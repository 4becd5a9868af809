#pragma once
// Turning the island, and the per-layer shifts the writer applies when saving.
namespace insel {

struct Editor;

enum ShiftKind : int { kShiftHeights = 0, kShiftGraphics = 1, kShiftPlants = 2, kShiftRocks = 3 };

// Moves one group of layers by the kind's offsets (editor.shifts[kind]): 0 heights and
// fertility, 1 graphic tiles, 2 terrain elements with their parameters and the quarry spots,
// 3 rocks (elements 1501..1999) with their parameters and the quarry spots.
void ShiftLayer(Editor& editor, int kind);

}  // namespace insel
