#include "core/island/catchment.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/document/document.h"

namespace insel {
namespace {

// Corner cuts per radius: for (c, n) the cells k = 0..n at distance c from an edge go.
const std::vector<std::pair<int, int>>& CornerCuts(int radius) {
    static const std::vector<std::pair<int, int>> r23 = {
        {0, 19}, {1, 15}, {2, 13}, {3, 11}, {4, 10}, {5, 8},  {6, 7},  {7, 6},  {8, 5},  {9, 4},
        {10, 4}, {11, 3}, {12, 2}, {13, 2}, {14, 1}, {15, 1}, {16, 0}, {17, 0}, {18, 0}, {19, 0}};
    static const std::vector<std::pair<int, int>> r15 = {{0, 12}, {1, 9},  {2, 7}, {3, 6}, {4, 4},
                                                         {5, 3},  {6, 3},  {7, 2}, {8, 1}, {9, 1},
                                                         {10, 0}, {11, 0}, {12, 0}};
    static const std::vector<std::pair<int, int>> other = {{0, 0}};
    return radius == 23 ? r23 : radius == 15 ? r15 : other;
}

void ClearMaskCell(CatchmentMask& mask, int x, int y) {
    if (x >= 0 && x < kMaskSide && y >= 0 && y < kMaskSide) mask[x][y] = 0;
}

void OccupyCatchment(Document& doc, const WarehouseRecord& warehouse, const CatchmentMask& mask,
                     LogLines& memo) {
    const int r = warehouse.radius;
    const int sx = CatchmentFootprint(warehouse.size_x);
    const int sy = CatchmentFootprint(warehouse.size_y);
    memo.push_back("EZBbesetzen radius " + std::to_string(r));
    memo.push_back("Kontxy  " + std::to_string(warehouse.x) + ", " + std::to_string(warehouse.y));
    memo.push_back("dxy  " + std::to_string(sx) + ", " + std::to_string(sy));
    const int width = doc.island.record.width;
    const int height = doc.island.record.height;
    auto& grid = doc.cities.catchment.Edit();
    for (int a = std::max(1, warehouse.x - r); a <= warehouse.x + r + sx - 1; ++a) {
        // The grid covers 512 x 512 cells; cells of larger islands belong to no city.
        if (a >= width || a >= kCatchmentSide) break;
        for (int b = std::max(1, warehouse.y - r); b <= warehouse.y + r + sy - 1; ++b) {
            if (b >= height || b >= kCatchmentSide) break;
            const int i = a - warehouse.x + r;
            const int j = b - warehouse.y + r;
            const bool inside =
                i >= 0 && i < kMaskSide && j >= 0 && j < kMaskSide && mask[i][j] == 1;
            auto& cell = grid[a * kCatchmentSide + b];
            if (inside && cell == 0) cell = static_cast<std::uint16_t>(warehouse.city);
        }
    }
}

}  // namespace

int WarehouseRadius(int graphic_id) {
    if (graphic_id < 2500) return 23;
    if (graphic_id < 3000) return 2;
    return 15;
}

CatchmentMask CreateCatchmentMask(int radius, int size_x, int size_y, LogLines& log) {
    CatchmentMask mask{};
    for (int x = 0; x < 50; ++x) {
        for (int y = 0; y < 50; ++y) mask[x][y] = 1;
    }
    const int h = 2 * radius + size_x;
    const int w = 2 * radius + size_y;
    for (int x = std::max(h, 0); x < 50; ++x) mask[x].fill(0);
    for (int y = std::max(w, 0); y < 50; ++y) {
        for (int x = 0; x < 50; ++x) mask[x][y] = 0;
    }
    if (radius == 23) log.push_back("Create Kontorbereich Radius 23");
    for (const auto& [c, n] : CornerCuts(radius)) {
        log.push_back("ClearKontor : " + std::to_string(c) + ", " + std::to_string(n));
        for (int k = 0; k <= n; ++k) {
            ClearMaskCell(mask, k, c);
            ClearMaskCell(mask, h - 1 - k, c);
            ClearMaskCell(mask, k, w - 1 - c);
            ClearMaskCell(mask, h - 1 - k, w - 1 - c);
        }
    }
    return mask;
}

void AddWarehouse(CityState& cities, const WarehouseRecord& warehouse) {
    auto& list = cities.warehouses;
    const auto at = std::upper_bound(
        list.begin(), list.end(), warehouse.number,
        [](std::uint16_t number, const WarehouseRecord& w) { return number < w.number; });
    list.insert(at, warehouse);
}

void AssignObjectsToCities(Document& doc, LogLines& log) {
    auto& grid = doc.cities.catchment.Edit();
    std::fill(grid.begin(), grid.end(), 0);
    for (const WarehouseRecord& warehouse : doc.cities.warehouses) {
        const CatchmentMask mask =
            CreateCatchmentMask(warehouse.radius, CatchmentFootprint(warehouse.size_x),
                                CatchmentFootprint(warehouse.size_y), log);
        log.push_back("StadtID " + std::to_string(warehouse.city) + "   KontID " +
                      std::to_string(warehouse.number) + " at xy " + std::to_string(warehouse.x) +
                      ", " + std::to_string(warehouse.y) + "  Radius " +
                      std::to_string(warehouse.radius));
        OccupyCatchment(doc, warehouse, mask, log);
    }
    for (ObjectEntry& object : doc.island.objects) {
        if (object.x >= 0 && object.y >= 0 && object.x < kCatchmentSide &&
            object.y < kCatchmentSide) {
            object.owner = doc.cities.CatchmentAt(object.x, object.y);
        }
    }
}

}  // namespace insel
