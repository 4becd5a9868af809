#pragma once
// The tools' tables of `inseltool edit` operations, and the tool state each reports in --json.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/edit_script.h"

namespace insel {
struct Editor;
}

namespace insel::cli {

void AddHeightOperations(std::vector<ScriptOperation>& ops);
void AddTilesOperations(std::vector<ScriptOperation>& ops);
void AddTerrainOperations(std::vector<ScriptOperation>& ops);
void AddMinesOperations(std::vector<ScriptOperation>& ops);
void AddObjectsOperations(std::vector<ScriptOperation>& ops);

void AddHeightJson(const Editor& editor, nlohmann::ordered_json& json);
void AddTilesJson(const Editor& editor, nlohmann::ordered_json& json);
void AddMinesJson(const Editor& editor, nlohmann::ordered_json& json);
void AddObjectsJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
