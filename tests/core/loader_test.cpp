// Decoding islands from game files assembled block by block.
#include "core/island/loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <tuple>
#include <typeinfo>

#include "core/document/island_map.h"
#include "core/errors.h"
#include "fixture_file.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::Element;
using fixture::IslandSpec;
using test::Load;

std::unique_ptr<Editor> LoadedEditor(const Bytes& bytes, FileKind kind = FileKind::Island,
                                     const std::string& name = "test.scp") {
    auto editor = std::make_unique<Editor>();
    Load(*editor, bytes, kind, name);
    return editor;
}

IslandSpec SmallIsland(int side = 32) {
    IslandSpec plan = test::RichIsland();
    plan.width = plan.height = side;
    return plan;
}

TEST(Loader, IslandFileRecordListsAndStatus) {
    const Bytes bytes = fixture::IslandFileBytes(test::RichIsland());
    auto editor = LoadedEditor(bytes);
    const IslandMap& island = editor->doc.island;
    const IslandRecord& r = island.record;
    EXPECT_EQ(std::tuple(r.width, r.height, r.climate, r.info_a, r.info_b, r.block_figure, r.buffer,
                         r.start, r.data_limit, r.name, island.cell_block_count),
              std::tuple(100, 72, 4, 9, 4242, 99, 2, 16 + 559, std::int64_t(bytes.size()),
                         "test.scp", 12));
    EXPECT_TRUE(editor->doc.loaded && editor->view.island_shown);
    // An INSEL4 header (no length field) decodes alike; only the low 16 bits of the number count.
    IslandSpec old = test::RichIsland();
    old.insel4 = true;
    old.number = 0x00010003;
    for (const auto& e : {LoadedEditor(fixture::IslandFileBytes(old)), LoadedEditor(bytes)}) {
        const IslandRecord& o = e->doc.island.record;
        EXPECT_EQ(std::tuple(o.width, o.number, o.world_first, o.world_second,
                             e->doc.island.quarry_spots.size()),
                  std::tuple(100, 3, 30, 40, 3u));
        EXPECT_EQ(test::LayerDifference(island, e->doc.island, 100, 72), "");
    }
    const Status& s = editor->status;
    EXPECT_EQ(std::vector({s.cell_blocks, s.width, s.height, s.file_size, s.addon_level,
                           s.quarry_spots, s.mines, s.animals, s.objects}),
              std::vector<std::string>(
                  {"12", "100", "72", std::to_string(bytes.size()), "0", "3", "3", "2", "3"}));
    // Elements land at block origin plus offset, x and y not swapped.
    using Pair = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(std::tuple(Pair(island.terrain.get(1, 17), island.terrain_param.get(1, 17)),
                         island.terrain.get(17, 1),
                         Pair(island.river.get(13, 20), island.river_param.get(13, 20)),
                         island.river.get(20, 13), island.river.get(99, 60)),
              std::tuple(Pair(0x4000 + 717, 273), 0, Pair(0x0A9D, 0x0102), 0, 2701 + 4));
    // The quarry spot at (300, 700) is stored as BC C2 12 and its orientation.
    ASSERT_EQ(fixture::ReadLe(bytes, fixture::FindAll(bytes, "BERGWERK2").at(0) + 24, 4),
              0x0212C2BCu);
    const MineRecord& q = island.quarry_spots[0];
    EXPECT_EQ(std::tuple(q.x, q.y, q.x_band, q.orientation, q.deleted, island.quarry_spots[2].x,
                         island.quarry_spots[2].y),
              std::tuple(300u, 700u, 18, 2, 0, 1023u, 1023u));
    const MineRecord& ore = island.mines[0];
    EXPECT_EQ(std::tuple(ore.building_id, ore.x, ore.y, ore.symbol_value, ore.symbol_elevation,
                         ore.treasure, ore.visible, ore.whale),
              std::tuple(static_cast<std::int32_t>(1562u << 14), fixture::CellFloatBits(10),
                         fixture::CellFloatBits(20), 16410u << 16, 26, 2000, 1, 0));
    EXPECT_EQ(std::tuple(island.mines[1].whale, island.mines[1].y, island.mines[2].whale,
                         island.mines[2].x),
              std::tuple(1, fixture::CellFloatBits(60), 0, fixture::CellFloatBits(50)));
    // Animal words are stored second, first, third, fourth.
    const AnimalEntry& a = island.animals.at(0);
    EXPECT_EQ(std::tuple(a.second, a.first, a.third, a.fourth, island.animals[1].fourth),
              std::tuple(1, 2, 3, 4, 0xFFFF));
    // Objects at the same cell are listed once but counted.
    const auto prod = fixture::FindAll(bytes, "PROD2");
    std::vector<std::array<int, 8>> objects;
    for (const ObjectEntry& o : island.objects)
        objects.push_back({o.graphic_id, o.id_word, o.orientation, o.parameter, o.x, o.y, o.island,
                           o.file_position});
    // x 40 lies in the fourth block (x origin 32, y origin 0).
    EXPECT_EQ(objects, (std::vector<std::array<int, 8>>{
                           {821, 0x4000 | 821, 1, 0x3C00, 5, 6, 3, int(prod.at(0) + 22)},
                           {100, 0x8000 | 100, 2, 2, 40, 7, 3, int(prod.at(3) + 22)}}));
    // Without DISCOVER, KONTORID, objects and animals are neither read nor kept from this file;
    // quarry spots come before DISCOVER.
    IslandSpec small = SmallIsland();
    small.with_discover = false;
    Load(*editor, fixture::IslandFileBytes(small), FileKind::Island);
    EXPECT_EQ(std::tuple(island.record.width, island.kontorid_first, island.kontorid_second,
                         island.animals.size(), island.objects.size(), editor->status.animals,
                         editor->status.objects, island.quarry_spots.size()),
              std::tuple(32, 2, 1, 0u, 0u, "0", "0", 3u));
}

TEST(Loader, KontorIdDefaultsNameBlockVeneClimateAndSeriesUsageOverLoads) {
    using K = fixture::KontorIdSpec;
    const std::vector<std::tuple<std::optional<K>, int, int>> cases = {
        {K{0, 0}, 2, 1}, {K{7, 9}, 7, 9}, {K{0, 5}, 2, 5}, {K{6, 0}, 6, 1}, {std::nullopt, 2, 1}};
    for (const auto& [stored, first, second] : cases) {
        auto editor = LoadedEditor(fixture::IslandFileBytes({.kontorid = stored}));
        EXPECT_EQ(std::tuple(editor->doc.island.kontorid_first, editor->doc.island.kontorid_second),
                  std::tuple(first, second));
    }
    // Savegames take the name block; VENE marks climate 6.
    const std::vector<std::tuple<FileKind, std::optional<std::string>, std::string, int>> names = {
        {FileKind::Savegame, "Insel VENEZIA", "Insel VENEZIA", 6},
        {FileKind::Savegame, "Nordland", "Nordland", 3},
        {FileKind::Savegame, std::nullopt, "No name", 3},
        {FileKind::Island, "VENEDIG", "file.scp", 3}};  // island files keep the file name
    for (const auto& [kind, stored, name, climate] : names) {
        SCOPED_TRACE(name);
        const IslandSpec plan{.climate = 3, .name = stored};
        const Bytes bytes = kind == FileKind::Savegame ? fixture::SavegameBytes({plan})
                                                       : fixture::IslandFileBytes(plan);
        auto editor = LoadedEditor(bytes, kind, "file.scp");
        EXPECT_EQ(std::tuple(editor->doc.island.record.name, editor->doc.island.record.climate),
                  std::tuple(name, climate));
    }
    // Series usage accumulates over loads unless cleared.
    IslandSpec plan{.width = 32, .height = 32};
    plan.gfx = [](int x, int) { return std::uint16_t(x < 8 ? 0x0D00 : 0x0B00); };  // series 2 and 0
    const Bytes bytes = fixture::IslandFileBytes(plan);
    for (const int loads_counted : {2, 1}) {
        auto editor = std::make_unique<Editor>();
        editor->clear_series_usage_on_load = loads_counted == 1;
        Load(*editor, bytes, FileKind::Island);
        Load(*editor, bytes, FileKind::Island);
        const auto usage = editor->doc.SeriesUsageCounts();
        EXPECT_EQ(std::pair(usage[2], usage[147]),
                  std::pair(loads_counted * 256, loads_counted * 1024));
    }
}

// Sets a byte of the first block with this tag, `offset` bytes after its tag.
Bytes Patched(Bytes bytes, std::string_view tag, std::size_t offset,
              std::initializer_list<std::uint8_t> values) {
    std::size_t at = fixture::FindAll(bytes, tag).at(0) + offset;
    for (std::uint8_t v : values) bytes.at(at++) = v;
    return bytes;
}

template <class E>
void ExpectLoadError(const Bytes& bytes, const std::string& named) {
    try {
        Load(*std::make_unique<Editor>(), bytes, FileKind::Island);
        FAIL() << "no error";
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    } catch (const std::exception& e) {
        FAIL() << "wrong error type " << typeid(e).name() << ": " << e.what();
    }
}

// Damaged copies of a small island and the text their error must hold.
TEST(LoaderErrors, DamagedFieldsGiveErrorsNamingTheFault) {
    const Bytes good = fixture::IslandFileBytes(SmallIsland());
    // x origin 1000 with 32 columns reaches x = 1031.
    ExpectLoadError<BoundsError>(Patched(good, "HEIGHT", 18, {0xE8, 0x03}), "1025");
    ExpectLoadError<FormatError>(Patched(good, "GFXID", 20, {0}),
                                 "has cells but an extent of 0 along y");
    ExpectLoadError<FormatError>(Patched(good, "INSEL5", 20, {0, 0, 0, 0}),
                                 "cells but the island is 0 cells high");
    // 1025 x 1024: one cell more than the layers and the writer handle.
    ExpectLoadError<FormatError>(Patched(good, "INSEL5", 20, {0x01, 0x04, 0x00, 0x04}),
                                 "1025 x 1024");
    ExpectLoadError<FormatError>(Bytes{}, "no island (INSEL block)");
    auto editor = std::make_unique<Editor>();
    EXPECT_THROW(Load(*editor, Bytes{}, FileKind::Savegame), FormatError);
    EXPECT_FALSE(editor->doc.loaded);
    // A four-byte value with the top bit set is an overflow and keeps the open document.
    const std::size_t kontorid = fixture::FindAll(good, "KONTORID").at(0);
    const Bytes bytes = Patched(good, "KONTORID", 12, {1, 0, 0, 0x80});
    Load(*editor, good, FileKind::Island, "open.scp");
    const Status shown = editor->status;
    try {
        Load(*editor, bytes, FileKind::Savegame, "broken.sav");
        FAIL() << "no error";
    } catch (const OverflowError& e) {
        EXPECT_NE(std::string(e.what()).find(std::to_string(kontorid + 12)), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(std::tuple(editor->doc.file_name, editor->doc.file_kind,
                         editor->doc.island.height.get(31, 31), editor->status.island_name,
                         editor->status.memo2),
              std::tuple("open.scp", FileKind::Island, 124, shown.island_name, shown.memo2));
}

// Every prefix of a file and a series of corrupted copies either load or fail with insel::Error.
TEST(LoaderErrors, TruncatedAndCorruptedFilesNeverFailOtherwise) {
    const IslandSpec plan = SmallIsland(40);
    const Bytes whole = fixture::SavegameBytes({plan, plan}, Bytes{});
    auto editor = std::make_unique<Editor>();
    auto try_load = [&](std::span<const std::uint8_t> bytes, FileKind kind,
                        const std::string& what) {
        // Into the same document each time: a fresh one per load would only cost time here.
        editor->doc.file_kind = kind;
        try {
            LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, bytes,
                                "test.scp");
        } catch (const Error&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << what << ": " << typeid(e).name() << " " << e.what();
        }
    };
    std::set<std::size_t> cuts;
    auto upper = [&](std::size_t i) { return whole[i] >= 'A' && whole[i] <= 'Z'; };
    for (std::size_t cut = 0; cut < whole.size(); cut += 31) cuts.insert(cut);
    for (std::size_t i = 1; i + 4 < whole.size(); ++i) {
        if (upper(i - 1) || !upper(i) || !upper(i + 1)) continue;  // cuts in and behind each tag
        for (std::size_t cut = i; cut < std::min(whole.size(), i + 24); ++cut) cuts.insert(cut);
    }
    for (std::size_t cut : cuts)
        try_load(std::span(whole).first(cut), cut % 2 ? FileKind::Savegame : FileKind::Island,
                 "prefix of " + std::to_string(cut));
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        Bytes broken = whole;
        for (int i = 0; i < 4; ++i)
            broken[random() % broken.size()] = static_cast<std::uint8_t>(random());
        try_load(broken, round % 2 ? FileKind::Savegame : FileKind::Island,
                 "corruption round " + std::to_string(round));
    }
}

// Cells whose column stretches are sometimes uniform (taken whole) and sometimes not (counted
// cell by cell), on an island whose side is no multiple of the stretches, checked against the
// counts and layers worked out cell by cell here.
TEST(LoaderCounts, UniformAndMixedColumnsCountAlike) {
    IslandSpec plan{.width = 100, .height = 100};
    auto mixed = [](int x, int y) { return (x / 3) % 2 == 0 || (y / 16) % 3 == 1; };
    plan.heights = [&](int x, int y) { return std::uint8_t(mixed(x, y) ? x * 7 + y * 3 : 40); };
    // Fertility above 10 too.
    plan.fertility = [&](int x, int y) { return std::uint8_t(mixed(x, y) ? (x + y) % 14 : 12); };
    plan.gfx = [&](int x, int y) {
        if (x == 50 && y == 70) return std::uint16_t{0x9F00};  // series 148: logged, cleared
        if (x == 51 && y == 70) return std::uint16_t{0x9E04};  // series 147, the last valid one
        const int series = mixed(x, y) ? 11 + (x + 2 * y) % 5 : 20;
        return static_cast<std::uint16_t>(series << 8 | ((x + y) & 0xFF));
    };
    auto editor = LoadedEditor(fixture::IslandFileBytes(plan));
    const IslandMap& island = editor->doc.island;
    std::vector<std::array<std::int32_t, 256>> heights(16);
    std::vector<std::array<std::int32_t, 11>> fertility(16);
    std::array<std::int32_t, kSeriesCount> usage{};
    int wrong_cells = 0;
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 100; ++y) {
            const int block = 4 * (x / 32) + y / 32, f = std::min<int>(plan.fertility(x, y), 10);
            ++heights[block][plan.heights(x, y)];
            ++fertility[block][f];
            const std::uint16_t tile = plan.gfx(x, y) >> 8 > 147 + 11 ? 0 : plan.gfx(x, y);
            ++usage[std::max(0, (tile >> 8) - 11)];
            wrong_cells += (island.height.get(x, y) != plan.heights(x, y)) +
                           (island.fertility.get(x, y) != f) + (island.gfx.get(x, y) != tile);
        }
    }
    usage[kSeriesCount - 1] = 100 * 100;  // the cells counted, in place of series 147
    const auto& h = island.block_height_counts;
    const auto& f = island.block_fertility_counts;
    // Outside the island (100, 0) the cleared fertility value stays.
    EXPECT_EQ(std::tuple(wrong_cells, decltype(heights)(h.begin(), h.begin() + 16),
                         decltype(fertility)(f.begin(), f.begin() + 16), island.series_usage,
                         editor->status.memo2, island.fertility.get(100, 0)),
              std::tuple(0, heights, fertility, usage,
                         std::vector<std::string>{
                             "Insel test.scp  Fehlerhafte GFXStruktur bei 50, 70  Bitmapwert 148"},
                         10));
}

// Cells of the loaded terrain layer that differ from every GELAENDE entry of the file applied
// one by one in file order, as the format says.
int WrongTerrainCells(const Editor& editor, const Bytes& bytes) {
    std::vector<std::uint16_t> cells(static_cast<std::size_t>(kLayerSide) * kLayerSide);
    for (std::size_t tag : fixture::FindAll(bytes, "GELAENDE")) {
        const std::size_t length = fixture::ReadLe(bytes, tag + 12, 4);
        const std::size_t y0 = fixture::ReadLe(bytes, tag + 16, 2),
                          x0 = fixture::ReadLe(bytes, tag + 18, 2);
        for (std::size_t e = tag + 22; e + 6 <= tag + 16 + length; e += 6)
            cells[(x0 + bytes[e + 5]) * kLayerSide + y0 + bytes[e + 4]] =
                std::uint16_t(fixture::ReadLe(bytes, e, 2));
    }
    int wrong = 0;
    for (int x = 0; x < kLayerSide; ++x)
        for (int y = 0; y < kLayerSide; ++y)
            wrong += editor.doc.island.terrain.get(x, y) != cells[std::size_t(x) * kLayerSide + y];
    return wrong;
}

// Entries in the usual x-major runs are written eight at a time; runs broken by a shuffle, by
// y offsets that wrap past 255, by a repeated cell or by a change of column, and sparse columns
// between full ones, must come out as written one by one.
TEST(LoaderEntries, RunsBrokenRunsAndSparseEntriesGiveTheSameCells) {
    IslandSpec runs{.width = 64, .height = 64};
    runs.terrain = [](int x, int y) {
        return Element{std::uint16_t(1 + x * 64 + y), std::uint16_t(y)};
    };
    Bytes broken = fixture::IslandFileBytes(runs);
    const auto blocks = fixture::FindAll(broken, "GELAENDE");
    ASSERT_EQ(blocks.size(), 4u);
    std::mt19937 random(5);
    auto entry = [&](std::size_t block, std::size_t k) { return blocks[block] + 22 + 6 * k; };
    for (int i = 0; i < 20; ++i) {  // block 0: twenty entries swapped
        const std::size_t a = entry(0, random() % 1024), b = entry(0, random() % 1024);
        for (int k = 0; k < 6; ++k) std::swap(broken[a + k], broken[b + k]);
    }
    for (int k = 0; k < 8; ++k) broken[entry(1, 100 + k) + 4] = static_cast<std::uint8_t>(252 + k);
    broken[entry(1, 205) + 4] = broken[entry(1, 204) + 4];
    broken[entry(1, 300) + 5] = static_cast<std::uint8_t>(broken[entry(1, 300) + 5] + 1);
    IslandSpec sparse{.width = 96, .height = 96};
    sparse.terrain = [](int x, int y) {
        const bool kept = x % 3 == 0 || (x * 7 + y) % 5 == 0 || (x % 3 == 1 && y % 32 > 20);
        return kept ? Element{std::uint16_t(1 + x * 96 + y), std::uint16_t(x)} : Element{};
    };
    for (const Bytes& bytes : {broken, fixture::IslandFileBytes(sparse)}) {
        auto editor = LoadedEditor(bytes);
        EXPECT_EQ(WrongTerrainCells(*editor, bytes), 0);
    }
    const auto editor = LoadedEditor(broken);
    const IslandMap& island = editor->doc.island;
    EXPECT_EQ(std::tuple(island.terrain.get(40, 50), island.terrain_param.get(40, 50)),
              std::tuple(1 + 40 * 64 + 50, 50));
}

// A terrain run or a FRUCHTBAR column reaching past the layers is reported; the cells before
// the outside one stay, fertility clamped to 10 as inside.
TEST(LoaderEntries, CellsBeyondTheLayersAreReported) {
    IslandSpec plan{.width = 32, .height = 32};
    plan.terrain = [](int, int) { return Element{7, 1}; };
    Bytes terrain = fixture::IslandFileBytes(plan);
    const std::size_t block = fixture::FindAll(terrain, "GELAENDE").at(0);
    terrain[block + 16] = 0xF0;  // y origin 1008: the column's cells run past 1024
    terrain[block + 17] = 0x03;
    // One column of 1024 cells whose FRUCHTBAR count reaches column 1024, cell block 1024 + 1.
    plan.width = 1;
    plan.height = 1024;
    Bytes fertility = fixture::IslandFileBytes(plan);
    fixture::FixtureFile patched(fertility);
    patched.PatchDword(fixture::FindAll(fertility, "FRUCHTBAR").at(0) + 12, 1025 * 1024);
    patched.Append(Bytes(1025 * 1024, 200));
    fertility = patched.Take();
    for (const Bytes* bytes : {&terrain, &fertility}) {
        // Into a document of its own, as a load decodes.
        auto editor = std::make_unique<Editor>();
        editor->doc.file_kind = FileKind::Island;
        EXPECT_THROW(LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, *bytes,
                                         "test.scp"),
                     BoundsError);
        const IslandMap& island = editor->doc.island;
        if (bytes == &terrain)
            EXPECT_EQ(island.terrain.get(0, 1024), 7);
        else
            EXPECT_EQ(std::pair(int(island.fertility.get(1024, 31)),
                                int(island.block_fertility_counts[1024][10])),
                      std::pair(10, 32));
    }
}

}  // namespace
}  // namespace insel
