// The island list of savegames and scenarios, and which island a world position lies on.
#include "core/island/island_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/editor.h"
#include "core/errors.h"
#include "fixture_file.h"
#include "island_fixture.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::Element;
using fixture::IslandSpec;
using test::Load;

// A square island at world (first, second) of one tile with one river cell at (river_at,
// river_at).
IslandSpec Island(int side, std::uint16_t first, std::uint16_t second, std::uint32_t number,
                  std::uint8_t climate, std::uint16_t tile, int river_at, std::uint16_t river) {
    IslandSpec island;
    island.width = island.height = side;
    island.world_first = first, island.world_second = second, island.number = number,
    island.climate = climate;
    island.gfx = [=](int, int) { return tile; };
    island.rivers = [=](int x, int y) {
        return Element{std::uint16_t(x == river_at && y == river_at ? river : 0), 0};
    };
    return island;
}

// Two islands: "Nordinsel" 64 x 64 at world (100, 200), number 7, with a river at (5, 5);
// a nameless 32 x 32 island at (300, 50), number 9, climate 7, with a river at (6, 6).
class Savegame : public ::testing::Test {
  protected:
    IslandSpec first_ = [] {
        IslandSpec island = Island(64, 100, 200, 7, 2, 0x0C00, 5, 2701);
        island.city_byte = 3, island.info_a = 4, island.name = "Nordinsel";
        return island;
    }();
    IslandSpec second_ = Island(32, 300, 50, 9, 7, 0x0D00, 6, 2702);
    Bytes bytes_ = fixture::SavegameBytes({first_, second_});
    std::int64_t first_position_ = std::ssize(fixture::SavegameHead());
    std::int64_t second_position_ = first_position_ + std::ssize(fixture::IslandBytes(first_));
    std::unique_ptr<Editor> editor_ = std::make_unique<Editor>();
};

TEST_F(Savegame, ScenarioIsListedAsASavegameAndEndsOnTheFirstIsland) {
    Load(*editor_, bytes_, FileKind::Scenario);
    EXPECT_EQ(editor_->doc.file_kind, FileKind::Savegame);
    ASSERT_EQ(editor_->doc.island_list.size(), 2u);
    using Row = std::array<std::string, 9>;
    EXPECT_EQ(editor_->doc.island_list[0].Cells(),
              (Row{"Nordinsel", "64", "200", "100", "Nord", "3", "4",
                   std::to_string(first_position_), "7"}));
    EXPECT_EQ(editor_->doc.island_list[1].Cells(), (Row{"No name", "32", "50", "300", "", "0", "0",
                                                        std::to_string(second_position_), "9"}));

    const IslandMap& island = editor_->doc.island;
    EXPECT_EQ(std::tuple(island.record.width, island.record.name, island.record.start,
                         island.record.city_id, editor_->status.cities),  // no cities listed
              std::tuple(64, "Nordinsel", first_position_, 0, "0"));
    EXPECT_EQ(island.river.get(5, 5), 2701);
    EXPECT_EQ(island.river.get(6, 6), 0) << "rivers end at the island's BERGWERK2";
    const auto usage = editor_->doc.SeriesUsageCounts();
    EXPECT_EQ(std::pair(usage[147], usage[1]), std::pair(64 * 64, 64 * 64))
        << "a re-decode replaces the island's share";
}

TEST_F(Savegame, ClickOnAnIslandRowDecodesThatIsland) {
    Load(*editor_, bytes_, FileKind::Savegame);
    ASSERT_TRUE(SelectIslandRow(editor_->doc, editor_->definitions, editor_->status, 2));
    const IslandMap& island = editor_->doc.island;
    EXPECT_EQ(std::tuple(island.record.width, island.record.start, island.record.number,
                         island.record.city_id),
              std::tuple(32, second_position_, 9, 9));
    EXPECT_EQ(island.river.get(6, 6), 2702);
    EXPECT_EQ(island.river.get(5, 5), 0) << "rivers start at the island's own start";
    const auto usage = editor_->doc.SeriesUsageCounts();
    EXPECT_EQ(std::tuple(usage[147], usage[2], usage[1]), std::tuple(32 * 32, 32 * 32, 0));

    for (int row : {0, 3})
        EXPECT_FALSE(SelectIslandRow(editor_->doc, editor_->definitions, editor_->status, row));
    EXPECT_EQ(island.record.width, 32);
}

TEST_F(Savegame, BigbrothEndsTheIslandsListedAndIslandAtPositionAndOfCity) {
    fixture::FixtureFile file(fixture::SavegameHead());
    file.Append(fixture::IslandBytes(first_));
    const std::size_t bigbroth = file.size();
    file.Tag("BIGBROTH").Dword(0).Append(fixture::IslandBytes(second_)).Zeros(64);
    Load(*editor_, file.bytes(), FileKind::Savegame);
    EXPECT_EQ(std::pair(editor_->doc.data_limit, editor_->doc.island_list.size()),
              std::pair(static_cast<std::int64_t>(bigbroth), std::size_t{1}));

    // The island at a position includes the origin row and column; the island of a city does not.
    Load(*editor_, bytes_, FileKind::Savegame);
    const std::vector<std::tuple<int, int, int>> positions = {
        {100, 200, 7}, {163, 263, 7}, {100, 230, 7}, {164, 230, 0}, {130, 264, 0},
        {99, 230, 0},  {300, 50, 9},  {331, 81, 9},  {332, 60, 0}};
    for (const auto& [first, second, number] : positions)
        EXPECT_EQ(IslandNumberAt(editor_->doc, first, second), number) << first << ", " << second;

    for (auto [first, second] : {std::pair{100, 230}, {130, 200}})
        EXPECT_FALSE(FindIslandOfCity(editor_->doc, first, second)) << first << ", " << second;
    EXPECT_TRUE(FindIslandOfCity(editor_->doc, 101, 230));
    EXPECT_EQ(editor_->doc.island.record.start, first_position_);
    EXPECT_TRUE(FindIslandOfCity(editor_->doc, 301, 51));
    EXPECT_EQ(editor_->doc.island.record.start, second_position_);

    Load(*editor_, fixture::SavegameBytes({first_}), FileKind::Savegame);
    ASSERT_EQ(editor_->doc.island_list.size(), 1u);
    EXPECT_EQ(IslandNumberAt(editor_->doc, 120, 220), 7) << "a single listed island";
}

TEST(IslandList, FileWithoutInsel5HasNoRowsClimateNamesAndSetClimateTakesTheClimateByteOnly) {
    IslandSpec old;
    old.insel4 = true;
    auto editor = std::make_unique<Editor>();
    Load(*editor, fixture::IslandFileBytes(old), FileKind::Island);
    EXPECT_EQ(std::pair(editor->doc.island_list.empty(), editor->doc.island.record.width),
              std::pair(true, std::uint16_t{64}));

    EXPECT_EQ(std::tuple(ClimateName(5), ClimateName(6), ClimateName(-1)),
              std::tuple("Steppe", "", ""));
    // Values without a name still fit the byte the island file holds.
    SetIslandClimate(editor->doc, 0);
    SetIslandClimate(editor->doc, 255);
    EXPECT_EQ(editor->doc.island.record.climate, 255);
    EXPECT_THROW(SetIslandClimate(editor->doc, -1), BoundsError);
    EXPECT_THROW(SetIslandClimate(editor->doc, 256), BoundsError);
    EXPECT_EQ(editor->doc.island.record.climate, 255);
}

}  // namespace
}  // namespace insel
