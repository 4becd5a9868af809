#include "core/document/document.h"

#include "core/container/file_io.h"
#include "core/island/cities.h"

namespace insel {

FileKind FileKindFromExtension(const std::filesystem::path& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".scp") return FileKind::Island;
    if (extension == ".sav") return FileKind::Savegame;
    if (extension == ".cty") return FileKind::City;
    if (extension == ".sze") return FileKind::Scenario;
    return FileKind::None;
}

Document::Document() { InitIslandRecord(island.record); }

std::array<std::int32_t, kSeriesCount> Document::SeriesUsageCounts() const {
    std::array<std::int32_t, kSeriesCount> total{};
    for (int i = 0; i < kSeriesCount; ++i)
        total[i] = earlier_series_usage[i] + island.series_usage[i];
    return total;
}

void Document::ClearIsland(bool forget_series_usage) {
    if (forget_series_usage) {
        earlier_series_usage.fill(0);
    } else {
        for (int i = 0; i < kSeriesCount; ++i) earlier_series_usage[i] += island.series_usage[i];
    }
    insel::ClearIsland(island);
    cities.current.reset();
    cities.next_number = 1;
}

Document SuccessorOf(const Document& previous, bool forget_series_usage) {
    Document next;
    if (!forget_series_usage) next.earlier_series_usage = previous.SeriesUsageCounts();
    // The town tool's choice and the save's city counters are not the file's.
    next.cities.main_warehouse_kind = previous.cities.main_warehouse_kind;
    next.cities.warehouse_counter = previous.cities.warehouse_counter;
    next.cities.cities_written = previous.cities.cities_written;
    return next;
}

std::int64_t GetValue(const Document& doc, std::int64_t x, std::int64_t y, int kind) {
    if (kind == 28) return CountNativeCities(doc);
    if (kind == 34) return doc.cities.cities_written;
    return GetValue(doc.island, x, y, kind);
}

}  // namespace insel
