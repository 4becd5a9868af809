#pragma once
// Cities, their buildings and warehouses as decoded from the loaded file, the catchment areas
// that decide which placed objects belong to a city, and the counts the writer needs.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/island/island_map.h"

namespace insel {

struct Editor;
struct IslandRecord;

inline constexpr int kWarehouseDefinition = 143;

struct BuildingEntry {
    std::int32_t city = 0;
    std::uint16_t record_length = 0;
    std::int32_t x = 0, y = 0;
    std::int64_t record_position = 0;  // of its ENTRY record; 0 or less for one placed here
    std::uint16_t graphic_id = 0;
    std::uint16_t definition = 0;
    std::uint16_t warehouse = 0;  // KONTID value, 0 without one
    std::uint16_t radius = 0;
    std::uint8_t size_x = 0, size_y = 0;
    std::int32_t market1 = kNoMarketPoint, market2 = kNoMarketPoint;
};

struct CityRecord {
    std::int32_t number = 0;
    std::int32_t island_number = 0;
    std::int32_t player = 0;
    std::int32_t people = 0;
    std::string name;  // Windows-1252
    std::uint16_t abs_first = 0, abs_second = 0;
    std::int32_t position_word1 = 0, position_word2 = 0;
    std::int32_t has_head = 0;
    std::int64_t head_search_start = 0;
    bool has_catchment = false;
    std::vector<BuildingEntry> buildings;
};

struct WarehouseRecord {
    std::int32_t city = 0;
    std::uint16_t radius = 0;
    std::int32_t x = 0, y = 0;
    std::uint8_t size_x = 0, size_y = 0;
    std::uint16_t number = 0;
};

inline constexpr int kCatchmentSide = 512;
inline constexpr int kMaskSide = 51;

// The shape of one warehouse's catchment: [x offset][y offset], 1 = inside.
using CatchmentMask = std::array<std::array<std::uint8_t, kMaskSide>, kMaskSide>;

// One 8 x 8 square of the ID3 record: byte k holds the cells with x mod 8 = k, bit m y mod 8 = m.
struct CatchmentSquare {
    std::array<std::uint8_t, 8> bytes{};
};

struct CityState {
    std::vector<CityRecord> cities;           // in load order
    std::optional<std::size_t> current;       // index into cities
    std::int32_t next_number = 1;             // numbers of cities read from the file
    std::vector<WarehouseRecord> warehouses;  // sorted by warehouse number
    // [x][y]: number of the city whose warehouse claims the cell, 0 when free. Wider than a
    // byte so that cities above 255 keep their own number.
    std::vector<std::uint16_t> catchment =
        std::vector<std::uint16_t>(kCatchmentSide * kCatchmentSide);
    int main_warehouse_kind = 1;                // NativeRadio is ticked at start
    int warehouse_counter = 0;                  // warehouses written into the current ID3 record
    int cities_written = 0;                     // cities written into the current file

    std::uint16_t CatchmentAt(int x, int y) const { return catchment[x * kCatchmentSide + y]; }
    CityRecord* Current() { return current ? &cities[*current] : nullptr; }
    void Clear();  // what a load starts from
};

// -- decoding --------------------------------------------------------------------------------

// People code of the player whose HEAD lies in front of position s.
int PeopleCodeAt(const Editor& editor, std::int64_t s);
// People code named by an island file's name ("PIR", "INDI", ...), 0 for none.
int PeopleCodeFromName(std::string name);
// A city record from the STADT2 tag at s of the loaded savegame or scenario; becomes current
// and gets its row in the city list.
CityRecord& CreateCityRecord(Editor& editor, std::int64_t s);
// The current city's buildings from its PROD block; false without one.
bool DecodeCityBuildings(Editor& editor, std::int64_t from);
// The cities stored in an island file whose name names a people; returns a message for the
// user ("Cannot decode city structure") when the walk had to stop, else empty.
std::string DecodeIslandFileCities(Editor& editor, const std::string& file_name);
// A row of the city list for a city.
std::array<std::string, 7> CityListRow(const CityRecord& city, std::int32_t stadt2_length,
                                       std::int64_t stadt2_position);

// -- catchment areas -------------------------------------------------------------------------

// A warehouse footprint side of 0 stands for the usual 3 cells.
inline int CatchmentFootprint(int size) { return size == 0 ? 3 : size; }

CatchmentMask CreateCatchmentMask(Editor& editor, int radius, int size_x, int size_y);
// Radius of a warehouse by the graphic id of its object: 23, 2 or 15.
int WarehouseRadius(int graphic_id);
// Inserts keeping the list sorted by warehouse number.
void AddWarehouse(Editor& editor, const WarehouseRecord& warehouse);
// Rebuilds the catchment grid from the warehouse list and sets every object's owner.
void AssignObjectsToCities(Editor& editor);

// -- counts and changes ----------------------------------------------------------------------

// Cities on this island (only_this_island) or all cities.
int CountCities(const Editor& editor, bool only_this_island);
// The i-th city (from 0) on the island becomes current; none when there are fewer.
void CurrentCityByIndex(Editor& editor, int i);
int CountCityWarehouses(Editor& editor);
int CountInhabitants(Editor& editor);
// Cities on this island whose people are natives (2..9).
int CountNativeCities(const Editor& editor);
// Removes every placed object owned by the current city.
void DeleteCurrentCity(Editor& editor);
// "Aufraum": renumbers the warehouses from 1, patches the loaded file, rebuilds the warehouse
// list and the owners.
void TidyWarehouses(Editor& editor);

// The kind of main warehouse the town tool places (0 monster, 1 natives, 2 pirates,
// 3 Venetians, 4 own warehouse). Without an island nothing changes and the user is told
// "Eine Insel sollte schon da sein".
std::string ChooseMainWarehouseKind(Editor& editor, int kind);

// -- selection -------------------------------------------------------------------------------

// The log line of a click on a city or an island while a city is current.
std::string CitySelectionLine(const CityRecord& city, const IslandRecord& island);

// A click on row `row` (from 0; rows 0 and 1 both give the first city) of the city list.
// Returns a message for the user ("Stadt nicht gefunden") or empty.
std::string SelectCityRow(Editor& editor, int row);

}  // namespace insel
