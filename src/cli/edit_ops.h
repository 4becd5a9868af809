#pragma once
// The tools' tables of `inseltool edit` operations and the JSON keys each tool reports.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/edit_script.h"

namespace insel::cli {

void AddMinesOperations(std::vector<ScriptOperation>& ops);
void AddMinesJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
