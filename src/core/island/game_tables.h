#pragma once
// Fixed tables of the game's vocabulary: goods, crops, climates, peoples, houses and the data
// templates of buildings placed in the editor.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace insel {

inline constexpr int kGoodsCount = 56;
extern const std::array<std::string_view, kGoodsCount> kGoodsKeys;
extern const std::array<std::string_view, kGoodsCount> kGoodsNames;
// Windows-1252 bytes.
extern const std::array<std::string_view, 13> kCropKeys;

// "Polar" .. "Steppe", "Venezia", "User" and their island folders.
extern const std::array<std::string_view, 8> kClimateNames;
extern const std::array<std::string_view, 8> kClimateFolders;

struct PeopleRow {
    int people;
    std::uint32_t player_type;
    std::string_view volk;
    std::string_view alias;
    std::string_view head_name;  // the leader's name written into a new player block
    std::uint16_t word2;
    std::uint16_t word3;
};

// The row of a people code (1 pirates, 2..9 natives, 10 human, 11 trader, 12 monster); any
// other code gives the computer player's row.
const PeopleRow& PeopleTable(int people);

// Inhabitants of a house by definition number; 0 for buildings that are no houses.
int HouseCapacity(int definition);

// Data bytes after the position words of the ENTRY record of a building placed in the editor,
// by definition number; the warehouse number fills the KONTID template.
std::vector<std::uint8_t> EntryTemplate(int definition, std::uint16_t warehouse,
                                        std::int32_t market_value1, std::int32_t market_value2);

}  // namespace insel
