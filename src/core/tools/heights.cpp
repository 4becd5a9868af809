#include "core/tools/heights.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/simd/cell_changes.h"
#include "core/simd/cell_values.h"
#include "core/tools/cell_search.h"

namespace insel {
namespace {

void CheckRange(int value, int low, int high, const char* what) {
    if (value < low || value > high) {
        throw BoundsError(std::string(what) + " " + std::to_string(value) + " is outside " +
                          std::to_string(low) + ".." + std::to_string(high));
    }
}

// The island's cells that lie in the layers: its width and height, cut at the array side.
int CellsAlong(int side) { return std::clamp(side, 0, kLayerSide); }

bool IsWater(int height) { return height >= 1 && height < kCoastHeight; }

// One cell of a frame: the height, and no fertility under water.
void WriteFrameCell(IslandMap& island, int x, int y, std::uint8_t height) {
    if (!Layer<std::uint8_t>::InRange(x, y)) return;
    // Cells that already hold what they get stay untouched, so the step records less.
    if (island.height.get(x, y) != height) island.height.set(x, y, height);
    if (IsWater(height) && island.fertility.get(x, y) != 0) island.fertility.set(x, y, 0);
}

}  // namespace

void MarkPenSquare(IslandMap& island, int x, int y, int pen) {
    if (pen < 1 || x < 0 || y < 0 || x >= kLayerSide || y >= kLayerSide) return;
    // Cut to the array once, then the square's columns are plain runs.
    const int x_end = std::min(x + std::min(pen, kLayerSide), kLayerSide);
    const int y_end = std::min(y + std::min(pen, kLayerSide), kLayerSide);
    for (int cx = x; cx < x_end; ++cx) {
        std::memset(island.mark.column(cx) + y, 1, static_cast<std::size_t>(y_end - y));
    }
    island.mark.NoteWritten(x_end, y_end);
}

void ClearMarks(IslandMap& island) { island.mark.Clear(); }

long long CountMarks(const IslandMap& island) {
    long long count = 0;
    const int y_end = island.mark.written_y();
    for (int x = 0; x < island.mark.written_x(); ++x) {
        const std::uint8_t* column = island.mark.column(x);
        for (int y = 0; y < y_end; ++y) count += column[y] != 0;
    }
    return count;
}

void FillOutlines(IslandMap& island, int gap, const std::function<void(int row)>& row_done) {
    const int width = CellsAlong(island.record.width);
    const int height = CellsAlong(island.record.height);
    Layer<std::uint8_t>& mark = island.mark;
    for (int y = 0; y < height; ++y) {
        auto marked = [&](int x) { return mark.get(x, y) != 0; };
        int hi = width - 1;
        while (hi >= 0 && !marked(hi)) --hi;
        int lo = 0;
        while (lo < width && !marked(lo)) ++lo;
        bool inside = true;
        while (lo < hi) {
            if (inside) {
                int run = 0;
                while (lo < hi && marked(lo)) ++lo, ++run;
                if (run <= gap) {
                    while (lo < hi && !marked(lo)) mark.set(lo++, y, 1);
                    while (lo < hi && marked(lo)) ++lo;
                }
                inside = false;
            } else {
                while (lo < hi && !marked(lo)) ++lo;
                inside = true;
            }
            ++lo;
        }
        if (row_done) row_done(y);
    }
}

void TakeProfile(IslandMap& island, ProfileLayer layer, int value) {
    const bool heights = layer == ProfileLayer::Height;
    if (heights) {
        CheckRange(value, 0, 255, "height");
    } else {
        CheckRange(value, 0, kHighestFertility, "fertility");
    }
    const auto height = static_cast<std::uint8_t>(value);
    const auto fertility = static_cast<std::uint16_t>(value);
    const bool clears_fertility = heights && IsWater(value);
    // Marks lie only within the part of the mark layer that was written.
    const int x_end = island.mark.written_x();
    const int y_end = island.mark.written_y();
    for (int x = 0; x < x_end; ++x) {
        const std::uint8_t* marks = std::as_const(island.mark).column(x);
        if (FirstWhere(marks, y_end, [](std::uint8_t m) { return m != 0; }) == y_end) continue;
        if (heights) {
            std::uint8_t* cells = island.height.column(x);
            for (int y = 0; y < y_end; ++y) cells[y] = marks[y] != 0 ? height : cells[y];
            island.height.NoteWritten(x + 1, y_end);
        }
        if (!heights || clears_fertility) {
            const std::uint16_t written = heights ? 0 : fertility;
            std::uint16_t* cells = island.fertility.column(x);
            for (int y = 0; y < y_end; ++y) cells[y] = marks[y] != 0 ? written : cells[y];
            island.fertility.NoteWritten(x + 1, y_end);
        }
    }
    island.mark.Clear();
}

bool FrameHeight(IslandMap& island, int h1, int h2) {
    CheckRange(h1, 0, 255, "height 1");
    CheckRange(h2, 0, 255, "height 2");
    if (h1 == h2) return false;
    const int width = CellsAlong(island.record.width);
    const int height = CellsAlong(island.record.height);
    // With h1 != h2 no write of h2 makes or hides a cell of h1 where the scans look (row and
    // column 0 are never searched), so every scan may run over the heights as they are and the
    // writes, all of the same value, follow together.
    constexpr std::int16_t kNone = -1;
    std::vector<std::int16_t> row_first(static_cast<std::size_t>(kLayerSide), kNone);
    std::vector<std::int16_t> row_last(static_cast<std::size_t>(kLayerSide), kNone);
    std::vector<std::int16_t> column_first(static_cast<std::size_t>(kLayerSide), kNone);
    std::vector<std::int16_t> column_last(static_cast<std::size_t>(kLayerSide), kNone);
    // The cells of h1 as one bit each, column by column; the rows' first and last columns are
    // then found by walking the bits of rows not found yet, a few words per column.
    constexpr int kWords = simd::MaskWords(kLayerSide);
    std::vector<std::uint64_t> hits(static_cast<std::size_t>(kLayerSide) * kWords);
    const std::vector<std::uint8_t> wanted(static_cast<std::size_t>(kLayerSide),
                                           static_cast<std::uint8_t>(h1));
    for (int x = 1; x < width; ++x) {
        std::uint64_t* mask = hits.data() + static_cast<std::size_t>(x) * kWords;
        simd::DifferenceMask(std::as_const(island.height).column(x), wanted.data(), height, mask);
        for (int w = 0; w < kWords; ++w) mask[w] = ~mask[w] & simd::LiveBits(height, w);
        mask[0] &= ~std::uint64_t{1};  // row 0 is never searched
        int w = 0;
        while (w < kWords && mask[w] == 0) ++w;
        if (w == kWords) continue;
        column_first[x] = static_cast<std::int16_t>(64 * w + std::countr_zero(mask[w]));
        w = kWords - 1;
        while (mask[w] == 0) --w;
        column_last[x] = static_cast<std::int16_t>(64 * w + 63 - std::countl_zero(mask[w]));
    }
    const auto find_rows = [&](std::vector<std::int16_t>& rows, int from, int to, int step) {
        std::uint64_t pending[kWords];
        for (int w = 0; w < kWords; ++w) pending[w] = ~std::uint64_t{0};
        for (int x = from; x != to; x += step) {
            const std::uint64_t* mask = hits.data() + static_cast<std::size_t>(x) * kWords;
            for (int w = 0; w < kWords; ++w) {
                for (std::uint64_t fresh = mask[w] & pending[w]; fresh != 0; fresh &= fresh - 1) {
                    rows[static_cast<std::size_t>(64 * w + std::countr_zero(fresh))] =
                        static_cast<std::int16_t>(x);
                }
                pending[w] &= ~mask[w];
            }
        }
    };
    find_rows(row_first, 1, width, 1);
    find_rows(row_last, width - 1, 0, -1);
    const auto value = static_cast<std::uint8_t>(h2);
    for (int y = 1; y < height; ++y) {
        if (row_first[y] == kNone) continue;
        WriteFrameCell(island, row_first[y] - 1, y, value);
        WriteFrameCell(island, row_last[y] + 1, y, value);
    }
    for (int x = 1; x < width; ++x) {
        if (column_first[x] == kNone) continue;
        WriteFrameCell(island, x, column_first[x] - 1, value);
        WriteFrameCell(island, x, column_last[x] + 1, value);
    }
    return true;
}

bool ReplaceHeight(IslandMap& island, int h1, int h2) {
    CheckRange(h1, 0, 255, "height 1");
    CheckRange(h2, 0, 255, "height 2");
    if (h1 == h2) return false;
    const int width = CellsAlong(island.record.width);
    const int height = CellsAlong(island.record.height);
    const auto from = static_cast<std::uint8_t>(h1);
    const auto to = static_cast<std::uint8_t>(h2);
    // Alone in its step, the replacement tells the history how the block counts change.
    const bool alone = island.height.Unwritten();
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* present = std::as_const(island.height).column(x);
        if (FirstWhere(present, height, [&](std::uint8_t h) { return h == from; }) == height)
            continue;
        simd::ReplaceEqual(island.height.column(x), height, from, to);
        island.height.NoteWritten(x + 1, height);
    }
    if (alone) island.height.NoteReplaced(from, to);
    return true;
}

std::optional<std::size_t> ObjectAt(const IslandMap& island, int x, int y) {
    for (std::size_t i = 0; i < island.objects.size(); ++i) {
        if (island.objects[i].x == x && island.objects[i].y == y) return i;
    }
    return std::nullopt;
}

void SetObjectHeight(IslandMap& island, std::size_t object, int height) {
    if (object >= island.objects.size()) {
        throw BoundsError("object " + std::to_string(object) + " is not in the object list");
    }
    CheckRange(height, 0, INT32_MAX, "object height");
    island.objects[object].parameter = static_cast<std::uint16_t>(std::min(height, 255) * 256);
}

}  // namespace insel
