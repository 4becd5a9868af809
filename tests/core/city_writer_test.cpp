// Extracted-city files: the catchment record, the capacity value, whole files compared with
// files assembled from the record layouts, what a save changes in the model, and the files
// read back.
#include "core/island/city_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "city_helpers.h"
#include "core/island/game_tables.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::CitySpec;
using fixture::ReadLe;
using test::CityEditor;

const std::string kDate = "24.12.2023";

Bytes SaveAndRead(Editor& editor, const std::string& name = "out.cty") {
    fixture::TempDir dir;
    SaveCityFile(test::CityTarget(editor), dir / name, kDate);
    return fixture::ReadFileBytes(dir / name);
}

// A 12 x 12 area (radius 2 around 8 x 8) from (7, 7): the square from (8, 8) is full; the eight
// squares around it are partly covered, except the one at (0, 0), which holds only the cut corner.
// clang-format off
const Bytes kAroundFullSquare = {
    0,  0, 4, 64, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,  // x 8.., y 0..
    0,  0, 8, 64, 0x80, 0x80, 0,    0,    0,    0,    0,    0,     // x 16.., y 0..
    8,  0, 0, 64, 0,    0,    0,    0,    0,    0,    0,    0xFF,  // x 0.., y 8..
    8,  0, 4, 0,                                                   // full
    8,  0, 8, 64, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0,
    16, 0, 0, 64, 0,    0,    0,    0,    0,    0,    0,    0x03,  // x 0.., y 16..
    16, 0, 4, 64, 7,    7,    7,    7,    7,    7,    7,    7,
    16, 0, 8, 64, 7,    7,    3,    0,    0,    0,    0,    0};
// clang-format on

TEST(CatchmentRecord, FullSquaresTakeFourBytesPartialTwelveEmptyNone) {
    // x and y, size, warehouse number: size 0 counts as 3; without a number there is no area.
    // clang-format off
    for (const auto& [at, size, warehouse, entries] :
         {std::tuple<int, std::uint8_t, std::uint16_t, Bytes>{10, 3, 1, test::kId3AtTen},
          {10, 0, 1, test::kId3AtTen}, {9, 8, 1, kAroundFullSquare}, {10, 3, 0, {}}}) {
        SCOPED_TRACE(size * 10 + warehouse);
        auto editor = CityEditor();
        editor->doc.cities.cities = {CityRecord{}};
        editor->doc.cities.cities[0].buildings = {{.x = at, .y = at, .definition = 143,
            .warehouse = warehouse, .radius = 2, .size_x = size, .size_y = size}};
        // clang-format on
        editor->doc.cities.current = 0;
        WriteCatchmentRecord(test::CityTarget(*editor));
        fixture::FixtureFile expected;
        expected.Tag("ID3", 6).Word(static_cast<std::uint16_t>(entries.size())).Append(entries);
        const Bytes out(editor->output.data().begin(), editor->output.data().end());
        EXPECT_EQ(std::pair(fixture::DescribeDifference(expected.bytes(), out),
                            editor->doc.cities.warehouse_counter),
                  std::pair(std::string(), warehouse > 0 ? 1 : 0));
    }
}

TEST(Capacity, TwentyPerWarehouseUpToFiveThenTenCappedInBaseGameFiles) {
    const std::vector<std::array<int, 3>> table = {{0, 1, 30},   {5, 1, 130},  {6, 1, 140},
                                                   {11, 1, 190}, {12, 1, 200}, {12, 0, 190},
                                                   {0, 0, 30},   {1, 0, 50}};
    for (const auto& [warehouses, level, value] : table)
        EXPECT_EQ(CapacityValue(warehouses, level), value)
            << warehouses << " warehouses, level " << level;
}

// A city as the writer copies it: new running count, position words from its first building,
// capacity and inhabitants patched into the head, a new ID3.
CitySpec Written(CitySpec city, std::uint16_t count, std::uint16_t first_y, std::uint16_t first_x,
                 std::uint32_t inhabitants, Bytes id3, bool addon) {
    city.count = count;
    city.abs_first = first_y;
    city.abs_second = first_x;
    city.capacity = 50;  // one warehouse
    city.inhabitants = inhabitants;
    city.id3 = std::move(id3);
    city.addon = addon;
    return city;
}

TEST(IslandFileToCityFile, WrittenAsTheRecordTablesGiveIt) {
    for (const int level : {0, 1}) {
        SCOPED_TRACE(level);
        CitySpec hafen = test::Hafenstadt(0, 0), kueste = test::Kueste(0, 0);
        hafen.addon = kueste.addon = level > 0;
        const fixture::IslandSpec input = test::SettledIsland(0, 0);
        auto editor = CityEditor();
        test::Load(*editor, fixture::IslandFileWithCities(input, {hafen, kueste}, level).bytes,
                   FileKind::Island, "Siedlung_INDI.scp");
        ASSERT_EQ(editor->doc.cities.cities.size(), 2u);
        const Bytes written = SaveAndRead(*editor);
        // The island from the model: no world position or number, two cities, both native, one
        // mine, the next free warehouse id after 9; objects cell block by cell block, x major.
        fixture::IslandSpec island = input;
        island.number = 0;
        island.people_byte = 2;
        island.info_a = 1;
        island.kontorid = fixture::KontorIdSpec{2, 10};
        island.name = "Siedlung_INDI.scp";
        std::sort(island.objects.begin(), island.objects.end(), [](const auto& a, const auto& b) {
            return std::pair(a.x, a.y) < std::pair(b.x, b.y);
        });
        // Natives get a new player block from the people table (the leader's name is the
        // program's).
        // clang-format off
        const fixture::PlayerSpec natives = {
            .type = 14, .name = std::string(PeopleTable(2).head_name), .volk = "INDIANER",
            .alias = "INDIANER", .word2 = 0, .word3 = 25};
        // clang-format on
        CitySpec hafen_out = Written(hafen, 0, 10, 13, 8 + 8 + 42, test::kId3AtTen, level > 0);
        CitySpec kueste_out = Written(kueste, 1, 40, 40, 8, test::kId3AtForty, level > 0);
        hafen_out.player = kueste_out.player = natives;
        const Bytes expected = fixture::CityFileWithCities(island, {hafen_out, kueste_out}, level,
                                                           "Generated " + kDate)
                                   .bytes;
        EXPECT_EQ(fixture::DescribeDifference(expected, written), "");
    }
}

TEST(SavegameToCityFile, IslandCopiedCitiesOfTheIslandWithTheirPlayers) {
    const test::Archipelago world;
    auto editor = CityEditor();
    test::Load(*editor, world.file.bytes, FileKind::Savegame, "welt.sav");
    const Bytes written = SaveAndRead(*editor);
    // Island a's bytes with the world position and number cleared; of its three cities the two
    // with a warehouse follow, each behind a copy of its player block (found by the player
    // number, the human's VOLK "SPIELER" not taken for the block's tag).
    fixture::IslandSpec island = world.a;
    island.number = island.world_first = island.world_second = 0;
    island.kontorid = fixture::KontorIdSpec{2, 10};
    CitySpec hafen = Written(test::Hafenstadt(0, 0), 0, 10, 13, 58, test::kId3AtTen, false);
    CitySpec kueste = Written(test::Kueste(0, 0), 1, 40, 40, 8, test::kId3AtForty, false);
    hafen.player->number = kueste.player->number = 0;
    const Bytes expected =
        fixture::CityFileWithCities(island, {hafen, kueste}, 0, "Generated " + kDate).bytes;
    EXPECT_EQ(fixture::DescribeDifference(expected, written), "");
    // Written cities lose their people; cities without a warehouse no longer count.
    const auto& cities = editor->doc.cities.cities;
    // Bergdorf lies on another island, Ruine has no warehouse and is not written.
    EXPECT_EQ(std::tuple(cities[0].people, cities[1].people, cities[2].people, cities[3].people,
                         int(editor->doc.island.record.city_byte)),
              std::tuple(0, 3, 0, 10, 2));
}

// An island file with Hafenstadt and a city "Brache" without a warehouse.
TEST(CityFileSave, CityWithoutWarehouseLosesItsObjectsAndNoLongerCounts) {
    // clang-format off
    const CitySpec brache = {.player = fixture::PlayerSpec{}, .name = "Brache", .abs_first = 50,
                             .abs_second = 50, .buildings = {fixture::PlainEntry(55, 10)}};
    // clang-format on
    auto editor = CityEditor();
    const auto file =
        fixture::IslandFileWithCities(test::SettledIsland(0, 0), {test::Hafenstadt(0, 0), brache});
    test::Load(*editor, file.bytes, FileKind::Island, "Siedlung_INDI.scp");
    ASSERT_EQ(editor->doc.cities.cities.size(), 2u);
    // Buildings placed into Brache in the editor belong to it.
    auto& objects = editor->doc.island.objects;
    for (ObjectEntry& o : objects) o.owner = o.x == 55 && o.y == 10 ? 2 : o.owner;
    // clang-format off
    objects.push_back({.owner = 2, .id_word = test::kSmallHouse, .graphic_id = test::kSmallHouse,
                       .x = 50, .y = 50});
    // clang-format on
    const std::size_t before = objects.size();
    const Bytes written = SaveAndRead(*editor);
    EXPECT_EQ(objects.size(), before - 2);
    EXPECT_TRUE(std::none_of(objects.begin(), objects.end(),
                             [](const ObjectEntry& o) { return o.owner == 2; }));
    const int owner = test::Owners(editor->doc.island).at({13, 10});
    EXPECT_EQ(std::tuple(owner, static_cast<int>(editor->doc.island.record.city_byte),
                         fixture::FindAll(written, "STADT2").size(),
                         ReadLe(written, fixture::FindAll(written, "INFO").at(0) + 17, 1)),
              std::tuple(1, 1, 1u, 1u));
}

TEST(CityFileSave, RecountNumbersTheWarehousesOfEachCityFromOne) {
    fixture::IslandSpec island = test::SettledIsland(0, 0);
    island.objects.push_back({.id_word = test::kSmallWarehouse, .x = 25, .y = 50});
    CitySpec first = test::Hafenstadt(0, 0);
    first.buildings = {fixture::WarehouseEntry(10, 10, 5), fixture::WarehouseEntry(40, 40, 9, 3)};
    CitySpec second = test::Kueste(0, 0);
    second.buildings = {fixture::WarehouseEntry(25, 50, 7)};
    auto editor = CityEditor();
    test::Load(*editor, fixture::IslandFileWithCities(island, {first, second}).bytes,
               FileKind::Island, "Zwei_AZT.scp");
    editor->save.recount_kontid = true;
    const Bytes written = SaveAndRead(*editor);
    std::vector<std::uint32_t> numbers;
    for (std::size_t at : fixture::FindAll(written, "KONTID"))
        numbers.push_back(ReadLe(written, at + 8, 2));
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 2, 1}));
    EXPECT_EQ(ReadLe(written, fixture::FindAll(written, "KONTORID").at(0) + 16, 2), 3u);
}

}  // namespace
}  // namespace insel
