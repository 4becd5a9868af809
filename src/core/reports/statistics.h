#pragma once
// Statistics and lists that only read the island: value counts of the graphic and terrain
// layers, the places of one terrain element, the placed objects, the texture series ranking
// and the rule for saving the log.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/document/island_map.h"

namespace insel {

struct CityRecord;

// Distinct (value, second value) pairs with their counts, ascending by value, then second.
class ValueCountList {
  public:
    struct Entry {
        std::int64_t value = 0;
        std::int64_t second = 0;
        std::int64_t count = 0;
    };
    // A pair met again increases its count by `times`.
    void Add(std::int64_t value, std::int64_t second, std::int64_t times = 1);
    std::vector<Entry> Entries() const;
    std::size_t size() const { return counts_.size(); }

  private:
    std::map<std::pair<std::int64_t, std::int64_t>, std::int64_t> counts_;
};

// A grid as rows of cells, the header row first.
using GridRows = std::vector<std::vector<std::string>>;

// Over every cell of the island, zeros included. high_byte_only is OhneLowCheck: a texture
// series counts as one value.
ValueCountList CountGfxValues(const IslandMap& island, bool high_byte_only);
GridRows GfxStatisticsRows(const IslandMap& island, bool high_byte_only);

// Value = terrain, second = terrain parameter. without_orientation is OhneRotCheck: the top
// two bits of the terrain value are dropped, so one element in all four turns is one value.
ValueCountList CountTerrainValues(const IslandMap& island, bool without_orientation);
GridRows TerrainStatisticsRows(const IslandMap& island, bool without_orientation);

enum class StatisticsGrid { Gfx, Terrain };

// Proposed file name of a saved grid: "GFX.txt" or "Gelaende.txt".
const char* StatisticsFileName(StatisticsGrid grid);
// The comma file of a grid: a fixed header, then every row after the grid's header. The
// graphic grid has four columns, so its lines end with an empty fifth field.
std::vector<std::string> StatisticsFileLines(const GridRows& rows, StatisticsGrid grid);

// Cells (x outer, y inner) that carry one terrain element: rows "Growth", "x", "y", "Height".
// any_orientation is OrientCheck; otherwise `orientation` (0..3) goes into the top two bits.
GridRows ElementPlaceRows(const IslandMap& island, std::int64_t element, bool any_orientation,
                          int orientation);

// The island name with its extension replaced by ".txt", at most 80 characters.
std::string ObjectListFileName(const std::string& island_name);
// The offset line, the current city's buildings that stand on a placed object, then every
// other placed object. Empty without a city or without placed objects: nothing to save.
std::vector<std::string> ObjectListLines(const IslandMap& island, const CityRecord* city);

inline constexpr const char* kMemoFileName = "Savememo.txt";
// Shorter logs are not worth a file.
inline bool MemoWorthSaving(const std::vector<std::string>& memo) { return memo.size() >= 5; }

inline constexpr int kRankedSeriesCount = kSeriesCount - 1;  // entry 147 holds the total

struct SeriesRank {
    int series = 0;  // 0..146; its code is series + 11
    std::int32_t count = 0;
    std::optional<int> share_percent;  // only when the total is above 0
};

struct SeriesRanking {
    std::vector<std::string> memo;  // per series "0B   12", "Anzahl: n", "Total t"
    std::vector<SeriesRank> ranks;
    std::int64_t total = 0;
    std::optional<int> total_percent;  // sum of the ranked counts, only when total > 0
};

// `usage` as Document::SeriesUsageCounts gives it; `rows` is the number of ranks (SpinEdit1).
// Equal counts rank by series index. Shares are rounded half up.
SeriesRanking RankSeries(const std::array<std::int32_t, kSeriesCount>& usage, int rows);

}  // namespace insel
