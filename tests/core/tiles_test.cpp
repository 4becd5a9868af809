// Ground tiles and the block buffer on fixture islands: the field's turns, the stamps and
// floods, series replacement and listing, base patterns, picking, and the block copy, paste
// and file, each change undone and redone through the history.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "core/tools/block_buffer.h"
#include "core/tools/cell_search.h"
#include "core/tools/ground_tiles.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Element;

// 40 x 40: heights x + y (so 0 only at the corner), tiles of series 0C with tile byte
// (x + y) % 4, one plant at (2, 1), one rock at (3, 1), one element of the 800..1500 range
// at (4, 1), a mine at (2, 2) and a quarry spot at (1, 1).
std::unique_ptr<Editor> TileIsland() {
    auto editor = std::make_unique<Editor>();
    // clang-format off
    test::Load(*editor, fixture::IslandFileBytes({.width = 40, .height = 40,
        .heights = [](int x, int y) { return static_cast<std::uint8_t>(x + y); },
        .gfx = [](int x, int y) { return static_cast<std::uint16_t>(0x0C00 + (x + y) % 4); },
        .terrain = [](int x, int y) {
            if (y != 1) return Element{};
            return x == 2 ? Element{0x4000 + 700, 5} : x == 3 ? Element{1600, 6}
                 : x == 4 ? Element{1000, 7} : Element{}; },
        .quarry_spots = {{.x = 1, .y = 1, .orientation = 2}},
        .mines = {{.x = 2, .y = 2, .treasure = 77}}}), FileKind::Island);
    // clang-format on
    return editor;
}

std::uint16_t Gfx(const Editor& e, int x, int y) { return e.doc.island.gfx.get(x, y); }

// The step, then undo gives the island before and redo the island after.
template <class Change>
void ExpectUndoRedo(Editor& e, const char* name, Change change) {
    const IslandMap before = e.doc.island;
    ASSERT_TRUE(e.Step(name, change));
    const IslandMap after = e.doc.island;
    e.history.Undo(e.doc);
    EXPECT_EQ(test::LayerDifference(e.doc.island, before, 1024, 1024), "");
    EXPECT_EQ(e.doc.island.series_usage, before.series_usage);
    EXPECT_EQ(e.doc.island.mines, before.mines);
    e.history.Redo(e.doc);
    EXPECT_EQ(test::LayerDifference(e.doc.island, after, 1024, 1024), "");
    EXPECT_EQ(e.doc.island.series_usage, after.series_usage);
}

// The column searches the tools pass empty stretches with: hits at either end of a stretch,
// in the part after the last whole stretch, and none.
TEST(CellSearch, FirstAndLastWhereAgreeWithLookingCellByCell) {
    for (int n : {0, 1, 31, 32, 33, 64, 100, kLayerSide}) {
        for (int hit : {-1, 0, 31, 32, 63, n - 1}) {
            std::vector<std::uint16_t> cells(static_cast<std::size_t>(n) + 1, 7);
            if (hit >= 0 && hit < n) cells[static_cast<std::size_t>(hit)] = 9;
            cells[static_cast<std::size_t>(n)] = 9;  // past the end: never found
            const auto nine = [](std::uint16_t v) { return v == 9; };
            const bool inside = hit >= 0 && hit < n;
            EXPECT_EQ(FirstWhere(cells.data(), n, nine), inside ? hit : n) << n << " " << hit;
            EXPECT_EQ(LastWhere(cells.data(), n, nine), inside ? hit : -1) << n << " " << hit;
        }
    }
}

TEST(TileField, ComposedBytesFollowRowAndTurn) {
    struct Case {
        const char* rotation;
        const char* offset;
        // bytes[0][0], [2][0], [0][2], [1][1]
        std::array<int, 4> expected;
    };
    // Worked out from tile = base + 32 row + 4 column, the turned corners placed by hand.
    const Case cases[] = {
        {"0", "00", {0x00, 0x08, 0x40, 0x24}},
        {"D", "20", {0x6D, 0x2D, 0x75, 0x51}},  // 90 degrees: top-left shows row 2, column 0
        {"2", "00", {0x4A, 0x42, 0x0A, 0x26}},  // 180 degrees
        {"F", "60", {0x77, 0xB7, 0x6F, 0x93}},  // 270 degrees
    };
    for (const Case& c : cases) {
        ToolState tools;
        ComposeField(tools, "0c", c.rotation, c.offset);
        const auto& b = tools.tiles.bytes;
        EXPECT_EQ((std::array<int, 4>{b[0][0], b[2][0], b[0][2], b[1][1]}), c.expected)
            << c.rotation << "/" << c.offset;
        EXPECT_EQ(tools.tiles.series, 0x0C);
        EXPECT_EQ(tools.tiles.shape, EntryShape::Full);
        EXPECT_EQ(tools.Selection(ToolMode::Tile).width, 3);
    }
    for (auto [series, rotation, offset] : {std::tuple{"0C", "7", "00"},
                                            {"0C", "0", "10"},
                                            {"0C", "0", "80"},
                                            {"zz", "0", "00"},
                                            {"0C", "", "00"},
                                            {"123", "0", "00"}}) {
        ToolState tools;
        ComposeField(tools, "0B", "0", "00");
        EXPECT_THROW(ComposeField(tools, series, rotation, offset), FormatError)
            << series << " " << rotation << " " << offset;
        EXPECT_EQ(tools.tiles.series, 0x0B);
    }
}

TEST(TileField, StampsWriteTheShapeFromTheClickedKey) {
    struct Case {
        EntryShape shape;
        int edit;
        std::vector<std::tuple<int, int, int>> cells;  // dx, dy from (10, 10); field byte k
    };
    // Field row 00, no turn: key k holds byte 32 (k / 3) + 4 (k % 3).
    const Case cases[] = {
        {EntryShape::Single, 4, {{0, 0, 0x24}}},
        {EntryShape::Row, 2, {{0, 0, 0x08}}},
        {EntryShape::Row, 0, {{0, 0, 0x00}, {1, 0, 0x04}, {2, 0, 0x08}}},
        {EntryShape::Row, 4, {{0, 0, 0x24}, {1, 0, 0x28}}},
        {EntryShape::Column, 3, {{0, 0, 0x20}, {0, 1, 0x40}}},
        {EntryShape::Full, 8, {{0, 0, 0x00}, {2, 0, 0x08}, {1, 1, 0x24}, {2, 2, 0x48}}},
    };
    for (const Case& c : cases) {
        auto e = TileIsland();
        ComposeField(e->tools, "0D", "0", "00");
        const IslandMap before = e->doc.island;
        ExpectUndoRedo(*e, "Untergrund",
                       [&] { StampField(e->doc.island, e->tools.tiles, 10, 10, c.shape, c.edit); });
        int changed = 0;
        for (int x = 8; x < 15; ++x) {
            for (int y = 8; y < 15; ++y) changed += Gfx(*e, x, y) != before.gfx.get(x, y);
        }
        const int expected_cells =
            c.shape == EntryShape::Full ? 9 : static_cast<int>(c.cells.size());
        EXPECT_EQ(changed, expected_cells) << static_cast<int>(c.shape) << " from " << c.edit;
        for (auto [dx, dy, byte] : c.cells) EXPECT_EQ(Gfx(*e, 10 + dx, 10 + dy), 0x0D00 + byte);
    }
}

TEST(TileField, FramesAndFloodsStampTheFirstThreeColumnsAndRows) {
    auto e = TileIsland();
    ComposeField(e->tools, "0D", "0", "00");
    // A 5 x 5 frame gets the field in its top-left 3 x 3 only.
    e->Step("Untergrund", [&] { StampFrameField(e->doc.island, e->tools.tiles, {5, 5, 9, 9}); });
    EXPECT_EQ(Gfx(*e, 7, 7), 0x0D48);
    EXPECT_EQ(Gfx(*e, 8, 5) >> 8, 0x0C);
    EXPECT_EQ(Gfx(*e, 5, 8) >> 8, 0x0C);

    // Two by two copies of a 3 x 3 frame fill the 6 x 6 square edge to edge.
    e = TileIsland();
    ComposeField(e->tools, "0D", "0", "00");
    ExpectUndoRedo(*e, "DoIt", [&] {
        EXPECT_TRUE(FloodField(e->doc.island, e->tools.tiles, 20, 20, 3, 3, 2, 2));
    });
    for (int x = 19; x <= 26; ++x) {
        for (int y = 19; y <= 26; ++y) {
            const bool inside = x >= 20 && x < 26 && y >= 20 && y < 26;
            EXPECT_EQ(Gfx(*e, x, y) >> 8, inside ? 0x0D : 0x0C) << x << ", " << y;
        }
    }
    EXPECT_EQ(Gfx(*e, 23, 23), 0x0D00);
    EXPECT_EQ(Gfx(*e, 25, 25), 0x0D48);
    // A 4 x 1 frame leaves a gap column between its copies.
    EXPECT_TRUE(FloodField(e->doc.island, e->tools.tiles, 0, 30, 4, 1, 2, 1));
    EXPECT_EQ(Gfx(*e, 3, 30) >> 8, 0x0C);
    EXPECT_EQ(Gfx(*e, 4, 30), 0x0D00);
    // A 3 x 4 frame leaves a gap row between its copies down.
    EXPECT_TRUE(FloodField(e->doc.island, e->tools.tiles, 40, 40, 3, 4, 1, 2));
    EXPECT_EQ(Gfx(*e, 41, 41), Gfx(*e, 41, 45));
    EXPECT_EQ(Gfx(*e, 42, 42), 0x0D48);
    EXPECT_EQ(Gfx(*e, 42, 46), 0x0D48);
    EXPECT_NE(Gfx(*e, 41, 43) >> 8, 0x0D);
    EXPECT_NE(Gfx(*e, 41, 47) >> 8, 0x0D);
    EXPECT_FALSE(FloodField(e->doc.island, e->tools.tiles, 0, 30, 3, 3, 0, 2));
    EXPECT_FALSE(FloodField(e->doc.island, e->tools.tiles, 0, 30, 3, 3, 2, 0));
}

TEST(TileField, WritesPastTheLayersAreRefusedWhole) {
    auto e = TileIsland();
    ComposeField(e->tools, "0D", "0", "00");
    e->tools.tiles.series = 0x0D;
    const IslandMap before = e->doc.island;
    const auto tries = std::vector<std::function<void()>>{
        [&] { FloodField(e->doc.island, e->tools.tiles, 1020, 0, 3, 3, 2, 1); },
        [&] { StampField(e->doc.island, e->tools.tiles, 1023, 5, EntryShape::Full, 0); },
        [&] { StampField(e->doc.island, e->tools.tiles, 5, 1024, EntryShape::Column, 0); },
        [&] {
            StampFrameField(e->doc.island, e->tools.tiles, {-1, 0, 1, 2});
        },
    };
    for (const auto& attempt : tries) {
        EXPECT_THROW(e->Step("Untergrund", attempt), BoundsError);
        EXPECT_EQ(test::LayerDifference(e->doc.island, before, 1024, 1024), "");
        EXPECT_EQ(e->doc.island.series_usage, before.series_usage);
    }
    EXPECT_FALSE(e->history.CanUndo());
}

TEST(TileSeries, ReplaceKeepsTheTileBytesAndMovesTheUsage) {
    auto e = TileIsland();
    const auto usage = e->doc.island.series_usage;
    ExpectUndoRedo(*e, "Replace with",
                   [&] { EXPECT_EQ(ReplaceSeries(e->doc.island, 0x0C, 0x0D), 1600); });
    EXPECT_EQ(Gfx(*e, 3, 4), 0x0D03);
    EXPECT_EQ(Gfx(*e, 39, 39), 0x0D02);
    EXPECT_EQ(e->doc.island.series_usage[0x0D - 11], usage[0x0D - 11] + 1600);
    EXPECT_EQ(e->doc.island.series_usage[0x0C - 11], usage[0x0C - 11] - 1600);
    EXPECT_EQ(ReplaceSeries(e->doc.island, 0x0C, 0x0E), 0);
}

TEST(TileSeries, ListingGoesColumnByColumnOverTheIsland) {
    auto e = TileIsland();
    StampField(e->doc.island, {.bytes = {{{0x6D}}}, .series = 0x20}, 5, 3, EntryShape::Single, 0);
    StampField(e->doc.island, {.bytes = {{{0x01}}}, .series = 0x20}, 2, 9, EntryShape::Single, 0);
    e->doc.island.gfx.set(45, 45, 0x2000);  // outside the 40 x 40 island
    const SeriesListing listing = ListSeriesCells(e->doc.island, "20");
    ASSERT_TRUE(listing.listed);
    EXPECT_EQ(listing.series, 0x20);
    EXPECT_EQ(listing.rows,
              (std::vector<ListingRow>{{"01", "2", "9", "11"}, {"6D", "5", "3", "8"}}));
    EXPECT_FALSE(ListSeriesCells(e->doc.island, "2").listed);
    EXPECT_FALSE(ListSeriesCells(e->doc.island, "200").listed);
    EXPECT_THROW(ListSeriesCells(e->doc.island, "2x"), FormatError);
}

TEST(TileSeries, BasePatternsFillByTheHeightRule) {
    const std::string pattern =
        "Hibyte 15 top 65 33 01 middle 69 37 05 bottom 73 41 09  Wiese, gedreht 90";
    struct Case {
        FillWhere where;
        int threshold;
        std::vector<std::pair<int, int>> filled, kept;  // cells; heights are x + y
    };
    const Case cases[] = {
        {FillWhere::All, 0, {{0, 0}, {5, 7}, {39, 39}, {1000, 1000}}, {}},
        // Outside the island the height is 0 as well.
        {FillWhere::HeightZero, 0, {{0, 0}, {1000, 1000}, {40, 0}}, {{1, 0}, {5, 7}}},
        {FillWhere::Above, 20, {{20, 1}, {39, 39}}, {{10, 10}, {0, 0}, {1000, 1000}}},
        {FillWhere::Below, 3, {{0, 2}, {1000, 1000}}, {{1, 2}, {30, 30}}},
    };
    for (const Case& c : cases) {
        auto e = TileIsland();
        const IslandMap before = e->doc.island;
        ExpectUndoRedo(*e, "Fill Global", [&] {
            EXPECT_EQ(FillBase(e->doc.island, e->tools.tiles, pattern, c.where, c.threshold), "");
        });
        for (auto [x, y] : c.filled) {
            // Pattern rows are y mod 3, the three numbers of a row x mod 3.
            const int bytes[3][3] = {{65, 69, 73}, {33, 37, 41}, {1, 5, 9}};
            EXPECT_EQ(Gfx(*e, x, y), 15 * 256 + bytes[x % 3][y % 3]) << x << ", " << y;
        }
        for (auto [x, y] : c.kept) EXPECT_EQ(Gfx(*e, x, y), before.gfx.get(x, y)) << x << ", " << y;
        EXPECT_EQ(e->tools.tiles.bytes[1][2], 41);
    }
    for (const char* faulty :
         {"Aufbau: Hibyte (Serie dezimal) top/middle/bottom", "Hibyte 15 top 65 33",
          "Hibyte xx top 00 04 08 middle 32 36 40 bottom 64 68 72",
          "Hibyte 15 top 00 04 08 middle 32 3 40 bottom 64 68 72", ""}) {
        auto e = TileIsland();
        const IslandMap before = e->doc.island;
        const TileField field = e->tools.tiles;
        EXPECT_FALSE(e->Step("Fill Global", [&] {
            EXPECT_EQ(FillBase(e->doc.island, e->tools.tiles, faulty, FillWhere::All, 0),
                      "Faulty GFX.txt structure");
        }));
        EXPECT_EQ(test::LayerDifference(e->doc.island, before, 1024, 1024), "") << faulty;
        EXPECT_EQ(e->tools.tiles.bytes, field.bytes);
    }
}

TEST(TilePick, TheClickedTileGivesItsFieldFromTheList) {
    Definitions definitions;
    definitions.gfx_items = {"x",
                             "0B 00 Meer",
                             "0C 00 oben links",
                             "0C 0C oben rechts",
                             "0C 60 unten links",
                             "0C 6C unten rechts"};
    struct Case {
        std::uint16_t tile;
        int item, offset, rotation;
    };
    const Case cases[] = {
        {0x0C6D, 5, 0x60, 0x0D},  // bottom right, turned once: rotation D in row 60
        {0x0C02, 2, 0x00, 0x02},  // top left
        {0x0C0F, 3, 0x00, 0x0F},  // column 3: right
        {0x0C43, 2, 0x00, 0x03},  // row 2 is still the top half
    };
    for (const Case& c : cases) {
        auto e = TileIsland();
        e->doc.island.gfx.set(7, 8, c.tile);
        ASSERT_TRUE(PickTileField(e->tools, e->doc.island, definitions, 7, 8, true)) << c.tile;
        const TileField& f = e->tools.tiles;
        EXPECT_EQ(f.picked_item, c.item);
        EXPECT_EQ(f.search_text, "0C");
        EXPECT_EQ(std::tuple(f.series, f.offset, f.rotation),
                  std::tuple(0x0C, c.offset, c.rotation));
        EXPECT_EQ(f.bytes, FieldBytes(c.offset, c.rotation));
    }
    // Not listed: a series without lines, or columns 6 and 7 of a listed series.
    for (std::uint16_t tile :
         {std::uint16_t{0x2000}, std::uint16_t{0x0C18}, std::uint16_t{0x0C1C}}) {
        auto e = TileIsland();
        e->doc.island.gfx.set(7, 8, tile);
        const TileField before = e->tools.tiles;
        EXPECT_FALSE(PickTileField(e->tools, e->doc.island, definitions, 7, 8, true)) << tile;
        EXPECT_EQ(e->tools.tiles.bytes, before.bytes);
        EXPECT_EQ(e->tools.tiles.series, before.series);
    }
    // Without the fill box the field stays; only the list choice follows the click.
    auto e = TileIsland();
    e->doc.island.gfx.set(7, 8, 0x0C6D);
    EXPECT_TRUE(PickTileField(e->tools, e->doc.island, definitions, 7, 8, false));
    EXPECT_EQ(e->tools.tiles.picked_item, 5);
    EXPECT_EQ(e->tools.tiles.series, 0);
}

BlockBuffer CopiedBlock(const Editor& e) {
    BlockBuffer b;
    CopyBlock(b, e.doc.island, 1, 1, 3, 2, true, true);
    return b;
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST(BlockBuffer, CopyTakesEveryLayerAndTheMinesAndSpotsInside) {
    auto e = TileIsland();
    const BlockBuffer b = CopiedBlock(*e);
    EXPECT_EQ(std::tuple(b.width, b.height), std::tuple(3, 2));
    EXPECT_EQ(b.heights[b.Index(1, 0)], 3);  // cell (2, 1)
    EXPECT_EQ(b.terrain[b.Index(1, 0)], 0x4000 + 700);
    EXPECT_EQ(b.terrain_param[b.Index(2, 0)], 6);
    EXPECT_EQ(b.gfx[b.Index(2, 1)], 0x0C01);  // cell (3, 2): (3 + 2) % 4
    ASSERT_EQ(b.mines.size(), 1u);
    EXPECT_EQ(std::tuple(b.mines[0].x, b.mines[0].y, b.mines[0].treasure), std::tuple(1, 1, 77));
    ASSERT_EQ(b.quarry_spots.size(), 1u);
    EXPECT_EQ(std::tuple(b.quarry_spots[0].x, b.quarry_spots[0].orientation), std::tuple(0, 2));
    BlockBuffer without;
    CopyBlock(without, e->doc.island, 1, 1, 3, 2, false, false);
    EXPECT_TRUE(without.mines.empty() && without.quarry_spots.empty());
    BlockBuffer kept = b;
    EXPECT_THROW(CopyBlock(kept, e->doc.island, 1023, 0, 3, 2, true, true), BoundsError);
    EXPECT_EQ(kept, b);
}

TEST(BlockBuffer, TheFileHoldsSevenLinesACellAndReadsBackTheSame) {
    auto e = TileIsland();
    BlockBuffer b = CopiedBlock(*e);
    b.comment = "Ecke\r\nSüd";
    const std::vector<std::string> lines = TextLines(BlockText(b));
    ASSERT_EQ(lines.size(), 46u + 2);
    EXPECT_EQ(lines[0], "Rechteckblock");
    EXPECT_EQ(lines[1], "Ecke  Süd");
    EXPECT_EQ(lines[2], "3");
    EXPECT_EQ(lines[3], "2");
    // Cell (0, 1) of the block is island cell (1, 2): height 3, tile 0C03, fertility 10.
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.begin() + 14),
              (std::vector<std::string>{"3", std::to_string(0x0C03), "10"}));
    EXPECT_EQ(lines[46], "Mine,1,1,25559040,1075445760,26,77");
    EXPECT_EQ(lines[47], "Abbau,0,0,0,2");

    fixture::TempDir dir;
    SaveBlockFile(b, dir / "Inselblock.txt");
    ToolState tools;
    tools.mode = ToolMode::BlockBuffer;
    LoadBlockFile(tools, dir / "Inselblock.txt");
    b.comment = "Ecke  Süd";
    b.left = b.top = 0;
    EXPECT_EQ(tools.block_buffer, b);
    EXPECT_TRUE(tools.frame_size_locked);
    EXPECT_EQ(tools.spins, (SelectionRect{0, 0, 3, 2}));

    // Without CR the same; lines other than mines and spots after the cells are passed over.
    std::string text = BlockText(b) + "Notiz\r\n";
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(ParseBlockText(text), b);
    ClearBlock(tools);
    EXPECT_TRUE(tools.block_buffer.empty());
    EXPECT_FALSE(tools.frame_size_locked);
    EXPECT_EQ(tools.spins.width, 1);
}

TEST(BlockBuffer, FaultyFilesAreRefusedNamingTheLineAndTheBufferStays) {
    auto e = TileIsland();
    const std::string good = BlockText(CopiedBlock(*e));
    auto replaced = [&](std::size_t line, const std::string& with) {
        std::vector<std::string> lines = TextLines(good);
        lines[line - 1] = with;
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        return text;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"Blockanfang\r\n", "Fehler: Kein Insel-Blockformat"},
        {"", "Fehler: Kein Insel-Blockformat"},
        {good.substr(0, good.find("\r\n10\r\n") + 2), "line 7: the block file ends early"},
        {replaced(9, "12a"), "line 9: \"12a\" is not a number"},
        {replaced(5, ""), "line 5: \"\" is not a number"},
        {replaced(5, "256"), "line 5: 256 is outside 0 to 255"},
        {replaced(6, "-1"), "line 6: -1 is outside 0 to 65535"},
        {replaced(3, "2000"), "line 3: 2000 is outside 0 to 1025"},
        {replaced(47, "Mine,1,x,3"), "line 47: \"x\" is not a number"},
        {replaced(48, "Abbau,1,2"), "line 48: \"Abbau,1,2\" holds fewer than 4 numbers"},
    };
    fixture::TempDir dir;
    for (const auto& [text, message] : cases) {
        std::ofstream(dir / "b.txt", std::ios::binary) << text;
        ToolState tools;
        tools.block_buffer = CopiedBlock(*e);
        const BlockBuffer before = tools.block_buffer;
        try {
            LoadBlockFile(tools, dir / "b.txt");
            ADD_FAILURE() << "accepted: " << message;
        } catch (const FormatError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos)
                << error.what() << " / " << message;
        }
        EXPECT_EQ(tools.block_buffer, before);
        EXPECT_FALSE(tools.frame_size_locked);
    }
    ToolState tools;
    EXPECT_THROW(LoadBlockFile(tools, dir / "missing.txt"), FileError);
}

TEST(BlockBuffer, PasteTilesEdgeToEdgeWithTheMinesOncePerCopy) {
    auto e = TileIsland();
    const BlockBuffer b = CopiedBlock(*e);
    const std::size_t mines = e->doc.island.mines.size(), spots = e->doc.island.quarry_spots.size();
    ExpectUndoRedo(*e, "Buffer n*m  mal einfügen",
                   [&] { EXPECT_TRUE(PasteBlock(e->doc.island, b, 10, 20, 3, 2, {})); });
    // Copy (i, j) starts at (10 + 3i, 20 + 2j); block cell (1, 0) is the plant of (2, 1).
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            const int x = 10 + 3 * i, y = 20 + 2 * j;
            EXPECT_EQ(e->doc.island.height.get(x + 1, y), 3);
            EXPECT_EQ(e->doc.island.terrain.get(x + 1, y), 0x4000 + 700);
            EXPECT_EQ(e->doc.island.terrain.get(x + 2, y), 1600);  // the rock
            EXPECT_EQ(e->doc.island.gfx.get(x + 2, y + 1), 0x0C01);
        }
    }
    EXPECT_EQ(e->doc.island.height.get(19, 20), 39);  // just right of the last copy
    ASSERT_EQ(e->doc.island.mines.size(), mines + 6);
    const MineRecord& last = e->doc.island.mines.back();
    EXPECT_EQ(std::tuple(DecodeCellFloat(last.x), DecodeCellFloat(last.y), last.treasure),
              std::tuple(16 + 1, 22 + 1, 77));
    EXPECT_EQ(e->doc.island.quarry_spots.size(), spots + 6);
    EXPECT_EQ(e->doc.island.quarry_spots.back().x, 16u);
    e->history.Undo(e->doc);
    EXPECT_EQ(e->doc.island.mines.size(), mines);
    EXPECT_EQ(e->doc.island.quarry_spots.size(), spots);
}

TEST(BlockBuffer, PasteOptionsChooseLayersAndElements) {
    auto e = TileIsland();
    BlockBuffer b;
    CopyBlock(b, e->doc.island, 0, 0, 6, 2, true, true);  // (0, 0) has height 0
    struct Case {
        PasteOptions options;
        // At the target (x0 = 20, y0 = 30): height of (20, 30), element of (21, 30) (an empty
        // buffered cell), of (22, 31) (the plant), (23, 31) (rock), (24, 31) (800..1500).
        int height, empty, plant, rock, middle;
    };
    // The target before: heights x + y, elements none; we place markers first.
    const Case cases[] = {
        {{}, 0, 0, 0x4000 + 700, 1600, 55},
        {{.gfx = false, .terrain = false, .fertility = false, .zero_height = false},
         50,
         55,
         55,
         55,
         55},
        {{.plants = false}, 0, 55, 55, 1600, 55},
        {{.plants = false, .skip_empty = false}, 0, 0, 55, 1600, 55},
        {{.rocks = false}, 0, 0, 0x4000 + 700, 55, 55},
        {{.heights = false}, 50, 0, 0x4000 + 700, 1600, 55},
    };
    for (const Case& c : cases) {
        auto t = TileIsland();
        for (auto [x, y] : {std::pair{21, 30}, {22, 31}, {23, 31}, {24, 31}})
            t->doc.island.terrain.set(x, y, 55);
        ASSERT_TRUE(PasteBlock(t->doc.island, b, 20, 30, 1, 1, c.options));
        const auto& isl = t->doc.island;
        EXPECT_EQ((std::array<int, 5>{isl.height.get(20, 30), isl.terrain.get(21, 30),
                                      isl.terrain.get(22, 31), isl.terrain.get(23, 31),
                                      isl.terrain.get(24, 31)}),
                  (std::array<int, 5>{c.height, c.empty, c.plant, c.rock, c.middle}));
    }
    // Only heights, height-0 cells left out: the target keeps its height there.
    auto t = TileIsland();
    PasteBlock(t->doc.island, b, 20, 30, 1, 1,
               {.gfx = false, .terrain = false, .fertility = false, .zero_height = false});
    EXPECT_EQ(t->doc.island.height.get(20, 30), 50);
    EXPECT_EQ(t->doc.island.height.get(21, 30), 1);
    EXPECT_FALSE(PasteBlock(t->doc.island, BlockBuffer{}, 0, 0, 1, 1, {}));
}

// Pastes over most of the layers are kept by the history as whole layers.
TEST(BlockBuffer, PastesOverMostOfTheLayersUndoWholeAndThoseThatChangeNothingAreNoStep) {
    auto e = TileIsland();
    BlockBuffer b;
    CopyBlock(b, e->doc.island, 0, 0, 40, 40, true, true);
    ExpectUndoRedo(*e, "Buffer n*m  mal einfügen",
                   [&] { EXPECT_TRUE(PasteBlock(e->doc.island, b, 3, 5, 26, 26, {})); });
    EXPECT_EQ(e->doc.island.height.get(3 + 40 + 7, 5 + 2), 9);
    IslandMap recounted = e->doc.island;
    recounted.RecountBlockCounts();
    EXPECT_EQ(e->doc.island.block_height_counts, recounted.block_height_counts);
    EXPECT_EQ(e->doc.island.block_fertility_counts, recounted.block_fertility_counts);

    // Cleared cells from beyond the island pasted over cleared cells beyond it.
    auto t = TileIsland();
    BlockBuffer empty;
    CopyBlock(empty, t->doc.island, 200, 200, 40, 40, false, false);
    EXPECT_FALSE(t->Step("Buffer n*m  mal einfügen",
                         [&] { PasteBlock(t->doc.island, empty, 40, 0, 25, 26, {}); }));
    EXPECT_FALSE(t->history.CanUndo());
}

TEST(BlockBuffer, PasteAtTheEdgeLeavesOutWhatLiesBeyond) {
    auto e = TileIsland();
    const BlockBuffer b = CopiedBlock(*e);
    const std::size_t mines = e->doc.island.mines.size();
    ExpectUndoRedo(*e, "An diese Stelle Buffer einfügen",
                   [&] { EXPECT_TRUE(PasteBlock(e->doc.island, b, 1023, 1023, 2, 1, {})); });
    EXPECT_EQ(e->doc.island.height.get(1023, 1023), 2);
    EXPECT_EQ(e->doc.island.height.get(1024, 1024), 4);
    // The mine would land at (1024, 1024): inside. The second copy lies wholly beyond.
    EXPECT_EQ(e->doc.island.mines.size(), mines + 1);
}

}  // namespace
}  // namespace insel
