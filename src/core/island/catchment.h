#pragma once
// Catchment areas of warehouses: which cells, and so which placed objects, belong to a city.
#include "core/app/status.h"
#include "core/document/city_state.h"

namespace insel {

struct Document;

// A warehouse footprint side of 0 stands for the usual 3 cells.
inline int CatchmentFootprint(int size) { return size == 0 ? 3 : size; }

// The catchment shape of a warehouse of `radius` and footprint size_x x size_y.
CatchmentMask CreateCatchmentMask(int radius, int size_x, int size_y, LogLines& log);
// Radius of a warehouse by the graphic id of its object: 23, 2 or 15.
int WarehouseRadius(int graphic_id);
// Inserts keeping the list sorted by warehouse number.
void AddWarehouse(CityState& cities, const WarehouseRecord& warehouse);
// Rebuilds the catchment grid from the warehouse list and sets every object's owner.
void AssignObjectsToCities(Document& doc, LogLines& log);

}  // namespace insel
