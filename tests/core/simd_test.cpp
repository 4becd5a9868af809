// Each kernel of the active tier against its portable version, on lengths that are not a
// multiple of any vector width, tags at the buffer's end and blocks at the layers' far edge.
// Run once per tier (INSEL_CPU), this compares every wide kernel the machine has.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

#include "core/document/island_map.h"
#include "core/simd/cell_changes.h"
#include "core/simd/cell_values.h"
#include "core/simd/entries.h"
#include "core/simd/square_turn.h"
#include "core/simd/tag_search.h"
#include "core/simd/tier.h"

namespace insel::simd {
namespace {

TEST(Tier, OverrideLowersButNeverRaisesTheTier) {
    // Name asked for, best tier of the machine, tier chosen.
    // clang-format off
    for (const auto& [name, best, expected] : {std::tuple{"portable", Tier::kAvx512, Tier::kPortable},
             {"avx2", Tier::kAvx512, Tier::kAvx2}, {"avx512", Tier::kAvx2, Tier::kAvx2},
             {"avx512", Tier::kPortable, Tier::kPortable}, {"AVX2", Tier::kAvx512, Tier::kAvx512},
             {"", Tier::kAvx2, Tier::kAvx2}})
        // clang-format on
        EXPECT_EQ(std::pair(ChooseTier(ParseTier(name), best), ParseTier(TierName(expected))),
                  std::pair(expected, std::optional(expected)))
            << name;
    EXPECT_LE(ActiveTier(), BestTier());
}

TEST(Kernels, TagSearchAndSweepAgreeWithThePortableOnes) {
    for (std::size_t size : {2u, 9u, 63u, 64u, 65u, 130u, 1000u, 4099u}) {
        std::mt19937 random(static_cast<unsigned>(size));
        std::vector<std::uint8_t> bytes(size);
        for (auto& b : bytes) b = static_cast<std::uint8_t>("ABEFGILNSTV2\0"[random() % 13]);
        const auto length = static_cast<std::int64_t>(size);
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            const std::string_view tag = kSweptTags[k];
            // One across the 64-start blocks, one at the very end.
            for (std::int64_t at : {std::int64_t(58 + 11 * k), length - std::ssize(tag)})
                if (at >= 0 && at + std::ssize(tag) <= length)
                    std::copy(tag.begin(), tag.end(), bytes.begin() + at);
        }
        for (std::string_view tag : {"NAME", "STADT2", "EVENTINSEL", "AN"}) {
            const std::int64_t last = length - std::ssize(tag);
            for (std::int64_t from = 0; from <= last; from += 7) {
                for (std::int64_t to : {last, std::min(last, from + 40), from}) {
                    EXPECT_EQ(FindTag(bytes.data(), length, from, to, tag),
                              FindTagPortable(bytes.data(), length, from, to, tag))
                        << tag << " in " << size << " from " << from << " to " << to;
                }
            }
        }
        // Filled in stretches, as a file is read; against each start compared in full.
        SweptStarts wide, portable, every;
        std::int64_t at_wide = 0, at_portable = 0;
        for (std::int64_t valid = std::min<std::int64_t>(length, 100);;
             valid = std::min(length, valid + 300)) {
            at_wide = SweepTags(bytes.data(), length, valid, at_wide, wide);
            at_portable = SweepTagsPortable(bytes.data(), length, valid, at_portable, portable);
            if (valid == length) break;
        }
        for (std::size_t k = 0; k < kSweptTags.size(); ++k)
            for (std::int64_t at = 0; at + std::ssize(kSweptTags[k]) <= length; ++at)
                if (std::equal(kSweptTags[k].begin(), kSweptTags[k].end(), bytes.begin() + at))
                    every[k].push_back(at);
        EXPECT_EQ(std::pair(wide, portable), std::pair(every, every)) << size;
    }
}

TEST(Kernels, CellValueKernelsAgreeWithThePortableOnes) {
    std::mt19937 random(5);
    for (int n = 0; n <= 130; ++n) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n) + 1);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 14);
        if (n <= 32) {  // the fertility of one block column: capped at ten and counted
            std::array<std::uint16_t, 32> wide{}, portable{}, capped{};
            std::array<std::int32_t, 11> wide_counts{}, portable_counts{}, counted{};
            ClampAndCountFertility(bytes.data(), n, wide.data(), wide_counts);
            ClampAndCountFertilityPortable(bytes.data(), n, portable.data(), portable_counts);
            for (int y = 0; y < n; ++y)
                ++counted[capped[y] = std::min<std::uint16_t>(bytes[y], 10)];
            EXPECT_EQ(std::tie(wide, wide_counts, portable, portable_counts),
                      std::tie(capped, counted, capped, counted))
                << n;
        }
        // Only the values equal to the one replaced change; the byte past the end stays.
        std::vector<std::uint8_t> replaced = bytes, portable = bytes, expected = bytes;
        ReplaceEqual(replaced.data(), n, 7, 200);
        ReplaceEqualPortable(portable.data(), n, 7, 200);
        std::replace(expected.begin(), expected.begin() + n, std::uint8_t{7}, std::uint8_t{200});
        EXPECT_EQ(std::tie(replaced, portable), std::tie(expected, expected)) << n;
        // Tiles of series 0C become 0D with their low byte; others and the one past the end stay.
        std::vector<std::uint16_t> tiles(static_cast<std::size_t>(n) + 1);
        for (auto& t : tiles) t = static_cast<std::uint16_t>((0x0B + random() % 3) << 8 | random() % 256);
        std::vector<std::uint16_t> wide_tiles = tiles, portable_tiles = tiles, expected_tiles = tiles;
        int expected_count = 0;
        for (int k = 0; k < n; ++k) {
            if (tiles[k] >> 8 != 0x0C) continue;
            expected_tiles[k] = static_cast<std::uint16_t>(0x0D00 | (tiles[k] & 0xFF));
            ++expected_count;
        }
        EXPECT_EQ(std::pair(ReplaceHighByte(wide_tiles.data(), n, 0x0C, 0x0D),
                            ReplaceHighBytePortable(portable_tiles.data(), n, 0x0C, 0x0D)),
                  std::pair(expected_count, expected_count));
        EXPECT_EQ(std::tie(wide_tiles, portable_tiles), std::tie(expected_tiles, expected_tiles))
            << n;
        std::vector<std::uint16_t> words(static_cast<std::size_t>(n) + 1, 3);
        if (n > 0) words[static_cast<std::size_t>(random() % n)] = 9;
        for (int from = 0; from <= n; from += 5) {
            const int found = static_cast<int>(
                std::find(words.begin() + from, words.begin() + n, 9) - words.begin());
            EXPECT_EQ(std::pair(NextEqual(words.data(), from, n, 9),
                                NextEqualPortable(words.data(), from, n, 9)),
                      std::pair(found, found))
                << n << " from " << from;
        }
    }
}

// Masks against the meaning written out bit by bit: changes sparse, dense and at the ends,
// words with bits beyond the column's end, and only some bits of the words compared.
TEST(Kernels, ChangeMasksAgreeWithComparingCellByCell) {
    std::mt19937 random(9);
    for (int n : {0, 1, 2, 63, 64, 65, 127, 128, 129, 1000, kLayerSide}) {
        for (int density : {0, 1, 50, 100}) {
            std::vector<std::uint8_t> a(static_cast<std::size_t>(n) + 1), b;
            std::vector<std::uint16_t> wa(a.size()), wb;
            for (std::size_t k = 0; k < a.size(); ++k) {
                a[k] = static_cast<std::uint8_t>(k / 40);
                wa[k] = static_cast<std::uint16_t>(k / 40 * 0x101);
            }
            b = a, wb = wa;
            for (std::size_t k = 0; k < a.size(); ++k) {
                if (static_cast<int>(random() % 100) >= density) continue;
                b[k] ^= 1 + random() % 255;
                wb[k] ^= static_cast<std::uint16_t>(1 + random() % 0xFFFF);
            }
            const auto expected = [&](auto differs) {
                std::vector<std::uint64_t> bits(static_cast<std::size_t>(MaskWords(n)));
                for (int k = 0; k < n; ++k)
                    if (differs(k)) bits[k / 64] |= std::uint64_t{1} << (k % 64);
                return bits;
            };
            using Masks = std::vector<std::uint64_t>;
            const Masks bytes = expected([&](int k) { return a[k] != b[k]; });
            const Masks words = expected([&](int k) { return wa[k] != wb[k]; });
            const Masks runs = expected([&](int k) { return k == 0 || b[k] != b[k - 1]; });
            const Masks series =
                expected([&](int k) { return k == 0 || ((wb[k] ^ wb[k - 1]) & 0xFF00) != 0; });
            for (bool portable : {false, true}) {
                std::array<Masks, 4> got;
                for (auto& bits : got) bits.assign(static_cast<std::size_t>(MaskWords(n)), 0xABCD);
                if (portable) {
                    DifferenceMaskPortable(a.data(), b.data(), n, got[0].data());
                    DifferenceMaskPortable(wa.data(), wb.data(), n, got[1].data());
                    BoundaryMaskPortable(b.data(), n, got[2].data());
                    BoundaryMaskPortable(wb.data(), n, 0xFF00, got[3].data());
                } else {
                    DifferenceMask(a.data(), b.data(), n, got[0].data());
                    DifferenceMask(wa.data(), wb.data(), n, got[1].data());
                    BoundaryMask(b.data(), n, got[2].data());
                    BoundaryMask(wb.data(), n, 0xFF00, got[3].data());
                }
                EXPECT_EQ(got, (std::array{bytes, words, runs, series}))
                    << n << " cells, " << density << "% changed, portable " << portable;
            }
        }
    }
}

// Layers as the loader and writer see them: columns kLayerSide cells apart.
struct Layers {
    std::vector<std::uint16_t> element = std::vector<std::uint16_t>(kLayerSide * kLayerSide);
    std::vector<std::uint16_t> param = std::vector<std::uint16_t>(kLayerSide * kLayerSide);
};

// One entry after the other, the meaning the kernels must keep.
std::int64_t ReadEntriesOneByOne(const EntryTarget& t, const std::uint8_t* e, std::int64_t n,
                                 int& x_end, int& y_end) {
    std::int64_t i = 0;
    for (; i < n; ++i, e += 6) {
        const int x = t.x0 + e[5], y = t.y0 + e[4];
        if (x >= kLayerSide || y >= kLayerSide) break;
        const std::size_t at = static_cast<std::size_t>(x) * kLayerSide + y;
        t.element[at] = static_cast<std::uint16_t>(e[0] | e[1] << 8);
        t.param[at] = static_cast<std::uint16_t>(e[2] | e[3] << 8);
        x_end = std::max(x_end, x + 1), y_end = std::max(y_end, y + 1);
    }
    return i;
}

TEST(Kernels, EntryReadersAgreeWithReadingOneByOneAndStagingWithThePortableOne) {
    std::mt19937 random(11);
    auto runs = [&](int count) {  // column runs of eight, single entries and cells outside
        std::vector<std::pair<int, int>> cells;
        for (int i = 0; i < count; ++i) {
            const int x = (i / 32) % 40, y = i % 32 + (i / 1280) * 8;
            cells.emplace_back(y < 24 && random() % 9 == 0 ? x + 5 : x, y);
        }
        return cells;
    };
    // Origins with the x and y offsets of their cells: offsets that count on past y offset 255
    // into the next column, a run cut by a repeated cell, runs at the layers' far edge, then
    // generated runs.
    // clang-format off
    const std::tuple<int, int, std::vector<std::pair<int, int>>> cases[] = {
        {0, 0, {{3, 250}, {3, 251}, {3, 252}, {3, 253}, {3, 254}, {3, 255}, {4, 0}, {4, 1}}},
        {8, 8, {{1, 0}, {1, 1}, {1, 2}, {1, 2}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}}},
        {1016, 1016, {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}, {8, 0}}},
        {0, 1020, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}}},
        {0, 0, runs(1024)}, {32, 64, runs(13)}, {992, 992, runs(700)}, {768, 1000, runs(300)},
        {0, 0, {}}};
    // clang-format on
    for (const auto& item : cases) {
        // Plain names: clang before 16 cannot capture structured bindings in a lambda.
        const int x0 = std::get<0>(item), y0 = std::get<1>(item);
        const auto& cells = std::get<2>(item);
        std::vector<std::uint8_t> file;
        for (auto [x, y] : cells) {
            const auto value = static_cast<std::uint16_t>(random() | 1);
            file.insert(file.end(),
                        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(file.size() / 6), 2,
                         static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)});
        }
        const auto n = std::ssize(cells);
        file.resize(file.size() + 128);  // what the file holds behind the block
        const auto end = file.data() + file.size();
        const auto out = std::make_unique<Layers[]>(3);  // wide, portable, one by one
        auto target = [&](int k) {
            return EntryTarget{out[k].element.data(), out[k].param.data(), x0, y0};
        };
        int ends[3][2] = {};
        const std::int64_t done[3] = {
            ReadEntries(target(0), file.data(), n, end, ends[0][0], ends[0][1]),
            ReadEntriesPortable(target(1), file.data(), n, end, ends[1][0], ends[1][1]),
            ReadEntriesOneByOne(target(2), file.data(), n, ends[2][0], ends[2][1])};
        for (int k : {0, 1}) {
            EXPECT_EQ(std::tuple(done[k], ends[k][0], ends[k][1]),
                      std::tuple(done[2], ends[2][0], ends[2][1]))
                << k << " at " << x0 << ", " << y0;
            EXPECT_TRUE(out[k].element == out[2].element && out[k].param == out[2].param) << k;
        }
        const std::size_t origin = static_cast<std::size_t>(x0) * kLayerSide + y0;
        for (int ny : {32, 31, 8, 1}) {  // and back out, column blocks of every height
            if (y0 + ny > kLayerSide) continue;
            std::vector<std::uint8_t> wide(6 * 32 * 32 + 64), portable(wide.size());
            std::uint8_t *a = wide.data(), *b = portable.data();
            const int nx = std::min(32, kLayerSide - x0);  // the layers end at x 1024
            StageEntries(a, &out[0].element[origin], &out[0].param[origin], nx, ny);
            StageEntriesPortable(b, &out[0].element[origin], &out[0].param[origin], nx, ny);
            EXPECT_TRUE(std::equal(wide.data(), a, portable.data(), b)) << ny;
        }
    }
}

// The turn by blocks against the cell-by-cell one: sides that fill no block, some blocks and
// blocks with edges left over; strides wider than the side; cells outside the square untouched.
TEST(Kernels, SquareTurnByBlocksAgreesWithTheTurnCellByCell) {
    const auto check = [](auto lane) {
        using T = decltype(lane);
        for (int w : {1, 7, 8, 9, 16, 31, 64, 65, 100}) {
            const std::size_t from_stride = static_cast<std::size_t>(w) + 3, to_stride = w + 5u;
            std::vector<T> from(from_stride * w);
            for (std::size_t k = 0; k < from.size(); ++k) from[k] = static_cast<T>(k * 2654435761u);
            std::vector<T> turned(to_stride * w, 7), plain(turned);
            TurnSquare(from.data(), from_stride, w, turned.data(), to_stride);
            TurnSquarePlain(from.data(), from_stride, w, plain.data(), to_stride);
            EXPECT_EQ(turned, plain) << w << " cells of " << sizeof(T) << " bytes";
            // The meaning, at two corners: new (0, 0) is old (0, w - 1); new (w - 1, 0) old (0, 0).
            EXPECT_EQ(std::pair(plain[0], plain[(w - 1) * to_stride]),
                      std::pair(from[w - 1], from[0]));
            EXPECT_EQ(plain[w], T{7});  // beyond the side of the first new column
        }
    };
    check(std::uint8_t{});
    check(std::uint16_t{});
}

}  // namespace
}  // namespace insel::simd
