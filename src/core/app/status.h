#pragma once
// What the window's status panels and logs show. The core fills the fields; the window maps
// each one to its panel, and inseltool reports them.
#include <cstdint>
#include <string>
#include <vector>

namespace insel {

// Log lines, Windows-1252.
using LogLines = std::vector<std::string>;

// What decoding one island counted.
struct IslandCounts {
    std::int64_t width = 0, height = 0;  // xSizePanel, ySizePanel
    std::int64_t cell_blocks = 0;        // StufenPanel
    std::int64_t quarry_spots = 0;       // MinenOrtePanel
    std::int64_t mines = 0;              // MinenBergePanel
    std::int64_t objects = 0;            // BauOrtePanel: PROD2 entries read
    std::int64_t animals = 0;            // TierePanel
};

// What a load found, for the status panels.
struct LoadSummary {
    std::int64_t file_size = 0;  // FSizePanel
    int addon_level = 0;         // AddOnPanel
    IslandCounts island;         // of the file's first island
    std::int64_t cities = 0;     // AnzStadtPanel and SPanel
    std::string name;            // IslandNamePanel, Windows-1252
    std::string message;         // for the user ("Cannot decode city structure"), or empty
};

// The panel texts. Empty ones show nothing.
struct Status {
    // The loaded file and its island.
    std::string file_size;      // FSizePanel
    std::string addon_level;    // AddOnPanel
    std::string width;          // xSizePanel
    std::string height;         // ySizePanel
    std::string cell_blocks;    // StufenPanel
    std::string quarry_spots;   // MinenOrtePanel
    std::string mines;          // MinenBergePanel
    std::string objects;        // BauOrtePanel
    std::string animals;        // TierePanel
    std::string cities;         // AnzStadtPanel
    std::string island_cities;  // SPanel
    std::string water;          // WasserPanel
    std::string city_number;    // StadtNrPanel: the city chosen in the city list
    std::string island_name;    // IslandNamePanel, Windows-1252

    // The view.
    std::string origin_x, origin_y;       // xOfsetPanel, yOfsetPanel
    std::string cell_width, cell_height;  // xScalePanel, yScalePanel
    std::string columns, rows;            // xZahlPanel, YZahlPanel
    std::string pixel_x, pixel_y;         // PixXPanel, PixYPanel

    // The cell under the mouse.
    std::string mouse_x, mouse_y;          // MouseXPanel, MouseYPanel
    std::string mouse_hex_x, mouse_hex_y;  // MouseHXPanel, MouseHYPanel
    std::string cell_height_value;         // Edit1
    std::string cell_tile;                 // Edit2: graphic tile, high and low byte in hex
    std::string cell_terrain;              // Edit3: element and its parameter
    std::string cell_fertility;            // Edit4

    // The tool frame.
    std::string frame_x, frame_y;  // xPanel, yPanel
    std::string object_height;     // ObjHoeheEdit
    std::string element;           // ElementPanel

    LogLines memo1, memo2, memo3;  // the logs

    void ShowIslandCounts(const IslandCounts& counts);
    void ShowLoadSummary(const LoadSummary& summary);
};

}  // namespace insel
