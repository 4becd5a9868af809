// Mines and quarry spots: placement under the water rules, the stored values, selection,
// changes and removal, the report, and what a save writes of them.
#include "core/tools/mines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/container/file_io.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

constexpr std::int32_t kOre = 1560 * 16384;

// A new 1024 island whose cells have height (x + y) % 256, so a cell's height is known.
std::unique_ptr<Editor> SlopedIsland(int size = 64) {
    auto editor = std::make_unique<Editor>();
    editor->MakeNewIsland(size, 0);
    editor->Step("Höhe", [&] {
        for (int x = 0; x < size; ++x) {
            for (int y = 0; y < size; ++y)
                editor->doc.island.height.set(x, y, static_cast<std::uint8_t>((x + y) % 256));
        }
    });
    editor->StartHistory();
    return editor;
}

std::string Place(Editor& e, int x, int y, int kind, bool override_water = false, int offset = 0) {
    std::string message;
    e.Step("Neue Mine / Neuen Abbauplatz setzen", [&] {
        message = PlaceMine(e.doc.island, {x, y, kind, true, offset, override_water});
    });
    return message;
}

struct WaterCase {
    int kind, height;
    bool override_water;
    const char* message;
};

TEST(MinePlacement, WaterRulesByKindAndHeight) {
    const WaterCase cases[] = {
        {0, 39, false, "No mines in water allowed"},
        {0, 40, false, ""},
        {0, 39, true, ""},
        {5, 0, false, "No mines in water allowed"},
        {7, 24, false, ""},
        {7, 25, false, "Not enough water for whaleing"},
        {7, 25, true, "Not enough water for whaleing"},  // the override is for land kinds
        {9, 24, false, ""},
        {9, 60, false, "Not enough water for whaleing"},
    };
    for (const WaterCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " at height " + std::to_string(c.height));
        auto e = SlopedIsland();
        EXPECT_EQ(Place(*e, c.height, 0, c.kind, c.override_water), c.message);
        EXPECT_EQ(e->doc.island.mines.size(), c.message[0] ? 0u : 1u);
        EXPECT_EQ(e->history.size(), c.message[0] ? 0u : 1u);
        if (!c.message[0]) {
            EXPECT_EQ(e->doc.island.mines[0].whale, c.kind == kWhaleKind);
        }
    }
}

TEST(MinePlacement, StoresCellCentresAndTheKindsValues) {
    auto e = SlopedIsland();
    ASSERT_EQ(Place(*e, 40, 0, 1), "");   // kind 1 is the second ore vein: the same building
    ASSERT_EQ(Place(*e, 16, 30, 6), "");  // treasure
    ASSERT_EQ(Place(*e, 0, 40, 3, false, 8), "");
    const auto& mines = e->doc.island.mines;
    // 40.5f and 0.5f, y stored first in the record.
    EXPECT_EQ(mines[0].x, 0x42220000u);
    EXPECT_EQ(mines[0].y, 0x3F000000u);
    EXPECT_EQ(mines[0].building_id, kOre);
    EXPECT_EQ(MineKindNumber(mines[0].building_id), 0);
    EXPECT_EQ(mines[0].treasure, 400);
    EXPECT_EQ(mines[1].x, 0x41840000u);  // 16.5f
    EXPECT_EQ(mines[1].building_id, 1550 * 16384);
    EXPECT_EQ(mines[1].treasure, 2000);
    EXPECT_EQ(mines[1].symbol_value, 0x40A66666u);  // 5.2f for kinds above 5
    // Height 40, offset 8: 40 * (8 - 2.5) / 10 = 22.
    EXPECT_EQ(mines[2].symbol_value, (16384u + 22u) << 16);
    EXPECT_EQ(mines[2].symbol_elevation, 22);
    EXPECT_EQ(mines[2].visible, 1);
}

TEST(MinePlacement, SymbolValuesByKindHeightAndOffset) {
    struct Case {
        int kind, height, offset;
        std::uint32_t value;
    };
    const Case cases[] = {
        {3, 64, 8, 16410u << 16},  // 64 * (8 - 4) / 10 = 25.6 gives 26
        {0, 40, 5, 16394u << 16},  // 40 * (5 - 2.5) / 10 = 10
        {2, 48, 4, 16389u << 16},  // 48 * (4 - 3) / 10 = 4.8 gives 5
        {4, 80, 0, 16344u << 16},  // 80 * (0 - 5) / 10 = -40
        {0, 20, 1, 16384u << 16},  // 20 * (1 - 1.25) / 10 = -0.5: halves go to even
        {8, 64, 8, 0x40A66666u},   // kinds above 5 carry the float 5.2
        {6, 0, 0, 0x40A66666u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.height));
        EXPECT_EQ(NewMineSymbolValue(c.kind, c.height, c.offset), c.value);
    }
    EXPECT_THROW(NewMineSymbolValue(0, 255, -1000), OverflowError);
}

TEST(MinePlacement, QuarrySpotsAndCellsOutsideTheIsland) {
    auto e = SlopedIsland();
    std::string message;
    e->Step("s", [&] { message = PlaceQuarrySpot(e->doc.island, 39, 0, 0, false); });
    EXPECT_EQ(message, "Not allowed in water");
    e->Step("s", [&] { message = PlaceQuarrySpot(e->doc.island, 39, 0, 2, true); });
    EXPECT_EQ(message, "");
    e->Step("s", [&] { message = PlaceQuarrySpot(e->doc.island, 50, 20, 3, false); });
    ASSERT_EQ(e->doc.island.quarry_spots.size(), 2u);
    const MineRecord& spot = e->doc.island.quarry_spots[1];
    EXPECT_EQ(spot.x, 50u);
    EXPECT_EQ(spot.y, 20u);
    EXPECT_EQ(spot.x_band, 3);
    EXPECT_EQ(spot.orientation, 3);
    const std::size_t steps = e->history.size();
    EXPECT_THROW(Place(*e, 64, 0, 0), BoundsError);
    EXPECT_THROW(Place(*e, 10, 1025, 0), BoundsError);
    EXPECT_THROW(e->Step("s", [&] { PlaceQuarrySpot(e->doc.island, 45, 0, 4, false); }),
                 BoundsError);
    EXPECT_EQ(e->history.size(), steps);
    EXPECT_EQ(e->doc.island.quarry_spots.size(), 2u);
}

TEST(MineSelection, FindsTheFirstAtTheCellButNotDuringAStroke) {
    auto e = SlopedIsland();
    Place(*e, 40, 10, 2);
    Place(*e, 40, 10, 4);
    ToolState& tools = e->tools;
    EXPECT_FALSE(SelectMineAt(tools, e->doc.island, 41, 10));
    EXPECT_EQ(SelectedMine(tools.mines, e->doc.island), nullptr);
    ASSERT_TRUE(SelectMineAt(tools, e->doc.island, 40, 10));
    EXPECT_EQ(SelectedMine(tools.mines, e->doc.island), &e->doc.island.mines[0]);
    tools.stroke_active = true;
    EXPECT_FALSE(SelectMineAt(tools, e->doc.island, 40, 10));
    tools.stroke_active = false;

    e->Step("s", [&] { PlaceQuarrySpot(e->doc.island, 50, 0, 1, false); });
    EXPECT_TRUE(SelectQuarrySpotAt(tools, e->doc.island, 50, 0));
    EXPECT_EQ(SelectedQuarrySpot(tools.mines, e->doc.island)->orientation, 1);
    EXPECT_FALSE(SelectQuarrySpotAt(tools, e->doc.island, 40, 10));
}

TEST(MineSelection, ChangesFollowTheRulesAndEndWithTheRecord) {
    auto e = SlopedIsland();
    Place(*e, 30, 10, 0);  // height 40
    Place(*e, 20, 0, 7);   // whale ground at height 20
    IslandMap& island = e->doc.island;
    MinesState& state = e->tools.mines;
    auto change = [&](auto op) {
        std::string message;
        e->Step("change", [&] { message = op(); });
        return message;
    };
    ASSERT_TRUE(SelectMineAt(e->tools, island, 30, 10));
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 7); }), "Not enough water for whale");
    EXPECT_EQ(island.mines[0].building_id, kOre);
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 6); }), "");
    EXPECT_EQ(island.mines[0].building_id, 1550 * 16384);
    EXPECT_EQ(island.mines[0].treasure, 2000);
    EXPECT_EQ(change([&] { return SetMineVisible(island, state, false); }), "");
    EXPECT_EQ(change([&] { return SetMineTreasure(island, state, 1234); }), "");
    EXPECT_EQ(change([&] { return SetMineElevation(island, state, 77); }), "");
    EXPECT_NE(change([&] { return SetMineElevation(island, state, 50000); }), "");
    EXPECT_NE(change([&] { return SetMineTreasure(island, state, -1); }), "");
    const MineRecord& mine = island.mines[0];
    EXPECT_EQ(mine.visible, 0);
    EXPECT_EQ(mine.treasure, 1234);
    EXPECT_EQ(mine.symbol_elevation, 77);
    EXPECT_EQ(mine.elevation_edited, 1);
    // Moves keep the water rules of the mine's kind.
    EXPECT_EQ(change([&] { return MoveSelectedMine(island, state, 10, 10); }),
              "No mines in water allowed");
    EXPECT_EQ(change([&] { return MoveSelectedMine(island, state, 50, 10); }), "");
    EXPECT_EQ(DecodeCellFloat(island.mines[0].x), 50);

    // The whale ground to land kinds: refused in water, and back to the water kinds.
    ASSERT_TRUE(SelectMineAt(e->tools, island, 20, 0));
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 3); }), "No mines in water allowed");
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 9); }), "");
    EXPECT_EQ(island.mines[1].whale, 0);
    state.water_override = true;
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 3); }), "");
    EXPECT_EQ(island.mines[1].treasure, 400);

    // Removed: nothing refers to it any more.
    EXPECT_EQ(change([&] { return RemoveSelectedMine(island, state); }), "");
    ASSERT_EQ(island.mines.size(), 1u);
    EXPECT_EQ(change([&] { return SetMineKind(island, state, 2); }), kNoMineSelected);
    EXPECT_EQ(change([&] { return RemoveSelectedMine(island, state); }), kNoMineSelected);
    EXPECT_EQ(island.mines[0].building_id, 1550 * 16384);
    // An undo brings the mine back but not the selection.
    e->history.Undo(e->doc);
    EXPECT_EQ(island.mines.size(), 2u);
    EXPECT_EQ(SelectedMine(state, island), nullptr);
    // A selection the history changed behind its back ends too.
    ASSERT_TRUE(SelectMineAt(e->tools, island, 50, 10));
    e->history.GoTo(e->doc, 0);
    EXPECT_EQ(SelectedMine(state, island), nullptr);
    EXPECT_EQ(change([&] { return SetMineVisible(island, state, true); }), kNoMineSelected);
}

TEST(MineSelection, RemovingAllAndQuarrySpots) {
    auto e = SlopedIsland();
    IslandMap& island = e->doc.island;
    MinesState& state = e->tools.mines;
    Place(*e, 40, 0, 0);
    Place(*e, 41, 0, 0);
    e->Step("s", [&] {
        PlaceQuarrySpot(island, 45, 0, 0, false);
        PlaceQuarrySpot(island, 46, 0, 0, false);
    });
    ASSERT_TRUE(SelectMineAt(e->tools, island, 41, 0));
    ASSERT_TRUE(SelectQuarrySpotAt(e->tools, island, 46, 0));
    std::string message;
    e->Step("s", [&] { message = MoveSelectedQuarrySpot(island, state, 10, 0); });
    EXPECT_EQ(message, "Not allowed in water");
    e->Step("s", [&] { message = MoveSelectedQuarrySpot(island, state, 60, 2); });
    EXPECT_EQ(message, "");
    EXPECT_EQ(island.quarry_spots[1].x_band, 3);
    e->Step("s", [&] { message = RemoveSelectedQuarrySpot(island, state); });
    EXPECT_EQ(island.quarry_spots.size(), 1u);
    EXPECT_EQ(island.quarry_spots[0].x, 45u);
    EXPECT_EQ(RemoveSelectedQuarrySpot(island, state), kNoQuarrySpotSelected);
    e->Step("s", [&] { RemoveAllMines(island, state); });
    e->Step("s", [&] { RemoveAllQuarrySpots(island, state); });
    EXPECT_TRUE(island.mines.empty());
    EXPECT_TRUE(island.quarry_spots.empty());
    EXPECT_EQ(SetMineVisible(island, state, true), kNoMineSelected);
    e->history.Undo(e->doc, 2);
    EXPECT_EQ(island.mines.size(), 2u);
    EXPECT_EQ(island.quarry_spots.size(), 1u);
    e->history.Redo(e->doc, 1);
    EXPECT_TRUE(island.mines.empty());
}

TEST(MineReport, ListsEveryRecordWithItsStoredAndLocalCells) {
    auto e = SlopedIsland();
    IslandMap& island = e->doc.island;
    Place(*e, 10, 30, 2);
    Place(*e, 40, 10, 0);
    island.mines[1].deleted = 1;
    PlaceQuarrySpot(island, 45, 1, 1, false);
    PlaceQuarrySpot(island, 46, 1, 2, false);
    const std::vector<std::string> expected = {
        "Total Minen: 2 davon aktiv: 1",
        "Mine Typ " + std::to_string(1562 * 16384) +
            " at x/y 1093140480, 1106509824 (local 10, 30)",
        "Mine Typ " + std::to_string(kOre) + " at x/y 1109524480, 1093140480 (local 40, 10)",
        " ",
        "Total Abbaupl\xE4tze: 2 davon aktiv: 2",
        "Abbauplatz at local x/y 45, 1 Orientierung 1 nach S\xFC"
        "den   ",
        "Abbauplatz at local x/y 46, 1 Orientierung 2 nach Westen  ",
    };
    EXPECT_EQ(MineReport(island), expected);
}

TEST(MineFile, QuarrySpotBytesAndARoundTripOfEveryRecord) {
    auto e = SlopedIsland(1024);
    IslandMap& island = e->doc.island;
    e->Step("s", [&] {
        ASSERT_EQ(PlaceQuarrySpot(island, 300, 700, 3, false), "");
        ASSERT_EQ(PlaceMine(island, {100, 20, 0, true, 8, false}), "");
        ASSERT_EQ(PlaceMine(island, {5, 10, 7, false, 0, false}), "");    // whale, height 15
        ASSERT_EQ(PlaceMine(island, {2, 15, 9, true, 0, false}), "");     // fishing, short form
        ASSERT_EQ(PlaceMine(island, {600, 600, 6, false, 3, true}), "");  // treasure, in water
    });
    ASSERT_TRUE(SelectMineAt(e->tools, island, 100, 20));
    e->Step("s", [&] { SetMineElevation(island, e->tools.mines, -5); });
    fixture::TempDir dir;
    const auto path = e->SaveIsland(dir / "Minen.scp");
    const std::vector<std::uint8_t> bytes = fixture::ReadFileBytes(path);
    const std::uint8_t spot[] = {'E', 'N', 'T', 'R', 'Y', 0, 4, 0, 0xBC, 0xC2, 0x12, 3};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(spot), std::end(spot)),
              bytes.end());

    Editor loaded;
    test::Load(loaded, bytes, FileKind::Island, "Minen.scp");
    ASSERT_EQ(loaded.doc.island.quarry_spots.size(), 1u);
    EXPECT_EQ(loaded.doc.island.quarry_spots[0].x, 300u);
    EXPECT_EQ(loaded.doc.island.quarry_spots[0].y, 700u);
    EXPECT_EQ(loaded.doc.island.quarry_spots[0].orientation, 3);
    const auto& before = island.mines;
    const auto& after = loaded.doc.island.mines;
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after[i].x, before[i].x);
        EXPECT_EQ(after[i].y, before[i].y);
        EXPECT_EQ(after[i].building_id, before[i].building_id);
        EXPECT_EQ(after[i].whale, before[i].whale);
        EXPECT_EQ(MineReport(loaded.doc.island), MineReport(island));
    }
    EXPECT_EQ(after[0].symbol_elevation, -5);
    EXPECT_EQ(after[0].visible, 1);
    EXPECT_EQ(after[3].treasure, 2000);
    EXPECT_EQ(after[3].visible, 0);
}

}  // namespace
}  // namespace insel
