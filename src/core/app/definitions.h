#pragma once
// The seven definition files of the program folder: interface texts, graphic tiles and
// patterns, buildings, terrain elements, mine kinds and placeable objects.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/container/file_io.h"

namespace insel {

inline constexpr std::array<const char*, 7> kDefinitionFileNames = {
    "MainIStrings.txt", "GFXBasis.txt",   "GFXItems.txt",  "Buildings.txt",
    "Gelaende.txt",     "MinenListe.txt", "TargetList.txt"};

inline constexpr const char* kMissingDefinitionsMessage =
    "Error: Not all necessary textfiles are present";

struct BuildingSize {
    int size = 11;        // two digits: width code, height code
    int definition = -1;  // -1 when the line names none
};

struct Definitions {
    bool loaded = false;
    std::vector<std::string> main_strings;    // MainIStrings
    std::vector<std::string> gfx_basis;       // GFXComboBox items
    std::vector<std::string> gfx_items;       // ComboBox4 items
    std::vector<std::string> building_list;   // BuildingList (whole lines)
    std::vector<std::string> building_items;  // BuildingComboBox (display parts)
    std::vector<std::string> terrain_list;    // TerrainList (whole lines)
    TextEncoding terrain_encoding = TextEncoding::Utf8;
    std::vector<std::string> terrain_items;  // BewuchsComboBox (cut before ';')
    std::vector<int> terrain_numbers;        // element number of each terrain item
    std::vector<int> terrain_colours;        // 0 where the line has none
    std::vector<std::string> river_items;    // FlussComboBox (elements 2701..2740)
    std::vector<std::string> mine_names;     // MinenComboBox
    std::vector<std::string> target_list;    // TargetList
    // First building line per graphic id.
    std::unordered_map<int, BuildingSize> buildings_by_id;
};

// All seven files exist in the folder.
bool CheckDefinitionFiles(const std::filesystem::path& folder);
// The message for a folder that lacks some of them: the fixed text, the missing files and
// the folder; empty when all are there.
std::string MissingDefinitionsMessage(const std::filesystem::path& folder);

// Reads the seven files. A line that does not parse is a FormatError naming the file, the
// line number (from 1) and the reason.
Definitions LoadDefinitionFiles(const std::filesystem::path& folder);

// Writes TerrainList back to Gelaende.txt in the encoding it was read in.
void SaveTerrainList(const Definitions& definitions, const std::filesystem::path& folder);

// Line 1 of MainIStrings: how many texture series to preload; 0 when it is not a number.
int PreloadCountSetting(const Definitions& definitions);

struct ObjectSize {
    int width = 1;
    int height = 1;
    int definition = 0;
};

// Footprint and definition of a graphic id from the building list; width and height swap for
// odd orientations. Without a matching line: 1 x 1 and `definition` unchanged.
ObjectSize LookupObjectSize(const Definitions& definitions, int graphic_id, int orientation,
                            int definition);

// The lines of the lists are comma-separated fields. Field `index` (from 0) of a line, empty
// where the line has fewer; and a field's decimal number, blanks around it and a sign allowed.
std::string_view ListField(std::string_view text, int index);
std::optional<long> ParseListNumber(std::string_view text);

// Display name of a graphic id from the building list.
std::string BuildingName(const Definitions& definitions, int graphic_id);

}  // namespace insel
