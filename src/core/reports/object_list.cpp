#include "core/reports/object_list.h"

#include "core/app/definitions.h"
#include "core/app/key_notation.h"
#include "core/app/status.h"
#include "core/container/game_file.h"
#include "core/document/document.h"

namespace insel {
namespace {

constexpr int kMarketRecordLength = 41;

// The market point of a marketplace from the first of the current city's 41-byte records that
// stands on its cell; false when there is none.
bool LookUpMarketPoint(const Document& doc, ObjectEntry& object) {
    const auto& cities = doc.cities;
    if (!cities.current || *cities.current >= cities.cities.size()) return false;
    const GameFileBuffer& file = doc.file;
    const auto value = [&](int width, std::int64_t at) {
        return static_cast<std::int32_t>(ReadValue(file, width, at));
    };
    for (const BuildingEntry& b : cities.cities[*cities.current].buildings) {
        if (b.record_position <= 0 || b.record_length != kMarketRecordLength) continue;
        if (b.record_position + 33 > static_cast<std::int64_t>(file.bytes.size())) continue;
        const std::int64_t at = b.record_position;
        // Whole position words, as the city load reads them: low bytes alone would let a
        // record at y 300 answer for an object at y 44 on a large island.
        if (value(2, at + 8) != object.y || value(2, at + 10) != object.x) continue;
        const IslandRecord& record = doc.island.record;
        object.market_x = value(2, at + 31) - record.world_second;
        object.market_y = value(2, at + 29) - record.world_first;
        return true;
    }
    return false;
}

}  // namespace

std::vector<ObjectListRow> RefreshObjectList(Document& doc, const Definitions& definitions,
                                             Status& status) {
    IslandMap& island = doc.island;
    if (doc.file_kind == FileKind::Savegame) {
        status.city_number = std::to_string(island.record.city_id);
        status.objects = std::to_string(island.objects.size());
    }
    std::vector<ObjectListRow> rows;
    for (ObjectEntry& object : island.objects) {
        if (object.island != island.record.number) continue;
        rows.push_back({BuildingName(definitions, object.graphic_id),
                        ValueToHex(object.id_word & 0xFF) + " " + ValueToHex(object.id_word >> 8),
                        std::to_string(object.x), std::to_string(object.y),
                        std::to_string(object.width), std::to_string(object.height),
                        std::to_string(object.owner)});
        if (object.graphic_id != kMarketplaceGraphic) {
            object.market_x = object.market_y = kNoMarketPoint;
        } else {
            LookUpMarketPoint(doc, object);
        }
    }
    return rows;
}

}  // namespace insel
