#include "core/island/island_list.h"

#include <algorithm>

#include "core/app/status.h"
#include "core/container/game_file.h"
#include "core/document/document.h"
#include "core/errors.h"
#include "core/island/cities.h"
#include "core/island/game_tables.h"
#include "core/island/loader.h"

namespace insel {
namespace {

// The searches every row of the list makes, kept together so that a file with many islands
// is still read in one sweep.
enum RowSearch : std::size_t { kNextIsland, kEvent, kName, kInfo };

TagCursors RowSearches(const Document& doc) {
    return TagCursors(doc.file, doc.data_limit, {"INSEL5", "EVENTINSEL", "NAME", "INFO"});
}

// The first NAME block between the island and its EVENTINSEL block.
std::string ReadIslandName(const Document& doc, TagCursors& searches, std::int64_t island) {
    std::int64_t end = island;
    searches.Find(kEvent, end);
    std::int64_t name = island;
    if (!searches.Find(kName, name) || name >= end) return "No name";
    const std::int64_t length =
        std::min<std::int64_t>(ReadValue(doc.file, 1, name + 12), kMaxNameLength);
    return ReadText(doc.file, name + 16, length);
}

}  // namespace

std::array<std::string, 9> IslandListRow::Cells() const {
    return {name,
            std::to_string(width),
            std::to_string(world_second),
            std::to_string(world_first),
            ClimateName(climate),
            std::to_string(city_byte),
            std::to_string(info_a),
            std::to_string(position),
            std::to_string(number)};
}

std::string ClimateName(int climate) {
    return climate >= 0 && climate < kClimateCount ? std::string(kClimateNames[climate]) : "";
}

void SetIslandClimate(Document& doc, int climate) {
    // Checked here rather than when the island is written, long after the choice.
    if (climate < 0 || climate > 255) {
        throw BoundsError("the climate is a byte, 0 to 255, not " + std::to_string(climate));
    }
    doc.island.record.climate = climate;
}

std::int64_t ListIslands(Document& doc) {
    doc.island_list.clear();
    const GameFileBuffer& file = doc.file;
    TagCursors searches = RowSearches(doc);
    std::int64_t info = 0;
    std::int64_t q = 0;
    // Islands are listed from INSEL5 tags that start below the data limit - 50.
    while (searches.Find(kNextIsland, q) && q < doc.data_limit - 50) {
        IslandListRow row;
        row.name = ReadIslandName(doc, searches, q);
        row.world_first = static_cast<int>(ReadValue(file, 2, q + 16));
        row.world_second = static_cast<int>(ReadValue(file, 2, q + 18));
        row.width = static_cast<int>(ReadValue(file, 2, q + 20));
        row.number = static_cast<int>(ReadValue(file, 2, q + 24));
        row.position = q;
        std::int64_t i = q;
        if (searches.Find(kInfo, i)) {
            row.climate = static_cast<int>(ReadValue(file, 1, i + 16));
            row.city_byte = static_cast<int>(ReadValue(file, 1, i + 17));
            row.info_a = static_cast<int>(ReadValue(file, 1, i + 21));
            info = i;
        }
        doc.island_list.push_back(std::move(row));
        q += 5;
    }
    if (doc.file_kind == FileKind::Scenario) doc.file_kind = FileKind::Savegame;
    return info;
}

const IslandListRow* IslandRowAt(const Document& doc, int first, int second) {
    for (const IslandListRow& row : doc.island_list) {
        const int s = row.width;
        if (row.world_second <= second && second < row.world_second + s &&
            row.world_first <= first && first < row.world_first + s) {
            return &row;
        }
    }
    return nullptr;
}

int IslandNumberAt(const Document& doc, int first, int second) {
    const IslandListRow* row = IslandRowAt(doc, first, second);
    return row != nullptr ? row->number : 0;
}

bool FindIslandOfCity(Document& doc, int first, int second) {
    const GameFileBuffer& file = doc.file;
    std::int64_t q = 0;
    while (FindTagForward(file, doc.data_limit - 50, "INSEL5", q)) {
        doc.island.record.start = q;
        const auto c1 = ReadValue(file, 2, q + 16);
        const auto c2 = ReadValue(file, 2, q + 18);
        const auto s = ReadValue(file, 2, q + 20);
        if (c2 < second && second < c2 + s && c1 < first && first < c1 + s) return true;
        q += 10;
    }
    return false;
}

bool SelectIslandRow(Document& doc, const Definitions& definitions, Status& status, int row) {
    if (row < 1 || row > static_cast<int>(doc.island_list.size())) return false;
    const std::int64_t q = doc.island_list[static_cast<std::size_t>(row) - 1].position;
    doc.island.FreeLists();
    doc.island.record.start = q;
    status.ShowIslandCounts(DecodeIsland(doc, definitions, status.memo2, q));
    IslandRecord& record = doc.island.record;
    record.city_id = record.number;
    if (const CityRecord* city = doc.cities.Current()) {
        status.memo3.push_back(CitySelectionLine(*city, record));
    }
    return true;
}

}  // namespace insel
