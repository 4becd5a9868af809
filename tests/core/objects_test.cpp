// Buildings and placed objects: choosing and turning a building, the three kinds of insert,
// removal and the selection after it, the look-ups of a click, element lists, and extracted-city
// files that keep what was placed.
#include "core/tools/objects.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "city_helpers.h"
#include "core/island/city_writer.h"
#include "core/tools/element_list.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

// A building list with a 2 x 3 house (size 23), a marketplace, warehouses of each kind and a
// tree-like object without a definition.
void AddBuildingList(Definitions& d) {
    d.loaded = true;
    d.building_items = {"631,23,230,Wohnhaus",    "821,44,410,Marktplatz",
                        "2600,33,143,Kontor",     "3000,33,143,Orientalenkontor",
                        "2900,33,143,Monsterbau", "1007,11,000,Baum",
                        "1200,11,000,Stein"};
    d.building_list = d.building_items;
    for (const std::string& item : d.building_items) {
        const auto parsed = ParseBuildingItem(item);
        d.buildings_by_id.try_emplace(std::stoi(item.substr(0, item.find(','))),
                                      BuildingSize{parsed->size, parsed->definition});
    }
}

std::unique_ptr<Editor> Island(int side) {
    auto editor = test::ShownIsland(side, side);
    AddBuildingList(editor->definitions);
    return editor;
}

std::string Insert(Editor& e, const InsertRequest& r) {
    std::string message;
    e.Step("Element einfügen",
           [&] { message = InsertObject(e.doc, e.tools, e.definitions, e.status, r); });
    return message;
}

TEST(ChooseBuilding, FrameTakesTheFootprintAndTurnsWithTheBuilding) {
    auto e = Island(64);
    ASSERT_TRUE(ChooseBuilding(e->tools, e->definitions, 0));
    const SelectionRect& frame = e->tools.Selection(ToolMode::Object);
    EXPECT_EQ(std::tuple(e->tools.objects.id, frame.width, frame.height), std::tuple(631, 2, 3));
    TurnBuilding(e->tools);
    EXPECT_EQ(std::tuple(e->tools.objects.orientation, frame.width, frame.height),
              std::tuple(1, 3, 2));
    for (int i = 0; i < 3; ++i) TurnBuilding(e->tools);
    EXPECT_EQ(std::tuple(e->tools.objects.orientation, frame.width, frame.height),
              std::tuple(0, 2, 3));
    // 1007 in the list stands for 1008; an id not in the list chooses the first line.
    ASSERT_TRUE(ChooseBuildingById(e->tools, e->definitions, 1007));
    EXPECT_EQ(e->tools.objects.id, 1008);
    ASSERT_TRUE(ChooseBuildingById(e->tools, e->definitions, 4444));
    EXPECT_EQ(e->tools.objects.chosen_item, 0);
}

TEST(InsertObject, HouseOfSize23TurnedOnceIsThreeWideTwoHigh) {
    auto e = Island(64);
    e->doc.island.height.set(5, 6, 17);
    EXPECT_EQ(Insert(*e, {.x = 5, .y = 6, .id = 631, .orientation = 1, .as = InsertAs::Free}), "");
    ASSERT_EQ(e->doc.island.objects.size(), 1u);
    const ObjectEntry& o = e->doc.island.objects[0];
    EXPECT_EQ(
        std::tuple(o.width, o.height, o.id_word, o.graphic_id, o.definition, o.parameter, o.owner),
        std::tuple(3, 2, 631 + 16384, 631, 230, 17 * 256, 0));
    EXPECT_EQ(SelectedObject(e->tools, e->doc.island), &o);
}

TEST(InsertObject, MarketplaceGetsItsSquareTowardsTheIslandsMiddle) {
    struct Case {
        int x, y, market_x, market_y;
    };
    for (const Case c : {Case{10, 300, 6, 304}, Case{300, 10, 304, 6}, Case{256, 255, 260, 251}}) {
        auto e = Island(512);
        Insert(*e, {.x = c.x, .y = c.y, .id = 821, .as = InsertAs::Free});
        const ObjectEntry& o = e->doc.island.objects.at(0);
        EXPECT_EQ(std::pair(o.market_x, o.market_y), std::pair(c.market_x, c.market_y))
            << c.x << ", " << c.y;
    }
    auto e = Island(512);
    Insert(*e, {.x = 10, .y = 10, .id = 631, .as = InsertAs::Free});
    EXPECT_EQ(e->doc.island.objects.at(0).market_x, kNoMarketPoint);
}

TEST(InsertObject, RefusalsChangeNothing) {
    auto e = Island(64);
    EXPECT_EQ(Insert(*e, {.x = 5, .y = 5, .id = 631, .as = InsertAs::City}), kNoCityMessage);
    EXPECT_EQ(Insert(*e, {.x = 5, .y = 5, .id = 631, .as = InsertAs::NewTown, .warehouse_kind = 1}),
              kNotMainWarehouseMessage);
    EXPECT_EQ(Insert(*e, {.x = 5, .y = 5, .id = 0, .as = InsertAs::Free}),
              kMissingParametersMessage);
    // Outside the island or with an orientation that would spill into the id: an error, and the
    // step leaves the document as it was.
    EXPECT_THROW(Insert(*e, {.x = 64, .y = 5, .id = 631, .as = InsertAs::Free}), Error);
    EXPECT_THROW(Insert(*e, {.x = 5, .y = 5, .id = 631, .orientation = 4, .as = InsertAs::Free}),
                 Error);
    EXPECT_TRUE(e->doc.island.objects.empty());
    EXPECT_TRUE(e->doc.cities.cities.empty());
    EXPECT_FALSE(e->history.CanUndo());
}

TEST(MainWarehouse, EachKindAcceptsItsBuildingsAndGivesItsPeople) {
    struct Case {
        int kind, id;
        std::optional<int> people;
    };
    const Case cases[] = {{0, 2900, 12}, {0, 2909, 12}, {0, 2910, std::nullopt}, {1, 3018, 9},
                          {1, 3302, 5},  {1, 3712, 4},  {1, 3001, {}},           {2, 3855, 1},
                          {2, 3000, {}}, {3, 3989, 11}, {3, 3951, {}},           {4, 631, 10},
                          {5, 631, {}}};
    for (const Case& c : cases)
        EXPECT_EQ(MainWarehousePeople(c.kind, c.id), c.people) << c.kind << " " << c.id;
}

TEST(InsertObject, NewTownFoundsACityWithItsWarehouseThenBuildingsJoinIt) {
    auto e = Island(64);
    e->doc.island.record.number = 3;
    ASSERT_EQ(Insert(*e, {.x = 20,
                          .y = 30,
                          .id = 3000,
                          .as = InsertAs::NewTown,
                          .warehouse_kind = 1,
                          .town_name = "Oase"}),
              "");
    const CityState& cities = e->doc.cities;
    ASSERT_EQ(cities.cities.size(), 1u);
    const CityRecord& town = cities.cities[0];
    EXPECT_EQ(
        std::tuple(town.name, town.people, town.island_number, town.has_head,
                   cities.current.value_or(99), e->doc.island.record.city_id,
                   int{e->doc.island.record.city_byte}, int{e->doc.island.record.people_byte}),
        std::tuple("Oase", 9, 3, 0, 0u, town.number, 1, 1));
    ASSERT_EQ(town.buildings.size(), 1u);
    // The warehouse's record: KONTID tag (6), length (2), number (2) after the position words.
    const BuildingEntry& warehouse = town.buildings[0];
    EXPECT_EQ(std::tuple(warehouse.warehouse, warehouse.record_length, warehouse.radius,
                         warehouse.size_x, warehouse.definition),
              std::tuple(1, 14, 15, 3, 143));
    EXPECT_EQ(cities.warehouses.size(), 1u);
    EXPECT_TRUE(e->tools.objects.warehouses_changed);
    EXPECT_EQ(e->doc.island.objects.at(0).owner, town.number);

    // A house joins the city behind its warehouses; an object without a definition is placed
    // but is no building.
    Insert(*e, {.x = 25, .y = 30, .id = 631, .as = InsertAs::City});
    Insert(*e, {.x = 26, .y = 34, .id = 1200, .as = InsertAs::City});
    // A second warehouse goes in after the first, with the next number.
    Insert(*e, {.x = 40, .y = 40, .id = 2600, .as = InsertAs::City});
    std::vector<std::pair<int, int>> order;
    for (const BuildingEntry& b : e->doc.cities.cities[0].buildings)
        order.emplace_back(b.graphic_id, b.warehouse);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{3000, 1}, {2600, 2}, {631, 0}}));
    EXPECT_EQ(e->doc.island.objects.size(), 4u);
}

TEST(InsertObject, UndoTakesTheTownAwayAndRedoBringsItBack) {
    auto e = Island(64);
    Insert(*e, {.x = 20, .y = 30, .id = 2900, .as = InsertAs::NewTown, .warehouse_kind = 0});
    const Document after = e->doc;
    ASSERT_TRUE(e->history.Undo(e->doc));
    EXPECT_TRUE(e->doc.island.objects.empty());
    EXPECT_TRUE(e->doc.cities.cities.empty());
    EXPECT_EQ(e->doc.island.record.city_byte, 0);
    // The selection no longer finds the object it pointed at.
    EXPECT_EQ(SelectedObject(e->tools, e->doc.island), nullptr);
    ASSERT_TRUE(e->history.Redo(e->doc));
    EXPECT_EQ(e->doc.island.objects, after.island.objects);
    EXPECT_EQ(e->doc.cities.cities, after.cities.cities);
}

TEST(RemoveObject, TakesTheObjectAndItsBuildingAndLeavesNothingSelected) {
    auto e = Island(64);
    Insert(*e, {.x = 20, .y = 30, .id = 3000, .as = InsertAs::NewTown, .warehouse_kind = 1});
    Insert(*e, {.x = 25, .y = 30, .id = 631, .as = InsertAs::City});
    Insert(*e, {.x = 2, .y = 2, .id = 1200, .as = InsertAs::Free});
    e->tools.objects.warehouses_changed = false;

    ASSERT_TRUE(SelectObjectAt(e->tools, e->doc, 20, 30));
    std::string message;
    e->Step("Element entfernen",
            [&] { message = RemoveSelectedObject(e->doc, e->tools, e->status); });
    EXPECT_EQ(message, "");
    EXPECT_EQ(e->doc.island.objects.size(), 2u);
    ASSERT_EQ(e->doc.cities.cities[0].buildings.size(), 1u);
    EXPECT_EQ(e->doc.cities.cities[0].buildings[0].graphic_id, 631);
    EXPECT_TRUE(e->tools.objects.warehouses_changed);
    EXPECT_EQ(e->status.memo2.back(), "Object at xy= 20, 30");
    // Nothing selected any more: a second removal says so and changes nothing.
    e->Step("Element entfernen",
            [&] { message = RemoveSelectedObject(e->doc, e->tools, e->status); });
    EXPECT_EQ(message, kNoObjectSelectedMessage);
    EXPECT_EQ(e->doc.island.objects.size(), 2u);

    // A free object has no building: logged, and removed all the same.
    ASSERT_TRUE(SelectObjectAt(e->tools, e->doc, 2, 2));
    e->Step("Element entfernen", [&] { RemoveSelectedObject(e->doc, e->tools, e->status); });
    EXPECT_EQ(e->status.memo2.back(), "ohne entry");
    EXPECT_EQ(e->doc.island.objects.size(), 1u);

    ASSERT_TRUE(e->history.Undo(e->doc));
    ASSERT_TRUE(e->history.Undo(e->doc));
    EXPECT_EQ(e->doc.island.objects.size(), 3u);
    EXPECT_EQ(e->doc.cities.cities[0].buildings.size(), 2u);
}

TEST(RemoveObjectsWithId, AllOfTheIdGoAndTheSelectionFollowsTheRest) {
    auto e = Island(64);
    for (int x : {3, 9, 15}) Insert(*e, {.x = x, .y = 5, .id = 1200, .as = InsertAs::Free});
    Insert(*e, {.x = 30, .y = 30, .id = 631, .as = InsertAs::Free});
    Insert(*e, {.x = 6, .y = 6, .id = 1200, .as = InsertAs::Free});
    ASSERT_TRUE(SelectObjectAt(e->tools, e->doc, 30, 30));
    int removed = 0;
    e->Step("Entfernen", [&] { removed = RemoveObjectsWithId(e->doc, e->tools, e->status, 1200); });
    EXPECT_EQ(removed, 4);
    ASSERT_EQ(e->doc.island.objects.size(), 1u);
    const ObjectEntry* selected = SelectedObject(e->tools, e->doc.island);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->x, 30);
    // Removing the selected object's id leaves nothing selected.
    e->Step("Entfernen", [&] { RemoveObjectsWithId(e->doc, e->tools, e->status, 631); });
    EXPECT_EQ(SelectedObject(e->tools, e->doc.island), nullptr);
    EXPECT_FALSE(e->tools.objects.selected.has_value());
    ASSERT_TRUE(e->history.Undo(e->doc));
    ASSERT_TRUE(e->history.Undo(e->doc));
    EXPECT_EQ(e->doc.island.objects.size(), 5u);
}

TEST(ClickLookups, ObjectSetsTheToolFrameAnimalIsFoundByItsCell) {
    auto e = Island(64);
    Insert(*e, {.x = 12, .y = 7, .id = 631, .orientation = 1, .as = InsertAs::Free});
    e->tools.objects.selected.reset();
    EXPECT_FALSE(SelectObjectAt(e->tools, e->doc, 13, 7));  // inside the footprint, not the anchor
    EXPECT_EQ(e->tools.mode, ToolMode::None);
    ASSERT_TRUE(SelectObjectAt(e->tools, e->doc, 12, 7));
    EXPECT_EQ(e->tools.mode, ToolMode::Object);
    EXPECT_EQ(e->tools.Selection(ToolMode::Object), (SelectionRect{12, 7, 3, 2}));
    EXPECT_NE(SelectedObject(e->tools, e->doc.island), nullptr);

    e->doc.island.animals = {{4, 9, 1, 2}, {9, 4, 3, 4}};
    EXPECT_EQ(FindAnimalAt(e->doc.island, 9, 4), 1u);
    EXPECT_EQ(FindAnimalAt(e->doc.island, 4, 4), std::nullopt);
}

TEST(ListCityBuildings, NumbersTheCurrentCitysBuildings) {
    auto e = Island(64);
    Insert(*e, {.x = 20, .y = 30, .id = 2600, .as = InsertAs::NewTown, .warehouse_kind = 4});
    Insert(*e, {.x = 24, .y = 31, .id = 631, .as = InsertAs::City});
    ListCityBuildings(e->doc, e->status);
    EXPECT_EQ(e->status.memo2, (LogLines{"Entry 30, 20  1", "Entry 31, 24  2"}));
}

TEST(CountShownObjects, CountsOnlyTheIdInTheView) {
    auto e = Island(64);
    for (int x : {3, 9, 60}) Insert(*e, {.x = x, .y = 5, .id = 1200, .as = InsertAs::Free});
    Insert(*e, {.x = 4, .y = 4, .id = 631, .as = InsertAs::Free});
    EXPECT_EQ(CountShownObjects(e->doc.island, e->view, 1200), 3);
    e->view.visible_columns = 10;
    EXPECT_EQ(CountShownObjects(e->doc.island, e->view, 1200), 2);
}

// -- element lists ---------------------------------------------------------------------------

TEST(ElementListParse, MalformedLinesAreNamedAndSkipped) {
    const std::vector<std::string> lines = {
        "$Stadtliste",       // heading
        "$Volk=9",           // people of the town
        "Ofsety,120,80,0",   // the offsets the list was made for
        "Haus,631,10,20,1",  // element, orientation 1
        "Baum,1200,3,4",     // element without orientation
        "Baum,1200,3,4,x",   // orientation not a number: 0
        "Haus,abc,1,1,0",    // 7: id not a number
        "Haus,631,1",        // 8: too few fields
        "Haus,631,1,2,7",    // 9: orientation outside 0..3
        "Haus,631,y,2,0",    // 10: y not a number
        "Haus,20000,1,2,0",  // 11: id too large for the id word
        "kurz",              // too short: ignored
        "",                  // empty: ignored
        "i=5,1,1,1,1",       // "i=": ignored
    };
    const ElementList list = ParseElementList(lines);
    EXPECT_EQ(std::tuple(list.people, list.offset_x, list.offset_y, list.line_count),
              std::tuple(9, "120", "80", 14));
    std::vector<std::tuple<int, int, int, int, int>> elements;
    for (const ListedElement& e : list.elements)
        elements.emplace_back(e.line, e.id, e.x, e.y, e.orientation);
    EXPECT_EQ(elements, (std::vector<std::tuple<int, int, int, int, int>>{
                            {4, 631, 20, 10, 1}, {5, 1200, 4, 3, 0}, {6, 1200, 4, 3, 0}}));
    ASSERT_EQ(list.faults.size(), 5u);
    const char* lines_named[] = {"Zeile 7 ", "Zeile 8 ", "Zeile 9 ", "Zeile 10 ", "Zeile 11 "};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(list.faults[i].rfind(lines_named[i], 0), 0u) << list.faults[i];
    // The same from bytes with CR LF, and no offsets line gives "?".
    const std::string text = "Haus,631,10,20,1\r\nBaum,1200,3,4\r\n";
    const ElementList from_bytes = ParseElementList(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    EXPECT_EQ(std::tuple(from_bytes.elements.size(), from_bytes.offset_x, from_bytes.people),
              std::tuple(2u, "?", -1));
}

TEST(ElementListInsert, FreeObjectsAtTheOffsetsClearPlantsAndSayWhatWasSkipped) {
    auto e = Island(64);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y) e->doc.island.terrain.set(x, y, 1501);
    const ElementList list = ParseElementList(std::vector<std::string>{
        "Haus,631,1,2,1", "Baum,1200,0,0", "Haus,631,60,60,0", "Haus,bad,0,0,0"});
    ElementListResult result;
    e->Step("Insert file", [&] {
        result = InsertElementList(e->doc, e->tools, e->definitions, e->status, list,
                                   {.left = 10, .top = 20, .town = false, .clear_plants = true});
    });
    // (70, 80) lies outside the island; the bad id was named by the parse.
    EXPECT_EQ(std::tuple(result.inserted, result.skipped, result.aborted, result.message),
              std::tuple(2, 2, false, ""));
    ASSERT_EQ(e->doc.island.objects.size(), 2u);
    const ObjectEntry& house = e->doc.island.objects[0];
    EXPECT_EQ(std::tuple(house.x, house.y, house.width, house.height, house.owner),
              std::tuple(12, 21, 3, 2, 0));
    // The house's 3 x 2 cells and the tree's cell lost their plants, their neighbours did not.
    int cleared = 0;
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y) cleared += e->doc.island.terrain.get(x, y) == 0;
    EXPECT_EQ(cleared, 7);
    EXPECT_EQ(e->doc.island.terrain.get(14, 22), 0);
    EXPECT_EQ(e->doc.island.terrain.get(15, 21), 1501);
    EXPECT_EQ(e->status.memo2.back(),
              "2 Zeilen \xFC"
              "bersprungen");
    ASSERT_TRUE(e->history.Undo(e->doc));
    EXPECT_TRUE(e->doc.island.objects.empty());
    EXPECT_EQ(e->doc.island.terrain.get(14, 22), 1501);
}

TEST(ElementListInsert, TownNeedsAWarehouseAndItsPeople) {
    struct Case {
        std::vector<std::string> lines;
        bool refused;
    };
    const Case cases[] = {
        {{"$Volk=9", "Haus,631,1,2,0"}, true},            // no warehouse
        {{"Kontor,3000,5,5,0", "Haus,631,1,2,0"}, true},  // no people
        {{"$Volk=9", "Kontor,3000,70,5,0"}, true},        // warehouse outside the island
        {{"$Volk=9", "Haus,631,1,2,0", "Kontor,3000,5,5,0"}, false},
    };
    for (const Case& c : cases) {
        auto e = Island(64);
        ElementListResult result;
        e->Step("Insert file", [&] {
            result = InsertElementList(e->doc, e->tools, e->definitions, e->status,
                                       ParseElementList(c.lines), {.town = true});
        });
        if (c.refused) {
            EXPECT_EQ(result.message, kNoWarehouseInListMessage);
            EXPECT_TRUE(e->doc.island.objects.empty());
            EXPECT_TRUE(e->doc.cities.cities.empty());
            continue;
        }
        ASSERT_EQ(e->doc.cities.cities.size(), 1u);
        const CityRecord& town = e->doc.cities.cities[0];
        EXPECT_EQ(std::tuple(town.people, town.position_word2, town.position_word1,
                             town.buildings.size(), town.buildings[0].graphic_id),
                  std::tuple(9, 5, 5, 2u, 3000));
        for (const ObjectEntry& o : e->doc.island.objects) EXPECT_EQ(o.owner, town.number);
    }
}

TEST(ElementListInsert, AbortKeepsWhatWasInsertedSoFar) {
    auto e = Island(64);
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i) lines.push_back("Baum,1200," + std::to_string(i) + ",1");
    ElementListResult result;
    e->Step("Insert file", [&] {
        result = InsertElementList(e->doc, e->tools, e->definitions, e->status,
                                   ParseElementList(lines), {}, [](int line) { return line < 4; });
    });
    EXPECT_EQ(std::tuple(result.inserted, result.aborted), std::tuple(4, true));
    EXPECT_EQ(e->doc.island.objects.size(), 4u);
}

// -- extracted-city files --------------------------------------------------------------------

TEST(CityFileRoundTrip, PlacedObjectsAndANewTownAreReadBack) {
    auto e = test::CityEditor();
    AddBuildingList(e->definitions);
    const auto file =
        fixture::IslandFileWithCities(test::SettledIsland(0, 0), {test::Hafenstadt(0, 0)});
    test::Load(*e, file.bytes, FileKind::Island, "Siedlung_INDI.scp");
    ASSERT_EQ(e->doc.cities.cities.size(), 1u);
    Insert(*e, {.x = 14, .y = 9, .id = test::kSmallHouse, .as = InsertAs::City});
    Insert(*e, {.x = 50,
                .y = 50,
                .id = 3000,
                .as = InsertAs::NewTown,
                .warehouse_kind = 1,
                .town_name = "Oase"});
    Insert(*e, {.x = 52, .y = 46, .id = test::kSmallHouse, .as = InsertAs::City});
    Insert(*e, {.x = 30, .y = 33, .id = 1200, .as = InsertAs::Free});
    const auto objects_before = e->doc.island.objects.size();

    fixture::TempDir dir;
    SaveCityFile(test::CityTarget(*e), dir / "out.cty", "01.01.2024");
    auto back = test::CityEditor();
    AddBuildingList(back->definitions);
    test::Load(*back, fixture::ReadFileBytes(dir / "out.cty"), FileKind::City, "out.cty");

    std::set<std::tuple<int, int, int>> placed;
    for (const ObjectEntry& o : back->doc.island.objects) placed.emplace(o.graphic_id, o.x, o.y);
    EXPECT_EQ(back->doc.island.objects.size(), objects_before);
    for (const auto& expected :
         {std::tuple(int{test::kSmallHouse}, 14, 9), std::tuple(3000, 50, 50),
          std::tuple(int{test::kSmallHouse}, 52, 46), std::tuple(1200, 30, 33)})
        EXPECT_TRUE(placed.contains(expected)) << std::get<0>(expected);
    std::vector<std::pair<std::string, std::size_t>> cities;
    for (const CityRecord& c : back->doc.cities.cities)
        cities.emplace_back(c.name, c.buildings.size());
    EXPECT_EQ(cities,
              (std::vector<std::pair<std::string, std::size_t>>{{"Hafenstadt", 6}, {"Oase", 2}}));
}

}  // namespace
}  // namespace insel
