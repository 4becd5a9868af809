// Series naming, the tile tables, cutting and turning tiles, and the preload cache.
#include "core/display/textures.h"
#include "core/tools/element_pictures.h"

#include <gtest/gtest.h>

#include "temp_file.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace insel {
namespace {

// Pixels carry their own coordinates so a cut or copy shows where it came from.
constexpr std::uint32_t Coded(int x, int y) {
    return 0xFF000000u | (static_cast<std::uint32_t>(x) << 12) | y;
}

// Full bitmaps are filled with their series code; names listed in `missing` are not found.
struct FakeFolder {
    std::vector<std::string> asked;
    std::set<std::string> missing;
    int base_size = 256;

    PictureLoader Loader() {
        return [this](const std::filesystem::path& path) -> std::optional<Picture> {
            const std::string name = path.filename().string();
            asked.push_back(name);
            if (missing.count(name)) return std::nullopt;
            if (name.find("Full") == std::string::npos) {
                Picture p{base_size, base_size, {}};
                for (int y = 0; y < base_size; ++y)
                    for (int x = 0; x < base_size; ++x) p.pixels.push_back(Coded(x, y));
                return p;
            }
            const auto code = static_cast<std::uint32_t>(std::stoi(name.substr(6, 2), nullptr, 16));
            return Picture{512, 512, std::vector<std::uint32_t>(512 * 512, code)};
        };
    }
};

TEST(TileTablesAndSeriesNames, TablesFollowRowColumnOrientationRulesAndNamesCodesPathsRowsItems) {
    // 0x25: row 1, column 1, turned once: top-right quarter. 0xA7: row 5, column 1, turned three
    // times: bottom-right quarter, block 2. 0x4A: row 2, column 2, upside down: bottom-left
    // quarter. Columns 6 and 7 (0x1B, 0xBC) do not exist.
    std::vector<std::tuple<int, int, int>> entries;
    for (int tile : {0x25, 0xA7, 0x4A, 0x1B, 0xBC}) {
        entries.emplace_back(kTileTables.full_left[tile], kTileTables.full_top[tile],
                             kTileTables.texture_index[tile]);
    }
    // clang-format off
    EXPECT_EQ(entries, (std::vector<std::tuple<int, int, int>>{{256 + 171, 43, 4},
                           {256 + 213, 256 + 171, 25}, {128, 256 + 128, 8}, {0, 0, 0}, {0, 0, 0}}));
    // clang-format on

    EXPECT_EQ(SeriesCode(146), "9D");  // index plus eleven in two hex digits
    EXPECT_EQ(BaseBitmapPath("/prog", 0), std::filesystem::path("/prog/GFXImages/Series0Bxx.bmp"));
    EXPECT_EQ(FullBitmapPath("/prog", 0x21 - 11),
              std::filesystem::path("/prog/GFXImages/Series21xxFull.bmp"));

    const std::vector<int> polar = BestSeriesOfIslandType(5, 12);
    ASSERT_EQ(polar.size(), 10u);  // rows 11 and 12 keep their series
    EXPECT_EQ(std::pair(polar.front(), polar.back()), std::pair(0x1A - 11, 0x67 - 11));
    EXPECT_EQ(BestSeriesOfIslandType(1, 2), (std::vector<int>{0x21 - 11, 0x52 - 11}));
    EXPECT_TRUE(BestSeriesOfIslandType(6, 10).empty());

    // List items are the first tile of each series; 9E lies beyond the last, 0A below the first.
    EXPECT_EQ(SeriesListItems({"0B 00 Meer tief, oben links", "0B 0C x", "0B 60 x", "0B 6C x",
                               "0C 00 Meer flach", "0C 0C x"}),
              (std::vector<std::string>{"0B Meer tief, oben links", "0C Meer flach"}));
    EXPECT_EQ(SeriesListItems({"0D 0"}), (std::vector<std::string>{"0D "}));
    std::vector<int> series;
    for (const char* item : {"0B Meer tief", "9d x", "9E x", "0A x", "G1 x", "1"})
        series.push_back(SeriesOfListItem(item));
    EXPECT_EQ(series, std::vector({0, 146, -1, -1, -1, -1}));

    const HeapStatus s{
        .total_uncommitted = 1, .total_addr_space = 7, .total_allocated = 8, .total_free = 9};
    EXPECT_EQ(MemoryStatusLines(s, false),
              (std::vector<std::string>{"-", "TotalAddrSpace 7", "TotalAllocated 8", "TotalFree 9",
                                        "-"}));
    EXPECT_EQ(MemoryStatusLines(s, true).at(0), "TotalUncommitted 1");
}

TEST(WorkingTiles, CutByTextureIndexTurnedClockwiseAndUnusableSeriesReadOnce) {
    FakeFolder folder;
    folder.missing.insert("Series0Exx.bmp");
    TextureCache cache("/prog", folder.Loader());
    EXPECT_EQ(cache.CurrentSeries(), -1);
    ASSERT_TRUE(cache.SetupBitmaps(2));
    EXPECT_EQ(std::pair(cache.CurrentSeries(), folder.asked),
              std::pair(2, std::vector<std::string>{"Series0Dxx.bmp"}));
    for (int w = 0; w < 6; ++w)
        for (int c = 0; c < 6; ++c) {
            const TilePicture& tile = cache.Tile(kTileTables.texture_index[w * 32 + c * 4]);
            const int left = kTileOffsets[c], top = kTileOffsets[w];
            for (int y : {0, 17, 42})
                for (int x : {0, 30, 42})
                    ASSERT_EQ(tile.at(x, y), Coded(left + x, top + y)) << w << "," << c;
        }
    const TilePicture& tile = cache.Tile(4);
    for (int turn = 0; turn < 4; ++turn) {  // one turn takes top left to top right
        cache.RotateTile(4, turn);
        for (int y = 0; y < kTileSize; ++y)
            for (int x = 0; x < kTileSize; ++x) {
                const int to_x[4] = {x, 42 - y, 42 - x, y}, to_y[4] = {y, x, 42 - y, 42 - x};
                ASSERT_EQ(cache.ScratchTile().at(to_x[turn], to_y[turn]), tile.at(x, y))
                    << turn << ": " << x << "," << y;
            }
    }
    // Asking again for the current series does not read the file again.
    EXPECT_TRUE(cache.SetupBitmaps(2));
    EXPECT_EQ(folder.asked.size(), 1u);

    // An unusable series is logged once and not read again; the tiles stay series 2's.
    EXPECT_FALSE(cache.SetupBitmaps(3));
    EXPECT_FALSE(cache.SetupBitmaps(3));
    EXPECT_EQ(std::tuple(cache.SeriesUnavailable(3), cache.CurrentSeries(), folder.asked.size()),
              std::tuple(true, 2, 2u));
    ASSERT_EQ(cache.log.size(), 1u);
    EXPECT_NE(cache.log[0].find("Series0Exx.bmp"), std::string::npos);
    folder.base_size = 200;  // too small to hold the tiles
    EXPECT_FALSE(cache.SetupBitmaps(4));
    EXPECT_FALSE(cache.SetupBitmaps(4));
    EXPECT_EQ(std::tuple(folder.asked.size(), cache.log.size()), std::tuple(3u, 2u));
    EXPECT_FALSE(cache.SetupBitmaps(147));  // no such series, nothing asked
    EXPECT_EQ(folder.asked.size(), 3u);
}

PreloadChoice AutoChoice(std::vector<int> codes, int attempted) {
    PreloadChoice choice;
    for (int code : codes) choice.listed.push_back(code - 11);
    choice.auto_preload = true, choice.attempted = attempted;
    return choice;
}

TEST(Preload, SameSeriesOnceFreedSlotsReusedLowestFirstAndReallocationEmptiesTheMap) {
    FakeFolder folder;
    TextureCache cache("/prog", folder.Loader());
    cache.AllocatePreloadSlots(4, [] { return HeapStatus{}; });
    EXPECT_EQ(std::tuple(cache.AllocatedSlots(), cache.log.front(), cache.log.back(),
                         cache.log.size()),  // the long form once, the short form per slot
              std::tuple(4, "Alle Texturenbitmaps gelöscht", "4 Texturenbitmaps erzeugt",
                         1u + 10u + 4u * 5u + 1u));
    cache.PreloadTextures(AutoChoice({0x0D, 0x17, 0x0D, 0x19}, 4));
    auto slots = [&](std::vector<int> codes) {
        std::vector<int> numbers;
        for (int code : codes) numbers.push_back(cache.SeriesSlotMap()[code - 11]);
        return numbers;
    };
    EXPECT_EQ(slots({0x0D, 0x17, 0x19}), std::vector({1, 2, 3}));
    EXPECT_EQ(std::tuple(cache.log[7], folder.asked.size(), cache.Slot(2).at(100, 300)),
              std::tuple("2  schon in 1", 3u, 0xFF000017u));

    cache.PreloadTextures(AutoChoice({0x19, 0x20, 0x0B}, 4));
    EXPECT_EQ(cache.log,
              (std::vector<std::string>{
                  "Loading Textures", "19  gelistet bei 1", "20  gelistet bei 2",
                  "0B  gelistet bei 3", " ID 0D  gelöscht", " ID 17  gelöscht",
                  "ID 19 immer noch da", "14  schon in 3", "File Series20xxFull.bmp  als nr 1",
                  "File Series0BxxFull.bmp  als nr 2", "Slot 4 nicht gewählt"}));
    EXPECT_EQ(slots({0x0D, 0x20, 0x0B, 0x19}), std::vector({0, 1, 2, 3}));
    EXPECT_EQ(cache.Slot(1).at(511, 511), 0xFF000020u);
    cache.log.clear();
    cache.AllocatePreloadSlots(20);
    EXPECT_EQ(std::tuple(cache.AllocatedSlots(), slots({0x20, 0x0B, 0x19}), cache.log.size()),
              std::tuple(16, std::vector({0, 0, 0}), 2u));
    cache.AllocatePreloadSlots(2);  // slots never shrink
    EXPECT_EQ(cache.AllocatedSlots(), 16);
}

TEST(Preload, OnlyExistingSlotsTickedRowsAndReadableFiles) {
    FakeFolder folder;
    folder.missing.insert("Series17xxFull.bmp");
    TextureCache cache("/prog", folder.Loader());
    cache.PreloadTextures(AutoChoice({0x0D}, 10));  // no slots yet
    EXPECT_EQ(
        std::pair(cache.log, folder.asked.empty()),
        std::pair(std::vector<std::string>({"Loading Textures", "0D  gelistet bei 1"}), true));

    cache.AllocatePreloadSlots(2);
    PreloadChoice choice = AutoChoice({0x17, 0x0D, 0x19, 0x1A, 0x20}, 5);
    choice.auto_preload = false, choice.ticked = {true, true, true, true, true};
    cache.PreloadTextures(choice);
    // The unreadable series takes no slot; rows 3 to 5 have none left to ask for.
    const auto& map = cache.SeriesSlotMap();
    EXPECT_EQ(std::tuple(map[0x17 - 11], map[0x0D - 11], map[0x19 - 11], cache.log.back()),
              std::tuple(0, 1, 0, "File Series0DxxFull.bmp  als nr 1"));
    EXPECT_EQ(folder.asked, (std::vector<std::string>{"Series17xxFull.bmp", "Series0DxxFull.bmp"}));

    choice.listed = {0x19 - 11, 0x1A - 11}, choice.ticked = {false, true};
    cache.PreloadTextures(choice);
    EXPECT_EQ(std::tuple(cache.log.end()[-2], cache.log.back(), map[0x19 - 11]),
              std::tuple("Slot 1 nicht gewählt", "File Series1AxxFull.bmp  als nr 1", 0));
}

}  // namespace
}  // namespace insel

// Which picture a page shows for an element, by the files that exist.
TEST(ElementPicture, VariantThenElementThenStandIn) {
    const insel::fixture::TempDir dir;
    const auto folder = dir.path() / "GelImages";
    std::filesystem::create_directories(folder);
    for (const char* name : {"000.bmp", "1201.bmp", "1201_2.bmp", "1007.bmp", "3000.bmp"})
        std::ofstream(folder / name) << "x";
    using insel::PictureKind;
    const auto pick = [&](PictureKind kind, int variant, const char* id) {
        const auto path = insel::ElementPicturePath(dir.path(), kind, variant, id);
        return path.empty() ? std::string() : path.filename().string();
    };
    EXPECT_EQ(pick(PictureKind::Terrain, 2, "1201"), "1201_2.bmp");
    EXPECT_EQ(pick(PictureKind::Terrain, 1, "1201"), "1201.bmp");
    EXPECT_EQ(pick(PictureKind::Object, 0, "9999"), "000.bmp");
    EXPECT_EQ(pick(PictureKind::Object, 0, "1008"), "1007.bmp");
    EXPECT_EQ(pick(PictureKind::River, 0, "3040"), "3000.bmp");
    std::filesystem::remove(folder / "000.bmp");
    EXPECT_EQ(pick(PictureKind::Object, 0, "9999"), "");
}
