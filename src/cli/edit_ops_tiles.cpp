// The ground-tile and block-buffer operations of `inseltool edit`.
#include <climits>

#include "cli/edit_ops.h"
#include "cli/edit_script.h"
#include "core/app/editor.h"
#include "core/app/key_notation.h"
#include "core/container/file_io.h"
#include "core/errors.h"
#include "core/tools/block_buffer.h"
#include "core/tools/ground_tiles.h"

namespace insel::cli {

namespace {

constexpr int kLastCell = 1024;

ScriptKey Cell(const char* name) { return Integer(name, 0, kLastCell); }

PasteOptions PasteChoice(const ScriptParams& p) {
    return {.heights = p.Flag("heights"),
            .gfx = p.Flag("gfx"),
            .terrain = p.Flag("terrain"),
            .plants = p.Flag("plants"),
            .rocks = p.Flag("rocks"),
            .skip_empty = p.Flag("zero_elements"),
            .fertility = p.Flag("fertility"),
            .mines = p.Flag("mines"),
            .quarries = p.Flag("quarries"),
            .zero_height = p.Flag("zero_height")};
}

const char* const kFillSteps[] = {"Fill Global", "Fill Height 0", "Fill >Height", "Fill <Height"};

}  // namespace

void AddTilesOperations(std::vector<ScriptOperation>& ops) {
    ops.push_back({"compose_field",
                   {Text("series"), Text("offset", "00"), Text("rotation", "0")},
                   [](Editor& e, const ScriptParams& p) {
                       ComposeField(e.tools, p.Text("series"), p.Text("rotation"),
                                    p.Text("offset"));
                       return std::string();
                   }});
    ops.push_back({"pick_field", {Cell("x"), Cell("y")}, [](Editor& e, const ScriptParams& p) {
                       PickTileField(e.tools, e.doc.island, e.definitions, p["x"], p["y"], true);
                       return std::string();
                   }});
    ops.push_back(
        {"stamp",
         {Cell("left"), Cell("top"), Choice("shape", {"single", "row", "column", "full"}, "full"),
          Integer("edit", 0, 8, 0)},
         [](Editor& e, const ScriptParams& p) {
             e.Step("Untergrund setzen", [&] {
                 StampField(e.doc.island, e.tools.tiles, p["left"], p["top"],
                            static_cast<EntryShape>(p["shape"]), p["edit"]);
             });
             return std::string();
         }});
    ops.push_back({"flood",
                   {Cell("left"), Cell("top"), Integer("width", 1, kLastCell + 1, 3),
                    Integer("height", 1, kLastCell + 1, 3), Integer("right", 0, kLastCell + 1, 2),
                    Integer("down", 0, kLastCell + 1, 2)},
                   [](Editor& e, const ScriptParams& p) {
                       e.Step("Floodfill", [&] {
                           FloodField(e.doc.island, e.tools.tiles, p["left"], p["top"], p["width"],
                                      p["height"], p["right"], p["down"]);
                       });
                       return std::string();
                   }});
    ops.push_back(
        {"replace_series", {Text("old"), Text("new")}, [](Editor& e, const ScriptParams& p) {
             const int from = ReadHexKey(p.Text("old"), 1, "\"old\"");
             const int to = ReadHexKey(p.Text("new"), 1, "\"new\"");
             e.Step("Replace with", [&] { ReplaceSeries(e.doc.island, from, to); });
             return std::string();
         }});
    ops.push_back({"list_series", {Text("series")}, [](Editor& e, const ScriptParams& p) {
                       const std::string text = p.Text("series");
                       if (text.size() != 2)
                           throw FormatError("\"series\" must hold two hexadecimal digits");
                       e.tools.tiles.search_text = text;
                       e.tools.listing = ListSeriesCells(e.doc.island, text).rows;
                       return std::string();
                   }});
    ops.push_back({"fill_base",
                   {Integer("pattern", 0, INT_MAX),
                    Choice("where", {"all", "height0", "above", "below"}, "all"),
                    Integer("threshold", 0, 255, 39)},
                   [](Editor& e, const ScriptParams& p) {
                       const auto& lines = e.definitions.gfx_basis;
                       if (static_cast<std::size_t>(p["pattern"]) >= lines.size()) {
                           throw FormatError(
                               "\"pattern\" " + std::to_string(p["pattern"]) +
                               ": the base-pattern list has lines 0 to " +
                               std::to_string(static_cast<long long>(lines.size()) - 1));
                       }
                       e.tools.tiles.base_pattern = p["pattern"];
                       std::string message;
                       e.Step(kFillSteps[p["where"]], [&] {
                           message = FillBase(e.doc.island, e.tools.tiles,
                                              lines[static_cast<std::size_t>(p["pattern"])],
                                              static_cast<FillWhere>(p["where"]), p["threshold"]);
                       });
                       return message;
                   }});
    ops.push_back(
        {"block_copy",
         {Cell("left"), Cell("top"), Integer("width", 1, kLastCell + 1),
          Integer("height", 1, kLastCell + 1), Flag("mines", true), Flag("quarries", true)},
         [](Editor& e, const ScriptParams& p) {
             CopyBlock(e.tools.block_buffer, e.doc.island, p["left"], p["top"], p["width"],
                       p["height"], p.Flag("mines"), p.Flag("quarries"));
             return std::string();
         }});
    ops.push_back(
        {"block_paste",
         {Cell("left"), Cell("top"), Integer("n", 1, 999, 1), Integer("m", 1, 999, 1),
          Flag("heights", true), Flag("gfx", true), Flag("terrain", true), Flag("plants", true),
          Flag("rocks", true), Flag("zero_elements", true), Flag("fertility", true),
          Flag("mines", true), Flag("quarries", true), Flag("zero_height", true)},
         [](Editor& e, const ScriptParams& p) {
             if (e.tools.block_buffer.empty())
                 throw FormatError("the block buffer is empty; copy or load a block first");
             const bool tiled = p["n"] > 1 || p["m"] > 1;
             e.Step(tiled ? "Buffer n*m  mal einfügen" : "An diese Stelle Buffer einfügen", [&] {
                 PasteBlock(e.doc.island, e.tools.block_buffer, p["left"], p["top"], p["n"], p["m"],
                            PasteChoice(p));
             });
             return std::string();
         }});
    ops.push_back({"block_save",
                   {Text("path"), Optional(Text("comment"))},
                   [](Editor& e, const ScriptParams& p) {
                       BlockBuffer& buffer = e.tools.block_buffer;
                       if (p.Has("comment")) buffer.comment = p.Text("comment");
                       SaveBlockFile(buffer, PathFromUtf8(p.Text("path")));
                       return std::string();
                   }});
    ops.push_back({"block_load", {Text("path")}, [](Editor& e, const ScriptParams& p) {
                       LoadBlockFile(e.tools, PathFromUtf8(p.Text("path")));
                       return std::string();
                   }});
    ops.push_back({"block_clear", {}, [](Editor& e, const ScriptParams&) {
                       ClearBlock(e.tools);
                       return std::string();
                   }});
}

void AddTilesJson(const Editor& editor, nlohmann::ordered_json& json) {
    const TileField& field = editor.tools.tiles;
    nlohmann::ordered_json bytes = nlohmann::ordered_json::array();
    for (int k = 0; k < 9; ++k) bytes.push_back(field.bytes[k % 3][k / 3]);
    json["field"] = {{"series", ValueToHex(field.series)},
                     {"offset", ValueToHex(field.offset)},
                     {"rotation", ValueToHex(field.rotation)},
                     {"bytes", bytes}};
    const BlockBuffer& block = editor.tools.block_buffer;
    nlohmann::ordered_json mines = nlohmann::ordered_json::array();
    for (const MineCopy& m : block.mines) {
        mines.push_back({{"x", m.x},
                         {"y", m.y},
                         {"building_id", m.building_id},
                         {"symbol_value", m.symbol_value},
                         {"symbol_elevation", m.symbol_elevation},
                         {"treasure", m.treasure}});
    }
    nlohmann::ordered_json spots = nlohmann::ordered_json::array();
    for (const QuarryCopy& q : block.quarry_spots) {
        spots.push_back(
            {{"x", q.x}, {"y", q.y}, {"x_band", q.x_band}, {"orientation", q.orientation}});
    }
    json["block"] = {{"width", block.width},
                     {"height", block.height},
                     {"comment", block.comment},
                     {"mines", mines},
                     {"quarry_spots", spots}};
    json["listing"] = editor.tools.listing;
}

}  // namespace insel::cli
