// Terrain elements and rivers on fixture islands, checked against values worked out by hand.
#include "core/tools/terrain.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "core/errors.h"
#include "core/simd/terrain_ids.h"
#include "core/tools/rivers.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

// 64 x 64: height 40 + x mod 10 (so 40..49), element 150 at (1, 1), a useful plant at (2, 1).
fixture::IslandSpec Layout() {
    fixture::IslandSpec layout;
    layout.heights = [](int x, int) { return static_cast<std::uint8_t>(40 + x % 10); };
    layout.terrain = [](int x, int y) -> fixture::Element {
        if (x == 1 && y == 1) return {150, 0x3105};
        if (x == 2 && y == 1) return {720 + 16384, 0x3203};
        return {};
    };
    return layout;
}

std::unique_ptr<Editor> Loaded(const fixture::IslandSpec& layout = Layout()) {
    auto editor = std::make_unique<Editor>();
    editor->definitions.terrain_items = {"102,y5x0,11,Eiche", "1001,0030,11,Fels",
                                         "2701,0030,11,Fluss", "2702,3000,11,Fluss O-W"};
    editor->definitions.terrain_numbers = {102, 1001, 2701, 2702};
    editor->definitions.terrain_list = {"102,y5x0,11,Eiche", "1001,0030,11,Fels;255",
                                        "2701,0030,11,Fluss", "2702,3000,11,Fluss O-W"};
    editor->definitions.terrain_colours = {0, 255, 0, 0};
    editor->definitions.river_items = {"2701,0030,11,Fluss", "2702,3000,11,Fluss O-W"};
    test::Load(*editor, fixture::IslandFileBytes(layout), FileKind::Island);
    return editor;
}

// Puts `word` at the cells as one step, the way a user would have.
void Put(Editor& editor, std::initializer_list<std::tuple<int, int, int>> cells) {
    editor.Step("setup", [&] {
        for (const auto& [x, y, word] : cells)
            editor.doc.island.terrain.set(x, y, static_cast<std::uint16_t>(word));
    });
}

int Word(const Editor& e, int x, int y) { return e.doc.island.terrain.get(x, y); }
int Param(const Editor& e, int x, int y) { return e.doc.island.terrain_param.get(x, y); }

TEST(TerrainTexts, TypedWordsIdsAndItems) {
    struct Case {
        const char* growth;
        const char* height;
        int word;
    };
    // y reads as 0 and x as 3: "y5" is 0x05 and "x0" 0x30.
    for (const Case& c : {Case{"y5", "x0", 0x3005}, Case{"0A", "41", 0x410A},
                          Case{"y", "x", 0x0300}, Case{"ff", "x1", 0x31FF}}) {
        EXPECT_EQ(ParseTypedWord(c.growth, c.height), c.word) << c.growth << " " << c.height;
    }
    for (const auto& [growth, height, field] :
         {std::tuple{"zz", "30", "Wachstum"}, std::tuple{"05", "3000", "Höhe"},
          std::tuple{"", "30", "Wachstum"}}) {
        try {
            ParseTypedWord(growth, height);
            ADD_FAILURE() << growth << " " << height << " was taken";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(field), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ParseTerrainId(" 16383 ", "BewuchsIDEdit"), 16383);
    for (const char* bad : {"16384", "-1", "12a", ""})
        EXPECT_THROW(ParseTerrainId(bad, "BewuchsIDEdit"), FormatError) << bad;

    const auto editor = Loaded();
    const TerrainChoice oak = ChooseTerrainItem(editor->definitions, 0);
    EXPECT_EQ(oak.id, 102);
    EXPECT_EQ(oak.growth_text, "y5");
    EXPECT_EQ(oak.height_text, "x0");
    EXPECT_EQ(FindTerrainItem(editor->definitions, 1001), 1);
    EXPECT_EQ(FindTerrainItem(editor->definitions, 5), -1);
    EXPECT_THROW(ChooseTerrainItem(editor->definitions, 4), BoundsError);
}

TEST(TerrainEdit, InsertTakesTheGroundHeightOfTheTopLeftCellForPlants) {
    auto editor = Loaded();
    const int typed = ParseTypedWord("y5", "x0");
    // Plant 102 at orientation 3 over (13..15, 4..5): every cell stands at height(13, 4) = 43.
    ASSERT_TRUE(InsertTerrainStep(*editor, {13, 4, 15, 5}, {102, 3, typed, true}));
    for (int x = 13; x <= 15; ++x) {
        for (int y = 4; y <= 5; ++y) {
            EXPECT_EQ(Word(*editor, x, y), 102 + 3 * 16384);
            EXPECT_EQ(Param(*editor, x, y), 0x05 + 256 * 43);
        }
    }
    EXPECT_EQ(Word(*editor, 16, 4), 0);
    // A rock keeps the typed word; without the adjustment a plant does too.
    InsertTerrainStep(*editor, {20, 20, 20, 20}, {1001, 0, 0x3005, true});
    InsertTerrainStep(*editor, {21, 20, 21, 20}, {102, 0, 0x4107, false});
    EXPECT_EQ(Param(*editor, 20, 20), 0x3005);
    EXPECT_EQ(Param(*editor, 21, 20), 0x4107);
    // Element 5 at orientation 3 is the word 0xC005.
    InsertTerrainStep(*editor, {22, 20, 22, 20}, {5, 3, 0, true});
    EXPECT_EQ(Word(*editor, 22, 20), 0xC005);

    editor->history.Undo(editor->doc, 4);
    EXPECT_EQ(Word(*editor, 13, 4), 0);
    EXPECT_EQ(Word(*editor, 20, 20), 0);
    editor->history.Redo(editor->doc, 1);
    EXPECT_EQ(Param(*editor, 15, 5), 0x05 + 256 * 43);
}

TEST(TerrainEdit, WritesPastTheLayersChangeNothing) {
    auto editor = Loaded();
    EXPECT_THROW(InsertTerrainStep(*editor, {1020, 1020, 1025, 1021}, {102, 0, 0, false}),
                 BoundsError);
    EXPECT_EQ(Word(*editor, 1020, 1020), 0);
    EXPECT_FALSE(editor->history.CanUndo());
    EXPECT_THROW(InsertTerrainStep(*editor, {5, 5, 4, 5}, {102, 0, 0, false}), BoundsError);
    EXPECT_THROW(PlaceRiverStep(*editor, 3, 3, 2701, 0, "00x0"), FormatError);
    EXPECT_EQ(editor->doc.island.river.get(3, 3), 0);
}

// Ids standing in the island for the clear-all table: plant, useful plants at both ends of
// their range, the first protected only by the distribution, the last plant, a rock, a wreck.
constexpr int kIds[] = {150, 700, 759, 760, 999, 1000, 1601};

struct ClearCase {
    ClearOptions options;
    std::vector<int> kept;
};

class ClearAll : public testing::TestWithParam<ClearCase> {};

TEST_P(ClearAll, RemovesWhatTheOptionsChoose) {
    auto editor = Loaded();
    ASSERT_TRUE(editor->Step("setup", [&] {
        for (int i = 0; i < 7; ++i) {
            // Turned elements count by their id.
            editor->doc.island.terrain.set(30 + i, 30,
                                           static_cast<std::uint16_t>(kIds[i] + 16384 * (i % 4)));
            editor->doc.island.terrain_param.set(30 + i, 30, 0x3000);
        }
        editor->doc.island.terrain.set(1, 1, 0);
        editor->doc.island.terrain.set(2, 1, 0);
    }));
    ASSERT_TRUE(ClearTerrainStep(*editor, GetParam().options));
    std::vector<int> kept;
    for (int i = 0; i < 7; ++i) {
        if (Word(*editor, 30 + i, 30) != 0) kept.push_back(kIds[i]);
        EXPECT_EQ(Param(*editor, 30 + i, 30), 0x3000);  // parameters stay
    }
    EXPECT_EQ(kept, GetParam().kept);
    editor->history.Undo(editor->doc);
    EXPECT_EQ(Word(*editor, 36, 30), 1601 + 16384 * 2);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ClearAll,
    testing::Values(ClearCase{{false, false, false}, {}},
                    ClearCase{{false, true, false}, {700, 759}},
                    ClearCase{{false, false, true}, {150, 760, 999, 1000, 1601}},
                    ClearCase{{false, true, true}, {150, 760, 999, 1000, 1601}},
                    ClearCase{{true, false, false}, {1000, 1601}},
                    ClearCase{{true, true, false}, {700, 759, 760, 999, 1000, 1601}},
                    ClearCase{{true, false, true}, {1000, 1601}}));

TEST(TerrainEdit, DeleteReplaceListAndShipwrecks) {
    auto editor = Loaded();
    Put(*editor, {{10, 4, 150 + 2 * 16384},
                  {11, 7, 150},
                  {12, 0, 151},
                  {5, 5, 1601 + 2 * 16384},
                  {6, 5, 16384},
                  {7, 5, 1594},
                  {8, 5, 1604}});
    EXPECT_EQ(1601 + 2 * 16384, 34369);

    // Listing: x outer, y inner; growth and height as two hex digits each.
    ListTerrainIntoTools(editor->tools, editor->doc.island, 150, true);
    EXPECT_EQ(editor->tools.listing, (std::vector<ListingRow>{{"05 31", "1", "1", "41"},
                                                              {"00 00", "10", "4", "40"},
                                                              {"00 00", "11", "7", "41"}}));
    ListTerrainIntoTools(editor->tools, editor->doc.island, 150 + 2 * 16384, false);
    EXPECT_EQ(editor->tools.listing, (std::vector<ListingRow>{{"00 00", "10", "4", "40"}}));
    EXPECT_EQ(editor->tools.terrain.listed_element, 150 + 2 * 16384);

    ASSERT_TRUE(ClearShipwrecksStep(*editor));
    EXPECT_EQ(Word(*editor, 5, 5), 0);
    EXPECT_EQ(Word(*editor, 7, 5), 0);
    EXPECT_EQ(Word(*editor, 6, 5), 16384);
    EXPECT_EQ(Word(*editor, 8, 5), 1604);

    // Replacing drops the orientation; deleting keeps the parameter word.
    ASSERT_TRUE(ReplaceTerrainStep(*editor, 150, 160));
    EXPECT_EQ(Word(*editor, 10, 4), 160);
    EXPECT_EQ(Word(*editor, 12, 0), 151);
    ASSERT_TRUE(DeleteTerrainStep(*editor, 160));
    EXPECT_EQ(Word(*editor, 1, 1), 0);
    EXPECT_EQ(Param(*editor, 1, 1), 0x3105);
    EXPECT_FALSE(DeleteTerrainStep(*editor, 160));  // nothing left: no step

    editor->history.Undo(editor->doc, 3);
    EXPECT_EQ(Word(*editor, 10, 4), 150 + 2 * 16384);
    EXPECT_EQ(Word(*editor, 5, 5), 34369);
}

TEST(TerrainEdit, ClearPlantsOfOneHeightInsideTheBand) {
    auto editor = Loaded();
    Put(*editor, {{2, 3, 101}, {12, 3, 101}, {22, 3, 101}, {12, 9, 101}, {13, 3, 101}});
    // Height 42 is every x with x mod 10 = 2; the band's corners come in any order.
    const auto band = ParseBand("20", "9", " 2", "3");
    ASSERT_TRUE(band);
    ASSERT_TRUE(ClearPlantsStep(*editor, *band, 42));
    EXPECT_EQ(Word(*editor, 2, 3), 0);
    EXPECT_EQ(Word(*editor, 12, 9), 0);
    EXPECT_EQ(Param(*editor, 12, 3), 0);
    EXPECT_EQ(Word(*editor, 22, 3), 101);  // outside the band
    EXPECT_EQ(Word(*editor, 13, 3), 101);  // another height
    editor->history.Undo(editor->doc);
    EXPECT_EQ(Word(*editor, 12, 9), 101);

    EXPECT_FALSE(ParseBand("", "1", "2", "3"));
    try {
        ParseBand("1", "1", "zwei", "3");
        ADD_FAILURE();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("brightx"), std::string::npos);
    }
    EXPECT_THROW(ParseBand("1", "1", "1025", "3"), FormatError);
}

DistributeOptions Scatter(int id, int count) {
    DistributeOptions o;
    o.id = id;
    o.count = count;
    o.min_height = 44;
    o.max_height = 46;
    o.time_limit = std::chrono::milliseconds(200);
    return o;
}

TEST(Distribution, PlacesOnlyWhereTheRulesAllow) {
    auto editor = Loaded();
    editor->Step("setup", [&] {
        ObjectEntry house;
        house.x = 14;
        house.y = 0;
        house.width = 2;
        house.height = 64;
        editor->doc.island.objects.push_back(house);
    });
    std::mt19937 random(7);
    DistributeOptions o = Scatter(1001, 40);
    o.band = Band{40, 50, 4, 10};
    int calls = 0;
    const DistributeResult r = DistributeStep(*editor, o, random, [&](int) {
        ++calls;
        return DistributeSignal::Go;
    });
    EXPECT_EQ(r.placed, 40);
    EXPECT_TRUE(r.message.empty());
    int found = 0;
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int word = Word(*editor, x, y);
            if (TerrainId(word) != 1001) continue;
            ++found;
            EXPECT_TRUE(x >= 4 && x < 40 && y >= 10 && y < 50) << x << "," << y;
            EXPECT_TRUE(x % 10 >= 4 && x % 10 <= 6) << x;  // heights 44..46
            EXPECT_FALSE(x == 14 || x == 15) << "under the object";
            // Without keep_useful the element stands at the ground's height, growth 0.
            EXPECT_EQ(Param(*editor, x, y), 256 * (40 + x % 10));
        }
    }
    // Placed elements may land on cells placed before, with overwrite off they never do.
    EXPECT_EQ(found, 40);
    EXPECT_GE(calls, 40);

    // The same seed gives the same island.
    auto again = Loaded();
    again->Step("setup", [&] { again->doc.island.objects = editor->doc.island.objects; });
    std::mt19937 same(7);
    DistributeStep(*again, o, same, {});
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y) ASSERT_EQ(Word(*again, x, y), Word(*editor, x, y));

    editor->history.Undo(editor->doc);
    for (int x = 0; x < 64; ++x)
        for (int y = 2; y < 64; ++y) ASSERT_EQ(Word(*editor, x, y), 0);
}

TEST(Distribution, EndsAtTheAttemptLimitTheTimerOrTheUser) {
    // Every cell of heights 44..46 taken: 5 x 5 attempts, no message.
    fixture::IslandSpec full = Layout();
    full.terrain = [](int, int) { return fixture::Element{101, 0}; };
    auto editor = Loaded(full);
    std::mt19937 random(1);
    DistributeResult r = DistributeStep(*editor, Scatter(1001, 5), random, {});
    EXPECT_EQ(r.placed, 0);
    EXPECT_EQ(r.attempts, 25);
    EXPECT_FALSE(r.timed_out);
    EXPECT_TRUE(r.message.empty());

    // No cell high enough: only the timer ends it, with the message.
    DistributeOptions too_high = Scatter(1001, 5);
    too_high.min_height = 200;
    too_high.max_height = 100;  // raised to the minimum
    const auto start = std::chrono::steady_clock::now();
    r = DistributeStep(*editor, too_high, random, {});
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(r.timed_out);
    EXPECT_EQ(r.message, kDistributeTimeUpMessage);

    // The window's timer and its "Abbrechen" end it as well; placed elements stay.
    auto fresh = Loaded();
    DistributeOptions slow = Scatter(1001, 1000);
    slow.overwrite = true;
    slow.min_height = 0;
    slow.max_height = 255;
    r = DistributeStep(*fresh, slow, random, [](int placed) {
        return placed == 3 ? DistributeSignal::TimeUp : DistributeSignal::Go;
    });
    EXPECT_EQ(r.placed, 4);
    EXPECT_EQ(r.message, kDistributeTimeUpMessage);
    r = DistributeStep(*fresh, slow, random, [](int placed) {
        return placed == 2 ? DistributeSignal::Cancel : DistributeSignal::Go;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.placed, 2);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(fresh->history.position(), 2u);
}

TEST(Distribution, KeepUsefulProtectsUsefulPlantsAndUsesTheTypedWord) {
    fixture::IslandSpec layout = Layout();
    layout.heights = [](int, int) { return std::uint8_t{45}; };
    layout.terrain = [](int x, int) {
        return fixture::Element{x < 32 ? std::uint16_t(760) : std::uint16_t(600), 0};
    };
    auto editor = Loaded(layout);
    std::mt19937 random(3);
    DistributeOptions o = Scatter(1001, 30);
    o.overwrite = true;
    o.keep_useful = true;
    o.orientation = 2;
    o.typed_word = 0x3A07;
    const DistributeResult r = DistributeStep(*editor, o, random, {});
    EXPECT_EQ(r.placed, 30);
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            if (x < 32) ASSERT_EQ(Word(*editor, x, y), 760);
            if (TerrainId(Word(*editor, x, y)) == 1001) {
                EXPECT_EQ(Word(*editor, x, y), 1001 + 2 * 16384);
                EXPECT_EQ(Param(*editor, x, y), 0x3A07);  // a rock keeps the typed height
            }
        }
    }
}

TEST(TerrainClick, LoadsTheElementAndItsListItem) {
    auto editor = Loaded();
    Put(*editor, {{4, 4, 1001 + 16384}});
    LoadTerrainElementAt(editor->tools, editor->doc.island, editor->definitions, 2, 1);
    ASSERT_TRUE(editor->tools.terrain.clicked);
    EXPECT_EQ(editor->tools.terrain.clicked->id, 720);
    EXPECT_EQ(editor->tools.terrain.clicked->orientation, 1);
    EXPECT_EQ(editor->tools.terrain.clicked->growth, 0x03);
    EXPECT_EQ(editor->tools.terrain.clicked->height, 0x32);
    EXPECT_EQ(editor->tools.terrain.clicked->item, -1);
    LoadTerrainElementAt(editor->tools, editor->doc.island, editor->definitions, 4, 4);
    EXPECT_EQ(editor->tools.terrain.clicked->item, 1);
}

TEST(TerrainColours, AssignedColoursAreSavedInTheEncodingRead) {
    auto editor = Loaded();
    Definitions& d = editor->definitions;
    d.terrain_list[0] = "110,y1x0,11,Laubbaum Schössling";
    d.terrain_encoding = TextEncoding::Windows1252;
    ASSERT_TRUE(AssignTerrainColour(d, 0, 0x00FF80));
    ASSERT_TRUE(AssignTerrainColour(d, 1, 65280));
    EXPECT_FALSE(AssignTerrainColour(d, 9, 1));
    EXPECT_EQ(d.terrain_list[1], "1001,0030,11,Fels;65280");
    EXPECT_EQ(d.terrain_colours[0], 0x00FF80);
    fixture::TempDir dir;
    SaveTerrainList(d, dir.path());
    const TextFile read = ReadTextFile(dir / "Gelaende.txt");
    EXPECT_EQ(read.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(read.lines[0], "110,y1x0,11,Laubbaum Schössling;65408");
}

TEST(Rivers, PlaceLoadAndShowTheWords) {
    auto editor = Loaded();
    const RiverChoice choice = ChooseRiverItem(editor->definitions, 0);
    EXPECT_EQ(choice.id, 2701);
    EXPECT_EQ(choice.id_text, "8D0A  (2701)");
    EXPECT_EQ(choice.size_text, "0030");
    ASSERT_TRUE(PlaceRiverStep(*editor, 5, 6, choice.id, 2, choice.size_text));
    EXPECT_EQ(editor->doc.island.river.get(5, 6), 35469);
    EXPECT_EQ(editor->doc.island.river_param.get(5, 6), 0x3000);

    EXPECT_FALSE(LoadRiverCellAt(editor->tools, editor->doc.island, 5, 7));
    ASSERT_TRUE(LoadRiverCellAt(editor->tools, editor->doc.island, 5, 6));
    const RiverCell& cell = *editor->tools.river.clicked;
    EXPECT_EQ(cell.id_text, "8D0A  (35469)");
    EXPECT_EQ(cell.direction, 2);
    EXPECT_EQ(cell.size_text, "0030  (12288)");
    EXPECT_EQ(FindRiverItem(editor->definitions, cell.id), 0);

    // The loaded text reads back as the same size; "3000" is the other byte order.
    EXPECT_EQ(ParseRiverSize(cell.size_text), 0x3000);
    PlaceRiverStep(*editor, 6, 6, 2702, 0, "3000");
    EXPECT_EQ(editor->doc.island.river_param.get(6, 6), 0x0030);
    for (const char* bad : {"003", "00300", "0g30", ""})
        EXPECT_THROW(ParseRiverSize(bad), FormatError) << bad;

    ASSERT_TRUE(RemoveRiverStep(*editor, 5, 6));
    EXPECT_EQ(editor->doc.island.river.get(5, 6), 0);
    EXPECT_EQ(editor->doc.island.river_param.get(5, 6), 0);
    editor->history.Undo(editor->doc);
    EXPECT_EQ(editor->doc.island.river.get(5, 6), 35469);
}

TEST(Rivers, RemoveAllTakesOnlyTheVisibleCells) {
    auto editor = Loaded();
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{63, 63}, std::pair{20, 10},
                               std::pair{51, 10}, std::pair{20, 42}})
        PlaceRiverStep(*editor, x, y, 2701, 0, "0030");
    // Zoom 32 from (20, 10): 32 x 16 cells, so x 20..51 and y 10..25.
    const VisibleCells part = VisibleRiverCells(32, 20, 10);
    EXPECT_EQ(part.columns, 32);
    EXPECT_EQ(part.rows, 16);
    ASSERT_TRUE(RemoveVisibleRiversStep(*editor, part));
    EXPECT_EQ(editor->doc.island.river.get(20, 10), 0);
    EXPECT_EQ(editor->doc.island.river.get(51, 10), 0);
    EXPECT_NE(editor->doc.island.river.get(20, 42), 0);
    EXPECT_NE(editor->doc.island.river.get(0, 0), 0);
    // The whole-island view covers the island; cells past the layers are skipped.
    ViewState whole;
    const VisibleCells all = VisibleRiverCells(whole, editor->doc.island);
    EXPECT_EQ(all.columns, 64);
    ASSERT_TRUE(RemoveVisibleRiversStep(*editor, all));
    EXPECT_EQ(editor->doc.island.river.get(63, 63), 0);
    EXPECT_EQ(RemoveVisibleRivers(editor->doc.island, {1000, 1000, 64, 64}), 0);
    editor->history.Undo(editor->doc, 2);
    EXPECT_EQ(editor->doc.island.river.get(51, 10), 2701);
}

}  // namespace
}  // namespace insel

namespace insel {
namespace {

// The id kernels against the rule written out cell by cell, over every kind of range.
TEST(TerrainIds, CountAndClearFollowTheRule) {
    std::mt19937 random(9);
    std::vector<std::uint16_t> cells(1025);
    for (auto& c : cells)
        c = static_cast<std::uint16_t>(random() % 4 == 0 ? random() % 4 * 16384 : random());
    for (const auto& [low, high] : {std::pair{0, 16383}, std::pair{700, 759}, std::pair{1594, 1594},
                                    std::pair{0, 999}, std::pair{5, 4}}) {
        for (const bool outside : {false, true}) {
            std::vector<std::uint16_t> expected = cells;
            int hits = 0;
            for (auto& word : expected) {
                const int id = word & 0x3FFF;
                if (word != 0 && (id >= low && id <= high) != outside) {
                    word = 0;
                    ++hits;
                }
            }
            // An odd length leaves a tail after the vector loop; the last word alone decides.
            EXPECT_EQ(simd::AnyIds(cells.data(), 1025, low, high, outside), hits > 0);
            EXPECT_EQ(simd::AnyIds(cells.data() + 1024, 1, low, high, outside),
                      expected[1024] != cells[1024]);
            std::vector<std::uint16_t> cleared = cells;
            simd::ClearIds(cleared.data(), 1025, low, high, outside);
            EXPECT_EQ(cleared, expected) << low << ".." << high << " outside " << outside;
        }
    }
}

}  // namespace
}  // namespace insel
