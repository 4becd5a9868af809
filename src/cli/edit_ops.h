#pragma once
// The edit-script operations and the --json keys of the tools, each in its tool's file.
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/edit_script.h"

namespace insel {
struct Editor;
}

namespace insel::cli {

void AddObjectsOperations(std::vector<ScriptOperation>& ops);
void AddObjectsJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
