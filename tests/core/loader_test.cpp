// Decoding islands from game files assembled block by block.
#include "core/island/loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include "core/app/editor.h"
#include "core/document/island_map.h"
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

std::unique_ptr<Editor> LoadedEditor(const Bytes& bytes, FileKind kind = FileKind::Island,
                                     const std::string& name = "test.scp") {
    auto editor = std::make_unique<Editor>();
    Load(*editor, bytes, kind, name);
    return editor;
}

std::uint8_t Slope(int x, int y) { return static_cast<std::uint8_t>((x * 2 + y * 5) % 251); }

TEST(Loader, IslandFileRecordAndStatus) {
    IslandSpec plan;
    plan.width = 100;
    plan.height = 96;
    plan.climate = 3;
    plan.info_a = 9;
    plan.info_b = 123456;
    plan.block_figure = 77;
    const Bytes bytes = fixture::IslandFileBytes(plan);
    auto editor = LoadedEditor(bytes);
    const IslandRecord& r = editor->doc.island.record;
    EXPECT_EQ(std::tuple(r.width, r.height, r.climate, r.info_a, r.info_b, r.block_figure, r.buffer),
              std::tuple(100, 96, 3, 9, 123456, 77, 2));
    EXPECT_EQ(r.start, 16 + 559) << "the INSEL5 tag follows head and WARETYPE";
    EXPECT_EQ(r.data_limit, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(r.name, "test.scp");
    EXPECT_EQ(editor->doc.island.cell_block_count, 12);
    EXPECT_TRUE(editor->doc.loaded && editor->view.island_shown);
    const Status& s = editor->status;
    EXPECT_EQ(std::vector({s.cell_blocks, s.width, s.height, s.file_size, s.addon_level}),
              std::vector<std::string>({"12", "100", "96", std::to_string(bytes.size()), "0"}));
}

TEST(Loader, Insel4AndInsel5HeadersDecodeAlike) {
    IslandSpec plan;
    plan.width = plan.height = 48;
    plan.world_first = 11;
    plan.world_second = 22;
    plan.number = 0x00010005;  // only the low 16 bits count
    plan.heights = Slope;
    plan.gfx = [](int x, int y) { return std::uint16_t(0x0B00 + ((x + y) % 9) * 4); };
    plan.quarry_spots = {{.x = 4, .y = 40, .orientation = 1}};
    IslandSpec old = plan;
    old.insel4 = true;

    auto a = LoadedEditor(fixture::IslandFileBytes(plan));
    auto b = LoadedEditor(fixture::IslandFileBytes(old));
    for (const Editor* e : {a.get(), b.get()}) {
        SCOPED_TRACE(e == a.get() ? "INSEL5" : "INSEL4");
        const IslandRecord& r = e->doc.island.record;
        EXPECT_EQ(std::tuple(r.width, r.height, r.number, r.world_first, r.world_second),
                  std::tuple(48, 48, 5, 11, 22));
        ASSERT_EQ(e->doc.island.quarry_spots.size(), 1u);
        EXPECT_EQ(e->doc.island.quarry_spots[0].y, 40u);
    }
    for (int x = 0; x < 48; ++x) {
        for (int y = 0; y < 48; ++y) {
            ASSERT_EQ(b->doc.island.height.get(x, y), a->doc.island.height.get(x, y))
                << x << "," << y;
            ASSERT_EQ(b->doc.island.gfx.get(x, y), a->doc.island.gfx.get(x, y)) << x << "," << y;
        }
    }
}

TEST(Loader, SeriesUsageAccumulatesOverLoadsUnlessCleared) {
    IslandSpec plan;
    plan.width = plan.height = 32;
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

TEST(Loader, TerrainAndRiverEntriesLandAtOriginPlusOffset) {
    IslandSpec plan;
    plan.width = plan.height = 64;
    plan.terrain = [](int x, int y) {
        if (x == 33 && y == 40) return Element{0x0123, 7};
        return Element{};
    };
    plan.rivers = [](int x, int y) {
        if (x == 13 && y == 20) return Element{0x0A9D, 0x0102};
        if (x == 63 && y == 62) return Element{0x0AA0, 5};
        return Element{};
    };
    auto editor = LoadedEditor(fixture::IslandFileBytes(plan));
    const IslandMap& island = editor->doc.island;
    using Pair = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(Pair(island.terrain.get(33, 40), island.terrain_param.get(33, 40)), Pair(0x0123, 7));
    EXPECT_EQ(island.terrain.get(40, 33), 0);
    EXPECT_EQ(Pair(island.river.get(13, 20), island.river_param.get(13, 20)), Pair(0x0A9D, 0x0102));
    EXPECT_EQ(island.river.get(63, 62), 0x0AA0);
    EXPECT_EQ(island.river.get(20, 13), 0);
}

TEST(Loader, QuarrySpotBitsMinesWhaleGroundsAndAnimalWords) {
    IslandSpec plan;  // positions are not checked against the island's size
    plan.animals = {{1, 2, 3, 4}, {0x1111, 0x2222, 0x3333, 0xFFFF}};
    plan.quarry_spots = {{.x = 300, .y = 700, .orientation = 2},
                         {.x = 0, .y = 0, .orientation = 0},
                         {.x = 1023, .y = 1023, .orientation = 3}};
    plan.mines = {
        {.building_id = 1562u * 16384u,
         .x = 10,
         .y = 20,
         .symbol_value = 16410u * 65536u,
         .treasure = 2000,
         .visible = 1,
         .data_length = 24},
        {.building_id = 1559u * 16384u,
         .x = 0,
         .y = 16,
         .symbol_value = 0x40A66666u,
         .data_length = 42},
        {.building_id = 1664u * 16384u,
         .x = 1023,
         .y = 5,
         .symbol_value = 0x40A66666u,
         .data_length = 16},
    };
    const Bytes bytes = fixture::IslandFileBytes(plan);
    // The quarry spot at (300, 700) is stored as BC C2 12 and its orientation.
    const std::size_t entry = fixture::FindAll(bytes, "BERGWERK2").at(0) + 16;
    ASSERT_EQ(fixture::ReadLe(bytes, entry + 8, 4), 0x0212C2BCu);

    auto editor = LoadedEditor(bytes);
    const IslandMap& island = editor->doc.island;
    ASSERT_EQ(island.quarry_spots.size(), 3u);
    const MineRecord& q = island.quarry_spots[0];
    EXPECT_EQ(std::tuple(q.x, q.y, q.x_band, q.orientation, q.deleted),
              std::tuple(300u, 700u, 18, 2, 0));
    EXPECT_EQ(std::pair(island.quarry_spots[2].x, island.quarry_spots[2].y),
              std::pair(1023u, 1023u));
    EXPECT_EQ(editor->status.quarry_spots, "3");

    ASSERT_EQ(island.mines.size(), 3u);
    const MineRecord& ore = island.mines[0];
    EXPECT_EQ(std::tuple(ore.building_id, ore.x, ore.y, ore.symbol_value, ore.symbol_elevation,
                         ore.treasure, ore.visible, ore.whale),
              std::tuple(static_cast<std::int32_t>(1562u * 16384u), fixture::CellFloatBits(10),
                         fixture::CellFloatBits(20), 16410u * 65536u, 26, 2000, 1, 0));
    EXPECT_EQ(island.mines[1].whale, 1);
    EXPECT_EQ(island.mines[1].y, fixture::CellFloatBits(16));
    EXPECT_EQ(island.mines[2].whale, 0) << "the WHALE search must stay within its own entry";
    EXPECT_EQ(island.mines[2].x, fixture::CellFloatBits(1023));
    EXPECT_EQ(editor->status.mines, "3");

    // Animal words are stored second, first, third, fourth.
    ASSERT_EQ(island.animals.size(), 2u);
    const AnimalEntry& a = island.animals[0];
    EXPECT_EQ(std::tuple(a.second, a.first, a.third, a.fourth), std::tuple(1, 2, 3, 4));
    EXPECT_EQ(island.animals[1].fourth, 0xFFFF);
    EXPECT_EQ(editor->status.animals, "2");
}

TEST(Loader, ObjectsAtTheSameCellAreListedOnceButCounted) {
    IslandSpec plan;
    plan.number = 4;
    plan.objects = {{.id_word = 0x4000 | 821, .parameter = 0x3C00, .x = 5, .y = 6},
                    {.id_word = 0x0123, .parameter = 1, .x = 5, .y = 6},
                    {.id_word = 0x8000 | 100, .parameter = 2, .x = 40, .y = 7}};
    const Bytes bytes = fixture::IslandFileBytes(plan);
    auto editor = LoadedEditor(bytes);
    const auto& objects = editor->doc.island.objects;
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(editor->status.objects, "3");

    const auto prod = fixture::FindAll(bytes, "PROD2");
    auto fields = [](const ObjectEntry& o) {
        return std::tuple(o.graphic_id, o.id_word, o.orientation, o.parameter, o.x, o.y, o.island,
                          o.file_position);
    };
    EXPECT_EQ(fields(objects[0]), std::tuple(821, 0x4000 | 821, 1, 0x3C00, 5, 6, 4,
                                             static_cast<std::int32_t>(prod.at(0) + 22)));
    // x 40 lies in the third block (x origin 32, y origin 0).
    EXPECT_EQ(fields(objects[1]), std::tuple(100, 0x8000 | 100, 2, 2, 40, 7, 4,
                                             static_cast<std::int32_t>(prod.at(2) + 22)));
}

TEST(Loader, KontorIdNumbersZeroOrMissingGiveTheDefaults) {
    using Kontor = std::optional<fixture::KontorIdSpec>;
    const std::vector<std::tuple<Kontor, int, int>> cases = {
        {fixture::KontorIdSpec{0, 0}, 2, 1}, {fixture::KontorIdSpec{7, 9}, 7, 9},
        {fixture::KontorIdSpec{0, 5}, 2, 5}, {fixture::KontorIdSpec{6, 0}, 6, 1},
        {std::nullopt, 2, 1}};
    for (const auto& [stored, first, second] : cases) {
        IslandSpec plan;
        plan.kontorid = stored;
        auto editor = LoadedEditor(fixture::IslandFileBytes(plan));
        EXPECT_EQ((std::pair<int, int>(editor->doc.island.kontorid_first,
                                      editor->doc.island.kontorid_second)),
                  std::pair(first, second));
    }
}

TEST(Loader, SavegamesTakeTheNameBlockAndVeneMarksClimate6) {
    const std::vector<std::tuple<FileKind, std::optional<std::string>, std::string, int>> cases = {
        {FileKind::Savegame, "Insel VENEZIA", "Insel VENEZIA", 6},
        {FileKind::Savegame, "Nordland", "Nordland", 3},
        {FileKind::Savegame, std::nullopt, "No name", 3},
        {FileKind::Island, "VENEDIG", "file.scp", 3}};  // island files keep the file name
    for (const auto& [kind, stored, name, climate] : cases) {
        SCOPED_TRACE(name);
        IslandSpec plan;
        plan.climate = 3;
        plan.name = stored;
        const Bytes bytes = kind == FileKind::Savegame ? fixture::SavegameBytes({plan})
                                                       : fixture::IslandFileBytes(plan);
        auto editor = LoadedEditor(bytes, kind, "file.scp");
        EXPECT_EQ(std::tuple(editor->doc.island.record.name, editor->doc.island.record.climate),
                  std::tuple(name, climate));
    }
}

// Without DISCOVER, KONTORID, objects and animals are not read, nor left from an earlier file.
TEST(Loader, WithoutDiscoverNothingBehindItIsReadNorKeptFromALongerEarlierFile) {
    IslandSpec large;
    large.width = large.height = 64;
    large.kontorid = fixture::KontorIdSpec{7, 9};
    large.animals = {{1, 2, 3, 4}};
    IslandSpec small;
    small.width = small.height = 32;
    small.with_discover = false;
    small.kontorid = fixture::KontorIdSpec{7, 9};
    small.animals = {{1, 2, 3, 4}};
    small.objects = {{.id_word = 821, .x = 1, .y = 1}};
    small.quarry_spots = {{.x = 2, .y = 3}};

    auto editor = std::make_unique<Editor>();
    Load(*editor, fixture::IslandFileBytes(large), FileKind::Island);
    ASSERT_EQ(editor->doc.island.animals.size(), 1u);
    Load(*editor, fixture::IslandFileBytes(small), FileKind::Island);
    EXPECT_EQ(editor->doc.island.record.width, 32);
    EXPECT_EQ((std::pair<int, int>(editor->doc.island.kontorid_first,
                                  editor->doc.island.kontorid_second)), std::pair(2, 1));
    EXPECT_TRUE(editor->doc.island.animals.empty() && editor->doc.island.objects.empty());
    EXPECT_EQ(std::tuple(editor->status.animals, editor->status.objects), std::tuple("0", "0"));
    EXPECT_EQ(editor->doc.island.quarry_spots.size(), 1u) << "quarry spots come before DISCOVER";
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
    auto editor = std::make_unique<Editor>();
    try {
        Load(*editor, bytes, FileKind::Island);
        FAIL() << "no error";
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    } catch (const std::exception& e) {
        FAIL() << "wrong error type " << typeid(e).name() << ": " << e.what();
    }
}

IslandSpec SmallIsland() {
    IslandSpec plan;
    plan.width = plan.height = 32;
    plan.heights = [](int, int) { return std::uint8_t{50}; };
    return plan;
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
}

TEST(LoaderErrors, FourByteValueWithTopBitIsAnOverflowAndKeepsTheOpenDocument) {
    const Bytes good = fixture::IslandFileBytes(SmallIsland());
    const std::size_t kontorid = fixture::FindAll(good, "KONTORID").at(0);
    const Bytes bytes = Patched(good, "KONTORID", 12, {1, 0, 0, 0x80});
    auto editor = std::make_unique<Editor>();
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
              std::tuple("open.scp", FileKind::Island, 50, shown.island_name, shown.memo2));
}

// Every prefix of a file and a series of corrupted copies either load or fail with insel::Error.
TEST(LoaderErrors, TruncatedAndCorruptedFilesNeverFailOtherwise) {
    IslandSpec plan;
    plan.width = plan.height = 40;
    plan.heights = Slope;
    plan.terrain = [](int x, int y) {
        return Element{std::uint16_t(x == y ? 0x4000 | 700 : 0), 3};
    };
    plan.rivers = [](int x, int y) {
        return Element{std::uint16_t(x == 20 && y > 3 ? 2701 : 0), 1};
    };
    plan.quarry_spots = {{.x = 3, .y = 4}};
    plan.mines = {{.x = 5, .y = 6},
                  {.building_id = 1559u * 16384u, .x = 1, .y = 1, .data_length = 42}};
    plan.animals = {{1, 2, 3, 4}};
    plan.objects = {{.id_word = 821, .x = 35, .y = 35}};
    plan.name = "Bruch";
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
    for (std::size_t cut : cuts) {
        try_load(std::span(whole).first(cut), cut % 2 ? FileKind::Savegame : FileKind::Island,
                 "prefix of " + std::to_string(cut));
    }
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
    IslandSpec plan;
    plan.width = plan.height = 100;
    auto mixed = [](int x, int y) { return (x / 3) % 2 == 0 || (y / 16) % 3 == 1; };
    plan.heights = [&](int x, int y) {
        return static_cast<std::uint8_t>(mixed(x, y) ? (x * 7 + y * 3) & 0xFF : 40);
    };
    plan.fertility = [&](int x, int y) {
        return static_cast<std::uint8_t>(mixed(x, y) ? (x + y) % 14 : 12);  // above 10 too
    };
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
            const int block = 4 * (x / 32) + y / 32;
            ++heights[block][plan.heights(x, y)];
            const int f = std::min<int>(plan.fertility(x, y), 10);
            ++fertility[block][f];
            const std::uint16_t tile = plan.gfx(x, y) >> 8 > 147 + 11 ? 0 : plan.gfx(x, y);
            ++usage[std::max(0, (tile >> 8) - 11)];
            wrong_cells += island.height.get(x, y) != plan.heights(x, y);
            wrong_cells += island.fertility.get(x, y) != f;
            wrong_cells += island.gfx.get(x, y) != tile;
        }
    }
    usage[kSeriesCount - 1] = 100 * 100;  // the cells counted, in place of series 147
    EXPECT_EQ(wrong_cells, 0);
    for (int block = 0; block < 16; ++block) {
        EXPECT_EQ(island.block_height_counts[block], heights[block]) << "block " << block;
        EXPECT_EQ(island.block_fertility_counts[block], fertility[block]) << "block " << block;
    }
    EXPECT_EQ(island.series_usage, usage);
    ASSERT_EQ(editor->status.memo2.size(), 1u);
    EXPECT_EQ(editor->status.memo2[0],
              "Insel test.scp  Fehlerhafte GFXStruktur bei 50, 70  Bitmapwert 148");
    EXPECT_EQ(island.fertility.get(100, 0), 10) << "outside the island the cleared value stays";
}


// Applies every GELAENDE block's entries in file order, as the format says, one by one.
std::vector<std::uint16_t> PlainTerrain(const Bytes& bytes) {
    std::vector<std::uint16_t> cells(static_cast<std::size_t>(kLayerSide) * kLayerSide);
    for (std::size_t tag : fixture::FindAll(bytes, "GELAENDE")) {
        const std::size_t length = fixture::ReadLe(bytes, tag + 12, 4);
        const int y0 = static_cast<int>(fixture::ReadLe(bytes, tag + 16, 2));
        const int x0 = static_cast<int>(fixture::ReadLe(bytes, tag + 18, 2));
        for (std::size_t e = tag + 22; e + 6 <= tag + 16 + length; e += 6)
            cells[static_cast<std::size_t>(x0 + bytes[e + 5]) * kLayerSide + y0 + bytes[e + 4]] =
                static_cast<std::uint16_t>(fixture::ReadLe(bytes, e, 2));
    }
    return cells;
}

// Cells of the loaded terrain layer that differ from the entries applied one by one.
int WrongTerrainCells(const Editor& editor, const Bytes& bytes) {
    const std::vector<std::uint16_t> expected = PlainTerrain(bytes);
    int wrong = 0;
    for (int x = 0; x < kLayerSide; ++x)
        for (int y = 0; y < kLayerSide; ++y)
            wrong += editor.doc.island.terrain.get(x, y) !=
                     expected[static_cast<std::size_t>(x) * kLayerSide + y];
    return wrong;
}

// Entries in the usual x-major runs are written eight at a time; runs broken by a shuffle,
// by y offsets that wrap past 255, by a repeated cell or by a change of column must come out
// as written one by one.
TEST(LoaderEntries, RunsAndBrokenRunsGiveTheSameCells) {
    IslandSpec plan;
    plan.width = plan.height = 64;
    plan.terrain = [](int x, int y) {
        return Element{static_cast<std::uint16_t>(1 + x * 64 + y), static_cast<std::uint16_t>(y)};
    };
    Bytes bytes = fixture::IslandFileBytes(plan);
    const auto blocks = fixture::FindAll(bytes, "GELAENDE");
    ASSERT_EQ(blocks.size(), 4u);
    std::mt19937 random(5);
    auto entry = [&](std::size_t block, std::size_t k) { return blocks[block] + 22 + 6 * k; };
    // Block 0: twenty entries swapped at random.
    for (int i = 0; i < 20; ++i) {
        const std::size_t a = entry(0, random() % 1024), b = entry(0, random() % 1024);
        for (int k = 0; k < 6; ++k) std::swap(bytes[a + k], bytes[b + k]);
    }
    // Block 1: y offsets 252..255, 0..3 in one column; a repeated cell; a column change
    // inside eight entries.
    for (int k = 0; k < 8; ++k) bytes[entry(1, 100 + k) + 4] = static_cast<std::uint8_t>(252 + k);
    bytes[entry(1, 205) + 4] = bytes[entry(1, 204) + 4];
    bytes[entry(1, 300) + 5] = static_cast<std::uint8_t>(bytes[entry(1, 300) + 5] + 1);
    auto editor = LoadedEditor(bytes);
    EXPECT_EQ(WrongTerrainCells(*editor, bytes), 0);
    EXPECT_EQ(std::tuple(editor->doc.island.terrain.get(40, 50),
                         editor->doc.island.terrain_param.get(40, 50)),
              std::tuple(1 + 40 * 64 + 50, 50));
}

// Sparse columns (every fifth cell) between full ones, and runs that begin anywhere within
// eight sparse entries: the entries written without a run test must land where they say.
TEST(LoaderEntries, SparseEntriesBetweenRunsGiveTheSameCells) {
    IslandSpec plan;
    plan.width = plan.height = 96;
    plan.terrain = [](int x, int y) {
        const bool kept = x % 3 == 0 || (x * 7 + y) % 5 == 0 || (x % 3 == 1 && y % 32 > 20);
        return kept ? Element{static_cast<std::uint16_t>(1 + x * 96 + y),
                              static_cast<std::uint16_t>(x)}
                    : Element{};
    };
    const Bytes bytes = fixture::IslandFileBytes(plan);
    auto editor = LoadedEditor(bytes);
    EXPECT_EQ(WrongTerrainCells(*editor, bytes), 0);
    const std::vector<std::uint16_t> plain = PlainTerrain(bytes);
    EXPECT_GT(std::count_if(plain.begin(), plain.end(), [](auto e) { return e != 0; }),
              96 * 96 / 3);
    EXPECT_EQ(std::tuple(editor->doc.island.terrain.get(31, 22),
                         editor->doc.island.terrain_param.get(31, 22)),
              std::tuple(1 + 31 * 96 + 22, 31));
}

TEST(LoaderEntries, CellBeyondTheLayersInALongRunIsReported) {
    IslandSpec plan;
    plan.width = plan.height = 32;
    plan.terrain = [](int, int) { return Element{7, 1}; };
    Bytes bytes = fixture::IslandFileBytes(plan);
    const std::size_t block = fixture::FindAll(bytes, "GELAENDE").at(0);
    bytes[block + 16] = 0xF0;  // y origin 1008: the column's cells run past 1024
    bytes[block + 17] = 0x03;
    // Into a document of its own, as a load decodes.
    auto editor = std::make_unique<Editor>();
    editor->doc.file_kind = FileKind::Island;
    EXPECT_THROW(
        LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, bytes, "test.scp"),
        BoundsError);
    EXPECT_EQ(editor->doc.island.terrain.get(0, 1024), 7) << "cells before the outside one stay";
}

}  // namespace
}  // namespace insel
