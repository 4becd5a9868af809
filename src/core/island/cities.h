#pragma once
// Decoding the cities of the loaded file, the catchment areas that decide which placed objects
// belong to a city, and the counts the writer needs.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/status.h"
#include "core/document/city_state.h"

namespace insel {

struct Definitions;
struct Document;
struct IslandRecord;
struct Status;

// -- decoding --------------------------------------------------------------------------------

// People code of the player whose HEAD lies in front of position s.
int PeopleCodeAt(const Document& doc, std::int64_t s);
// People code named by an island file's name ("PIR", "INDI", ...), 0 for none.
int PeopleCodeFromName(std::string name);
// A city record from the STADT2 tag at s of the loaded savegame or scenario; becomes current
// and gets its row in the city list.
CityRecord& CreateCityRecord(Document& doc, std::int64_t s);
// The current city's buildings from its PROD block; false without one.
bool DecodeCityBuildings(Document& doc, Status& status, std::int64_t from);
// The cities stored in an island file whose name names a people; returns a message for the
// user ("Cannot decode city structure") when the walk had to stop, else empty.
std::string DecodeIslandFileCities(Document& doc, Status& status, const std::string& file_name);
// A row of the city list for a city.
std::array<std::string, 7> CityListRow(const CityRecord& city, std::int32_t stadt2_length,
                                       std::int64_t stadt2_position);

// -- counts and changes ----------------------------------------------------------------------

// Cities on this island (only_this_island) or all cities.
int CountCities(const Document& doc, bool only_this_island);
// The i-th city (from 0) on the island becomes current; none when there are fewer.
void CurrentCityByIndex(Document& doc, int i);
// The current city's warehouses; logs its buildings.
int CountCityWarehouses(const Document& doc, LogLines& log);
int CountInhabitants(const Document& doc, LogLines& log);
// Cities on this island whose people are natives (2..9).
int CountNativeCities(const Document& doc);
// Removes every placed object owned by the current city.
void DeleteCurrentCity(Document& doc);
// "Aufraum": renumbers the warehouses from 1, patches the loaded file, rebuilds the warehouse
// list and the owners.
void TidyWarehouses(Document& doc, LogLines& log);

// The kind of main warehouse the town tool places (0 monster, 1 natives, 2 pirates,
// 3 Venetians, 4 own warehouse). Without an island nothing changes and the user is told
// "Eine Insel sollte schon da sein".
std::string ChooseMainWarehouseKind(Document& doc, int kind);

// -- selection -------------------------------------------------------------------------------

// The log line of a click on a city or an island while a city is current.
std::string CitySelectionLine(const CityRecord& city, const IslandRecord& island);

// A click on row `row` (from 0; rows 0 and 1 both give the first city) of the city list.
// Returns a message for the user ("Stadt nicht gefunden") or empty.
// A savegame decodes the city's island and shows its counts.
std::string SelectCityRow(Document& doc, const Definitions& definitions, Status& status, int row);

}  // namespace insel
