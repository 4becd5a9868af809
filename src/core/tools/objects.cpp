#include "core/tools/objects.h"

#include <algorithm>

#include "core/app/definitions.h"
#include "core/container/output_buffer.h"
#include "core/display/view.h"
#include "core/document/document.h"
#include "core/errors.h"
#include "core/island/catchment.h"
#include "core/island/cities.h"
#include "core/island/game_tables.h"
#include "core/tools/tool_state.h"

namespace insel {
namespace {

// A list field's number, as an int.
std::optional<int> Number(std::string_view field) {
    const auto value = ParseListNumber(field);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

void SetObjectFrame(ToolState& tools) {
    const Footprint f = FootprintOf(tools.objects.size, tools.objects.orientation);
    SelectionRect& rect = tools.Selection(ToolMode::Object);
    rect.width = f.width;
    rect.height = f.height;
}

void Select(ToolState& tools, const IslandMap& island, std::size_t index) {
    tools.objects.selected = index;
    tools.objects.selected_entry = island.objects[index];
}

// Removes the first building of city `city` at (x, y); logs "ohne entry" when there is none.
void RemoveCityBuildingAt(Document& doc, ToolState& tools, Status& status,
                          std::optional<std::size_t> city, int x, int y) {
    if (city) {
        auto& buildings = doc.cities.cities[*city].buildings;
        const auto found =
            std::find_if(buildings.begin(), buildings.end(),
                         [&](const BuildingEntry& b) { return b.x == x && b.y == y; });
        if (found != buildings.end()) {
            if (found->definition == kWarehouseDefinition || found->warehouse != 0)
                tools.objects.warehouses_changed = true;
            buildings.erase(found);
            return;
        }
    }
    status.memo2.push_back("ohne entry");
}

std::optional<std::size_t> CityNumbered(const CityState& cities, std::int32_t number) {
    for (std::size_t i = 0; i < cities.cities.size(); ++i) {
        if (cities.cities[i].number == number) return i;
    }
    return std::nullopt;
}

int NextWarehouseNumber(const CityState& cities) {
    int highest = 0;
    for (const CityRecord& city : cities.cities) {
        for (const BuildingEntry& b : city.buildings) highest = std::max<int>(highest, b.warehouse);
    }
    for (const WarehouseRecord& w : cities.warehouses) highest = std::max<int>(highest, w.number);
    return highest + 1;
}

void CheckPlacement(const IslandMap& island, int x, int y, int id, int orientation) {
    if (x < 0 || y < 0 || x >= island.record.width || y >= island.record.height) {
        throw BoundsError("cell (" + std::to_string(x) + ", " + std::to_string(y) +
                          ") lies outside the island of " + std::to_string(island.record.width) +
                          " x " + std::to_string(island.record.height) + " cells");
    }
    if (id < 0 || id > 16383)
        throw BoundsError("graphic id " + std::to_string(id) + " is outside 0..16383");
    if (orientation < 0 || orientation > 3)
        throw BoundsError("orientation " + std::to_string(orientation) + " is outside 0..3");
}

}  // namespace

std::optional<BuildingItem> ParseBuildingItem(const std::string& item) {
    if (item.size() <= 2) return std::nullopt;
    const auto id = Number(ListField(item, 0));
    if (!id) return std::nullopt;
    BuildingItem result;
    result.id = *id == 1007 ? 1008 : *id;
    result.size = Number(ListField(item, 1)).value_or(11);
    result.definition = Number(ListField(item, 2).substr(0, 3)).value_or(0);
    return result;
}

Footprint FootprintOf(int size, int orientation) {
    Footprint f{size / 10, size % 10};
    if (orientation % 2 == 1) std::swap(f.width, f.height);
    return f;
}

bool ChooseBuilding(ToolState& tools, const Definitions& definitions, int item) {
    if (item < 0 || item >= static_cast<int>(definitions.building_items.size())) return false;
    const auto parsed = ParseBuildingItem(definitions.building_items[item]);
    if (!parsed) return false;
    ObjectTool& tool = tools.objects;
    tool.chosen_item = item;
    tool.id = parsed->id;
    tool.size = parsed->size;
    tool.definition = parsed->definition;
    SetObjectFrame(tools);
    return true;
}

bool ChooseBuildingById(ToolState& tools, const Definitions& definitions, int id) {
    const auto& items = definitions.building_items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto parsed = ParseBuildingItem(items[i]);
        // The list's own id: 1007 is found as itself.
        if (parsed && Number(ListField(items[i], 0)) == id)
            return ChooseBuilding(tools, definitions, static_cast<int>(i));
    }
    return ChooseBuilding(tools, definitions, 0);
}

void TurnBuilding(ToolState& tools) {
    tools.objects.orientation = (tools.objects.orientation + 1) % 4;
    SetObjectFrame(tools);
}

std::optional<int> MainWarehousePeople(int kind, int id) {
    switch (kind) {
        case 0:
            if (id >= 2900 && id <= 2909) return 12;
            return std::nullopt;
        case 1: {
            struct Native {
                int id, people;
            };
            static constexpr Native kNatives[] = {{3000, 9}, {3018, 9}, {3100, 7}, {3200, 3},
                                                  {3302, 5}, {3400, 6}, {3500, 8}, {3513, 8},
                                                  {3602, 2}, {3700, 4}, {3712, 4}};
            for (const Native& n : kNatives) {
                if (n.id == id) return n.people;
            }
            return std::nullopt;
        }
        case 2:
            if (id == 3850 || id == 3855) return 1;
            return std::nullopt;
        case 3:
            if (id == 3950 || id == 3989) return 11;
            return std::nullopt;
        case 4:
            return 10;
        default:
            return std::nullopt;
    }
}

ObjectEntry& AddPlacedObject(IslandMap& island, ToolState& tools, const Definitions& definitions,
                             int id, int orientation, int x, int y, std::int32_t owner) {
    CheckPlacement(island, x, y, id, orientation);
    ObjectEntry o;
    o.owner = owner;
    o.orientation = static_cast<std::uint8_t>(orientation);
    o.graphic_id = static_cast<std::uint16_t>(id);
    o.id_word = static_cast<std::uint16_t>(id + orientation * 16384);
    o.parameter = static_cast<std::uint16_t>(island.height.get(x, y) * 256);
    o.x = x;
    o.y = y;
    const ObjectSize size = LookupObjectSize(definitions, id, orientation, 0);
    o.width = static_cast<std::uint16_t>(size.width);
    o.height = static_cast<std::uint16_t>(size.height);
    o.definition = static_cast<std::uint16_t>(size.definition);
    if (id == kMarketplaceGraphic) {
        // Both halves are measured against the width, as the game places the market square.
        const int half = island.record.width / 2;
        o.market_x = x >= half ? x + 4 : x - 4;
        o.market_y = y >= half ? y + 4 : y - 4;
    }
    island.objects.push_back(o);
    Select(tools, island, island.objects.size() - 1);
    return island.objects.back();
}

void AddCityBuilding(Document& doc, ToolState& tools, std::size_t city_index,
                     const ObjectEntry& object) {
    CityRecord& city = doc.cities.cities[city_index];
    BuildingEntry b;
    b.city = city.number;
    b.x = object.x;
    b.y = object.y;
    b.graphic_id = object.graphic_id;
    b.definition = object.definition;
    b.radius = static_cast<std::uint16_t>(WarehouseRadius(object.graphic_id));
    b.size_x = static_cast<std::uint8_t>(object.width);
    b.size_y = static_cast<std::uint8_t>(object.height);
    b.market1 = object.market_x;
    b.market2 = object.market_y;
    auto& buildings = city.buildings;
    auto where = buildings.end();
    if (b.definition == kWarehouseDefinition) {
        b.warehouse = CheckedNarrow<std::uint16_t>(NextWarehouseNumber(doc.cities),
                                                   "the next warehouse number");
        where = std::find_if(buildings.begin(), buildings.end(),
                             [](const BuildingEntry& e) { return e.warehouse == 0; });
        if (doc.file_kind != FileKind::Savegame) {
            AddWarehouse(doc.cities,
                         {city.number, b.radius, b.x, b.y, b.size_x, b.size_y, b.warehouse});
        }
        tools.objects.warehouses_changed = true;
    }
    b.record_length = static_cast<std::uint16_t>(
        4 + EntryTemplate(b.definition, b.warehouse, b.market1, b.market2).size());
    buildings.insert(where, b);
}

std::size_t FoundTown(Document& doc, int x, int y, int people, int kind, const std::string& name) {
    CityState& state = doc.cities;
    IslandRecord& record = doc.island.record;
    CityRecord city;
    city.number = state.next_number++;
    city.island_number = record.number;
    city.people = people;
    city.name = name;
    // The world map counts the island's rows first.
    city.abs_first = CheckedNarrow<std::uint16_t>(record.world_first + y, "the town's position");
    city.abs_second = CheckedNarrow<std::uint16_t>(record.world_second + x, "the town's position");
    city.position_word1 = y;
    city.position_word2 = x;
    city.has_head = 0;
    state.cities.push_back(city);
    state.current = state.cities.size() - 1;
    record.city_id = city.number;
    record.city_byte = CheckedNarrow<std::uint8_t>(record.city_byte + 1, "the island's cities");
    if (kind == 1) {
        record.people_byte =
            CheckedNarrow<std::uint8_t>(record.people_byte + 1, "the island's native peoples");
    }
    if (kind == 2) ++record.info_b;
    doc.city_list.push_back(CityListRow(state.cities.back(), 0, 0));
    return state.cities.size() - 1;
}

std::string InsertObject(Document& doc, ToolState& tools, const Definitions& definitions,
                         Status& status, const InsertRequest& r) {
    if (r.id <= 0) return kMissingParametersMessage;
    CheckPlacement(doc.island, r.x, r.y, r.id, r.orientation);
    if (r.as == InsertAs::Free) {
        AddPlacedObject(doc.island, tools, definitions, r.id, r.orientation, r.x, r.y, 0);
        return {};
    }
    if (r.as == InsertAs::City && doc.cities.Current() == nullptr) return kNoCityMessage;
    std::optional<int> people;
    if (r.as == InsertAs::NewTown) {
        people = MainWarehousePeople(r.warehouse_kind, r.id);
        if (!people) return kNotMainWarehouseMessage;
    }
    if (const CityRecord* current = doc.cities.Current())
        doc.island.record.city_id = current->number;
    const ObjectSize size = LookupObjectSize(definitions, r.id, r.orientation, 0);
    status.memo2.push_back("ID,orientierung " + std::to_string(r.id) + ", " +
                           std::to_string(r.orientation) + "   Entryl\xE4nge, typ " +
                           std::to_string(size.definition / 10) + ", " +
                           std::to_string(size.definition % 10));
    if (r.as == InsertAs::NewTown) FoundTown(doc, r.x, r.y, *people, r.warehouse_kind, r.town_name);
    const std::size_t city = *doc.cities.current;
    const ObjectEntry object = AddPlacedObject(doc.island, tools, definitions, r.id, r.orientation,
                                               r.x, r.y, doc.cities.cities[city].number);
    if (size.definition / 10 > 0) AddCityBuilding(doc, tools, city, object);
    return {};
}

const ObjectEntry* SelectedObject(const ToolState& tools, const IslandMap& island) {
    const ObjectTool& tool = tools.objects;
    if (!tool.selected || *tool.selected >= island.objects.size()) return nullptr;
    const ObjectEntry& object = island.objects[*tool.selected];
    return object == tool.selected_entry ? &object : nullptr;
}

std::string RemoveSelectedObject(Document& doc, ToolState& tools, Status& status) {
    const ObjectEntry* selected = SelectedObject(tools, doc.island);
    if (selected == nullptr) {
        tools.objects.selected.reset();
        return kNoObjectSelectedMessage;
    }
    const ObjectEntry object = *selected;
    const auto city = CityNumbered(doc.cities, object.owner);
    doc.cities.current = city;
    status.memo2.push_back("Object at xy= " + std::to_string(object.x) + ", " +
                           std::to_string(object.y));
    RemoveCityBuildingAt(doc, tools, status, city, object.x, object.y);
    doc.island.objects.erase(doc.island.objects.begin() +
                             static_cast<std::ptrdiff_t>(*tools.objects.selected));
    tools.objects.selected.reset();
    return {};
}

int RemoveObjectsWithId(Document& doc, ToolState& tools, Status& status, int id) {
    const ObjectEntry* selected = SelectedObject(tools, doc.island);
    const std::optional<ObjectEntry> kept =
        selected != nullptr && selected->graphic_id != id ? std::optional(*selected) : std::nullopt;
    auto& objects = doc.island.objects;
    int removed = 0;
    std::vector<ObjectEntry> remaining;
    remaining.reserve(objects.size());
    for (const ObjectEntry& o : objects) {
        if (o.graphic_id != id) {
            remaining.push_back(o);
            continue;
        }
        RemoveCityBuildingAt(doc, tools, status, doc.cities.current, o.x, o.y);
        ++removed;
    }
    objects = std::move(remaining);
    // The selection follows its object to its new place, or goes with it.
    tools.objects.selected.reset();
    if (kept) {
        const auto found = std::find(objects.begin(), objects.end(), *kept);
        if (found != objects.end()) Select(tools, doc.island, found - objects.begin());
    }
    return removed;
}

int CountShownObjects(const IslandMap& island, const ViewState& view, int id) {
    int count = 0;
    for (const ObjectEntry& o : island.objects) {
        const std::int64_t i = std::int64_t{o.x} - view.origin_x;
        const std::int64_t j = std::int64_t{o.y} - view.origin_y;
        if (o.graphic_id == id && i >= 0 && j >= 0 && i < view.visible_columns &&
            j < view.visible_rows)
            ++count;
    }
    return count;
}

void ListCityBuildings(const Document& doc, Status& status) {
    status.memo2.clear();
    const CityRecord* city = doc.cities.Current();
    if (city == nullptr) return;
    int number = 1;
    for (const BuildingEntry& b : city->buildings) {
        status.memo2.push_back("Entry " + std::to_string(b.y) + ", " + std::to_string(b.x) + "  " +
                               std::to_string(number++));
    }
}

bool SelectObjectAt(ToolState& tools, const Document& doc, int x, int y) {
    const auto& objects = doc.island.objects;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const ObjectEntry& o = objects[i];
        if (o.x != x || o.y != y) continue;
        Select(tools, doc.island, i);
        tools.mode = ToolMode::Object;
        tools.Selection(ToolMode::Object) = {o.x, o.y, o.width, o.height};
        return true;
    }
    return false;
}

std::optional<std::size_t> FindAnimalAt(const IslandMap& island, int x, int y) {
    for (std::size_t i = 0; i < island.animals.size(); ++i) {
        if (island.animals[i].first == x && island.animals[i].second == y) return i;
    }
    return std::nullopt;
}

std::string DescribeObject(const ObjectEntry& o, const Definitions& definitions) {
    return BuildingName(definitions, o.graphic_id) + "  id " + std::to_string(o.graphic_id) +
           "  ori " + std::to_string(o.orientation) + "  xy " + std::to_string(o.x) + ", " +
           std::to_string(o.y) + "  " + std::to_string(o.width) + " x " + std::to_string(o.height) +
           "  Stadt " + std::to_string(o.owner);
}

std::string DescribeAnimal(const AnimalEntry& a) {
    return "Tier xy " + std::to_string(a.first) + ", " + std::to_string(a.second) + "  Werte " +
           std::to_string(a.third) + ", " + std::to_string(a.fourth);
}

}  // namespace insel
