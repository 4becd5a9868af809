#pragma once
// The object list of the city page: one row per placed object of the shown island.
#include <array>
#include <string>
#include <vector>

namespace insel {

struct Definitions;
struct Document;
struct Status;

inline constexpr int kObjectListColumns = 7;
using ObjectListRow = std::array<std::string, kObjectListColumns>;

// Name, id word ("lo hi"), x, y, width, height, owner for each placed object whose island
// number is the island's. Marketplaces take their market point again from the current city's
// records in the loaded file; other objects lose theirs. For a savegame the city and object
// panels are refreshed too.
std::vector<ObjectListRow> RefreshObjectList(Document& doc, const Definitions& definitions,
                                             Status& status);

}  // namespace insel
