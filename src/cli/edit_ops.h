#pragma once
// The tools' tables of `inseltool edit` operations and the tool state each adds to --json.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/edit_script.h"

namespace insel {
struct Editor;
}

namespace insel::cli {

void AddTerrainOperations(std::vector<ScriptOperation>& ops);
void AddTerrainJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
