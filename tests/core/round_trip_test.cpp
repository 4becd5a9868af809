// Island file -> load -> write *.scp -> load: everything an island file holds survives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/editor.h"
#include "core/document/island_map.h"
#include "core/island/city_writer.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"
#include "core/island/writer.h"
#include "island_fixture.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Element;
using fixture::IslandSpec;

auto MineFields(const MineRecord& m) {
    return std::tuple(m.whale, m.orientation, m.x_band, m.y, m.x, m.symbol_value,
                      m.symbol_elevation, m.treasure, m.building_id, m.visible, m.deleted);
}

// Compares every layer over the island and one cell beyond it; returns the first difference.
std::string CompareLayers(const IslandMap& a, const IslandMap& b, int side) {
    for (int x = 0; x <= side; ++x) {
        for (int y = 0; y <= side; ++y) {
            auto where = [&](const char* layer) {
                return std::string(layer) + " differs at (" + std::to_string(x) + ", " +
                       std::to_string(y) + ")";
            };
            if (a.height.get(x, y) != b.height.get(x, y)) return where("height");
            if (a.gfx.get(x, y) != b.gfx.get(x, y)) return where("gfx");
            if (a.fertility.get(x, y) != b.fertility.get(x, y)) return where("fertility");
            if (a.terrain.get(x, y) != b.terrain.get(x, y)) return where("terrain");
            // The parameter of a cell without element carries nothing.
            if (a.terrain.get(x, y) != 0 && a.terrain_param.get(x, y) != b.terrain_param.get(x, y))
                return where("terrain parameter");
            if (a.river.get(x, y) != b.river.get(x, y)) return where("river");
            if (a.river_param.get(x, y) != b.river_param.get(x, y)) return where("river parameter");
        }
    }
    return {};
}

IslandSpec Busy(int side) {
    IslandSpec plan;
    plan.width = plan.height = side;
    plan.climate = 5;
    plan.info_b = 0x01020304;
    plan.heights = [](int x, int y) { return std::uint8_t((x * 13 + y * 7) % 256); };
    plan.gfx = [](int x, int y) {
        return std::uint16_t(((11 + (x + y) % 140) << 8) | ((x * 4 + y) & 0xFF));
    };
    plan.fertility = [](int x, int y) { return std::uint8_t((x * y) % 11); };
    plan.terrain = [](int x, int y) {
        return (x + 2 * y) % 17 == 0 ? Element{std::uint16_t(0x4000 * (y % 4) + 1501 + x % 90),
                                               std::uint16_t(0x2800 + x)}
                                     : Element{};
    };
    plan.rivers = [](int x, int y) {
        return (x == 2 * y || x + y == 50)
                   ? Element{std::uint16_t(2701 + (x % 40)), std::uint16_t(y * 3)}
                   : Element{};
    };
    plan.quarry_spots = {{.x = 1, .y = 2, .orientation = 3}, {.x = 70, .y = 33, .orientation = 1}};
    plan.mines = {
        {.building_id = 1563u * 16384u,
         .x = 4,
         .y = 80,
         .symbol_value = 16390u * 65536u,
         .treasure = 400,
         .data_length = 24},
        {.building_id = 1550u * 16384u,
         .x = 60,
         .y = 0,
         .symbol_value = 0x40A66666u,
         .treasure = 2000,
         .visible = 1},
        {.building_id = 1559u * 16384u,
         .x = 80,
         .y = 80,
         .symbol_value = 0x40A66666u,
         .data_length = 42},
        {.building_id = 1664u * 16384u,
         .x = 87,
         .y = 87,
         .symbol_value = 0x40A66666u,
         .data_length = 16},
    };
    plan.animals = {{5, 6, 7, 8}, {0xFFFF, 0, 1, 0x8000}, {9, 9, 9, 9}};
    plan.objects = {{.id_word = 821, .x = 10, .y = 10}};
    plan.kontorid = fixture::KontorIdSpec{12, 4};
    return plan;
}

struct Reloaded {
    std::unique_ptr<Editor> first = std::make_unique<Editor>();
    std::unique_ptr<Editor> second = std::make_unique<Editor>();
};

Reloaded RoundTrip(const IslandSpec& plan) {
    Reloaded r;
    test::Load(*r.first, fixture::IslandFileBytes(plan), FileKind::Island, "start.scp");
    fixture::TempDir dir;
    const auto path = SaveIslandFile(r.first->doc, r.first->save, r.first->output,
                                     r.first->status.memo2, dir / "again.scp");
    r.second->doc.file_kind = FileKind::Island;
    LoadIsland(r.second->doc, r.second->definitions, r.second->status, path);
    return r;
}

TEST(RoundTrip, EveryLayerAndListSurvives) {
    const Reloaded r = RoundTrip(Busy(88));  // 88: narrow cell blocks at the high edges
    const IslandMap& a = r.first->doc.island;
    const IslandMap& b = r.second->doc.island;

    EXPECT_EQ(CompareLayers(a, b, 88), "");
    // INFO carries the mine count (4) and the block figure of the size.
    EXPECT_EQ(std::tuple(b.record.width, b.record.height, b.record.climate, b.record.info_b,
                         b.record.info_a, b.record.block_figure, b.cell_block_count),
              std::tuple(88, 88, 5, 0x01020304, 4, 121, 9));
    EXPECT_EQ(b.record.name, "again.scp");
    EXPECT_EQ((std::pair<int, int>(b.kontorid_first, b.kontorid_second)), std::pair(12, 1));

    auto fields = [](const std::vector<MineRecord>& records) {
        std::vector<decltype(MineFields(MineRecord{}))> all;
        for (const MineRecord& m : records) all.push_back(MineFields(m));
        return all;
    };
    ASSERT_EQ(a.mines.size(), 4u);
    EXPECT_EQ(fields(a.mines), fields(b.mines));
    ASSERT_EQ(a.quarry_spots.size(), 2u);
    EXPECT_EQ(fields(a.quarry_spots), fields(b.quarry_spots));
    auto animals = [](const IslandMap& island) {
        std::vector<std::tuple<int, int, int, int>> words;
        for (const AnimalEntry& e : island.animals) words.emplace_back(e.first, e.second, e.third, e.fourth);
        return words;
    };
    ASSERT_EQ(b.animals.size(), 3u);
    EXPECT_EQ(animals(a), animals(b));
    ASSERT_EQ(a.objects.size(), 1u);
    EXPECT_TRUE(b.objects.empty()) << "island files carry no buildings";
    EXPECT_EQ(r.second->doc.island.series_usage, r.first->doc.island.series_usage);
}

IslandSpec Oblong(int width, int height) {
    IslandSpec plan;
    plan.width = width;
    plan.height = height;
    plan.heights = [](int x, int y) { return std::uint8_t(x + 3 * y); };
    plan.fertility = [](int x, int y) { return std::uint8_t((x + 2 * y) % 11); };
    return plan;
}

// The first cell whose height or fertility is not the plan's.
std::string DiffersFromPlan(const IslandMap& island, const IslandSpec& plan) {
    if (island.record.width != plan.width || island.record.height != plan.height) {
        return "size " + std::to_string(island.record.width) + " x " +
               std::to_string(island.record.height);
    }
    for (int x = 0; x < plan.width; ++x) {
        for (int y = 0; y < plan.height; ++y) {
            if (island.height.get(x, y) != plan.heights(x, y) ||
                island.fertility.get(x, y) != plan.fertility(x, y)) {
                return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
    }
    return {};
}

TEST(RoundTrip, IslandsThatAreNotSquareKeepTheirShapeAndCells) {
    const std::vector<IslandSpec> plans = {Oblong(96, 32), Oblong(32, 96)};
    const fixture::Bytes savegame = fixture::SavegameBytes(plans);
    fixture::TempDir dir;
    for (int row = 1; row <= 2; ++row) {
        const IslandSpec& plan = plans[row - 1];
        SCOPED_TRACE(std::to_string(plan.width) + " x " + std::to_string(plan.height));
        auto editor = std::make_unique<Editor>();
        test::Load(*editor, savegame, FileKind::Savegame, "two.sav");
        ASSERT_TRUE(SelectIslandRow(editor->doc, editor->definitions, editor->status, row));
        EXPECT_EQ(DiffersFromPlan(editor->doc.island, plan), "");
        for (const char* extension : {".cty", ".scp"}) {
            const auto path = dir / ("island" + std::to_string(row) + extension);
            if (std::string(extension) == ".cty") {
                SaveCityFile(test::CityTarget(*editor), path, "1.1.2026");
            } else {
                SaveIslandFile(editor->doc, editor->save, editor->output, editor->status.memo2,
                               path);
            }
            auto again = std::make_unique<Editor>();
            again->Load(path, FileKindFromExtension(path));
            EXPECT_EQ(DiffersFromPlan(again->doc.island, plan), "") << extension;
        }
    }
}

}  // namespace
}  // namespace insel
