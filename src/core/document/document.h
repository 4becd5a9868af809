#pragma once
// The document: everything a save writes and an undo restores. The loaded file's bytes with
// what the load found out about them, the island decoded from it, its cities and the lists of
// the islands and cities in the file. A plain value: a load builds a new one and replaces the
// open one only when it succeeded.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/container/game_file.h"
#include "core/document/city_state.h"
#include "core/document/island_list_row.h"
#include "core/document/island_map.h"

namespace insel {

// The numbers are those of the game's dialogs and of inseltool's JSON "kind".
enum class FileKind : int { None = 0, Island = 1, Savegame = 2, City = 3, Scenario = 4 };

// The kind an extension names (".scp", ".sav", ".cty", ".sze"), None for others.
FileKind FileKindFromExtension(const std::filesystem::path& path);

struct Document {
    Document();

    // The loaded file (the game's "buffer 2") and what the load found out about it.
    GameFileBuffer file;
    std::int64_t file_size = 0;
    std::int64_t data_limit = 0;
    int addon_level = 0;
    FileKind file_kind = FileKind::None;
    std::string file_name;  // as loaded, Windows-1252, at most 80 characters
    bool loaded = false;    // a file was loaded or a new island made

    IslandMap island;
    CityState cities;

    std::vector<IslandListRow> island_list;             // InselListenGrid rows from 1
    std::vector<std::array<std::string, 7>> city_list;  // StadtListenGrid rows from 1

    // Texture series usage of the islands loaded before this one (all of them, or none when
    // the user asks each load to start afresh). The current island's share is
    // island.series_usage.
    std::array<std::int32_t, kSeriesCount> earlier_series_usage{};
    std::array<std::int32_t, kSeriesCount> SeriesUsageCounts() const;

    // The island map and everything that refers to it back to empty; the island's series
    // counts join the earlier ones unless `forget_series_usage`.
    void ClearIsland(bool forget_series_usage);
};

// What a document that follows `previous` starts from: empty, but with the series usage
// carried on (or forgotten) as ClearIsland would.
Document SuccessorOf(const Document& previous, bool forget_series_usage);

// GetValue with the kinds that need the cities: 28 the native peoples' cities on this island,
// 34 the cities written so far into the file being saved.
std::int64_t GetValue(const Document& doc, std::int64_t x, std::int64_t y, int kind);

}  // namespace insel
