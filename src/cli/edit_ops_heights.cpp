// The height-profile operations of `inseltool edit`: marks, the outline fill, taking the profile
// over, framing and replacing a height, an object's height and the right click on the frame.
#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "cli/edit_ops.h"
#include "core/app/editor.h"
#include "core/errors.h"
#include "core/tools/heights.h"
#include "core/tools/tool_frame.h"

namespace insel::cli {
namespace {

std::string Cell(long long x, long long y) {
    return "cell " + std::to_string(x) + ", " + std::to_string(y);
}

// The "cells" of `mark`: [[X, Y], ...], each on the island.
std::vector<std::pair<int, int>> IslandCells(const nlohmann::json& cells,
                                             const IslandRecord& record) {
    if (!cells.is_array()) throw FormatError("\"cells\" must be an array of [X, Y] pairs");
    std::vector<std::pair<int, int>> found;
    for (const nlohmann::json& cell : cells) {
        if (!cell.is_array() || cell.size() != 2 || !cell[0].is_number_integer() ||
            !cell[1].is_number_integer()) {
            throw FormatError("\"cells\": " + cell.dump() + " is not an [X, Y] pair of integers");
        }
        const auto x = cell[0].get<long long>();
        const auto y = cell[1].get<long long>();
        if (x < 0 || y < 0 || x >= record.width || y >= record.height) {
            throw BoundsError("\"cells\": " + Cell(x, y) + " is not on the island (" +
                              std::to_string(record.width) + " x " + std::to_string(record.height) +
                              ")");
        }
        found.emplace_back(static_cast<int>(x), static_cast<int>(y));
    }
    return found;
}

std::string Mark(Editor& e, const ScriptParams& p) {
    // Every cell is checked before the first is marked.
    for (const auto& [x, y] : IslandCells(p.Value("cells"), e.doc.island.record)) {
        MarkPenSquare(e.doc.island, x, y, p["pen"]);
    }
    return "";
}

std::string TakeProfileOver(Editor& e, const ScriptParams& p) {
    const bool height = p.Has("height");
    if (height == p.Has("fertility")) {
        throw FormatError("give either \"height\" or \"fertility\", not both or neither");
    }
    const ProfileLayer layer = height ? ProfileLayer::Height : ProfileLayer::Fertility;
    const int value = p[height ? "height" : "fertility"];
    e.Step("Höhenprofil in Insel übernehmen", [&] { TakeProfile(e.doc.island, layer, value); });
    return "";
}

std::string ObjectHeight(Editor& e, const ScriptParams& p) {
    const auto object = ObjectAt(e.doc.island, p["x"], p["y"]);
    if (!object) throw BoundsError("no object stands at " + Cell(p["x"], p["y"]));
    e.Step("Neue Höhe setzen", [&] { SetObjectHeight(e.doc.island, *object, p["height"]); });
    return "";
}

std::string ApplyFrameOp(Editor& e, const ScriptParams& p) {
    const int mode_number = p["mode"];
    if (mode_number != 2 && mode_number != 3 && mode_number != 4 && mode_number != 8) {
        throw FormatError("\"mode\" must be 2, 3, 4 or 8");
    }
    const auto mode = static_cast<ToolMode>(mode_number);
    const bool needs_value = mode == ToolMode::HeightProfile || mode == ToolMode::Fertility;
    if (needs_value && !p.Has("value")) {
        throw FormatError("\"value\" is needed for mode " + std::to_string(mode_number));
    }
    const int value = p.Has("value") ? p["value"] : 0;
    if (mode == ToolMode::Fertility && value > kHighestFertility) {
        // The window ignores legend panels past the fertilities; a script is told.
        throw FormatError("\"value\" " + std::to_string(value) +
                          " is no fertility legend panel (0..10)");
    }
    const BlockRect rect{p["left"], p["top"], p["left"] + p["width"] - 1,
                         p["top"] + p["height"] - 1};
    const char* step = mode == ToolMode::Vegetation      ? "Bewuchs löschen"
                       : mode == ToolMode::HeightProfile ? "Höhe füllen"
                       : mode == ToolMode::Fertility     ? "Fruchtbarkeit malen"
                                                         : "Rahmen";
    FrameApplyResult result;
    e.Step(step, [&] { result = ApplyFrameCells(e.tools, e.doc.island, mode, rect, value); });
    // Without a legend colour nothing was painted: a failure, not a remark.
    if (!result.message.empty() && !result.changed) throw Error(result.message);
    return result.message;
}

}  // namespace

void AddHeightOperations(std::vector<ScriptOperation>& ops) {
    ops.push_back({"mark",
                   {Value("cells"), Integer("pen", 0, 1025, 2)},
                   [](Editor& e, const ScriptParams& p) { return Mark(e, p); }});
    ops.push_back({"clear_marks", {}, [](Editor& e, const ScriptParams&) {
                       ClearMarks(e.doc.island);
                       return std::string();
                   }});
    ops.push_back(
        {"fill_outlines", {Integer("gap", 0, INT_MAX, 4)}, [](Editor& e, const ScriptParams& p) {
             FillOutlines(e.doc.island, p["gap"]);
             return std::string();
         }});
    ops.push_back({"take_profile",
                   {Optional(Integer("height", 0, 255)),
                    Optional(Integer("fertility", 0, kHighestFertility))},
                   [](Editor& e, const ScriptParams& p) { return TakeProfileOver(e, p); }});
    ops.push_back({"frame_height",
                   {Integer("h1", 0, 255), Integer("h2", 0, 255)},
                   [](Editor& e, const ScriptParams& p) {
                       e.Step("Frame height with:",
                              [&] { FrameHeight(e.doc.island, p["h1"], p["h2"]); });
                       return std::string();
                   }});
    ops.push_back({"replace_height",
                   {Integer("h1", 0, 255), Integer("h2", 0, 255)},
                   [](Editor& e, const ScriptParams& p) {
                       e.Step("Replace height with:",
                              [&] { ReplaceHeight(e.doc.island, p["h1"], p["h2"]); });
                       return std::string();
                   }});
    ops.push_back({"object_height",
                   {Integer("x", 0, kLayerSide - 1), Integer("y", 0, kLayerSide - 1),
                    Integer("height", 0, INT_MAX)},
                   [](Editor& e, const ScriptParams& p) { return ObjectHeight(e, p); }});
    ops.push_back({"apply_frame",
                   {Integer("mode", 2, 8), Integer("left", 0, kLayerSide - 1),
                    Integer("top", 0, kLayerSide - 1), Integer("width", 1, kLayerSide),
                    Integer("height", 1, kLayerSide), Optional(Integer("value", -1, 255))},
                   [](Editor& e, const ScriptParams& p) { return ApplyFrameOp(e, p); }});
}

void AddHeightJson(const Editor& editor, nlohmann::ordered_json& json) {
    const Layer<std::uint8_t>& mark = editor.doc.island.mark;
    long long count = 0;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int x = 0; x < mark.written_x(); ++x) {
        const std::uint8_t* column = mark.column(x);
        for (int y = 0; y < mark.written_y(); ++y) {
            if (column[y] == 0) continue;
            ++count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    nlohmann::ordered_json marks = {{"count", count}};
    if (count > 0) {
        marks["left"] = left;
        marks["top"] = top;
        marks["right"] = right;
        marks["bottom"] = bottom;
    }
    json["marks"] = marks;
}

}  // namespace insel::cli
