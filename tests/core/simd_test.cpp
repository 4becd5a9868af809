// Each kernel of the active tier against its portable version, on lengths that are not a
// multiple of any vector width, tags at the buffer's end and blocks at the layers' far edge.
// Run once per tier (INSEL_CPU), this compares every wide kernel the machine has.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "core/document/island_map.h"
#include "core/simd/cell_values.h"
#include "core/simd/entries.h"
#include "core/simd/tag_search.h"
#include "core/simd/tier.h"

namespace insel::simd {
namespace {

TEST(Tier, OverrideLowersButNeverRaisesTheTier) {
    const struct {
        const char* name;
        Tier best, expected;
    } cases[] = {
        {"portable", Tier::kAvx512, Tier::kPortable}, {"avx2", Tier::kAvx512, Tier::kAvx2},
        {"avx512", Tier::kAvx2, Tier::kAvx2},         {"avx512", Tier::kPortable, Tier::kPortable},
        {"AVX2", Tier::kAvx512, Tier::kAvx512},       {"", Tier::kAvx2, Tier::kAvx2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseTier(ParseTier(c.name), c.best), c.expected) << c.name;
        EXPECT_EQ(ParseTier(TierName(c.expected)), c.expected);
    }
    EXPECT_LE(ActiveTier(), BestTier());
}

std::vector<std::uint8_t> TagSoup(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>("ABEFGILNSTV2\0"[random() % 13]);
    return bytes;
}

TEST(Kernels, TagSearchAndSweepAgreeWithThePortableOnes) {
    for (std::size_t size : {2u, 9u, 63u, 64u, 65u, 130u, 1000u, 4099u}) {
        std::vector<std::uint8_t> bytes = TagSoup(size, static_cast<unsigned>(size));
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {  // across the 64-start blocks
            const std::size_t at = 58 + 11 * k;
            if (at + kSweptTags[k].size() <= size)
                std::copy(kSweptTags[k].begin(), kSweptTags[k].end(), bytes.begin() + at);
        }
        for (std::string_view tag : kSweptTags) {
            if (tag.size() <= size)  // one at the very end
                std::copy(tag.begin(), tag.end(),
                          bytes.end() - static_cast<std::ptrdiff_t>(tag.size()));
        }
        const auto length = static_cast<std::int64_t>(size);
        for (std::string_view tag : {"NAME", "STADT2", "EVENTINSEL", "AN"}) {
            const std::int64_t last = length - static_cast<std::int64_t>(tag.size());
            for (std::int64_t from = 0; from <= last; from += 7) {
                for (std::int64_t last_start : {last, from + 40, from}) {
                    last_start = std::min(last_start, last);
                    EXPECT_EQ(FindTag(bytes.data(), length, from, last_start, tag),
                              FindTagPortable(bytes.data(), length, from, last_start, tag))
                        << tag << " in " << size << " from " << from << " to " << last_start;
                }
            }
        }
        // Filled in stretches, as a file is read.
        SweptStarts wide, portable;
        std::int64_t at_wide = 0, at_portable = 0;
        for (std::int64_t valid = std::min<std::int64_t>(length, 100);;
             valid = std::min(length, valid + 300)) {
            at_wide = SweepTags(bytes.data(), length, valid, at_wide, wide);
            at_portable = SweepTagsPortable(bytes.data(), length, valid, at_portable, portable);
            if (valid == length) break;
        }
        EXPECT_EQ(wide, portable) << size;
        SweptStarts every;  // each start compared in full
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            for (std::int64_t at = 0; at + std::ssize(kSweptTags[k]) <= length; ++at) {
                if (std::equal(kSweptTags[k].begin(), kSweptTags[k].end(), bytes.begin() + at))
                    every[k].push_back(at);
            }
        }
        EXPECT_EQ(portable, every) << size;
    }
}

TEST(Kernels, CellValueKernelsAgreeWithThePortableOnes) {
    std::mt19937 random(5);
    for (int n = 0; n <= 130; ++n) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n) + 1);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 14);
        if (n <= 32) {
            std::uint16_t wide[32] = {}, portable[32] = {};
            std::array<std::int32_t, 11> wide_counts{}, portable_counts{};
            ClampAndCountFertility(bytes.data(), n, wide, wide_counts);
            ClampAndCountFertilityPortable(bytes.data(), n, portable, portable_counts);
            EXPECT_EQ(std::vector(wide, wide + 32), std::vector(portable, portable + 32)) << n;
            EXPECT_EQ(wide_counts, portable_counts) << n;
            std::array<std::int32_t, 11> counted{};
            for (int y = 0; y < n; ++y) {
                const int capped = std::min<int>(bytes[static_cast<std::size_t>(y)], 10);
                EXPECT_EQ(portable[y], capped) << n;
                ++counted[static_cast<std::size_t>(capped)];
            }
            EXPECT_EQ(portable_counts, counted) << n;
        }
        std::vector<std::uint16_t> words(static_cast<std::size_t>(n) + 1, 3);
        if (n > 0) words[static_cast<std::size_t>(random() % n)] = 9;
        for (int from = 0; from <= n; from += 5) {
            EXPECT_EQ(NextEqual(words.data(), from, n, 9),
                      NextEqualPortable(words.data(), from, n, 9))
                << n << " from " << from;
            EXPECT_EQ(NextEqualPortable(words.data(), from, n, 9),
                      std::find(words.begin() + from, words.begin() + n, 9) - words.begin());
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
        t.element[static_cast<std::size_t>(x) * kLayerSide + y] =
            static_cast<std::uint16_t>(e[0] | e[1] << 8);
        t.param[static_cast<std::size_t>(x) * kLayerSide + y] =
            static_cast<std::uint16_t>(e[2] | e[3] << 8);
        x_end = std::max(x_end, x + 1);
        y_end = std::max(y_end, y + 1);
    }
    return i;
}

TEST(Kernels, PortableEntryReaderWritesWhatEachEntrySays) {
    // Offsets that count on past y offset 255 into the next column, a run cut by a repeated
    // cell, and a run at the layers' far edge.
    const struct {
        int x0, y0;
        std::vector<std::pair<int, int>> cells;  // x and y offsets
    } cases[] = {
        {0, 0, {{3, 250}, {3, 251}, {3, 252}, {3, 253}, {3, 254}, {3, 255}, {4, 0}, {4, 1}}},
        {8, 8, {{1, 0}, {1, 1}, {1, 2}, {1, 2}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}}},
        {1016, 1016, {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}, {8, 0}}},
        {0, 1020, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> file;
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            file.insert(file.end(), {static_cast<std::uint8_t>(i + 1), 1,
                                     static_cast<std::uint8_t>(i + 100), 2,
                                     static_cast<std::uint8_t>(c.cells[i].second),
                                     static_cast<std::uint8_t>(c.cells[i].first)});
        }
        const auto n = static_cast<std::int64_t>(c.cells.size());
        const auto fast = std::make_unique<Layers>(), plain = std::make_unique<Layers>();
        int fast_end[2] = {}, plain_end[2] = {};
        EXPECT_EQ(ReadEntriesPortable({fast->element.data(), fast->param.data(), c.x0, c.y0},
                                      file.data(), n, file.data() + file.size(), fast_end[0],
                                      fast_end[1]),
                  ReadEntriesOneByOne({plain->element.data(), plain->param.data(), c.x0, c.y0},
                                      file.data(), n, plain_end[0], plain_end[1]))
            << c.x0 << ", " << c.y0;
        EXPECT_TRUE(fast->element == plain->element && fast->param == plain->param) << c.x0;
        EXPECT_EQ(std::vector(fast_end, fast_end + 2), std::vector(plain_end, plain_end + 2));
    }
}

TEST(Kernels, EntryKernelsAgreeWithThePortableOnes) {
    std::mt19937 random(11);
    for (const auto& [x0, y0, count] :
         {std::tuple{0, 0, 1024}, {32, 64, 13}, {992, 992, 700}, {768, 1000, 300}, {0, 0, 0}}) {
        // Column runs of eight, single entries and, near the far edge, cells outside.
        std::vector<std::uint8_t> file;
        for (int i = 0; i < count; ++i) {
            const int x = (i / 32) % 40, y = i % 32 + (i / 1280) * 8;
            const std::uint16_t value = static_cast<std::uint16_t>(random() | 1);
            file.insert(file.end(),
                        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(y),
                         static_cast<std::uint8_t>(y < 24 && random() % 9 == 0 ? x + 5 : x)});
        }
        file.resize(file.size() + 128);  // what the file holds behind the block
        const auto wide = std::make_unique<Layers>(), portable = std::make_unique<Layers>();
        int wide_end[2] = {}, portable_end[2] = {};
        const auto end = file.data() + file.size();
        const std::int64_t wide_done =
            ReadEntries({wide->element.data(), wide->param.data(), x0, y0}, file.data(), count, end,
                        wide_end[0], wide_end[1]);
        const std::int64_t portable_done =
            ReadEntriesPortable({portable->element.data(), portable->param.data(), x0, y0},
                                file.data(), count, end, portable_end[0], portable_end[1]);
        EXPECT_EQ(wide_done, portable_done) << x0 << ", " << y0;
        EXPECT_TRUE(wide->element == portable->element && wide->param == portable->param);
        EXPECT_EQ(wide_end[0], portable_end[0]);
        EXPECT_EQ(wide_end[1], portable_end[1]);
        // And back out, column blocks of every height.
        for (int ny : {32, 31, 8, 1}) {
            if (y0 + ny > kLayerSide) continue;
            std::vector<std::uint8_t> staged_wide(6 * 32 * 32 + 64),
                staged_portable(6 * 32 * 32 + 64);
            std::uint8_t *a = staged_wide.data(), *b = staged_portable.data();
            const std::size_t origin = static_cast<std::size_t>(x0) * kLayerSide + y0;
            StageEntries(a, wide->element.data() + origin, wide->param.data() + origin, 32, ny);
            StageEntriesPortable(b, wide->element.data() + origin, wide->param.data() + origin, 32,
                                 ny);
            ASSERT_EQ(a - staged_wide.data(), b - staged_portable.data()) << ny;
            EXPECT_TRUE(std::equal(staged_wide.data(), a, staged_portable.data())) << ny;
        }
    }
}

}  // namespace
}  // namespace insel::simd
