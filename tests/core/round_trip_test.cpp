// Island file -> load -> write *.scp -> load: the file written is the one the block layouts give
// for the model, and everything an island file holds survives.
#include <gtest/gtest.h>

#include <tuple>

#include "core/document/island_map.h"
#include "core/island/island_list.h"
#include "core/island/writer.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::IslandSpec;

auto Lists(const IslandMap& island) {
    std::vector<std::tuple<int, int, int, int, std::uint32_t, std::uint32_t, std::uint32_t, int,
                           std::int32_t, int, int>>
        mines;
    for (const auto* list : {&island.mines, &island.quarry_spots})
        for (const MineRecord& m : *list)
            mines.emplace_back(m.whale, m.orientation, m.x_band, m.y, m.x, m.symbol_value,
                               m.symbol_elevation, m.treasure, m.building_id, m.visible, m.deleted);
    std::vector<std::tuple<int, int, int, int>> animals;
    for (const AnimalEntry& e : island.animals)
        animals.emplace_back(e.first, e.second, e.third, e.fourth);
    return std::pair(mines, animals);
}

TEST(RoundTrip, SavedIslandFileIsAsTheBlockLayoutsGiveAndLoadsBackWhole) {
    for (const int addon_level : {0, 1}) {
        SCOPED_TRACE(addon_level);
        const IslandSpec input = test::RichIsland();
        auto editor = std::make_unique<Editor>();
        test::Load(*editor, fixture::IslandFileBytes(input, addon_level), FileKind::Island,
                   "q.scp");
        fixture::TempDir dir;
        // Another extension is replaced by .scp.
        const auto path = SaveIslandFile(editor->doc, editor->save, editor->output,
                                         editor->status.memo2, dir / "w.txt");
        ASSERT_EQ(path, dir / "w.scp");
        EXPECT_EQ(editor->doc.island.record.name, path.string());
        // An island file keeps no world position, number, city and people bytes or buildings;
        // INFO carries the mine count and the block figure of the size; the next free
        // warehouse id is 1 without any warehouse.
        IslandSpec expected = input;
        expected.number = expected.world_first = expected.world_second = 0;
        expected.city_byte = expected.people_byte = 0;
        expected.info_a = 3;
        expected.block_figure.reset();
        expected.objects.clear();
        expected.kontorid = fixture::KontorIdSpec{5, 1};
        expected.name = "w.scp";
        const Bytes written = fixture::ReadFileBytes(path);
        EXPECT_EQ(
            fixture::DescribeDifference(fixture::IslandFileBytes(expected, addon_level), written),
            "");
        Editor again;
        again.doc.file_kind = FileKind::Island;
        LoadIsland(again.doc, again.definitions, again.status, path);
        const IslandMap &a = editor->doc.island, &b = again.doc.island;
        EXPECT_EQ(std::pair(test::LayerDifference(a, b, 100, 72), Lists(a)),
                  std::pair(std::string(), Lists(b)));
        EXPECT_EQ(std::tuple(b.record.width, b.record.height, b.record.climate, b.record.info_b,
                             b.record.info_a, b.record.block_figure, b.cell_block_count,
                             b.kontorid_first, b.kontorid_second, b.objects.size()),
                  std::tuple(100, 72, 4, 4242, 3, 81, 12, 5, 1, 0u));
        EXPECT_EQ(b.series_usage, a.series_usage);
    }
}

// Non-square islands of a savegame keep their shape and cells through both file kinds.
TEST(RoundTrip, IslandsThatAreNotSquareKeepTheirShapeAndCells) {
    std::vector<IslandSpec> plans(2);
    for (IslandSpec& plan : plans)
        plan.heights = [](int x, int y) { return std::uint8_t(x + 3 * y); };
    plans[0].width = plans[1].height = 96;
    plans[0].height = plans[1].width = 32;
    const Bytes savegame = fixture::SavegameBytes(plans);
    fixture::TempDir dir;
    for (int row = 1; row <= 2; ++row) {
        SCOPED_TRACE(row);
        Editor editor;
        test::Load(editor, savegame, FileKind::Savegame, "two.sav");
        ASSERT_TRUE(SelectIslandRow(editor.doc, editor.definitions, editor.status, row));
        const IslandRecord& shown = editor.doc.island.record;
        const int w = plans[row - 1].width, h = plans[row - 1].height;
        EXPECT_EQ(std::tuple(shown.width, shown.height, editor.doc.island.height.get(w - 1, h - 1)),
                  std::tuple(w, h, (w - 1 + 3 * (h - 1)) % 256));
        const auto city = dir / ("island" + std::to_string(row) + ".cty"),
                   island = dir / ("island" + std::to_string(row) + ".scp");
        SaveCityFile(test::CityTarget(editor), city, "1.1.2026");
        SaveIslandFile(editor.doc, editor.save, editor.output, editor.status.memo2, island);
        for (const auto& path : {city, island}) {
            Editor loaded;
            loaded.Load(path, FileKindFromExtension(path));
            EXPECT_EQ(std::pair(loaded.doc.island.record.width, loaded.doc.island.record.height),
                      std::pair(shown.width, shown.height));
            EXPECT_EQ(test::LayerDifference(editor.doc.island, loaded.doc.island, w - 1, h - 1), "")
                << path;
        }
    }
}

}  // namespace
}  // namespace insel
