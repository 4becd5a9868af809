#pragma once
// A click on the map: the frame moves to the cell, and what lies there is looked up in a fixed
// order and loaded into the tool state, so the pages can show it.
#include <cstddef>
#include <optional>

namespace insel {

struct Definitions;
struct Document;
struct Status;
struct ToolState;
struct ViewState;

struct CellClick {
    int x = 0, y = 0;
    // The first thing found that takes a page of its own; the terrain element and the tile
    // field are loaded whatever is found.
    enum class Found { Nothing, Mine, QuarrySpot, River, Object, Animal };
    Found found = Found::Nothing;
    std::optional<std::size_t> animal;  // index into the animal list, for Found::Animal
};

// The click on the cell last under the mouse: the frame goes there, then a mine, a quarry spot
// and a river cell are looked up, the terrain element and (with `fill_tile_field`) the tile
// field loaded, and, when nothing was found before, an object and (with `animals_shown`) an
// animal. Nothing when no island is shown.
std::optional<CellClick> ClickCell(ToolState& tools, const ViewState& view, const Document& doc,
                                   const Definitions& definitions, Status& status,
                                   bool fill_tile_field, bool animals_shown);

}  // namespace insel
