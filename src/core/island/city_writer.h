#pragma once
// Extracted-city files (*.cty): the island with the player and city blocks of its cities.
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/app/status.h"

namespace insel {

struct Document;
struct SaveOptions;
class OutputBuffer;

// What assembling a city file works on: the document, which the save changes (see
// AssembleCityFile), the save options, the buffer the file is assembled in, and the logs.
struct CityFileTarget {
    Document& doc;
    const SaveOptions& options;
    OutputBuffer& out;
    LogLines& memo2;
    LogLines& memo3;
};

// The ID3 capacity value of a city with `warehouses` warehouses; at most 190 in base-game files.
int CapacityValue(int warehouses, int addon_level);

// Writes the current city's player block and city block.
void WriteCityBlocks(const CityFileTarget& t);

// The ID3 record of the current city from its warehouses' catchment areas.
void WriteCatchmentRecord(const CityFileTarget& t);

// Copies the island between `start` and `end` (inclusive) out of the loaded savegame, with its
// OCCUR block rebuilt from the mine records; append_name adds NAME, HIRSCH and EVENTINSEL.
void ExtractIslandBytes(const CityFileTarget& t, std::int64_t start, std::int64_t end,
                        bool append_name);

// Renumbers the KONTID values per city when asked to (options.recount_kontid) and appends the
// trailer "Generated " + date.
void FinishCityFile(const CityFileTarget& t, const std::string& date);

// The *.cty file of the island with its cities in the output buffer. Changes the model as the
// save does: cities without warehouses lose their objects, written savegame cities lose their
// people code, the island's number of cities counts those with warehouses.
void AssembleCityFile(const CityFileTarget& t, const std::string& date);

// AssembleCityFile, then the file written atomically.
void SaveCityFile(const CityFileTarget& t, const std::filesystem::path& path,
                  const std::string& date);

}  // namespace insel
