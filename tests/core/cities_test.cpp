// Cities read from savegames and island files, warehouse catchments, counts and the warehouse
// clean-up, checked against files assembled from the city record layouts.
#include "core/island/cities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "city_helpers.h"
#include "core/island/catchment.h"
#include "core/island/game_tables.h"
#include "core/reports/object_list.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::CitySpec;
using test::CityEditor;

// A rectangle around the footprint with its corners cut in steps: the cell count is the
// rectangle less four times the cells the corner pairs cut (sum of n + 1); each row lists the
// cells of row y inside the shape.
TEST(Catchment, ShapeIsTheRectangleWithCornersCutInSteps) {
    using Rows = std::vector<std::array<int, 3>>;  // y, first x, last x
    // radius, size x, size y, extent x, extent y, cells, rows
    // clang-format off
    const std::tuple<int, int, int, int, int, int, Rows> cases[] = {
        {23, 3, 3, 49, 49, 49 * 49 - 4 * 131,
         {{0, 20, 28}, {48, 20, 28}, {1, 16, 32}, {16, 1, 47}, {19, 1, 47}, {20, 0, 48},
          {29, 1, 47}, {32, 1, 47}}},
        {15, 3, 3, 33, 33, 33 * 33 - 4 * 61, {{0, 13, 19}, {32, 13, 19}, {1, 10, 22}, {13, 0, 32}}},
        {2, 3, 3, 7, 7, 45, {{0, 1, 5}, {6, 1, 5}, {3, 0, 6}}},
        {2, 3, 5, 7, 9, 59, {{0, 1, 5}, {8, 1, 5}, {4, 0, 6}}}};
    // clang-format on
    for (const auto& [radius, size_x, size_y, extent_x, extent_y, want_cells, rows] : cases) {
        SCOPED_TRACE(radius * 100 + size_y);
        LogLines log;
        const CatchmentMask mask = CreateCatchmentMask(radius, size_x, size_y, log);
        int cells = 0, outside = 0;
        for (int x = 0; x < kMaskSide; ++x) {
            for (int y = 0; y < kMaskSide; ++y) {
                cells += mask[x][y] != 0;
                outside += mask[x][y] != 0 && (x >= extent_x || y >= extent_y);
            }
        }
        EXPECT_EQ(std::pair(cells, outside), std::pair(want_cells, 0));
        for (const auto& [y, first_x, last_x] : rows)
            for (int x = 0; x < extent_x; ++x)
                EXPECT_EQ(mask[x][y], x >= first_x && x <= last_x) << x << ", " << y;
    }
}

// Warehouse 2 of city 1 at (20, 20) and warehouse 1 of city 2 at (40, 20), both radius 23.
TEST(Catchment, OverlapBelongsToTheLowerWarehouseNumberAndEdgeCellsStayFree) {
    auto editor = CityEditor();
    editor->doc.island.record.width = editor->doc.island.record.height = 64;
    // clang-format off
    for (const auto [city, x, number] : {std::tuple(1, 20, 2), std::tuple(2, 40, 1)})
        AddWarehouse(editor->doc.cities, {.city = city, .radius = 23, .x = x, .y = 20, .size_x = 3,
                                          .size_y = 3, .number = std::uint16_t(number)});
    // clang-format on
    ASSERT_EQ(editor->doc.cities.warehouses.size(), 2u);
    EXPECT_EQ(editor->doc.cities.warehouses[0].number, 1) << "kept sorted by warehouse number";
    // (25, 21) lies in both areas; column and row 0 are never owned; (33, 45) lies in both
    // bounding rectangles but is cut from both shapes.
    const std::vector<std::tuple<int, int, int>> cells = {{25, 21, 2}, {3, 20, 1},  {1, 20, 1},
                                                          {20, 1, 1},  {55, 20, 2}, {0, 20, 0},
                                                          {20, 0, 0},  {33, 45, 0}, {60, 60, 0}};
    for (const auto& [x, y, city] : cells)
        editor->doc.island.objects.push_back({.owner = 99, .x = x, .y = y});
    AssignObjectsToCities(editor->doc, editor->status.memo3);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const auto [x, y, city] = cells[i];
        EXPECT_EQ((std::pair<int, int>(editor->doc.cities.CatchmentAt(x, y),
                                       editor->doc.island.objects[i].owner)),
                  std::pair(city, city))
            << "(" << x << ", " << y << ")";
    }
}

TEST(People, FromThePlayerTypeForNativesFromTheAliasAndInIslandFilesFromTheName) {
    const std::vector<std::tuple<std::uint32_t, const char*, int>> players = {
        {14, "MONGOLEN", 3}, {14, "ORIENTALEN", 9}, {14, "WIKINGER", 10}, {15, "PIRAT", 1},
        {8, "HUMAN01", 10},  {16, "HAENDLER", 11},  {17, "KROKO", 12},    {5, "CG01", 5}};
    const fixture::IslandSpec island{
        .width = 32, .height = 32, .world_first = 10, .world_second = 10};
    for (const auto& [type, alias, people] : players) {
        const CitySpec city{
            .player = fixture::PlayerSpec{.type = type, .volk = alias, .alias = alias},
            .abs_first = 20,
            .abs_second = 20,
            .buildings = {fixture::PlainEntry(3, 4)}};
        auto editor = CityEditor();
        test::Load(*editor, fixture::SavegameWithCities({island}, {city}).bytes, FileKind::Savegame,
                   "welt.sav");
        ASSERT_EQ(editor->doc.cities.cities.size(), 1u);
        EXPECT_EQ(editor->doc.cities.cities[0].people, people) << alias;
    }
    // In a file name the last name in table order wins.
    const std::vector<std::pair<const char*, int>> names = {
        {"insel.scp", 0},         {"insel_pir.scp", 1},   {"MONGOLEI.scp", 3},
        {"user_3.scp", 10},       {"Gotteshaus.scp", 11}, {"pirat_orient.scp", 9},
        {"Monster_Pirat.scp", 11}};
    for (const auto& [name, people] : names) EXPECT_EQ(PeopleCodeFromName(name), people) << name;
}

TEST(SavegameCities, WalkFillsOneRowPerCityEndsOnTheFirstIslandAndAClickDecodesItsIsland) {
    const test::Archipelago world;
    const auto& at = world.file.cities;
    auto editor = CityEditor();
    test::Load(*editor, world.file.bytes, FileKind::Savegame, "welt.sav");
    // name, first building x and y, STADT2 length and position, city number, island
    auto row = [&](std::string name, int x, int y, int city, std::string island) {
        using std::to_string;
        const auto& p = at[city - 1];
        return std::array{name,
                          to_string(x),
                          to_string(y),
                          to_string(p.stadt2_length),
                          to_string(p.stadt2),
                          to_string(city),
                          island};
    };
    EXPECT_EQ(editor->doc.city_list,
              (std::vector{row("Hafenstadt", 13, 10, 1, "7"), row("Bergdorf", 6, 4, 2, "9"),
                           row("Kueste", 40, 40, 3, "7"), row("Ruine", 55, 10, 4, "7")}));
    const IslandRecord& record = editor->doc.island.record;
    EXPECT_EQ(std::tuple(record.start, record.number, record.city_id, editor->status.cities),
              std::tuple(static_cast<std::int64_t>(world.file.islands[0]), 7, 4, "4"));
    const auto& cities = editor->doc.cities.cities;
    ASSERT_EQ(cities.size(), 4u);
    const std::vector<int> people = {10, 3, 1, 10};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(cities[i].name);
        EXPECT_GT(cities[i].has_head, 0);
        EXPECT_EQ(std::tuple(cities[i].number, cities[i].people, cities[i].head_search_start,
                             cities[i].has_catchment),
                  std::tuple(static_cast<int>(i) + 1, people[i],
                             static_cast<std::int64_t>(at[i].stadt2), i != 3));
    }
    // Bergdorf's position is read behind the 4-byte length.
    EXPECT_EQ(std::tuple(cities[1].abs_first, cities[1].abs_second, cities[1].island_number),
              std::tuple(310, 60, 9));
    // Buildings take graphic id and definition from the objects of their island.
    const auto& harbour = cities[0].buildings;
    std::vector<std::size_t> positions;
    for (const BuildingEntry& b : harbour) positions.push_back(std::size_t(b.record_position));
    ASSERT_EQ(positions, std::vector<std::size_t>(at[0].entries.begin(), at[0].entries.end()));
    auto fields = [](const BuildingEntry& b) {
        return std::tuple<int, int, int, int, int, int, int>(
            b.graphic_id, b.definition, b.record_length, b.warehouse, b.radius, b.size_x, b.size_y);
    };
    EXPECT_EQ(fields(harbour[0]), std::tuple(test::kSmallHouse, 180, 18, 0, 0, 0, 0));
    EXPECT_EQ(fields(harbour[1]), std::tuple(test::kSmallWarehouse, 143, 14, 5, 2, 3, 3));
    // The marketplace point is relative to island a; the KONTID is found inside the data.
    EXPECT_EQ(std::tuple(harbour[4].record_length, harbour[4].market1, harbour[4].market2,
                         harbour[2].market1, cities[2].buildings[0].warehouse,
                         cities[1].buildings[1].warehouse, cities[1].buildings[1].radius),
              std::tuple(41, 17, 13, kNoMarketPoint, 9, 7, 23));
    // A click on a city decodes its island.
    auto shown = [&] {
        return std::tuple<int, int, std::int64_t, int, std::size_t>(
            record.number, record.width, record.start, record.city_id,
            editor->doc.cities.current.value_or(99));
    };
    const auto first = std::tuple(7, 64, std::int64_t(world.file.islands[0]), 1, 0u);
    // The heading row gives the first city; a row below the last changes nothing.
    for (const auto& [row, want] :
         {std::pair(2, std::tuple(9, 32, std::int64_t(world.file.islands[1]), 2, 1u)),
          std::pair(0, first), std::pair(5, first)}) {
        EXPECT_EQ(SelectCityRow(editor->doc, editor->definitions, editor->status, row), "");
        EXPECT_EQ(shown(), want) << "row " << row;
    }
}

TEST(SavegameCities, CityOnTheOriginColumnIsListedOnItsIslandButNotFoundByAClick) {
    auto editor = CityEditor();
    test::Load(*editor, test::OneIslandSavegame().bytes, FileKind::Savegame, "eins.sav");
    ASSERT_EQ(editor->doc.cities.cities.size(), 2u);
    EXPECT_EQ(std::pair(editor->doc.cities.cities[0].island_number,
                        editor->doc.cities.cities[1].island_number),
              std::pair(4, 4));
    EXPECT_EQ(SelectCityRow(editor->doc, editor->definitions, editor->status, 1), "");
    EXPECT_EQ(SelectCityRow(editor->doc, editor->definitions, editor->status, 2),
              "Stadt nicht gefunden");
    // A city file of the island holds only the city strictly inside its square.
    fixture::TempDir dir;
    SaveCityFile(test::CityTarget(*editor), dir / "eins.cty", "1.1.2000");
    const fixture::Bytes written = fixture::ReadFileBytes(dir / "eins.cty");
    const auto towns = fixture::FindAll(written, "STADT2");
    ASSERT_EQ(towns.size(), 1u);
    EXPECT_EQ(std::string(written.begin() + towns[0] + 26, written.begin() + towns[0] + 31),
              "Mitte");
}

// Hafenstadt and Kueste on the settled island, in a file whose name gives natives.
std::unique_ptr<Editor> SettlementEditor() {
    const auto file = fixture::IslandFileWithCities(test::SettledIsland(0, 0),
                                                    {test::Hafenstadt(0, 0), test::Kueste(0, 0)});
    auto editor = CityEditor();
    test::Load(*editor, file.bytes, FileKind::Island, "Siedlung_INDI.scp");
    return editor;
}

ObjectEntry& Marketplace(Editor& editor) {
    return *std::find_if(editor.doc.island.objects.begin(), editor.doc.island.objects.end(),
                         [](const ObjectEntry& o) { return o.graphic_id == test::kMarket; });
}

TEST(IslandFileCities, PeopleFromTheNameWarehousesOwnersAndObjectListRows) {
    auto editor = SettlementEditor();
    const auto& cities = editor->doc.cities.cities;
    ASSERT_EQ(cities.size(), 2u);
    for (const CityRecord& c : cities)  // each head is followed by an ID3 record
        EXPECT_EQ(std::tuple(c.people, c.island_number, c.has_catchment), std::tuple(2, 7, true))
            << c.name;
    EXPECT_EQ(std::tuple(cities[0].name, cities[1].name, cities[0].abs_first, cities[0].abs_second,
                         cities[0].position_word1, cities[0].position_word2,
                         editor->doc.city_list.size()),
              std::tuple("Hafenstadt", "Kueste", 20, 30, 10, 13, 2u));
    std::vector<std::tuple<int, int, int, int, int, int>> warehouses;  // number, city, x, y, r, x
    for (const WarehouseRecord& w : editor->doc.cities.warehouses)
        warehouses.emplace_back(w.number, w.city, w.x, w.y, w.radius, w.size_x);
    EXPECT_EQ(warehouses, (decltype(warehouses){{5, 1, 10, 10, 2, 3}, {9, 2, 40, 40, 2, 3}}));
    const std::map<std::pair<int, int>, int> owners = {{{10, 10}, 1}, {{13, 10}, 1}, {{10, 13}, 1},
                                                       {{8, 9}, 1},   {{13, 13}, 1}, {{40, 40}, 2},
                                                       {{42, 43}, 2}, {{55, 10}, 0}, {{30, 30}, 0}};
    EXPECT_EQ(test::Owners(editor->doc.island), owners);
    EXPECT_EQ(std::pair(Marketplace(*editor).market_x, Marketplace(*editor).market_y),
              std::pair(17, 13));
    // Object list rows and market points follow the current city.
    auto market = [&]() -> ObjectEntry& { return Marketplace(*editor); };
    market().market_x = market().market_y = 0;
    ASSERT_EQ(SelectCityRow(editor->doc, editor->definitions, editor->status, 1), "");
    auto rows = RefreshObjectList(editor->doc, editor->definitions, editor->status);
    ASSERT_EQ(rows.size(), editor->doc.island.objects.size());
    const auto row = std::find_if(rows.begin(), rows.end(), [](const ObjectListRow& r) {
        return r[2] == "13" && r[3] == "13";
    });
    ASSERT_NE(row, rows.end());
    // id word 821 = 0x0335, low byte first
    EXPECT_EQ(std::tuple((*row)[1], (*row)[6], market().market_x, market().market_y),
              std::tuple("35 03", "1", 17, 13));
    // A record at the same low bytes but y 13 + 256 stands on another cell: no point.
    const auto& buildings = editor->doc.cities.cities[0].buildings;
    const auto record = std::find_if(buildings.begin(), buildings.end(),
                                     [](const BuildingEntry& b) { return b.record_length == 41; });
    ASSERT_NE(record, buildings.end());
    const auto high_y = static_cast<std::size_t>(record->record_position) + 9;
    editor->doc.file.bytes[high_y] = 1;
    market().market_x = market().market_y = 0;
    RefreshObjectList(editor->doc, editor->definitions, editor->status);
    EXPECT_EQ(std::pair(market().market_x, market().market_y), std::pair(0, 0));
    editor->doc.file.bytes[high_y] = 0;
    // The other city has no record on the marketplace: its point stays.
    market().market_x = 5;
    ASSERT_EQ(SelectCityRow(editor->doc, editor->definitions, editor->status, 2), "");
    RefreshObjectList(editor->doc, editor->definitions, editor->status);
    EXPECT_EQ(market().market_x, 5);
    for (const ObjectEntry& o : editor->doc.island.objects)
        if (o.graphic_id != test::kMarket) EXPECT_EQ(o.market_x, kNoMarketPoint);
    // Objects of another island are not listed.
    editor->doc.island.objects.front().island = editor->doc.island.record.number + 1;
    EXPECT_EQ(RefreshObjectList(editor->doc, editor->definitions, editor->status).size(),
              editor->doc.island.objects.size() - 1);
}

TEST(IslandFileCities, NoPeopleInTheNameNoCitiesAndAHeadWithoutProdStopsTheWalk) {
    auto file = fixture::IslandFileWithCities(test::SettledIsland(0, 0), {test::Hafenstadt(0, 0)});
    auto plain = CityEditor();
    test::Load(*plain, file.bytes, FileKind::Island, "Siedlung.scp");
    EXPECT_TRUE(plain->doc.cities.cities.empty() && plain->doc.city_list.empty());
    const fixture::Bytes stray = fixture::PlayerBlock({});
    file.bytes.insert(file.bytes.end(), stray.begin(), stray.end());
    auto editor = CityEditor();
    editor->doc.file_kind = FileKind::Island;
    EXPECT_EQ(editor->LoadBytes(file.bytes, "Siedlung_PIR.scp", FileKind::Island).message,
              "Cannot decode city structure");
    ASSERT_FALSE(editor->doc.cities.cities.empty());
    EXPECT_EQ(editor->doc.cities.cities[0].name, "Hafenstadt");
    EXPECT_EQ(editor->doc.cities.cities[0].buildings.size(), 5u);
}

// Each city of the file is decoded on the island in turn; the marketplace of the first keeps
// its point all the same.
TEST(CityFileCities, EveryMarketplaceKeepsItsPoint) {
    fixture::IslandSpec island = test::SettledIsland(0, 0);
    island.objects.push_back({.id_word = test::kMarket, .x = 44, .y = 40});
    CitySpec kueste = test::Kueste(0, 0);
    kueste.buildings.push_back(fixture::MarketEntry(44, 40, 36, 46));
    auto editor = CityEditor();
    test::Load(*editor, fixture::CityFileWithCities(island, {test::Hafenstadt(0, 0), kueste}).bytes,
               FileKind::City, "zwei.cty");
    ASSERT_EQ(editor->doc.cities.cities.size(), 2u);
    std::map<std::pair<int, int>, std::pair<int, int>> points;
    for (const ObjectEntry& o : editor->doc.island.objects)
        if (o.graphic_id == test::kMarket) points[{o.x, o.y}] = {o.market_x, o.market_y};
    EXPECT_EQ(points, (decltype(points){{{13, 13}, {17, 13}}, {{44, 40}, {46, 36}}}));
    EXPECT_EQ(test::Owners(editor->doc.island).at({44, 40}), 2);
}

// City 1 has warehouses at (10, 10) and (40, 40) (KONTID 3 bytes into the data), city 2 one
// at (25, 50) (KONTID 1 byte into the data).
TEST(Tidy, RenumbersFromOnePatchesTheLoadedFileAndRebuildsTheList) {
    using Numbers = std::array<std::uint16_t, 3>;
    for (const auto& [before, after] : {std::pair(Numbers{5, 9, 7}, Numbers{1, 5, 3}),
                                        std::pair(Numbers{120, 130, 101}, Numbers{21, 31, 2})}) {
        SCOPED_TRACE(before[0]);
        fixture::IslandSpec island = test::SettledIsland(0, 0);
        island.objects.push_back({.id_word = test::kSmallWarehouse, .x = 25, .y = 50});
        CitySpec first = test::Hafenstadt(0, 0);
        first.buildings = {fixture::WarehouseEntry(10, 10, before[0]), fixture::PlainEntry(13, 10),
                           fixture::WarehouseEntry(40, 40, before[1], 3)};
        CitySpec second = test::Kueste(0, 0);
        second.buildings = {fixture::WarehouseEntry(25, 50, before[2], 1)};
        const auto file = fixture::IslandFileWithCities(island, {first, second});
        auto editor = CityEditor();
        test::Load(*editor, file.bytes, FileKind::Island, "Tidy_ESK.scp");
        TidyWarehouses(editor->doc, editor->status.memo3);
        const auto& cities = editor->doc.cities.cities;
        ASSERT_EQ(cities.size(), 2u);
        EXPECT_EQ((Numbers{cities[0].buildings[0].warehouse, cities[0].buildings[2].warehouse,
                           cities[1].buildings[0].warehouse}),
                  after);
        // Only the three KONTID values of the loaded file change.
        fixture::FixtureFile expected(file.bytes);
        for (const auto [city, record, number] : {std::array{0, 0, 0}, {0, 2, 1}, {1, 0, 2}})
            expected.PatchWord(file.cities[city].kontid_values[record], after[number]);
        const fixture::Bytes patched(editor->doc.file.bytes.begin(),
                                     editor->doc.file.bytes.begin() + file.bytes.size());
        EXPECT_EQ(fixture::DescribeDifference(expected.bytes(), patched), "");
        std::vector<std::pair<int, int>> list,
            wanted = {{after[0], 1}, {after[1], 1}, {after[2], 2}};
        for (const WarehouseRecord& w : editor->doc.cities.warehouses)
            list.emplace_back(w.number, w.city);
        std::sort(wanted.begin(), wanted.end());
        const auto owners = test::Owners(editor->doc.island);
        EXPECT_EQ(std::tuple(list, owners.at({13, 10}), owners.at({42, 43}), owners.at({25, 50})),
                  std::tuple(wanted, 1, 1, 2));
    }
}

}  // namespace
}  // namespace insel
