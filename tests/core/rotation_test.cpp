// The quarter turn of the island: where each kind of content lands, what four turns give back,
// and the refusal for islands that are not square.
#include "core/tools/rotation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_helpers.h"

namespace insel {
namespace {

constexpr int kSide = 100;

// A footprint 2 across and 3 along, the only element the terrain list sizes.
void DefineElements(Editor& e) {
    e.definitions.terrain_list = {"1234,y1x0,23,Fels", "1235,y1x0,1x,Kaputt"};
    e.definitions.buildings_by_id[100] = {23, 0};
}

bool Turn(Editor& e) {
    std::string message;
    const bool changed =
        e.Step(kQuarterTurnStep, [&] { message = RotateQuarter(e.doc, e.definitions, e.status); });
    EXPECT_EQ(message, "");
    return changed;
}

std::unique_ptr<Editor> SquareEditor() {
    auto e = test::ShownIsland(kSide, kSide);
    e->doc.loaded = true;
    DefineElements(*e);
    e->StartHistory();
    return e;
}

TEST(QuarterTurn, MovesEachKindOfContentToItsTurnedPlace) {
    auto e = SquareEditor();
    IslandMap& island = e->doc.island;
    e->Step("fill", [&] {
        island.height.set(3, 7, 55);
        island.fertility.set(3, 7, 4);
        island.gfx.set(0, 0, 0x0C03);
        island.gfx.set(1, 0, 0x0024);  // a plain tile looks the same turned
        island.gfx.set(2, 0, 0x0124);  // not plain: the high byte is set
        island.terrain.set(10, 4, 1234);
        island.terrain_param.set(10, 4, 77);
        island.terrain.set(50, 98, 0x4000 | 1234);  // turns to an even orientation: 3 along x
        island.river.set(5, 6, 2701);
        island.river_param.set(5, 6, 0x30);
        island.mines.push_back({.y = EncodeCellFloat(20), .x = EncodeCellFloat(10)});
        island.quarry_spots.push_back({.orientation = 0, .y = 40, .x = 12});
        island.quarry_spots.push_back({.orientation = 1, .y = 30, .x = 20});
        island.animals.push_back({1, 2, 3, 4});
        island.objects.push_back({.id_word = 0x8000 | 100,
                                  .graphic_id = 100,
                                  .orientation = 2,
                                  .x = 40,
                                  .y = 7,
                                  .width = 2,
                                  .height = 3});
        island.objects.push_back(
            {.id_word = 821, .graphic_id = 821, .x = 5, .y = 6, .market_x = 20, .market_y = 30});
        CityRecord city;
        city.buildings.push_back({.record_length = 41,
                                  .x = 40,
                                  .y = 7,
                                  .size_x = 2,
                                  .size_y = 3,
                                  .market1 = 20,
                                  .market2 = 30});
        city.buildings.push_back({.record_length = 41, .x = 70, .y = 70});  // no object there
        e->doc.cities.cities.push_back(city);
    });
    e->status.memo2 = {"Laden"};
    ASSERT_TRUE(Turn(*e));

    EXPECT_EQ(island.height.get(92, 3), 55);
    EXPECT_EQ(island.height.get(3, 7), 0);
    EXPECT_EQ(island.fertility.get(92, 3), 4);
    EXPECT_EQ(island.gfx.get(99, 0), 0x0C00);
    EXPECT_EQ(island.gfx.get(99, 1), 0x0024);
    EXPECT_EQ(island.gfx.get(99, 2), 0x0125);
    // Orientation 1 is odd, so the element reaches 2 cells across: (100 - 2 - 4, 10).
    EXPECT_EQ(island.terrain.get(94, 10), 0x4000 | 1234);
    EXPECT_EQ(island.terrain_param.get(94, 10), 77);
    EXPECT_EQ(island.terrain.get(10, 4), 0);
    EXPECT_EQ(island.terrain.get(0, 50), 0);  // (100 - 3 - 98) = -1: left out, and logged
    EXPECT_EQ(island.river.get(93, 5), 0x4000 | 2701);
    EXPECT_EQ(island.river_param.get(93, 5), 0x30);
    EXPECT_EQ(DecodeCellFloat(island.mines[0].x), 79);
    EXPECT_EQ(DecodeCellFloat(island.mines[0].y), 10);
    EXPECT_EQ(island.quarry_spots[0].x, 57u);
    EXPECT_EQ(island.quarry_spots[0].y, 12u);
    EXPECT_EQ(island.quarry_spots[0].orientation, 1);
    EXPECT_EQ(island.quarry_spots[1].x, 66u);  // even orientations go one cell further
    EXPECT_EQ(island.quarry_spots[1].orientation, 2);
    EXPECT_EQ(island.animals[0], (AnimalEntry{97, 1, 3, 4}));
    const ObjectEntry& building = island.objects[0];
    EXPECT_EQ(building.x, 90);
    EXPECT_EQ(building.y, 40);
    EXPECT_EQ(building.width, 3);
    EXPECT_EQ(building.height, 2);
    EXPECT_EQ(building.orientation, 3);
    EXPECT_EQ(building.id_word, 0xC000 | 100);
    EXPECT_EQ(island.objects[1].market_x, 69);
    EXPECT_EQ(island.objects[1].market_y, 20);
    const BuildingEntry& entry = e->doc.cities.cities[0].buildings[0];
    EXPECT_EQ(entry.x, 90);
    EXPECT_EQ(entry.y, 40);
    EXPECT_EQ(entry.size_x, 3);
    EXPECT_EQ(entry.size_y, 2);
    EXPECT_EQ(entry.market1, 69);
    EXPECT_EQ(entry.market2, 20);
    EXPECT_EQ(e->doc.cities.cities[0].buildings[1].x, 70);

    const LogLines expected = {
        "Element 17618 alt 50, 98 neu -1, 50 liegt ausserhalb der Insel und entfaellt",
        "2701  alt 5, 6  19085 neu 93, 5",
        "alt xy 40,7  neu xy 90,40    100,  1",
    };
    EXPECT_EQ(e->status.memo3, expected);
    EXPECT_TRUE(e->status.memo2.empty());
    EXPECT_EQ(e->doc.island.rotation_angle, 1);

    e->history.Undo(e->doc);
    EXPECT_EQ(island.height.get(3, 7), 55);
    EXPECT_EQ(island.terrain.get(50, 98), 0x4000 | 1234);
    EXPECT_EQ(island.objects[0].x, 40);
    EXPECT_EQ(e->doc.island.rotation_angle, 0);
    e->history.Redo(e->doc);
    EXPECT_EQ(island.height.get(92, 3), 55);
    EXPECT_EQ(e->doc.island.rotation_angle, 1);
}

TEST(QuarterTurn, FourTurnsGiveTheIslandBackExactly) {
    fixture::IslandSpec plan = test::RichIsland();
    plan.width = plan.height = kSide;
    const auto bytes = fixture::IslandFileBytes(plan);
    Editor e, original;
    DefineElements(e);
    DefineElements(original);
    test::Load(e, bytes, FileKind::Island);
    test::Load(original, bytes, FileKind::Island);
    auto put_element = [](Editor& editor) {
        editor.Step("put", [&] {
            editor.doc.island.terrain.set(10, 4, 1234);
            editor.doc.island.terrain_param.set(10, 4, 9);
        });
    };
    put_element(e);
    put_element(original);
    for (int turn = 1; turn <= 4; ++turn) {
        ASSERT_TRUE(Turn(e));
        EXPECT_EQ(e.doc.island.rotation_angle, turn % 4);
        if (turn == 1) EXPECT_EQ(e.doc.island.terrain.get(94, 10), 0x4000 | 1234);
    }
    const IslandMap& a = original.doc.island;
    const IslandMap& b = e.doc.island;
    EXPECT_EQ(test::LayerDifference(a, b, kSide, kSide), "");
    EXPECT_EQ(b.mines, a.mines);
    EXPECT_EQ(b.quarry_spots, a.quarry_spots);
    EXPECT_EQ(b.animals, a.animals);
    EXPECT_EQ(b.objects, a.objects);
    EXPECT_EQ(b.block_height_counts, a.block_height_counts);
    EXPECT_EQ(b.series_usage, a.series_usage);
    e.history.Undo(e.doc, 1);
    EXPECT_EQ(e.doc.island.rotation_angle, 3);

    // Undone, the turns give back the island before them; two turns in one step as well.
    const auto expect_original = [&] {
        EXPECT_EQ(test::LayerDifference(a, b, kSide, kSide), "");
        EXPECT_EQ(b.block_height_counts, a.block_height_counts);
        EXPECT_EQ(b.block_fertility_counts, a.block_fertility_counts);
        EXPECT_EQ(b.series_usage, a.series_usage);
    };
    e.history.Undo(e.doc, 3);
    expect_original();
    e.Step("twice", [&] {
        RotateQuarter(e.doc, e.definitions, e.status);
        RotateQuarter(e.doc, e.definitions, e.status);
    });
    EXPECT_EQ(b.height.get(kSide - 1 - 3, kSide - 1 - 7), a.height.get(3, 7));
    EXPECT_EQ(b.rotation_angle, 2);
    e.history.Undo(e.doc);
    expect_original();
    EXPECT_EQ(b.rotation_angle, 0);
}

// The angle is the document's: steps the history drops to fit its memory take no turns with
// them, and a load starts again from 0.
TEST(QuarterTurn, TheAngleOutlivesDroppedStepsAndALoadResetsIt) {
    fixture::IslandSpec plan = test::RichIsland();
    plan.width = plan.height = kSide;
    const auto bytes = fixture::IslandFileBytes(plan);
    Editor e;
    DefineElements(e);
    test::Load(e, bytes, FileKind::Island);
    e.history.SetLimit(1);  // the newest step alone stays
    for (int turn = 1; turn <= 6; ++turn) ASSERT_TRUE(Turn(e));
    EXPECT_EQ(e.history.size(), 1u);
    EXPECT_EQ(e.doc.island.rotation_angle, 2);
    e.history.Undo(e.doc);
    EXPECT_EQ(e.doc.island.rotation_angle, 1);
    ASSERT_TRUE(Turn(e));
    ASSERT_TRUE(Turn(e));
    test::Load(e, bytes, FileKind::Island);
    EXPECT_EQ(e.doc.island.rotation_angle, 0);
}

TEST(QuarterTurn, IslandsThatAreNotSquareAreRefusedUntouched) {
    Editor e;
    const auto bytes = fixture::IslandFileBytes(test::RichIsland());  // 100 x 72
    test::Load(e, bytes, FileKind::Island);
    Editor original;
    test::Load(original, bytes, FileKind::Island);
    std::string message;
    EXPECT_FALSE(
        e.Step(kQuarterTurnStep, [&] { message = RotateQuarter(e.doc, e.definitions, e.status); }));
    EXPECT_EQ(message, "Only square islands can be turned; this island is 100 x 72 cells.");
    EXPECT_EQ(test::LayerDifference(original.doc.island, e.doc.island, 100, 72), "");
    EXPECT_EQ(e.doc.island.mines, original.doc.island.mines);
    EXPECT_EQ(e.doc.island.rotation_angle, 0);
    // Nothing loaded: nothing to turn, and nothing said.
    Editor empty;
    EXPECT_EQ(RotateQuarter(empty.doc, empty.definitions, empty.status), "");
}

TEST(QuarterTurn, SizeCodesComeFromTheTerrainList) {
    Editor e;
    DefineElements(e);
    EXPECT_EQ(ElementSizeCode(e.definitions, 1234), 23);
    EXPECT_EQ(ElementSizeCode(e.definitions, 0xC000 | 1234), 23);
    EXPECT_EQ(ElementSizeCode(e.definitions, 999), 11);   // not listed
    EXPECT_EQ(ElementSizeCode(e.definitions, 1235), 11);  // no number in the size field
    EXPECT_EQ(ElementSizeCode(e.definitions, 0), 0);
}

}  // namespace
}  // namespace insel
