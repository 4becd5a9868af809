#pragma once
namespace insel {
struct Editor;

// Fills the editor with the bundled sample island: a 128 x 128 island of the northern climate
// with hills, beaches, tiles, plants and rocks, a river, mines, quarry spots and animals.
void BuildSampleIsland(Editor& editor);
}  // namespace insel
