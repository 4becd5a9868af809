#pragma once
// The tools' tables of `inseltool edit` operations, and the tool state each reports in --json.
// The tools' tables of `inseltool edit` operations and the JSON keys each tool reports.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/edit_script.h"

namespace insel {
struct Editor;
}

namespace insel::cli {

void AddHeightOperations(std::vector<ScriptOperation>& ops);
void AddHeightJson(const Editor& editor, nlohmann::ordered_json& json);
void AddTilesOperations(std::vector<ScriptOperation>& ops);
void AddTilesJson(const Editor& editor, nlohmann::ordered_json& json);
void AddTerrainOperations(std::vector<ScriptOperation>& ops);
namespace insel::cli {

void AddMinesOperations(std::vector<ScriptOperation>& ops);
void AddMinesJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
