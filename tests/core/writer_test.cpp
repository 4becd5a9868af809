// The island file writer and the dummy island, checked against files assembled independently
// from the block layouts.
#include "core/island/writer.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "core/dialogs/new_island.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "fixture_file.h"
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

TEST(ScpWriter, DeletedQuarrySpotsAndMinesAreNotWritten) {
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 100, 2);
    IslandMap& island = editor->doc.island;
    MineRecord spot{.y = 6, .x = 5, .deleted = 1};
    island.quarry_spots = {spot, spot};
    // clang-format off
    const MineRecord mine{.y = EncodeCellFloat(8), .x = EncodeCellFloat(7),
                          .symbol_value = 16400u << 16, .treasure = 400, .building_id = 1560 << 14};
    // clang-format on
    island.mines = {mine, mine};
    island.mines[0].deleted = 1;
    // (BERGWERK2 length, OCCUR length, INFO mine count, OCCUR -> next block) per pass.
    for (const auto& want : {std::tuple(0u, 32u, 1u, 16u + 32u), std::tuple(0u, 0u, 0u, 16u)}) {
        AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
        const Bytes out = Output(*editor);
        const std::size_t quarry = fixture::FindAll(out, "BERGWERK2").at(0);
        const std::size_t occur = fixture::FindAll(out, "OCCUR").at(0);
        EXPECT_EQ(occur, quarry + 16) << "an empty block is only its tag and length";
        EXPECT_EQ(std::tuple(ReadLe(out, quarry + 12, 4), ReadLe(out, occur + 12, 4),
                             ReadLe(out, fixture::FindAll(out, "INFO").at(0) + 21, 1),
                             fixture::FindAll(out, "ANBAU").at(0) - occur),
                  want);
        island.mines[1].deleted = 1;
    }
}

// Element entries are packed sixteen cells at a time where the processor allows; densities
// from empty to full, cells at the ends of columns and narrow edge blocks must all come out
// as the fixture lists them cell by cell.
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
    IslandSpec plan{.width = 100, .height = 100};
    plan.terrain = [&](int x, int y) {
        return Element{island.terrain.get(x, y), island.terrain_param.get(x, y)};
    };
    // The GELAENDE blocks, from the first up to FRUCHTBAR.
    auto blocks = [](const Bytes& bytes) {
        return Bytes(bytes.begin() + fixture::FindAll(bytes, "GELAENDE").at(0),
                     bytes.begin() + fixture::FindAll(bytes, "FRUCHTBAR").at(0));
    };
    EXPECT_EQ(
        fixture::DescribeDifference(blocks(fixture::IslandBytes(plan)), blocks(Output(*editor))),
        "");
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
    // Starts of the two KONTID records (ids 7 and 9), counted from the end at 200; the result.
    for (const auto& [first, second, expected] :
         {std::array{30, 11, 9}, {24, 11, 7}, {30, 10, 7}}) {
        Editor editor;
        OutputBuffer& out = editor.output;
        out.WriteString("xxKONTORIDxxxxxxxxxx");
        for (const auto& [from_end, id] : {std::pair(first, 7), std::pair(second, 9)}) {
            out.WriteFill('.', 200 - from_end - out.position());
            out.WriteString("KONTID");
            out.WriteWord(2);
            out.WriteWord(std::uint16_t(id));
        }
        out.WriteFill('.', 200 - out.position());
        const int found = RecalculateKontorId(editor.output, editor.status.memo2);
        EXPECT_EQ(std::pair(found, ReadLe(Output(editor), 2 + 16, 2)),
                  std::pair(expected, static_cast<unsigned>(expected + 1)))
            << first << ", " << second;
    }
}

TEST(DummyIsland, NamedByClimateAndSideWrittenAsAssembledAndLoadsBack) {
    EXPECT_EQ(std::tuple(DummyFileName(64, 0), DummyFileName(128, 3), DummyFileName(32, 6)),
              std::tuple("Po_064x064_DUMMY.scp", "Pr_128x128_DUMMY.scp", "U_032x032_DUMMY.scp"));
    fixture::TempDir dir;
    Editor editor;
    SaveDummyIsland(editor.output, 2, 64, dir / "N_064x064_DUMMY.scp");
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
