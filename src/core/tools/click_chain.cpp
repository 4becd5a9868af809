#include "core/tools/click_chain.h"

#include "core/app/status.h"
#include "core/display/view.h"
#include "core/document/document.h"
#include "core/tools/ground_tiles.h"
#include "core/tools/mines.h"
#include "core/tools/objects.h"
#include "core/tools/rivers.h"
#include "core/tools/terrain.h"
#include "core/tools/tool_frame.h"
#include "core/tools/tool_state.h"

namespace insel {

std::optional<CellClick> ClickCell(ToolState& tools, const ViewState& view, const Document& doc,
                                   const Definitions& definitions, Status& status,
                                   bool fill_tile_field, bool animals_shown) {
    const IslandMap& island = doc.island;
    const std::optional<CellPoint> cell = MoveToolFrameToMouse(tools, view, island, status);
    if (!cell) return std::nullopt;
    CellClick click;
    click.x = cell->x;
    click.y = cell->y;
    const int x = click.x, y = click.y;
    using Found = CellClick::Found;
    if (SelectMineAt(tools, island, x, y)) {
        click.found = Found::Mine;
    } else if (SelectQuarrySpotAt(tools, island, x, y)) {
        click.found = Found::QuarrySpot;
    } else if (LoadRiverCellAt(tools, island, x, y)) {
        click.found = Found::River;
    }
    LoadTerrainElementAt(tools, island, definitions, x, y);
    PickTileField(tools, island, definitions, x, y, fill_tile_field);
    if (click.found != Found::Nothing) return click;
    if (SelectObjectAt(tools, doc, x, y)) {
        click.found = Found::Object;
    } else if (animals_shown) {
        click.animal = FindAnimalAt(island, x, y);
        if (click.animal) click.found = Found::Animal;
    }
    return click;
}

}  // namespace insel
