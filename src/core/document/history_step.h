#pragma once
// What a step of the edit history holds: shared by the history and the recovery journal.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/document/document.h"
#include "core/document/history.h"

namespace insel {

// Every part of the document a step replaces whole when it changed it: all of it but the
// layers, the counters that follow them and the file's bytes.
struct History::Parts {
    std::int64_t file_size = 0, data_limit = 0, buffer_file_size = -1;
    int addon_level = 0;
    FileKind file_kind = FileKind::None;
    std::string file_name;
    bool loaded = false;
    IslandRecord record;
    std::vector<MineRecord> mines, quarry_spots;
    std::vector<AnimalEntry> animals;
    std::vector<ObjectEntry> objects;
    std::int32_t cell_block_count = 0, kontorid_first = 0, rotation_angle = 0;
    std::uint16_t kontorid_second = 0;
    std::vector<CityRecord> cities;
    std::optional<std::size_t> current_city;
    std::int32_t next_city_number = 0;
    std::vector<WarehouseRecord> warehouses;
    CatchmentGrid catchment;
    int main_warehouse_kind = 0, warehouse_counter = 0, cities_written = 0;
    std::vector<IslandListRow> island_list;
    std::vector<std::array<std::string, 7>> city_list;
    std::array<std::int32_t, kSeriesCount> earlier_series_usage{};
};

// Runs of cells of one layer, with the values of the other side of the step.
template <class T>
struct CellRuns {
    struct Run {
        std::uint16_t x, y, n;
    };
    std::vector<Run> runs;
    BulkArray<T> values;
    // The quarter turns of the island's square that applying the step gives the cells, each
    // keeping what it counts as: the counters turn with them. 0 for a step that is no turn.
    int quarter_turns = 0;
    // The quarter turns that undo `turns`.
    static int TurnsBack(int turns) { return (4 - turns) % 4; }
    // For a step whose only change to the layer was one value becoming another in every counted
    // cell: the two values and, per block, their counts on the other side of the step, which
    // applying swaps with the tables'. None for other steps, whose runs are counted.
    struct ValueCounts {
        T from, to;
        std::vector<std::array<std::int32_t, 2>> counts;
    };
    std::optional<ValueCounts> replaced;

    std::size_t bytes() const {
        return runs.capacity() * sizeof(Run) + values.capacity() * sizeof(T) +
               (replaced ? replaced->counts.capacity() * sizeof(replaced->counts[0]) : 0);
    }
};

enum class Counted { Nothing, Heights, Fertility, Series };

struct BlockTables {
    std::vector<std::array<std::int32_t, 256>> heights;
    std::vector<std::array<std::int32_t, 11>> fertility;
    int used = 0;
};

struct History::Recording {
    ColumnBackup<std::uint8_t> height;
    ColumnBackup<std::uint16_t> gfx, fertility, terrain, terrain_param, river, river_param;
};

struct History::Step {
    std::string name;
    CellRuns<std::uint8_t> height;
    CellRuns<std::uint16_t> gfx, fertility, terrain, terrain_param, river, river_param;
    std::uint32_t parts_changed = 0;
    std::unique_ptr<Parts> parts;
    std::vector<GameFileBuffer::PatchedByte> file_bytes;  // with the other side's values
    std::unique_ptr<BlockTables> blocks;  // whole, when the step changed the island's size
    std::size_t bytes = 0;
};

// Calls f(bit, the document's part, a's, b's) for each part.
template <class P, class F>
void ZipParts(Document& doc, P& a, P& b, F f) {
    int bit = 0;
    auto each = [&](auto& part, auto& in_a, auto& in_b) { f(bit++, part, in_a, in_b); };
    IslandMap& island = doc.island;
    CityState& cities = doc.cities;
    each(doc.file_size, a.file_size, b.file_size);
    each(doc.data_limit, a.data_limit, b.data_limit);
    each(doc.file.file_size, a.buffer_file_size, b.buffer_file_size);
    each(doc.addon_level, a.addon_level, b.addon_level);
    each(doc.file_kind, a.file_kind, b.file_kind);
    each(doc.file_name, a.file_name, b.file_name);
    each(doc.loaded, a.loaded, b.loaded);
    each(island.record, a.record, b.record);
    each(island.mines, a.mines, b.mines);
    each(island.quarry_spots, a.quarry_spots, b.quarry_spots);
    each(island.animals, a.animals, b.animals);
    each(island.objects, a.objects, b.objects);
    each(island.cell_block_count, a.cell_block_count, b.cell_block_count);
    each(island.kontorid_first, a.kontorid_first, b.kontorid_first);
    each(island.kontorid_second, a.kontorid_second, b.kontorid_second);
    each(island.rotation_angle, a.rotation_angle, b.rotation_angle);
    each(cities.cities, a.cities, b.cities);
    each(cities.current, a.current_city, b.current_city);
    each(cities.next_number, a.next_city_number, b.next_city_number);
    each(cities.warehouses, a.warehouses, b.warehouses);
    each(cities.catchment, a.catchment, b.catchment);
    each(cities.main_warehouse_kind, a.main_warehouse_kind, b.main_warehouse_kind);
    each(cities.warehouse_counter, a.warehouse_counter, b.warehouse_counter);
    each(cities.cities_written, a.cities_written, b.cities_written);
    each(doc.island_list, a.island_list, b.island_list);
    each(doc.city_list, a.city_list, b.city_list);
    each(doc.earlier_series_usage, a.earlier_series_usage, b.earlier_series_usage);
}

// Calls f(layer, runs, backup, what its cells count in) for each layer a step records; the
// mark layer is the tools' scratch and is not recorded.
template <class S, class R, class F>
void ZipLayers(IslandMap& island, S& step, R& recording, F f) {
    f(island.height, step.height, recording.height, Counted::Heights);
    f(island.gfx, step.gfx, recording.gfx, Counted::Series);
    f(island.fertility, step.fertility, recording.fertility, Counted::Fertility);
    f(island.terrain, step.terrain, recording.terrain, Counted::Nothing);
    f(island.terrain_param, step.terrain_param, recording.terrain_param, Counted::Nothing);
    f(island.river, step.river, recording.river, Counted::Nothing);
    f(island.river_param, step.river_param, recording.river_param, Counted::Nothing);
}

// Calls f(layer) for each layer a step records, in the order of ZipLayers.
template <class Island, class F>
void ForEachRecordedLayer(Island& island, F f) {
    f(island.height), f(island.gfx), f(island.fertility), f(island.terrain);
    f(island.terrain_param), f(island.river), f(island.river_param);
}

// The number of parts ZipParts walks.
inline constexpr int kPartCount = 27;

}  // namespace insel
