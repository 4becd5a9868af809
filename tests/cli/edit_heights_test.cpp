// The height operations of inseltool edit through the real binary: each one, its undo, and the
// keys and cells it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// clang-format off
// 40 x 40 of height 60 and fertility 7, one cell of 70 at (10, 10), an element at (5, 6) and an
// object at (12, 12) with the height word 0x1234.
Bytes Island() {
    return IslandFileBytes({.width = 40, .height = 40,
        .heights = [](int x, int y) -> std::uint8_t { return x == 10 && y == 10 ? 70 : 60; },
        .fertility = [](int, int) -> std::uint8_t { return 7; },
        .terrain = [](int x, int y) {
            return x == 5 && y == 6 ? Element{0xC005, 0x3401} : Element{}; },
        .objects = {{.id_word = 1000, .parameter = 0x1234, .x = 12, .y = 12}}});
}
// clang-format on

}  // namespace

TEST(EditHeights, EachOperationAndItsUndo) {
    TempFile island(Island(), "h.scp");
    const std::string mark = R"({"op": "mark", "cells": [[2, 3]], "pen": 2})";
    const std::string ring =  // two strokes of pen 2, on rows 20 and 21
        R"({"op": "mark", "cells": [[20, 20], [30, 20]]})";
    const std::string undo = R"({"op": "undo"})";
    // The cells --cells asks for: (3, 4), (9, 10), (5, 6).
    const std::tuple<std::string, std::string, Json> cases[] = {
        {"[" + mark + R"(, {"op": "take_profile", "height": 20}])", "/cells/0/height", 20},
        {"[" + mark + R"(, {"op": "take_profile", "height": 20}])", "/cells/0/fertility", 0},
        {"[" + mark + R"(, {"op": "take_profile", "height": 48}])", "/cells/0/fertility", 7},
        {"[" + mark + R"(, {"op": "take_profile", "height": 20}, )" + undo + "]", "/cells/0/height",
         60},
        {"[" + mark + R"(, {"op": "take_profile", "fertility": 3}])", "/cells/0/fertility", 3},
        {"[" + mark + R"(, {"op": "take_profile", "fertility": 3}])", "/marks/count", 0},
        {"[" + mark + "]", "/marks",
         Json{{"count", 4}, {"left", 2}, {"top", 3}, {"right", 3}, {"bottom", 4}}},
        {"[" + mark + R"(, {"op": "clear_marks"}])", "/marks/count", 0},
        // Each of the two rows: the strokes (4 cells) and the 8 cells between them.
        {"[" + ring + R"(, {"op": "fill_outlines"}])", "/marks/count", 2 * 12},
        {"[" + ring + R"(, {"op": "fill_outlines", "gap": 1}])", "/marks/count", 2 * 4},
        {R"([{"op": "frame_height", "h1": 70, "h2": 20}])", "/cells/1/height", 20},
        {R"([{"op": "frame_height", "h1": 70, "h2": 20}])", "/cells/1/fertility", 0},
        {R"([{"op": "frame_height", "h1": 70, "h2": 20}, )" + undo + "]", "/cells/1/height", 60},
        {R"([{"op": "replace_height", "h1": 60, "h2": 44}])", "/cells/0/height", 44},
        {R"([{"op": "replace_height", "h1": 60, "h2": 44}, )" + undo + "]", "/cells/0/height", 60},
        {R"([{"op": "object_height", "x": 12, "y": 12, "height": 300}])", "/objects/0/parameter",
         255 * 256},
        {R"([{"op": "object_height", "x": 12, "y": 12, "height": 50}, )" + undo + "]",
         "/objects/0/parameter", 0x1234},
        {R"([{"op": "apply_frame", "mode": 4, "left": 2, "top": 3, "width": 2, "height": 2,
              "value": 36}])",
         "/cells/0/height", 36},
        {R"([{"op": "apply_frame", "mode": 4, "left": 2, "top": 3, "width": 1, "height": 1,
              "value": 36}])",
         "/cells/0/height", 60},
        {R"([{"op": "apply_frame", "mode": 8, "left": 3, "top": 4, "width": 1, "height": 1,
              "value": 2}])",
         "/cells/0/fertility", 2},
        {R"([{"op": "apply_frame", "mode": 8, "left": 3, "top": 4, "width": 1, "height": 1,
              "value": 2}, )" +
             undo + "]",
         "/cells/0/fertility", 7},
        {R"([{"op": "apply_frame", "mode": 2, "left": 5, "top": 6, "width": 3, "height": 3}])",
         "/cells/2/terrain", 0},
        {R"([{"op": "apply_frame", "mode": 2, "left": 5, "top": 6, "width": 3, "height": 3},
             )" +
             undo + "]",
         "/cells/2/terrain", 0xC005},
        {R"([{"op": "apply_frame", "mode": 3, "left": 2, "top": 3, "width": 3, "height": 3}])",
         "/cells/0/height", 60},
    };
    for (const auto& [script, pointer, expected] : cases) {
        const ToolRun run =
            EditScript(island.path(), script, "--json --cells 3,4 --cells 9,10 --cells 5,6");
        ASSERT_EQ(run.status, 0) << script << "\n" << run.err;
        EXPECT_EQ(Json::parse(run.out).at(Json::json_pointer(pointer)), expected) << script;
    }
}

TEST(EditHeights, RefusalsNameTheFaultAndWriteNothing) {
    TempFile island(Island(), "h.scp");
    const std::tuple<std::string, int, std::string> cases[] = {
        {R"([{"op": "take_profile", "height": 256}])", 2, R"("height" must be 0 to 255)"},
        {R"([{"op": "take_profile", "fertility": 11}])", 2, R"("fertility" must be 0 to 10)"},
        {R"([{"op": "take_profile"}])", 1, R"(either "height" or "fertility")"},
        {R"([{"op": "take_profile", "height": 20, "fertility": 2}])", 1, "not both"},
        {R"([{"op": "mark", "cells": [[2, 3], [40, 3]]}])", 1, "cell 40, 3 is not on the island"},
        {R"([{"op": "mark", "cells": [[2, "3"]]}])", 1, "is not an [X, Y] pair"},
        {R"([{"op": "mark", "cells": 5}])", 1, R"("cells" must be an array)"},
        {R"([{"op": "mark", "cells": [], "size": 2}])", 2, R"(unknown key "size")"},
        {R"([{"op": "fill_outlines", "gap": -1}])", 2, R"("gap" must be 0 or more)"},
        {R"([{"op": "frame_height", "h1": 70}])", 2, R"("h2" is missing)"},
        {R"([{"op": "object_height", "x": 3, "y": 4, "height": 50}])", 1,
         "no object stands at cell 3, 4"},
        {R"([{"op": "apply_frame", "mode": 5, "left": 1, "top": 1, "width": 1, "height": 1}])", 1,
         R"("mode" must be 2, 3, 4 or 8)"},
        {R"([{"op": "apply_frame", "mode": 4, "left": 1, "top": 1, "width": 1, "height": 1}])", 1,
         R"("value" is needed for mode 4)"},
        {R"([{"op": "apply_frame", "mode": 8, "left": 1, "top": 1, "width": 1, "height": 1,
              "value": -1}])",
         1, "Select color in HoehenStatistik first"},
        {R"([{"op": "apply_frame", "mode": 8, "left": 1, "top": 1, "width": 1, "height": 1,
              "value": 12}])",
         1, "no fertility legend panel"},
        {R"([{"op": "apply_frame", "mode": 4, "left": 1020, "top": 1, "width": 10,
              "height": 1, "value": 40}])",
         1, "reach outside the cells 0..1024"},
    };
    TempDir out;
    for (const auto& [script, status, says] : cases) {
        const ToolRun run = EditScript(island.path(), script, "-o " + Quote(out / "x.scp"));
        EXPECT_EQ(std::tuple(run.status, run.err.find(says) == run.err.npos,
                             std::filesystem::exists(out / "x.scp")),
                  std::tuple(status, false, false))
            << script << "\n"
            << run.err;
    }
}
