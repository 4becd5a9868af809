#include "core/app/status.h"

namespace insel {

void Status::ShowIslandCounts(const IslandCounts& counts) {
    width = std::to_string(counts.width);
    height = std::to_string(counts.height);
    cell_blocks = std::to_string(counts.cell_blocks);
    quarry_spots = std::to_string(counts.quarry_spots);
    mines = std::to_string(counts.mines);
    objects = std::to_string(counts.objects);
    animals = std::to_string(counts.animals);
}

void Status::ShowLoadSummary(const LoadSummary& summary) {
    file_size = std::to_string(summary.file_size);
    addon_level = std::to_string(summary.addon_level);
    ShowIslandCounts(summary.island);
    cities = island_cities = std::to_string(summary.cities);
    island_name = summary.name;
}

}  // namespace insel
