// The edit operations of the vegetation and river pages.
#include <climits>
#include <random>
#include <string>

#include "cli/edit_ops.h"
#include "core/app/editor.h"
#include "core/display/view.h"
#include "core/errors.h"
#include "core/tools/rivers.h"
#include "core/tools/terrain.h"

namespace insel::cli {
namespace {

constexpr int kLastCell = 1024;
constexpr int kCellsOfLayers = 1025 * 1025;

// A cell coordinate in a free JSON value: a whole number within the layers.
int CellIn(const nlohmann::json& value, const char* key) {
    if (!value.is_number_integer() || value.get<long long>() < 0 ||
        value.get<long long>() > kLastCell) {
        throw FormatError(std::string("\"") + key + "\" must hold whole numbers 0..1024");
    }
    return value.get<int>();
}

Band BandOf(const nlohmann::json& value) {
    if (!value.is_array() || value.size() != 4) {
        throw FormatError("\"band\" must be [X1, Y1, X2, Y2]");
    }
    return {CellIn(value[0], "band"), CellIn(value[1], "band"), CellIn(value[2], "band"),
            CellIn(value[3], "band")};
}

std::string DistributeOp(Editor& editor, const ScriptParams& p) {
    DistributeOptions o;
    o.id = p["id"];
    o.count = p["count"];
    o.min_height = p["min_height"];
    o.max_height = p["max_height"];
    if (p.Has("orientation")) {
        const nlohmann::json& turn = p.Value("orientation");
        if (turn.is_number_integer() && turn.get<long long>() >= 0 && turn.get<long long>() <= 3) {
            o.orientation = turn.get<int>();
        } else if (turn != "random") {
            throw FormatError("\"orientation\" must be 0..3 or \"random\"");
        }
    }
    o.overwrite = p.Flag("overwrite");
    o.not_under_objects = p.Flag("not_under_objects");
    o.keep_useful = p.Flag("keep_useful");
    o.growth_adjust = p.Flag("growth_adjust");
    o.typed_word = ParseTypedWord(p.Text("growth"), p.Text("elevation"));
    if (p.Has("band")) o.band = BandOf(p.Value("band"));
    std::mt19937 random(static_cast<std::mt19937::result_type>(p["seed"]));
    return DistributeStep(editor, o, random, {}).message;
}

std::string RemoveVisibleOp(Editor& editor, const ScriptParams& p) {
    // The view the window would show: whole island, then the zoom radio and the overview click.
    ViewState view;
    Status status;
    const IslandMap& island = editor.doc.island;
    view.island_shown = true;
    ResetView(view, island, status);
    if (p.Has("zoom")) {
        const int zoom = p["zoom"];
        if (zoom != 42 && zoom != 32 && zoom != 16 && zoom != 8)
            throw FormatError("\"zoom\" must be 42, 32, 16 or 8");
        SetZoom(view, island, status, zoom);
    }
    if (p.Has("part")) {
        const nlohmann::json& part = p.Value("part");
        if (!part.is_array() || part.size() != 2)
            throw FormatError("\"part\" must be [AX, AY], a point of the overview");
        ShowPartAt(view, island, status, CellIn(part[0], "part"), CellIn(part[1], "part"));
    }
    RemoveVisibleRiversStep(editor, VisibleRiverCells(view, island));
    return "";
}

}  // namespace

void AddTerrainOperations(std::vector<ScriptOperation>& ops) {
    ops.push_back({"terrain_insert",
                   {Integer("left", 0, kLastCell), Integer("top", 0, kLastCell),
                    Integer("width", 1, kLastCell + 1, 1), Integer("height", 1, kLastCell + 1, 1),
                    Integer("id", 0, kMaxTerrainId), Integer("orientation", 0, 3, 0),
                    Text("growth", "y5"), Text("elevation", "x0"), Flag("growth_adjust", true)},
                   [](Editor& e, const ScriptParams& p) {
                       const CellRect rect{p["left"], p["top"], p["left"] + p["width"] - 1,
                                           p["top"] + p["height"] - 1};
                       InsertTerrainStep(e, rect,
                                         {p["id"], p["orientation"],
                                          ParseTypedWord(p.Text("growth"), p.Text("elevation")),
                                          p.Flag("growth_adjust")});
                       return std::string();
                   }});
    ops.push_back(
        {"terrain_delete", {Integer("id", 0, kMaxTerrainId)}, [](Editor& e, const ScriptParams& p) {
             DeleteTerrainStep(e, p["id"]);
             return std::string();
         }});
    ops.push_back(
        {"terrain_clear",
         {Flag("plants_only", false), Flag("keep_useful", false), Flag("useful_only", false)},
         [](Editor& e, const ScriptParams& p) {
             ClearTerrainStep(
                 e, {p.Flag("plants_only"), p.Flag("keep_useful"), p.Flag("useful_only")});
             return std::string();
         }});
    ops.push_back({"terrain_replace",
                   {Integer("old", 0, kMaxTerrainId), Integer("new", 0, kMaxTerrainId)},
                   [](Editor& e, const ScriptParams& p) {
                       ReplaceTerrainStep(e, p["old"], p["new"]);
                       return std::string();
                   }});
    ops.push_back({"terrain_list",
                   {Integer("id", 0, kMaxTerrainId), Integer("orientation", 0, 3, 0),
                    Flag("any_orientation", true)},
                   [](Editor& e, const ScriptParams& p) {
                       const bool any = p.Flag("any_orientation");
                       const int key = p["id"] + (any ? 0 : kOrientationUnit * p["orientation"]);
                       ListTerrainIntoTools(e.tools, e.doc.island, key, any);
                       return std::string();
                   }});
    ops.push_back(
        {"distribute",
         {Integer("id", 0, kMaxTerrainId), Integer("count", 0, kCellsOfLayers, 50),
          Integer("min_height", 0, 255, 48), Integer("max_height", 0, 255, 48),
          Value("orientation", true), Flag("overwrite", false), Flag("not_under_objects", true),
          Flag("keep_useful", false), Flag("growth_adjust", true), Text("growth", "y5"),
          Text("elevation", "x0"), Value("band", true), Integer("seed", 0, INT_MAX, 1)},
         DistributeOp});
    ops.push_back({"clear_plants",
                   {Integer("height", 0, 255), Value("band")},
                   [](Editor& e, const ScriptParams& p) {
                       ClearPlantsStep(e, BandOf(p.Value("band")), p["height"]);
                       return std::string();
                   }});
    ops.push_back({"clear_shipwrecks", {}, [](Editor& e, const ScriptParams&) {
                       ClearShipwrecksStep(e);
                       return std::string();
                   }});
    ops.push_back(
        {"river_place",
         {Integer("x", 0, kLastCell), Integer("y", 0, kLastCell), Integer("id", 0, kMaxTerrainId),
          Integer("direction", 0, 3, 0), Text("size", "0030")},
         [](Editor& e, const ScriptParams& p) {
             if (FindRiverItem(e.definitions, p["id"]) < 0) {
                 throw FormatError("\"id\": " + std::to_string(p["id"]) +
                                   " is not an element of the river list");
             }
             PlaceRiverStep(e, p["x"], p["y"], p["id"], p["direction"], p.Text("size"));
             return std::string();
         }});
    ops.push_back({"river_remove",
                   {Integer("x", 0, kLastCell), Integer("y", 0, kLastCell)},
                   [](Editor& e, const ScriptParams& p) {
                       RemoveRiverStep(e, p["x"], p["y"]);
                       return std::string();
                   }});
    ops.push_back({"rivers_remove_visible",
                   {Optional(Integer("zoom", 8, 42)), Value("part", true)},
                   RemoveVisibleOp});
}

}  // namespace insel::cli
