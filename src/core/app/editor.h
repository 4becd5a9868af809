#pragma once
// Everything the main window owns apart from its widgets. The window and the command line
// each hold one Editor and change the island only through the core's operations.
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/app/definitions.h"
#include "core/container/game_file.h"
#include "core/container/output_buffer.h"
#include "core/display/view.h"
#include "core/island/cities.h"
#include "core/island/island_list.h"
#include "core/island/island_map.h"
#include "core/tools/tool_frame.h"

namespace insel {

enum FileKind : int { kNoFile = 0, kIslandFile = 1, kSavegame = 2, kCityFile = 3, kScenario = 4 };

// The kind an extension names (".scp" 1, ".sav" 2, ".cty" 3, ".sze" 4), 0 for others.
int FileKindFromExtension(const std::filesystem::path& path);

struct Editor {
    Editor();

    // Loaded file (the game's "buffer 2") and what the load found out about it.
    GameFileBuffer file;
    std::int64_t file_size = 0;
    std::int64_t data_limit = 0;
    int addon_level = 0;
    int file_kind = kNoFile;

    OutputBuffer output;
    IslandMap island;
    Definitions definitions;

    // Texture series usage over the islands loaded so far (ClearGFXCheck off) or of the last
    // load only (on). The current island's share is island.series_usage.
    std::array<std::int32_t, kSeriesCount> earlier_series_usage{};
    bool clear_series_usage_on_load = false;  // ClearGFXCheck
    std::array<std::int32_t, kSeriesCount> SeriesUsageCounts() const;

    std::vector<IslandListRow> island_list;             // InselListenGrid rows from 1
    std::vector<std::array<std::string, 7>> city_list;  // StadtListenGrid rows from 1

    // Main-window flags and tool state.
    bool updating = false;
    bool island_shown = false;
    bool island_loaded = false;
    int tool_mode = 0;
    bool height_profile_page = false;
    ToolFrameState tools;
    bool oversize_allowed = false;
    // Save-time layer shifts by kind (heights, graphic tiles, plants, rocks): the shift boxes
    // and their x and y spins.
    struct LayerShift {
        bool apply = false;
        int dx = 0, dy = 0;
    };
    std::array<LayerShift, 4> shifts{LayerShift{false, 0, 0}, LayerShift{false, -1, 0},
                                     LayerShift{false, -1, 0}, LayerShift{false, -1, 0}};
    // Save options: NoAnimalsCheck, RecountProdCheck.
    bool no_animals = false;
    bool recount_kontid = false;

    CityState cities;

    // What the canvas shows.
    ViewState view;
    PartFrame part_frame;
    int display_layer = 0;  // 0 heights, 1 graphic tiles, 2 vegetation, 3 fertility

    // Texts the core leaves in the window's status panels, by control name.
    std::map<std::string, std::string> panels;
    std::string island_name_panel;  // IslandNamePanel, Windows-1252

    std::vector<std::string> memo1, memo2, memo3;  // logs, Windows-1252 lines

    // ClearIsland of the main window: the island map and everything that refers to it.
    void ClearIsland();
    void SetPanel(const std::string& name, std::int64_t value);
};

// GetValue with the kinds that need the cities: 28 the native peoples' cities on this island,
// 34 the cities written so far into the file being saved.
std::int64_t GetValue(const Editor& editor, std::int64_t x, std::int64_t y, int kind);

}  // namespace insel
