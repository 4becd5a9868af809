// The island file writer and the dummy island, checked against files assembled independently
// from the block layouts.
#include "core/island/writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <tuple>

#include "core/app/editor.h"
#include "core/dialogs/new_island.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "fixture_file.h"
#include "island_fixture.h"
#include "temp_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::Element;
using fixture::IslandSpec;
using fixture::ReadLe;

Bytes Output(const Editor& editor) {
    return Bytes(editor.output.data().begin(), editor.output.data().end());
}

IslandSpec RichIsland() {
    IslandSpec plan;
    plan.width = 100;  // narrow edge blocks along both sides
    plan.height = 72;
    plan.world_first = 30;
    plan.world_second = 40;
    plan.number = 3;
    plan.climate = 4;
    plan.city_byte = 2;
    plan.people_byte = 1;
    plan.info_a = 9;
    plan.block_figure = 99;
    plan.info_b = 4242;
    plan.heights = [](int x, int y) { return std::uint8_t((x * 3 + y) % 200); };
    plan.gfx = [](int x, int y) {
        return std::uint16_t(0x0B00 + 4 * (x % 6) + 32 * (y % 6) + (x / 6) % 4);
    };
    plan.fertility = [](int x, int y) { return std::uint8_t((x + y) % 11); };
    plan.terrain = [](int x, int y) {
        if ((x * 7 + y * 3) % 29 == 0)
            return Element{std::uint16_t(0x4000 * (x % 4) + 700 + y % 50),
                           std::uint16_t(x * 256 + y)};
        return Element{};
    };
    plan.rivers = [](int x, int y) {
        if (x == 13 && y == 20) return Element{0x0A9D, 0x0102};
        if (y == 60 && x > 40) return Element{std::uint16_t(2701 + x % 5), std::uint16_t(x)};
        return Element{};
    };
    plan.quarry_spots = {{.x = 300, .y = 700, .orientation = 2},
                         {.x = 12, .y = 40, .orientation = 0}};
    plan.mines = {
        {.building_id = 1562u * 16384u,
         .x = 10,
         .y = 20,
         .symbol_value = 16410u * 65536u,
         .treasure = 400,
         .visible = 1,
         .data_length = 24},
        {.building_id = 1559u * 16384u,
         .x = 2,
         .y = 60,
         .symbol_value = 0x40A66666u,
         .data_length = 42},
        {.building_id = 1664u * 16384u,
         .x = 50,
         .y = 5,
         .symbol_value = 0x40A66666u,
         .data_length = 16},
    };
    plan.animals = {{1, 2, 3, 4}, {0x1111, 0x2222, 0x3333, 0x4444}};
    plan.objects = {{.id_word = 0x4000 | 821, .parameter = 0x3C00, .x = 5, .y = 6}};
    plan.kontorid = fixture::KontorIdSpec{5, 3};
    plan.name = "Quelle";
    return plan;
}

class ScpFile : public ::testing::TestWithParam<int> {};

TEST_P(ScpFile, LoadedIslandIsWrittenByteForByteAsTheBlockTablesGiveIt) {
    const int addon_level = GetParam();
    const IslandSpec input = RichIsland();
    auto editor = std::make_unique<Editor>();
    test::Load(*editor, fixture::IslandFileBytes(input, addon_level), FileKind::Island,
               "quelle.scp");

    fixture::TempDir dir;
    const std::filesystem::path written = SaveIslandFile(editor->doc, editor->save, editor->output,
                                                         editor->status.memo2, dir / "w.scp");
    EXPECT_EQ(written, dir / "w.scp");

    // What an island file holds of the island: the world position, the number, the city and
    // people bytes and the buildings are not kept; INFO carries the mine count and the block
    // figure of the size; the next free warehouse id is 1 without any warehouse.
    IslandSpec expected = input;
    expected.world_first = expected.world_second = 0;
    expected.number = 0;
    expected.city_byte = expected.people_byte = 0;
    expected.info_a = 3;
    expected.block_figure.reset();
    expected.objects.clear();
    expected.kontorid = fixture::KontorIdSpec{5, 1};
    expected.name = "w.scp";
    const Bytes wanted = fixture::IslandFileBytes(expected, addon_level);
    const Bytes actual = fixture::ReadFileBytes(written);
    EXPECT_EQ(fixture::DescribeDifference(wanted, actual), "");
    EXPECT_EQ(fixture::FindAll(actual, "INSEL5"), std::vector<std::size_t>{16 + 559});
    EXPECT_EQ(editor->doc.island.record.name, written.string());
}

INSTANTIATE_TEST_SUITE_P(AddOnLevels, ScpFile, ::testing::Values(0, 1));

TEST(ScpWriter, DeletedQuarrySpotsAndMinesAreNotWritten) {
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 100, 2);
    IslandMap& island = editor->doc.island;
    auto Assemble = [&] {
        AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
        return Output(*editor);
    };
    MineRecord spot;
    spot.x = 5;
    spot.y = 6;
    spot.deleted = 1;
    island.quarry_spots = {spot, spot};
    MineRecord mine;
    mine.building_id = 1560 * 16384;
    mine.x = EncodeCellFloat(7);
    mine.y = EncodeCellFloat(8);
    mine.symbol_value = 16400u * 65536u;
    mine.treasure = 400;
    island.mines = {mine, mine};
    island.mines[0].deleted = 1;

    Bytes out = Assemble();
    std::size_t quarry = fixture::FindAll(out, "BERGWERK2").at(0);
    std::size_t occur = fixture::FindAll(out, "OCCUR").at(0);
    EXPECT_EQ(ReadLe(out, quarry + 12, 4), 0u);
    EXPECT_EQ(occur, quarry + 16) << "an empty block is only its tag and length";
    EXPECT_EQ(ReadLe(out, occur + 12, 4), 32u) << "one ENTRY2 of 8 + 24 bytes";
    const std::size_t info = fixture::FindAll(out, "INFO").at(0);
    EXPECT_EQ(ReadLe(out, info + 21, 1), 1u) << "INFO counts the mines written";

    island.mines[1].deleted = 1;
    out = Assemble();
    occur = fixture::FindAll(out, "OCCUR").at(0);
    EXPECT_EQ(ReadLe(out, occur + 12, 4), 0u);
    EXPECT_EQ(fixture::FindAll(out, "ANBAU").at(0), occur + 16);
}

// GELAENDE contents as the format lists them, cell by cell: for each x of the block, the cells
// in order of y whose element is set.
Bytes PlainElementEntries(const IslandMap& island, int x0, int y0, int nx, int ny) {
    Bytes entries;
    for (int x = x0; x < x0 + nx; ++x) {
        for (int y = y0; y < y0 + ny; ++y) {
            const std::uint16_t element = island.terrain.get(x, y);
            if (element == 0) continue;
            const std::uint16_t parameter = island.terrain_param.get(x, y);
            for (int v :
                 {element & 0xFF, element >> 8, parameter & 0xFF, parameter >> 8, y - y0, x - x0})
                entries.push_back(static_cast<std::uint8_t>(v));
        }
    }
    return entries;
}

// Element entries are packed sixteen cells at a time where the processor allows; densities
// from empty to full, cells at the ends of columns and narrow edge blocks must all come out
// as listed cell by cell.
TEST(ElementBlocks, EveryDensityAsListedCellByCell) {
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 100, 1);
    IslandMap& island = editor->doc.island;
    std::mt19937 random(9);
    for (int x = 0; x < 100; ++x) {
        const int percent = (x * 13) % 101;  // from empty columns to full ones
        for (int y = 0; y < 100; ++y) {
            const bool set = static_cast<int>(random() % 100) < percent || y == 31 || y == 16;
            island.terrain.set(x, y, set ? static_cast<std::uint16_t>(1 + random() % 0xFFFF) : 0);
            island.terrain_param.set(x, y, static_cast<std::uint16_t>(random()));
        }
    }
    AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
    const Bytes out = Output(*editor);
    const auto blocks = fixture::FindAll(out, "GELAENDE");
    ASSERT_EQ(blocks.size(), 16u);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const std::size_t tag = blocks[b];
        const int y0 = static_cast<int>(ReadLe(out, tag + 16, 2));
        const int x0 = static_cast<int>(ReadLe(out, tag + 18, 2));
        const Bytes expected =
            PlainElementEntries(island, x0, y0, std::min(32, 100 - x0), std::min(32, 100 - y0));
        ASSERT_EQ(ReadLe(out, tag + 12, 4), 6 + expected.size()) << "block " << b;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin() + tag + 22))
            << "block " << b;
    }
}

// Fertility bytes are narrowed many at a time; a value that does not fit is still reported by
// itself, wherever in the column it stands.
TEST(FertilityBytes, ValueAboveAByteIsNamed) {
    for (int y : {0, 7, 8, 35, 99}) {
        auto editor = std::make_unique<Editor>();
        NewIsland(editor->doc, editor->status, 100, 1);
        editor->doc.island.fertility.set(42, y, 300);
        editor->doc.island.fertility.set(41, y, 299);
        try {
            AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
            ADD_FAILURE() << "no error for y " << y;
        } catch (const OverflowError& error) {
            EXPECT_NE(std::string(error.what()).find("value 299 does not fit a fertility byte"),
                      std::string::npos)
                << error.what();
        }
    }
}

// Strips of eight columns without rivers are skipped whole; in the others every square holding
// a river cell gets its block, the first one also when it is not the strip's first row.
TEST(RiverBlocks, OnlySquaresWithRiversInXMajorOrder) {
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 512, 1);
    for (auto [x, y] : {std::pair{3, 200}, {3, 5}, {70, 64}, {71, 300}, {511, 511}})
        editor->doc.island.river.set(x, y, 2701);
    AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
    const Bytes out = Output(*editor);
    std::vector<std::pair<unsigned, unsigned>> squares;  // (x origin, y origin)
    for (std::size_t tag : fixture::FindAll(out, "FLUESSE"))
        squares.push_back({ReadLe(out, tag + 18, 2), ReadLe(out, tag + 16, 2)});
    EXPECT_EQ(squares, (std::vector<std::pair<unsigned, unsigned>>{
                           {0, 0}, {0, 200}, {64, 64}, {64, 296}, {504, 504}}));
}

// The scan for warehouse ids stops 20 bytes before the end and moves 5 bytes on after each
// find, so an id record close to the end counts only while a search still reaches it; a
// "KONTORID" before any island block (here inside raw data) is the one patched.
TEST(NextFreeWarehouseId, SearchLimitsAtTheEndOfTheOutput) {
    struct Layout {
        std::int64_t first, second;  // starts of two KONTID records, counted from the end
        int expected;
    };
    for (const Layout& layout : {Layout{30, 11, 9}, Layout{24, 11, 7}, Layout{30, 10, 7}}) {
        Editor editor;
        OutputBuffer& out = editor.output;
        out.WriteString("xxKONTORIDxxxxxxxxxx");
        const std::int64_t end = 200;
        out.WriteFill('.', end - layout.first - out.position());
        out.WriteString("KONTID");
        out.WriteWord(2);
        out.WriteWord(7);
        out.WriteFill('.', end - layout.second - out.position());
        out.WriteString("KONTID");
        out.WriteWord(2);
        out.WriteWord(9);
        out.WriteFill('.', end - out.position());
        EXPECT_EQ(RecalculateKontorId(editor.output, editor.status.memo2), layout.expected)
            << layout.first << ", " << layout.second;
        EXPECT_EQ(ReadLe(Output(editor), 2 + 16, 2), static_cast<unsigned>(layout.expected + 1));
    }
}

TEST(DummyIsland, NamedByClimateAndSideWrittenAsAssembledAndLoadsBack) {
    EXPECT_EQ(std::tuple(DummyFileName(64, 0), DummyFileName(128, 3), DummyFileName(32, 6)),
              std::tuple("Po_064x064_DUMMY.scp", "Pr_128x128_DUMMY.scp", "U_032x032_DUMMY.scp"));
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 64, 2);
    fixture::TempDir dir;
    // Another extension is replaced by .scp.
    EXPECT_EQ(SaveIslandFile(editor->doc, editor->save, editor->output, editor->status.memo2,
                             dir / "insel.txt"),
              dir / "insel.scp");
    EXPECT_TRUE(std::filesystem::exists(dir / "insel.scp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "insel.txt"));

    SaveDummyIsland(editor->output, editor->doc.island.record.climate, 64,
                    dir / "N_064x064_DUMMY.scp");
    const Bytes bytes = fixture::ReadFileBytes(dir / "N_064x064_DUMMY.scp");
    EXPECT_EQ(fixture::DescribeDifference(fixture::DummyIslandBytes(64, 2), bytes), "");
    auto loaded = std::make_unique<Editor>();
    test::Load(*loaded, bytes, FileKind::Island, "N_064x064_DUMMY.scp");
    const IslandMap& island = loaded->doc.island;
    EXPECT_EQ(std::tuple(island.record.width, island.record.climate, island.gfx.get(7, 2),
                         island.gfx.get(63, 63), island.height.get(63, 0), island.kontorid_first,
                         island.kontorid_second),
              std::tuple(64, 2, 0x0B44, 0x0B00 + 4 * 3 + 32 * 3, 96, 2, 1));
}

}  // namespace
}  // namespace insel
