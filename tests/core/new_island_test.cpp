// Size rules of the new-island dialog and the empty island it sets up.
#include "core/dialogs/new_island.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "core/app/editor.h"
#include "core/display/legend.h"
#include "core/display/view.h"
#include "core/document/island_map.h"
#include "test_helpers.h"

namespace insel {
namespace {

TEST(NewIsland, OwnSizeRoundsDownToEightsAndStopsAt1024) {
    EXPECT_EQ(LimitOwnSizeText("1025") + LimitOwnSizeText("1024"), "4001024");
    for (const auto& [radio, own_text, size] : {std::tuple{0, "100", 96},
                                                {0, "7", 0},
                                                {0, "2000", 400},
                                                {0, "1024", 1024},
                                                {0, "-5", 64},
                                                {0, "abc", 64},
                                                {0, "", 64},
                                                {64, "2000", 64},
                                                {256, "100", 256}})
        EXPECT_EQ(ChooseNewIslandSize(radio, LimitOwnSizeText(own_text)), size) << own_text;
}

TEST(NewIsland, EmptySquareIslandWithItsCellBlocksReplacingTheLoadedOne) {
    for (int size : {1024, 96, 512, 80, 32}) {
        auto editor = std::make_unique<Editor>();
        // What a loaded island leaves behind.
        editor->doc.island.block_counts_used = 40;
        editor->doc.island.block_height_counts[39][120] = 7;
        editor->doc.island_list.emplace_back();
        editor->doc.city_list.push_back({"Stadt", "1", "2", "3", "4", "5", "6"});
        editor->doc.cities.cities.emplace_back();
        editor->doc.cities.current = 0;
        editor->ClearIsland();
        NewIsland(editor->doc, editor->status, size, 3);
        editor->view.island_shown = true;
        const Document& d = editor->doc;
        const auto& r = d.island.record;
        const int blocks = ((size - 1) / 32 + 1) * ((size - 1) / 32 + 1);
        EXPECT_EQ(std::tuple(r.width, r.height, r.climate, r.buffer, d.island.cell_block_count,
                             d.island.block_counts_used, d.island.block_height_counts[39][120]),
                  std::tuple(size, size, 3, -1, blocks, blocks, 0));
        EXPECT_EQ(std::tuple(d.loaded, d.island_list.size(), d.city_list.size(),
                             d.cities.cities.size(), d.cities.current.has_value()),
                  std::tuple(true, 0u, 0u, 0u, false));
        EXPECT_EQ(std::tuple(editor->status.cell_blocks, editor->status.width, editor->status.water,
                             d.island.fertility.get(size - 1, size - 1)),
                  std::tuple(std::to_string(blocks), std::to_string(size), "100", 10));
    }
}

TEST(NewIsland, CountsDescribeAnAllWaterIsland) {
    auto editor = std::make_unique<Editor>();
    editor->ClearIsland();
    NewIsland(editor->doc, editor->status, 80, 0);  // 3 x 3 blocks, the last ones 16 wide
    editor->view.island_shown = true;
    ASSERT_TRUE(ResetView(editor->view, editor->doc.island, editor->status));
    const IslandMap& island = editor->doc.island;
    // x block 0, y block 2 holds 32 x 16 cells.
    EXPECT_EQ(std::tuple(editor->status.water, island.block_height_counts[0][0],
                         island.block_height_counts[2][0], island.block_height_counts[8][0],
                         island.block_fertility_counts[5][10]),
              std::tuple("100 %", 32 * 32, 32 * 16, 16 * 16, 32 * 16));
    const Legend heights = FullIslandLegend(island, editor->view.layer);
    EXPECT_EQ(heights[static_cast<std::size_t>(LegendPanelOfHeight(0))].count, "6400");
    editor->view.layer = static_cast<DisplayLayer>(3);
    EXPECT_EQ(FullIslandLegend(island, editor->view.layer)[10].count, "6400");
}

}  // namespace
}  // namespace insel
