#pragma once
// Player and city blocks assembled record by record from the city record layouts, and the
// game files that carry them after their islands: savegames, island files with cities and
// extracted-city files. Independent of the program's city writer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fixture_file.h"
#include "island_fixture.h"

namespace insel::fixture {

// A SPIELER block: HEAD (player type, 20000, 64-byte name, 18 words: 1, 0, word2, word3, 0...),
// VOLK, ALIAS, STATIS, PROFIL, [FORSCH], BONUS, DISCO.
struct PlayerSpec {
    std::uint32_t type = 8;
    std::uint32_t number = 0;  // SPIELER's second dword: the player number of a savegame
    std::string name = "Spielerin";
    std::string volk = "SPIELER";
    std::string alias = "HUMAN01";
    std::uint16_t word2 = 255, word3 = 0;
    std::optional<Bytes> forsch{};  // data of a FORSCH record after PROFIL
};

// One ENTRY record: "ENTRY", length 4 + data, y, x, data.
struct BuildingSpec {
    int x = 0, y = 0;
    Bytes data{};
};

// A building whose data are `length` filler bytes (no tag can form in them).
BuildingSpec PlainEntry(int x, int y, int length = 14);
// A warehouse: `filler_before` filler bytes, then its KONTID record.
BuildingSpec WarehouseEntry(int x, int y, std::uint16_t number, int filler_before = 0);
// A marketplace record of length 41 with the words `at29` and `at31` at record + 29 and + 31.
BuildingSpec MarketEntry(int x, int y, std::uint16_t at29, std::uint16_t at31);

struct CitySpec {
    std::optional<PlayerSpec> player;  // written right in front of the city
    std::string name = "Stadt";
    std::uint16_t count = 0;  // the STADT2 word after the length
    std::uint16_t abs_first = 0, abs_second = 0;
    // 4-byte STADT2 and PROD lengths and STAT2 + STST2, as in add-on files.
    bool addon = false;
    std::uint16_t capacity = 30;  // the head's "KK" word
    std::uint32_t inhabitants = 0;
    std::optional<Bytes> id3 = Bytes{0, 0, 0, 0};  // ID3 entries; no record when empty
    std::vector<BuildingSpec> buildings;
};

// Where the parts of a city lie in the file (tag positions).
struct CityPositions {
    std::size_t stadt2 = 0;
    std::uint32_t stadt2_length = 0;  // bytes after the STADT2 length field
    std::vector<std::size_t> entries;
    std::vector<std::size_t> kontid_values;  // per building: its KONTID value, 0 without
};

Bytes PlayerBlock(const PlayerSpec& player);

struct GameFileWithCities {
    Bytes bytes;
    std::vector<std::size_t> islands;  // INSEL5 tags
    std::vector<CityPositions> cities;
};

// Savegame head, the islands, the cities, 64 zero bytes.
GameFileWithCities SavegameWithCities(const std::vector<IslandSpec>& islands,
                                      const std::vector<CitySpec>& cities);
// Island file head (its length covering everything after it), WARETYPE, the island, the cities.
GameFileWithCities IslandFileWithCities(const IslandSpec& island,
                                        const std::vector<CitySpec>& cities, int addon_level = 0);
// Extracted-city head, the island, the cities, then `trailer` as raw text.
GameFileWithCities CityFileWithCities(const IslandSpec& island, const std::vector<CitySpec>& cities,
                                      int addon_level = 0,
                                      const std::string& trailer = "Generated 1.1.2000");

}  // namespace insel::fixture
