#include "core/app/editor.h"

#include <algorithm>
#include <cctype>

namespace insel {

int FileKindFromExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".scp") return kIslandFile;
    if (extension == ".sav") return kSavegame;
    if (extension == ".cty") return kCityFile;
    if (extension == ".sze") return kScenario;
    return kNoFile;
}

Editor::Editor() { InitIslandRecord(island.record); }

std::array<std::int32_t, kSeriesCount> Editor::SeriesUsageCounts() const {
    std::array<std::int32_t, kSeriesCount> total{};
    for (int i = 0; i < kSeriesCount; ++i)
        total[i] = earlier_series_usage[i] + island.series_usage[i];
    return total;
}

void Editor::ClearIsland() {
    // The counts of the island being replaced stay with the earlier loads unless asked not to.
    if (clear_series_usage_on_load) {
        earlier_series_usage.fill(0);
    } else {
        for (int i = 0; i < kSeriesCount; ++i) earlier_series_usage[i] += island.series_usage[i];
    }
    insel::ClearIsland(island);
    cities.current.reset();
    cities.next_number = 1;
    tool_mode = 0;
    height_profile_page = false;
    tools.legend_value = -1;
    tools.frame_drag_active = false;
    tools.stroke_active = false;
}

void Editor::SetPanel(const std::string& name, std::int64_t value) {
    panels[name] = std::to_string(value);
}

std::int64_t GetValue(const Editor& editor, std::int64_t x, std::int64_t y, int kind) {
    if (kind == 28) return CountNativeCities(editor);
    if (kind == 34) return editor.cities.cities_written;
    return GetValue(editor.island, x, y, kind);
}

}  // namespace insel
