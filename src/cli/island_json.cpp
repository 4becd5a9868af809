#include "cli/island_json.h"

#include <sstream>

#include "core/app/editor.h"
#include "core/container/cp1252.h"
#include "core/island/island_list.h"

namespace insel::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Text(const std::string& cp1252) { return Cp1252ToUtf8(cp1252); }

// The status panels by the names of the window's controls, as the JSON has always given them.
Json PanelsJson(const Status& s) {
    return Json{{"FSizePanel", s.file_size},    {"AddOnPanel", s.addon_level},
                {"StufenPanel", s.cell_blocks}, {"MinenOrtePanel", s.quarry_spots},
                {"MinenBergePanel", s.mines},   {"TierePanel", s.animals},
                {"BauOrtePanel", s.objects},    {"xSizePanel", s.width},
                {"ySizePanel", s.height},       {"AnzStadtPanel", s.cities}};
}

Json RecordJson(const Editor& editor) {
    const IslandMap& island = editor.doc.island;
    const IslandRecord& r = island.record;
    return Json{{"number", r.number},
                {"city_id", r.city_id},
                {"climate", r.climate},
                {"buffer", r.buffer},
                {"start", r.start},
                {"world", {r.world_first, r.world_second}},
                {"width", r.width},
                {"height", r.height},
                {"name", Text(r.name)},
                {"city_byte", r.city_byte},
                {"people_byte", r.people_byte},
                {"info_a", r.info_a},
                {"block_figure", r.block_figure},
                {"info_b", r.info_b},
                {"kontorid", {island.kontorid_first, island.kontorid_second}},
                {"cell_block_count", island.cell_block_count}};
}

Json MinesJson(const IslandMap& island) {
    Json mines = Json::array();
    for (const MineRecord& m : island.mines) {
        mines.push_back({{"building_id", m.building_id},
                         {"x", DecodeCellFloat(m.x)},
                         {"y", DecodeCellFloat(m.y)},
                         {"x_raw", m.x},
                         {"y_raw", m.y},
                         {"symbol_value", m.symbol_value},
                         {"symbol_elevation", m.symbol_elevation},
                         {"treasure", m.treasure},
                         {"visible", m.visible},
                         {"whale", m.whale},
                         {"deleted", m.deleted}});
    }
    return mines;
}

Json QuarryJson(const IslandMap& island) {
    Json spots = Json::array();
    for (const MineRecord& q : island.quarry_spots) {
        spots.push_back({{"x", q.x},
                         {"y", q.y},
                         {"x_band", q.x_band},
                         {"orientation", q.orientation},
                         {"deleted", q.deleted}});
    }
    return spots;
}

Json ObjectsJson(const IslandMap& island) {
    Json objects = Json::array();
    for (const ObjectEntry& o : island.objects) {
        objects.push_back({{"island", o.island},
                           {"owner", o.owner},
                           {"id_word", o.id_word},
                           {"graphic_id", o.graphic_id},
                           {"file_position", o.file_position},
                           {"parameter", o.parameter},
                           {"orientation", o.orientation},
                           {"x", o.x},
                           {"y", o.y},
                           {"width", o.width},
                           {"height", o.height},
                           {"definition", o.definition},
                           {"market", {o.market_x, o.market_y}}});
    }
    return objects;
}

Json LinesJson(const std::vector<std::string>& lines) {
    Json array = Json::array();
    for (const auto& line : lines) array.push_back(Text(line));
    return array;
}

}  // namespace

namespace {

Json CitiesJson(const Editor& editor) {
    Json cities = Json::array();
    for (const CityRecord& c : editor.doc.cities.cities) {
        Json buildings = Json::array();
        for (const BuildingEntry& b : c.buildings) {
            buildings.push_back({{"x", b.x},
                                 {"y", b.y},
                                 {"record_position", b.record_position},
                                 {"record_length", b.record_length},
                                 {"graphic_id", b.graphic_id},
                                 {"definition", b.definition},
                                 {"warehouse", b.warehouse},
                                 {"radius", b.radius},
                                 {"size_x", b.size_x},
                                 {"size_y", b.size_y},
                                 {"market", {b.market1, b.market2}}});
        }
        cities.push_back({{"number", c.number},
                          {"island_number", c.island_number},
                          {"player", c.player},
                          {"people", c.people},
                          {"name", Text(c.name)},
                          {"abs", {c.abs_first, c.abs_second}},
                          {"position_words", {c.position_word1, c.position_word2}},
                          {"has_head", c.has_head},
                          {"head_search_start", c.head_search_start},
                          {"has_catchment", c.has_catchment},
                          {"buildings", buildings}});
    }
    return cities;
}

Json WarehousesJson(const Editor& editor) {
    Json warehouses = Json::array();
    for (const WarehouseRecord& w : editor.doc.cities.warehouses) {
        warehouses.push_back({{"city", w.city},
                              {"number", w.number},
                              {"x", w.x},
                              {"y", w.y},
                              {"radius", w.radius},
                              {"size_x", w.size_x},
                              {"size_y", w.size_y}});
    }
    return warehouses;
}

// One string per x: the last digit of the owning city's number per y, "." for none.
Json CatchmentJson(const Editor& editor) {
    Json rows = Json::array();
    for (int x = 0; x < kCatchmentSide; ++x) {
        std::string row(kCatchmentSide, '.');
        for (int y = 0; y < kCatchmentSide; ++y) {
            const int city = editor.doc.cities.CatchmentAt(x, y);
            if (city != 0) row[y] = static_cast<char>('0' + city % 10);
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

Json IslandJson(const Editor& editor, const std::string& path,
                const std::vector<std::pair<int, int>>& cells, bool catchment) {
    const IslandMap& island = editor.doc.island;
    Json json;
    json["file"] = {{"path", path},
                    {"kind", static_cast<int>(editor.doc.file_kind)},
                    {"size", editor.doc.file_size},
                    {"data_limit", editor.doc.data_limit},
                    {"addon_level", editor.doc.addon_level}};
    json["island"] = RecordJson(editor);
    json["panels"] = PanelsJson(editor.status);
    json["mines"] = MinesJson(island);
    json["quarry_spots"] = QuarryJson(island);
    Json animals = Json::array();
    for (const AnimalEntry& a : island.animals)
        animals.push_back({a.first, a.second, a.third, a.fourth});
    json["animals"] = animals;
    json["objects"] = ObjectsJson(island);
    json["series_usage"] = editor.doc.SeriesUsageCounts();
    Json islands = Json::array();
    for (const IslandListRow& row : editor.doc.island_list) {
        Json cells_of_row = Json::array();
        for (const std::string& cell : row.Cells()) cells_of_row.push_back(Text(cell));
        islands.push_back(cells_of_row);
    }
    json["island_list"] = islands;
    Json cities = Json::array();
    for (const auto& row : editor.doc.city_list) {
        Json cells_of_row = Json::array();
        for (const std::string& cell : row) cells_of_row.push_back(Text(cell));
        cities.push_back(cells_of_row);
    }
    json["city_list"] = cities;
    json["log"] = {{"Memo2", LinesJson(editor.status.memo2)},
                   {"Memo3", LinesJson(editor.status.memo3)}};
    Json cell_values = Json::array();
    for (const auto& [x, y] : cells) {
        cell_values.push_back({{"x", x},
                               {"y", y},
                               {"height", island.height.get(x, y)},
                               {"gfx", island.gfx.get(x, y)},
                               {"fertility", island.fertility.get(x, y)},
                               {"terrain", island.terrain.get(x, y)},
                               {"terrain_param", island.terrain_param.get(x, y)},
                               {"river", island.river.get(x, y)},
                               {"river_param", island.river_param.get(x, y)}});
    }
    json["cells"] = cell_values;
    json["cities"] = CitiesJson(editor);
    json["warehouses"] = WarehousesJson(editor);
    const CityRecord* current =
        editor.doc.cities.current ? &editor.doc.cities.cities[*editor.doc.cities.current] : nullptr;
    json["current_city"] = current != nullptr ? Json(current->number) : Json(nullptr);
    if (catchment) json["catchment"] = CatchmentJson(editor);
    return json;
}

std::string IslandSummary(const Editor& editor, const std::string& path) {
    static constexpr const char* kKinds[] = {"none", "island file", "savegame",
                                             "extracted-city file", "scenario"};
    const IslandMap& island = editor.doc.island;
    const IslandRecord& r = island.record;
    std::ostringstream out;
    out << "File:        " << path << "\n"
        << "Kind:        " << kKinds[static_cast<int>(editor.doc.file_kind)] << ", "
        << editor.doc.file_size << " bytes, data up to " << editor.doc.data_limit
        << ", add-on level " << editor.doc.addon_level << "\n"
        << "Island:      \"" << Text(r.name) << "\", number " << r.number << ", " << r.width
        << " x " << r.height << " cells, climate " << r.climate;
    const std::string climate = ClimateName(r.climate);
    if (!climate.empty()) out << " (" << climate << ")";
    out << "\n"
        << "World:       " << r.world_first << ", " << r.world_second << "\n"
        << "Cell blocks: " << island.cell_block_count << "\n"
        << "Mines:       " << island.mines.size() << ", quarry spots " << island.quarry_spots.size()
        << "\n"
        << "Animals:     " << island.animals.size() << "\n"
        << "Objects:     " << island.objects.size() << "\n"
        << "Islands:     " << editor.doc.island_list.size() << " in the file\n"
        << "Cities:      " << editor.doc.city_list.size() << "\n";
    for (const CityRecord& city : editor.doc.cities.cities) {
        out << "  city " << city.number << " \"" << Text(city.name) << "\" on island "
            << city.island_number << ", people " << city.people << ", " << city.buildings.size()
            << " buildings\n";
    }
    for (const IslandListRow& row : editor.doc.island_list) {
        out << "  island " << row.number << " \"" << Text(row.name) << "\" at " << row.world_first
            << ", " << row.world_second << ", " << row.width << " wide, file position "
            << row.position << "\n";
    }
    if (!editor.status.memo2.empty()) {
        out << "Log:\n";
        for (const auto& line : editor.status.memo2) out << "  " << Text(line) << "\n";
    }
    return out.str();
}

}  // namespace insel::cli
