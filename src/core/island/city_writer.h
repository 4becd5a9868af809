#pragma once
// Extracted-city files (*.cty): the island with the player and city blocks of its cities.
#include <cstdint>
#include <filesystem>
#include <string>

namespace insel {

struct Editor;

// The ID3 capacity value of a city with `warehouses` warehouses; at most 190 in base-game files.
int CapacityValue(int warehouses, int addon_level);

// Writes the current city's player block and city block.
void WriteCityBlocks(Editor& editor);

// The ID3 record of the current city from its warehouses' catchment areas.
void WriteCatchmentRecord(Editor& editor);

// Copies the island between `start` and `end` (inclusive) out of the loaded savegame, with its
// OCCUR block rebuilt from the mine records; append_name adds NAME, HIRSCH and EVENTINSEL.
void ExtractIslandBytes(Editor& editor, std::int64_t start, std::int64_t end, bool append_name);

// Renumbers the KONTID values per city when asked to (editor.recount_kontid) and appends the
// trailer "Generated " + date.
void FinishCityFile(Editor& editor, const std::string& date);

// The *.cty file of the island with its cities in the output buffer. Changes the model as the
// save does: cities without warehouses lose their objects, written savegame cities lose their
// people code, the island's number of cities counts those with warehouses.
void AssembleCityFile(Editor& editor, const std::string& date);

// AssembleCityFile, then the file written atomically.
void SaveCityFile(Editor& editor, const std::filesystem::path& path, const std::string& date);

}  // namespace insel
