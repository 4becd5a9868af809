// The quarter turn, mines and quarry spots as `inseltool edit` operations.
#include <climits>
#include <string>

#include "cli/edit_ops.h"
#include "core/app/editor.h"
#include "core/container/cp1252.h"
#include "core/errors.h"
#include "core/tools/mines.h"
#include "core/tools/rotation.h"

namespace insel::cli {
namespace {

constexpr const char* kPlaceStep = "Neue Mine / Neuen Abbauplatz setzen";

// A refusal the window would show in a box stops the script: what was asked was not done.
void Refuse(const std::string& message) {
    if (!message.empty()) throw Error(Cp1252ToUtf8(message));
}

// Runs `change` (which returns a refusal or "") as the step `name`; a refusal undoes
// whatever the step did before it.
template <class Change>
std::string Apply(Editor& e, const char* name, Change change) {
    e.Step(name, [&] { Refuse(change()); });
    return {};
}

ScriptKey Cell(const char* name) { return Integer(name, 0, 1024); }

nlohmann::ordered_json SelectedJson(const MineRecord* record, std::size_t index, bool mine) {
    if (record == nullptr) return nullptr;
    nlohmann::ordered_json json{{"index", index}};
    if (mine) {
        json["x"] = DecodeCellFloat(record->x);
        json["y"] = DecodeCellFloat(record->y);
        json["kind"] = MineKindNumber(record->building_id);
    } else {
        json["x"] = record->x;
        json["y"] = record->y;
        json["orientation"] = record->orientation;
    }
    return json;
}

}  // namespace

void AddMinesOperations(std::vector<ScriptOperation>& ops) {
    // Each turn is one step, as each press of the button is.
    ops.push_back({"rotate", {Integer("turns", 1, 4, 1)}, [](Editor& e, const ScriptParams& p) {
                       for (int turn = 0; turn < p["turns"]; ++turn) {
                           std::string refusal;
                           e.Step(kQuarterTurnStep,
                                  [&] { refusal = RotateQuarter(e.doc, e.definitions, e.status); });
                           Refuse(refusal);
                       }
                       return std::string();
                   }});
    ops.push_back(
        {"mine_place",
         {Cell("x"), Cell("y"), Integer("kind", 0, kMineKindCount - 1), Flag("visible", true),
          Integer("symbol_offset", -1000, 1000, 8), Flag("override", false)},
         [](Editor& e, const ScriptParams& p) {
             const MinePlacement placement{p["x"],
                                           p["y"],
                                           p["kind"],
                                           p.Flag("visible"),
                                           p["symbol_offset"],
                                           p.Flag("override")};
             return Apply(e, kPlaceStep, [&] { return PlaceMine(e.doc.island, placement); });
         }});
    ops.push_back({"quarry_place",
                   {Cell("x"), Cell("y"), Integer("orientation", 0, 3, 0), Flag("override", false)},
                   [](Editor& e, const ScriptParams& p) {
                       return Apply(e, kPlaceStep, [&] {
                           return PlaceQuarrySpot(e.doc.island, p["x"], p["y"], p["orientation"],
                                                  p.Flag("override"));
                       });
                   }});
    ops.push_back({"mine_select", {Cell("x"), Cell("y")}, [](Editor& e, const ScriptParams& p) {
                       if (!SelectMineAt(e.tools, e.doc.island, p["x"], p["y"])) {
                           throw Error("no mine at " + std::to_string(p["x"]) + ", " +
                                       std::to_string(p["y"]));
                       }
                       return std::string();
                   }});
    ops.push_back(
        {"mine_set",
         {Optional(Integer("kind", 0, kMineKindCount - 1)), Optional(Flag("visible")),
          Optional(Integer("treasure", 0, INT_MAX)),
          Optional(Integer("elevation", -16384, 0xFFFF - 16384)), Flag("override", false)},
         [](Editor& e, const ScriptParams& p) {
             IslandMap& island = e.doc.island;
             MinesState& state = e.tools.mines;
             state.water_override = p.Flag("override");
             return Apply(e, "Mine \xC3\xA4ndern", [&]() -> std::string {
                 if (SelectedMine(state, island) == nullptr) return kNoMineSelected;
                 std::string refusal;
                 if (p.Has("kind")) refusal = SetMineKind(island, state, p["kind"]);
                 if (refusal.empty() && p.Has("visible"))
                     refusal = SetMineVisible(island, state, p.Flag("visible"));
                 if (refusal.empty() && p.Has("treasure"))
                     refusal = SetMineTreasure(island, state, p["treasure"]);
                 if (refusal.empty() && p.Has("elevation"))
                     refusal = SetMineElevation(island, state, p["elevation"]);
                 return refusal;
             });
         }});
    ops.push_back({"mine_move",
                   {Cell("x"), Cell("y"), Flag("override", false)},
                   [](Editor& e, const ScriptParams& p) {
                       e.tools.mines.water_override = p.Flag("override");
                       return Apply(e, "Position", [&] {
                           return MoveSelectedMine(e.doc.island, e.tools.mines, p["x"], p["y"]);
                       });
                   }});
    ops.push_back({"mine_remove", {}, [](Editor& e, const ScriptParams&) {
                       return Apply(e, "Diese Mine entfernen", [&] {
                           return RemoveSelectedMine(e.doc.island, e.tools.mines);
                       });
                   }});
    ops.push_back({"mines_remove_all", {}, [](Editor& e, const ScriptParams&) {
                       e.Step("Alle Minen entfernen",
                              [&] { RemoveAllMines(e.doc.island, e.tools.mines); });
                       return std::string();
                   }});
    ops.push_back({"quarry_select", {Cell("x"), Cell("y")}, [](Editor& e, const ScriptParams& p) {
                       if (!SelectQuarrySpotAt(e.tools, e.doc.island, p["x"], p["y"])) {
                           throw Error("no quarry spot at " + std::to_string(p["x"]) + ", " +
                                       std::to_string(p["y"]));
                       }
                       return std::string();
                   }});
    ops.push_back({"quarry_remove", {}, [](Editor& e, const ScriptParams&) {
                       return Apply(e, "Diesen Abbauplatz entfernen", [&] {
                           return RemoveSelectedQuarrySpot(e.doc.island, e.tools.mines);
                       });
                   }});
    ops.push_back({"quarries_remove_all", {}, [](Editor& e, const ScriptParams&) {
                       e.Step("Alle Abbaupl\xC3\xA4tze entfernen",
                              [&] { RemoveAllQuarrySpots(e.doc.island, e.tools.mines); });
                       return std::string();
                   }});
    ops.push_back({"mine_report", {}, [](Editor& e, const ScriptParams&) {
                       e.status.memo1 = MineReport(e.doc.island);
                       return std::string();
                   }});
}

void AddMinesJson(const Editor& editor, nlohmann::ordered_json& json) {
    const IslandMap& island = editor.doc.island;
    const MinesState& state = editor.tools.mines;
    json["rotation_angle"] = editor.doc.island.rotation_angle;
    json["selected_mine"] =
        SelectedJson(SelectedMine(state, island), state.mine.index.value_or(0), true);
    json["selected_quarry"] =
        SelectedJson(SelectedQuarrySpot(state, island), state.quarry_spot.index.value_or(0), false);
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    for (const std::string& line : editor.status.memo1) report.push_back(Cp1252ToUtf8(line));
    json["mine_report"] = report;
}

}  // namespace insel::cli
