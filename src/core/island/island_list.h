#pragma once
// The islands of a loaded savegame or scenario, and which island a world position lies on.
#include <array>
#include <cstdint>
#include <string>

#include "core/document/island_list_row.h"

namespace insel {

struct Definitions;
struct Document;
struct Status;

// The climates a user can choose: 0..5.
inline constexpr int kClimateCount = 6;
// "Polar" .. "Steppe" for 0..5, empty otherwise.
std::string ClimateName(int climate);
// Gives the island another climate. Any value of the file's climate byte (0..255) is taken,
// the named ones and others; anything else throws BoundsError and leaves the island as it was.
void SetIslandClimate(Document& doc, int climate);

// Fills the island list from the loaded file; returns the position of the INFO tag of the
// last island listed (0 without islands). A scenario counts as a savegame from here on.
std::int64_t ListIslands(Document& doc);

// The listed island whose square (its width from its world position) holds the position.
const IslandListRow* IslandRowAt(const Document& doc, int first, int second);

// Island number of the listed island whose square contains the world position; 0 for none.
int IslandNumberAt(const Document& doc, int first, int second);

// Sets the island start to the island whose square strictly contains the position.
bool FindIslandOfCity(Document& doc, int first, int second);

// A click on row `row` (from 1) of the island list: decodes that island and shows its counts.
// False when the row is not in the list.
bool SelectIslandRow(Document& doc, const Definitions& definitions, Status& status, int row);

}  // namespace insel
