#pragma once
// The tools' tables of `inseltool edit` operations and the tool state each adds to `--json`.
#include <nlohmann/json.hpp>
#include <vector>

namespace insel {
struct Editor;
}

namespace insel::cli {

struct ScriptOperation;

void AddTilesOperations(std::vector<ScriptOperation>& ops);
void AddTilesJson(const Editor& editor, nlohmann::ordered_json& json);

}  // namespace insel::cli
