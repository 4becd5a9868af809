#pragma once
// Buildings and placed objects: choosing a building from the building list, turning it,
// placing it into a city, founding a town with its main warehouse, free objects, removing
// them, and what a click on the map finds (objects, animals).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/status.h"
#include "core/document/island_map.h"

namespace insel {

struct Definitions;
struct Document;
struct ToolState;
struct ViewState;

// The building chosen on the page and the object selected on the map.
struct ObjectTool {
    int chosen_item = -1;  // line of the building list, -1 before any choice
    int id = 0;            // graphic id of the chosen building, 0 before any choice
    int size = 11;         // its size code: width digit, height digit
    int definition = 0;
    int orientation = 0;  // 0..3
    // The selected object (index into the island's list) and the object as it was then, so a
    // list changed since (undo, removals) is noticed instead of hitting another object.
    std::optional<std::size_t> selected;
    ObjectEntry selected_entry;
    // Warehouses were placed or removed; the catchments are stale until they are tidied.
    bool warehouses_changed = false;
};

inline constexpr const char* kMissingParametersMessage =
    "Nicht alle Parameter (Posx,Posy,id) definiert";
inline constexpr const char* kNoCityMessage =
    "Fehler: kene Stadt definiert / Error: no city defined";
inline constexpr const char* kNotMainWarehouseMessage =
    "Error: Dies ist kein Hafenkontor/Markthaus";
inline constexpr const char* kNoObjectSelectedMessage =
    "Kein Objekt ausgew\xE4hlt / No object selected";

// One line of the building list as the page's combo box holds it.
struct BuildingItem {
    int id = 0;
    int size = 11;
    int definition = 0;
};
// Id (1007 stands for 1008), size and definition of a building-list line; nullopt when the
// line does not start with a number.
std::optional<BuildingItem> ParseBuildingItem(const std::string& item);

// Footprint of a size code at an orientation: odd orientations swap the sides.
struct Footprint {
    int width = 1, height = 1;
};
Footprint FootprintOf(int size, int orientation);

// BuildingComboBoxClick: the building on line `item` of the list becomes the chosen one; the
// object tool's frame takes its footprint. False when the line holds no building.
bool ChooseBuilding(ToolState& tools, const Definitions& definitions, int item);
// The first line with graphic id `id` (line 0 when none has it) is chosen.
bool ChooseBuildingById(ToolState& tools, const Definitions& definitions, int id);
// OriButtonClick: the next quarter turn; the frame's sides swap for a non-square building.
void TurnBuilding(ToolState& tools);

enum class InsertAs { City, NewTown, Free };

struct InsertRequest {
    int x = 0, y = 0;
    int id = 0;
    int orientation = 0;  // 0..3
    InsertAs as = InsertAs::City;
    int warehouse_kind = 4;  // for a new town: 0 monster, 1 natives, 2 pirates, 3 Venice, 4 own
    std::string town_name = "Newtown";  // Windows-1252
};

// People number of the town a main warehouse of `kind` with graphic id `id` founds; nullopt
// when that kind does not accept the id.
std::optional<int> MainWarehousePeople(int kind, int id);

// InsertButtonClick, as one step of the history: places the object (free, into the current
// city, or as the main warehouse of a new town that becomes current) and selects it. Returns
// the message for the user when nothing was placed, else empty. Positions outside the island
// and orientations outside 0..3 are refused with an Error.
std::string InsertObject(Document& doc, ToolState& tools, const Definitions& definitions,
                         Status& status, const InsertRequest& request);

// The pieces the insert and the element lists share. A placed object with the footprint and
// definition of the building list; it becomes the selected object.
ObjectEntry& AddPlacedObject(IslandMap& island, ToolState& tools, const Definitions& definitions,
                             int id, int orientation, int x, int y, std::int32_t owner);
// The object as a building of `city`; warehouses get the next free warehouse number.
void AddCityBuilding(Document& doc, ToolState& tools, std::size_t city, const ObjectEntry& object);
// A new town at (x, y) of `people` that becomes the current city; `kind` is the main
// warehouse kind, which the island record's counters follow. Returns its index.
std::size_t FoundTown(Document& doc, int x, int y, int people, int kind, const std::string& name);

// The selected object, or null when none is selected or the list no longer holds it.
const ObjectEntry* SelectedObject(const ToolState& tools, const IslandMap& island);

// RemoveObjektButtonClick: removes the selected object and the first building of its city at
// its cell. Returns the message when nothing is selected, else empty.
std::string RemoveSelectedObject(Document& doc, ToolState& tools, Status& status);
// RemoveItemButtonClick tag 0: every object with graphic id `id`, each with the first building
// of the current city at its cell. Returns how many objects went.
int RemoveObjectsWithId(Document& doc, ToolState& tools, Status& status, int id);

// "Show elements": how many objects with graphic id `id` the view shows.
int CountShownObjects(const IslandMap& island, const ViewState& view, int id);

// ProductButtonClick: the current city's buildings into Memo2, numbered from 1.
void ListCityBuildings(const Document& doc, Status& status);

// A click on cell (x, y): the first object anchored there becomes the selected one, the
// object tool becomes the mode and its rectangle the object's position and footprint. False
// when no object stands there.
bool SelectObjectAt(ToolState& tools, const Document& doc, int x, int y);
// The first animal at cell (x, y), as an index into the island's animal list.
std::optional<std::size_t> FindAnimalAt(const IslandMap& island, int x, int y);

// The panel texts of an object: its name from the building list and its values.
std::string DescribeObject(const ObjectEntry& object, const Definitions& definitions);
std::string DescribeAnimal(const AnimalEntry& animal);

}  // namespace insel
