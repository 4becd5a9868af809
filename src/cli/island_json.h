#pragma once
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace insel {
struct Editor;
}

namespace insel::cli {

// What `info --json` prints: the editor's state after a load.
nlohmann::ordered_json IslandJson(const Editor& editor, const std::string& path,
                                  const std::vector<std::pair<int, int>>& cells, bool catchment);

// The readable summary of `info`.
std::string IslandSummary(const Editor& editor, const std::string& path);

}  // namespace insel::cli
