#pragma once
// Buildings, islands and cities shared by the city tests.
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "city_fixture.h"
#include "core/app/editor.h"
#include "core/document/island_map.h"
#include "core/island/cities.h"
#include "island_fixture.h"

namespace insel::test {

// Graphic ids of the building list every city test uses.
inline constexpr std::uint16_t kSmallWarehouse = 2600;  // catchment radius 2
inline constexpr std::uint16_t kSmallHouse = 601;       // definition 180: 8 inhabitants
inline constexpr std::uint16_t kMarket = 821;

inline std::unique_ptr<Editor> CityEditor() {
    auto editor = std::make_unique<Editor>();
    auto& list = editor->definitions.buildings_by_id;
    list[kSmallWarehouse] = {33, 143};
    list[2001] = {33, 143};  // warehouse of radius 23
    list[3000] = {33, 143};
    list[kSmallHouse] = {22, 180};
    list[631] = {33, 230};  // large house: 42 inhabitants
    list[kMarket] = {44, 410};
    return editor;
}

// 64 x 64: small warehouse at (10, 10) with houses at (13, 10), (10, 13), (8, 9) and a
// marketplace at (13, 13) in its 7 x 7 catchment; small warehouse at (40, 40) with a house at
// (42, 43); a house at (55, 10) and a tree at (30, 30) outside both.
inline fixture::IslandSpec SettledIsland(std::uint16_t world_first, std::uint16_t world_second) {
    // clang-format off
    return {.world_first = world_first, .world_second = world_second, .number = 7, .climate = 2,
            .city_byte = 2,
            .heights = [](int x, int y) { return std::uint8_t((3 * x + y) % 50); },
            .gfx = [](int x, int y) { return std::uint16_t(0x0C00 + (x * 7 + y) % 256); },
            .terrain = [](int x, int y) {
                return (x + y) % 13 ? fixture::Element{}
                                    : fixture::Element{std::uint16_t(1501 + x), std::uint16_t(y)};
            },
            .quarry_spots = {{.x = 33, .y = 5, .orientation = 1}}, .mines = {{.x = 20, .y = 50}},
            .animals = {{1, 2, 3, 4}},
            .objects = {
        {.id_word = kSmallWarehouse, .x = 10, .y = 10}, {.id_word = kSmallHouse, .x = 13, .y = 10},
        {.id_word = kSmallHouse, .x = 10, .y = 13},     {.id_word = 631, .x = 8, .y = 9},
        {.id_word = kMarket, .x = 13, .y = 13},     {.id_word = kSmallWarehouse, .x = 40, .y = 40},
        {.id_word = kSmallHouse, .x = 42, .y = 43},     {.id_word = kSmallHouse, .x = 55, .y = 10},
        {.id_word = 0x8000 | 1200, .parameter = 0x1234, .x = 30, .y = 30}},  // a tree: not listed
            .name = "Nordinsel"};
    // clang-format on
}

// The city around warehouse 5; its first building is the house at (13, 10). The marketplace
// record holds its point (13, 17) in world coordinates of an island at `world`.
inline fixture::CitySpec Hafenstadt(std::uint16_t world_first, std::uint16_t world_second) {
    // clang-format off
    return {.player = fixture::PlayerSpec{.type = 8, .number = 1, .name = "Kapitaen",
                                          .forsch = fixture::Bytes{1, 2, 3, 4}},
            .name = "Hafenstadt",
            .abs_first = static_cast<std::uint16_t>(world_first + 20),
            .abs_second = static_cast<std::uint16_t>(world_second + 30),
            .inhabitants = 40,
            .buildings = {fixture::PlainEntry(13, 10), fixture::WarehouseEntry(10, 10, 5),
                          fixture::PlainEntry(10, 13), fixture::PlainEntry(8, 9),
                          fixture::MarketEntry(13, 13, std::uint16_t(world_first + 13),
                                               std::uint16_t(world_second + 17))}};
    // clang-format on
}

// The city around warehouse 9, whose KONTID record lies 3 bytes into the record's data.
inline fixture::CitySpec Kueste(std::uint16_t world_first, std::uint16_t world_second) {
    // clang-format off
    return {.player = fixture::PlayerSpec{.type = 15, .number = 3, .name = "Rotbart",
                                          .volk = "PIRATEN", .alias = "PIRAT"},
            .name = "Kueste",
            .abs_first = static_cast<std::uint16_t>(world_first + 40),
            .abs_second = static_cast<std::uint16_t>(world_second + 50),
            .buildings = {fixture::WarehouseEntry(40, 40, 9, 3), fixture::PlainEntry(42, 43)}};
    // clang-format on
}

// ID3 entries of a small warehouse (radius 2, 3 x 3) at (10, 10): one 8 x 8 square, partly
// covered; and at (40, 40): four squares.
// clang-format off
inline const fixture::Bytes kId3AtTen = {8, 0, 4, 64, 0x3E, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x3E, 0};
inline const fixture::Bytes kId3AtForty = {
    32, 0, 16, 64, 0,    0,    0,    0,    0,    0,    0x80, 0xC0,
    32, 0, 20, 64, 0xC0, 0xC0, 0xC0, 0xC0, 0x80, 0,    0,    0,
    40, 0, 16, 64, 0,    0,    0,    0,    0,    0,    0x0F, 0x1F,
    40, 0, 20, 64, 0x1F, 0x1F, 0x1F, 0x1F, 0x0F, 0,    0,    0};
// clang-format on

// Owner of each placed object by its cell.
inline std::map<std::pair<int, int>, int> Owners(const IslandMap& island) {
    std::map<std::pair<int, int>, int> owners;
    for (const ObjectEntry& o : island.objects) owners[{o.x, o.y}] = o.owner;
    return owners;
}

// A savegame of two islands and four cities, in file order:
//   1 Hafenstadt on island a (number 7, 64 x 64 at world 100/200), human player 1
//   2 Bergdorf on island b (number 9, 32 x 32 at world 300/50), Mongols, 4-byte lengths,
//     warehouse 7 (radius 23) at (5, 5)
//   3 Kueste on island a, pirates
//   4 Ruine on island a, computer player, no warehouse and no ID3: one house at (55, 10)
struct Archipelago {
    fixture::IslandSpec a = SettledIsland(100, 200);
    // clang-format off
    fixture::IslandSpec b{.width = 32, .height = 32, .world_first = 300, .world_second = 50,
                          .number = 9, .objects = {{.id_word = 2001, .x = 5, .y = 5},
                                                   {.id_word = kSmallHouse, .x = 6, .y = 4}}};
    // clang-format on
    std::vector<fixture::CitySpec> cities;
    fixture::GameFileWithCities file;
    Archipelago() {
        a.city_byte = 3;
        // clang-format off
        cities = {Hafenstadt(100, 200),
            {.player = fixture::PlayerSpec{.type = 14, .number = 2, .name = "Khan",
                 .volk = "MONGOLEN", .alias = "MONGOLEN", .word2 = 0, .word3 = 25},
             .name = "Bergdorf", .abs_first = 310, .abs_second = 60, .addon = true,
             .buildings = {fixture::PlainEntry(6, 4), fixture::WarehouseEntry(5, 5, 7)}},
            Kueste(100, 200),
            {.player = fixture::PlayerSpec{.type = 12, .number = 4, .name = "Rechner",
                 .alias = "CG01"},
             .name = "Ruine", .abs_first = 150, .abs_second = 210, .id3 = std::nullopt,
             .buildings = {fixture::PlainEntry(55, 10)}}};
        // clang-format on
        file = fixture::SavegameWithCities({a, b}, cities);
    }
};

// One island (number 4, 32 x 32 at world 10/10) and two cities: "Mitte" well inside its
// square, "Rand" on its origin column (first coordinate 10).
inline fixture::GameFileWithCities OneIslandSavegame() {
    // clang-format off
    const fixture::IslandSpec island{.width = 32, .height = 32, .world_first = 10,
                                     .world_second = 10, .number = 4,
                                     .objects = {{.id_word = kSmallWarehouse, .x = 5, .y = 6}}};
    fixture::CitySpec mitte = {.player = fixture::PlayerSpec{.number = 1}, .name = "Mitte",
                               .abs_first = 20, .abs_second = 20,
                               .buildings = {fixture::WarehouseEntry(5, 6, 1)}};
    // clang-format on
    fixture::CitySpec rand = mitte;
    rand.player->number = 2;
    rand.name = "Rand";
    rand.abs_first = 10;
    return fixture::SavegameWithCities({island}, {mitte, rand});
}

}  // namespace insel::test
