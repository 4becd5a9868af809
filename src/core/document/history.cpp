#include "core/document/history.h"

#include <algorithm>
#include <bit>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/document/history_step.h"
#include "core/simd/cell_changes.h"
#include "core/simd/cell_values.h"

namespace insel {

namespace {

// Bytes a stored part holds, for the memory limit.
template <class T>
std::size_t Footprint(const T& value);
std::size_t Footprint(const std::string& text) { return sizeof text + text.capacity(); }
std::size_t Footprint(const IslandRecord& record) { return sizeof record + record.name.capacity(); }
std::size_t Footprint(const IslandListRow& row) { return sizeof row + row.name.capacity(); }
std::size_t Footprint(const CityRecord& city) {
    return sizeof city + city.name.capacity() + city.buildings.capacity() * sizeof(BuildingEntry);
}
std::size_t Footprint(const CatchmentGrid& grid) {
    return sizeof grid + grid.cells().capacity() * sizeof(std::uint16_t);
}
template <class T, std::size_t N>
std::size_t Footprint(const std::array<T, N>& array) {
    std::size_t bytes = 0;
    for (const T& item : array) bytes += Footprint(item);
    return bytes;
}
template <class T>
std::size_t Footprint(const std::vector<T>& list) {
    if constexpr (std::is_trivially_copyable_v<T>) {
        return sizeof list + list.capacity() * sizeof(T);
    } else {
        std::size_t bytes = sizeof list + (list.capacity() - list.size()) * sizeof(T);
        for (const T& item : list) bytes += Footprint(item);
        return bytes;
    }
}
template <class T>
std::size_t Footprint(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return sizeof value;
}

// A merged stretch of unchanged cells costs less than the head of a new run.
template <class T>
constexpr int kRunGap = static_cast<int>(sizeof(typename CellRuns<T>::Run) / sizeof(T));

int SeriesOf(std::uint16_t tile) {
    const int series = (tile >> 8) - 11;
    return series < 0 || series > kSeriesCount - 2 ? 0 : series;
}

constexpr int kColumnWords = simd::MaskWords(kLayerSide);

// The first cell from `from` on, before `n`, whose bit in `masks` is `set`; `n` if none is.
int FindBit(const std::uint64_t* masks, int from, int n, bool set) {
    while (from < n) {
        std::uint64_t word = masks[from / 64];
        if (!set) word = ~word;
        word &= ~std::uint64_t{0} << (from % 64);
        if (word != 0) return std::min(n, from / 64 * 64 + std::countr_zero(word));
        from = from / 64 * 64 + 64;
    }
    return n;
}

// std::popcount is a library call where the processor's instruction may be missing.
int CountBits(std::uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((bits * 0x0101010101010101u) >> 56);
}

// Words of the boundary mask with more runs than this are counted cell by cell.
constexpr int kDenseRuns = 16;

// Calls run(value, length) for each run of values equal in the bits `compared` among `n`
// values of a column, and cells(values, count) for the stretches whose values change so often
// that counting them one by one costs less. Long runs of one value, the rule on islands, cost a
// bit test each.
template <class T, class Run, class Cells>
void ForEachEqualRun(const T* values, int n, T compared, Run run, Cells cells) {
    if (n <= 0) return;
    std::uint64_t masks[kColumnWords];
    if constexpr (sizeof(T) == 1) {
        simd::BoundaryMask(values, n, masks);
    } else {
        simd::BoundaryMask(values, n, compared, masks);
    }
    int start = 0;
    for (int word = 0; word * 64 < n; ++word) {
        const int base = word * 64;
        std::uint64_t bits = masks[word];
        if (bits != 0 && CountBits(bits) > kDenseRuns) {
            if (start < base) run(values[start], base - start);
            const int end = std::min(n, base + 64);
            cells(values + base, end - base);
            start = end;
            continue;
        }
        for (; bits != 0; bits &= bits - 1) {
            const int boundary = base + std::countr_zero(bits);
            if (boundary > start) run(values[start], boundary - start);
            start = boundary;
        }
    }
    if (start < n) run(values[start], n - start);
}

// Adds `sign` to the count of each of `n` cells' value; values beyond the table are no legend
// values and are not counted. Filled stretches are the rule and are counted at once: the same
// counter raised cell after cell would wait on itself.
template <std::size_t N, class T>
void Count(std::array<std::int32_t, N>& counts, const T* values, int n, int sign) {
    T differ = 0;
    for (int k = 0; k < n; ++k) differ |= static_cast<T>(values[k] ^ values[0]);
    if (differ == 0) {
        if (static_cast<std::size_t>(values[0]) < N) counts[values[0]] += sign * n;
        return;
    }
    for (int k = 0; k < n; ++k) {
        if (static_cast<std::size_t>(values[k]) < N) counts[values[k]] += sign;
    }
}

// Tiles counted by their high byte, which alone decides their series, in two banks: where
// series change from cell to cell, every other cell goes to the second, so that cells of one
// series do not wait on each other's increments. Added to the series usage once at the end.
struct SeriesTally {
    std::array<std::int32_t, 256> even{}, odd{};

    // Adds `sign` for each of `n` tiles, by runs of one series.
    template <class T>
    void Count(const T* tiles, int n, int sign) {
        ForEachEqualRun(
            tiles, n, static_cast<T>(0xFF00),
            [&](T tile, int length) { even[tile >> 8] += sign * length; },
            [&](const T* cells, int count) {
                int k = 0;
                for (; k + 2 <= count; k += 2) {
                    even[cells[k] >> 8] += sign;
                    odd[cells[k + 1] >> 8] += sign;
                }
                if (k < count) even[cells[k] >> 8] += sign;
            });
    }
    void AddTo(std::array<std::int32_t, kSeriesCount>& usage) const {
        for (int high = 0; high < 256; ++high) {
            const std::int32_t n =
                even[static_cast<std::size_t>(high)] + odd[static_cast<std::size_t>(high)];
            if (n != 0) usage[SeriesOf(static_cast<std::uint16_t>(high << 8))] += n;
        }
    }
};

// Calls f(the block count tables of what the layer's cells count in).
template <class F>
void WithBlockTables(IslandMap& island, Counted counted, F f) {
    if (counted == Counted::Heights) f(island.block_height_counts);
    if (counted == Counted::Fertility) f(island.block_fertility_counts);
}

// Where cells lie among the island's cell blocks, for the block counts.
struct BlockGrid {
    int width, height, along, tables;

    explicit BlockGrid(const IslandMap& island)
        : width(std::min<int>(island.record.width, kLayerSide)),
          height(std::min<int>(island.record.height, kLayerSide)),
          along(CellBlocksAlong(island.record.height)),
          tables(static_cast<int>(island.block_height_counts.size())) {}

    // The first block of the cells along x.
    int Band(int x) const { return x / kBlockSide * along; }
    // The part [first, end) of the cells (x, y .. y + n - 1) that lies in the island's
    // rectangle and in blocks the tables hold: the block counts follow those cells, as a
    // recount would. Empty when none does; blocks beyond the tables lie further down.
    std::pair<int, int> Stretch(int x, int y, int n) const {
        const int band = Band(x);
        if (x >= width || y >= height || band + y / kBlockSide >= tables) return {0, 0};
        return {y, std::min({y + n, height, (tables - band) * kBlockSide})};
    }
};

// Counts afresh the blocks of one band of columns [x0, x1) that `afresh` picks, blocks
// [band, band_end). A column's cells in a block that hold one value, as they mostly do, cost a
// bit test, and the same value down the next columns is added up before it is counted.
template <class T, std::size_t N, class Afresh>
void RecountBand(const Layer<T>& layer, int x0, int x1, int height, std::size_t band,
                 std::size_t band_end, std::vector<std::array<std::int32_t, N>>& tables,
                 Afresh afresh) {
    std::uint64_t masks[kBlockSide][kColumnWords];
    for (int x = x0; x < x1; ++x) {
        if constexpr (sizeof(T) == 1) {
            simd::BoundaryMask(layer.column(x), height, masks[x - x0]);
        } else {
            simd::BoundaryMask(layer.column(x), height, static_cast<T>(~T{0}), masks[x - x0]);
        }
    }
    for (std::size_t block = band; block < band_end; ++block) {
        if (!afresh(block)) continue;
        auto& counts = tables[block];
        counts.fill(0);
        const int y0 = static_cast<int>(block - band) * kBlockSide;
        const int y1 = std::min(height, y0 + kBlockSide);
        if (y0 >= y1) continue;
        const auto add = [&](T value, int n) {
            if (static_cast<std::size_t>(value) < N) counts[value] += n;
        };
        // Within the block the first cell of each column starts a run of its own.
        const std::uint64_t inside = ((std::uint64_t{1} << (y1 - y0)) - 1) & ~std::uint64_t{1};
        T value = layer.column(x0)[y0];
        int pending = 0;  // cells of `value` not yet counted
        for (int x = x0; x < x1; ++x) {
            const T* cells = layer.column(x);
            std::uint64_t bits = masks[x - x0][y0 / 64] >> (y0 % 64) & inside;
            if (bits == 0 && cells[y0] == value) {
                pending += y1 - y0;
                continue;
            }
            add(value, pending);
            int start = y0;
            if (CountBits(bits) > kDenseRuns / 2) {
                for (int y = y0; y < y1 - 1; ++y) add(cells[y], 1);
                start = y1 - 1;
            } else {
                for (; bits != 0; bits &= bits - 1) {
                    const int boundary = y0 + std::countr_zero(bits);
                    add(cells[start], boundary - start);
                    start = boundary;
                }
            }
            value = cells[start];
            pending = y1 - start;
        }
        add(value, pending);
    }
}

// Moves the block counts with the cells of a square island turned `turns` quarters, where whole
// blocks turn onto whole blocks and all of them hold counts; false where they do not, for a
// recount. A block's counts are those of its cells, which a turn only moves about.
bool TurnBlockCounts(IslandMap& island, Counted counted, int turns) {
    const int side = island.record.width;
    if (side != island.record.height || side <= 0 || side > kLayerSide || side % kBlockSide != 0)
        return false;
    const int n = side / kBlockSide;
    if (island.block_counts_used < n * n) return false;
    bool turned = false;
    WithBlockTables(island, counted, [&](auto& tables) {
        if (tables.size() < static_cast<std::size_t>(n) * n) return;
        const auto old = tables;
        for (int bx = 0; bx < n; ++bx) {
            for (int by = 0; by < n; ++by) {
                // A quarter turn takes block (bx, by) to (n - 1 - by, bx).
                int x = bx, y = by;
                for (int k = 0; k < turns; ++k) {
                    const int turned_x = n - 1 - y;
                    y = x;
                    x = turned_x;
                }
                tables[static_cast<std::size_t>(x * n + y)] =
                    old[static_cast<std::size_t>(bx * n + by)];
            }
        }
        turned = true;
    });
    return turned;
}

// Swaps the counts of the two values of a step that replaced one by the other, block by block,
// with the tables'; first, when the step is recorded, the counts after it are worked out: the
// one value's cells are all the other's now. False where either value is not counted, for the
// cells to be counted instead.
template <class T>
bool SwapValueCounts(IslandMap& island, Counted counted,
                     typename CellRuns<T>::ValueCounts& values) {
    bool swapped = false;
    WithBlockTables(island, counted, [&](auto& tables) {
        constexpr std::size_t kValues = std::tuple_size_v<std::decay_t<decltype(tables[0])>>;
        const std::size_t from = values.from, to = values.to;
        if (from >= kValues || to >= kValues) return;
        if (values.counts.empty()) {
            values.counts.resize(static_cast<std::size_t>(island.block_counts_used));
            for (std::size_t block = 0; block < values.counts.size(); ++block)
                values.counts[block] = {0, tables[block][from] + tables[block][to]};
        }
        for (std::size_t block = 0; block < values.counts.size(); ++block) {
            std::swap(tables[block][from], values.counts[block][0]);
            std::swap(tables[block][to], values.counts[block][1]);
        }
        swapped = true;
    });
    return swapped;
}

// The counters after a step that changed the cells of `step`, whose values are those before,
// to the layer's; the step's turns become those that go back. A block most of whose cells
// changed is counted afresh from the layer, column by column in runs of one value: its cells
// counted once cost less than each taken out and put in.
template <class T>
void CountStep(IslandMap& island, const Layer<T>& layer, CellRuns<T>& step, Counted counted,
               bool blocks) {
    const int turns = std::exchange(step.quarter_turns, CellRuns<T>::TurnsBack(step.quarter_turns));
    if (step.runs.empty() || counted == Counted::Nothing || (counted != Counted::Series && !blocks))
        return;
    // A turn keeps every tile's series, and the block counts move with their blocks.
    if (turns != 0 && (counted == Counted::Series || TurnBlockCounts(island, counted, turns)))
        return;
    if (step.replaced && SwapValueCounts<T>(island, counted, *step.replaced)) return;
    if (counted == Counted::Series) {
        SeriesTally tally;
        const T* before = step.values.data();
        for (const auto& run : step.runs) {
            tally.Count(before, run.n, -1);
            tally.Count(layer.column(run.x) + run.y, run.n, 1);
            before += run.n;
        }
        tally.AddTo(island.series_usage);
        return;
    }
    WithBlockTables(island, counted, [&](auto& tables) {
        // Cells changed per block: a run's first and last block directly, the blocks between
        // as a difference summed up afterwards, so that a run down a whole column costs no more
        // than a short one.
        const BlockGrid grid(island);
        std::vector<int> changed(tables.size() + 1, 0), between(tables.size() + 1, 0);
        for (const auto& run : step.runs) {
            const auto [first, end] = grid.Stretch(run.x, run.y, run.n);
            if (first >= end) continue;
            const auto band = static_cast<std::size_t>(grid.Band(run.x));
            const std::size_t top = band + first / kBlockSide;
            const std::size_t bottom = band + (end - 1) / kBlockSide;
            island.block_counts_used =
                std::max(island.block_counts_used, static_cast<int>(bottom) + 1);
            if (top == bottom) {
                changed[top] += end - first;
                continue;
            }
            changed[top] += kBlockSide - first % kBlockSide;
            changed[bottom] += end - (end - 1) / kBlockSide * kBlockSide;
            between[top + 1] += kBlockSide;
            between[bottom] -= kBlockSide;
        }
        // And the blocks not counted afresh before each block, to pass over runs all of whose
        // blocks are.
        constexpr int kAfresh = kBlockSide * kBlockSide / 2;
        std::vector<int> kept_before(tables.size() + 1, 0);
        for (std::size_t block = 0, sum = 0; block < tables.size(); ++block) {
            sum += static_cast<std::size_t>(between[block]);
            changed[block] += static_cast<int>(sum);
            kept_before[block + 1] = kept_before[block] + (changed[block] < kAfresh);
        }
        const auto afresh = [&](std::size_t block) { return changed[block] >= kAfresh; };
        const T* before = step.values.data();
        for (std::size_t i = 0; i < step.runs.size(); ++i) {
            const auto& run = step.runs[i];
            // The layer's cells of the next run are far from this one's, and asked for early.
            if (i + 1 < step.runs.size())
                simd::Prefetch(layer.column(step.runs[i + 1].x) + step.runs[i + 1].y);
            const auto [first, end] = grid.Stretch(run.x, run.y, run.n);
            const auto band = static_cast<std::size_t>(grid.Band(run.x));
            if (first < end && kept_before[band + (end - 1) / kBlockSide + 1] >
                                   kept_before[band + first / kBlockSide]) {
                const T* after = layer.column(run.x);
                for (int from = first; from < end;) {
                    const int to = std::min(end, (from / kBlockSide + 1) * kBlockSide);
                    const std::size_t block = band + from / kBlockSide;
                    if (!afresh(block)) {
                        Count(tables[block], before + (from - run.y), to - from, -1);
                        Count(tables[block], after + from, to - from, 1);
                    }
                    from = to;
                }
            }
            before += run.n;
        }
        const auto blocks_used = static_cast<std::size_t>(island.block_counts_used);
        for (int x0 = 0; x0 < grid.width; x0 += kBlockSide) {
            const auto band = static_cast<std::size_t>(grid.Band(x0));
            const std::size_t band_end = std::min(band + grid.along, blocks_used);
            bool any = false;
            for (std::size_t block = band; block < band_end; ++block) any = any || afresh(block);
            if (any) {
                RecountBand(layer, x0, std::min(grid.width, x0 + kBlockSide), grid.height, band,
                            band_end, tables, afresh);
            }
        }
    });
}

// The runs of changed cells of a column, gaps shorter than a run's head merged.
template <class T>
void ScanRuns(int x, const T* before, const T* now, CellRuns<T>& step) {
    std::uint64_t masks[kColumnWords];
    simd::DifferenceMask(before, now, kLayerSide, masks);
    int first = -1, last = -1;  // the open run's first and last changed cell
    const auto close = [&] {
        step.runs.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(first),
                             static_cast<std::uint16_t>(last + 1 - first)});
    };
    for (int from = FindBit(masks, 0, kLayerSide, true); from < kLayerSide;) {
        const int to = FindBit(masks, from, kLayerSide, false);  // past the changed cells
        if (first >= 0 && from - last > kRunGap<T>) close();
        if (first < 0 || from - last > kRunGap<T>) first = from;
        last = to - 1;
        from = FindBit(masks, to, kLayerSide, true);
    }
    if (first >= 0) close();
}

// Steps that back up at least this many columns are sampled first, one column in eight.
constexpr std::size_t kSampledColumns = 64;

// Whether at least four in five cells of the sampled columns changed.
template <class T>
bool MostlyChanged(const Layer<T>& layer, const ColumnBackup<T>& backup,
                   const std::vector<int>& columns) {
    std::size_t sampled = 0, changed = 0;
    for (std::size_t i = 0; i < columns.size(); i += 8) {
        std::uint64_t masks[kColumnWords];
        simd::DifferenceMask(backup.Saved(columns[i]), layer.column(columns[i]), kLayerSide, masks);
        for (const std::uint64_t word : masks) changed += static_cast<std::size_t>(CountBits(word));
        sampled += kLayerSide;
    }
    return 5 * changed >= 4 * sampled;
}

// The runs of the saved columns; TakeRuns below says how they are chosen.
template <class T>
void TakeColumnRuns(const Layer<T>& layer, ColumnBackup<T>& backup, CellRuns<T>& step) {
    // A layer kept whole that came out as it was changed nothing.
    if (backup.whole && std::equal(backup.values.begin(), backup.values.end(), layer.column(0)))
        return;
    std::vector<int> columns = backup.columns;
    const bool in_order = std::is_sorted(columns.begin(), columns.end());
    if (!in_order) std::sort(columns.begin(), columns.end());
    // Where a sample of many columns changed in most cells, the rest are not looked at either:
    // whole columns are kept, and unchanged cells among them cost only their room.
    const bool mostly_changed = !backup.whole && in_order && columns.size() >= kSampledColumns &&
                                MostlyChanged(layer, backup, columns);
    if (!backup.whole && !mostly_changed) {
        for (const int x : columns) ScanRuns(x, backup.Saved(x), layer.column(x), step);
    }
    std::size_t total = 0;
    for (const auto& run : step.runs) total += run.n;
    const std::size_t whole = columns.size() * kLayerSide;
    if (backup.whole || mostly_changed || (in_order && total > 0 && 5 * total >= 4 * whole)) {
        step.runs.clear();
        for (const int x : columns) {
            step.runs.push_back({static_cast<std::uint16_t>(x), 0,
                                 static_cast<std::uint16_t>(kLayerSide)});
        }
        step.runs.shrink_to_fit();
        step.values = std::move(backup.values);
        return;
    }
    step.runs.shrink_to_fit();
    // The values once their amount is known: a growing vector would copy them over and over.
    step.values.resize(total);
    T* out = step.values.data();
    for (const auto& run : step.runs) out = std::copy_n(backup.Saved(run.x) + run.y, run.n, out);
}

// The changed cells of the columns in `backup`, as runs holding their values before. When the
// runs fill most of the columns, they are the whole columns instead and the step takes the
// backup's values as they are, without a copy: the few unchanged cells cost less. A layer
// replaced all at once (a turn) is taken whole without looking for its changes. Cells kept
// alone follow, one run each.
template <class T>
void TakeRuns(const Layer<T>& layer, ColumnBackup<T>& backup, CellRuns<T>& step) {
    backup.SettleCells();
    TakeColumnRuns(layer, backup, step);
    // The kept cells lie all over the layer: each cell is looked at once, with room for all
    // that may have changed.
    const auto alone = static_cast<std::size_t>(
        std::count_if(backup.cells.begin(), backup.cells.end(),
                      [&](const auto& cell) { return backup.slot[cell.x] < 0; }));
    if (alone == 0) return;
    const std::size_t first_value = step.values.size();
    step.values.resize(first_value + alone);
    step.runs.reserve(step.runs.size() + alone);
    std::size_t at = first_value;
    for (const auto& cell : backup.cells) {
        if (backup.slot[cell.x] >= 0 || layer.column(cell.x)[cell.y] == cell.value) continue;
        step.runs.push_back({cell.x, cell.y, 1});
        step.values[at++] = cell.value;
    }
    step.values.resize(at);
}

// Swaps the step's values with the layer's cells, then counts the change.
template <class T>
void SwapRuns(IslandMap& island, Layer<T>& layer, CellRuns<T>& step, Counted counted, bool blocks) {
    T* other = step.values.data();
    for (const auto& run : step.runs) {
        T* cells = layer.column(run.x) + run.y;
        std::swap_ranges(cells, cells + run.n, other);
        layer.NoteWritten(run.x + 1, run.y + run.n);
        other += run.n;
    }
    CountStep(island, layer, step, counted, blocks);
}

}  // namespace

History::History(std::size_t limit_bytes)
    : limit_(limit_bytes), recording_(std::make_unique<Recording>()) {}
History::~History() = default;
History::History(History&&) noexcept = default;
History& History::operator=(History&&) noexcept = default;

void History::SetObserver(HistoryObserver* observer, bool started) {
    observer_ = observer;
    observer_started_ = started;
    observer_floor_ = 0;
    observer_ceiling_ = steps_.size();
}

void History::StartObserving(const Document& doc) {
    if (observer_ == nullptr || observer_started_) return;
    observer_->Starting(doc);
    observer_started_ = true;
    observer_floor_ = observer_ceiling_ = position_;
}

void History::MarkSaved() {
    saved_ = position_;
    observer_started_ = false;
    if (observer_ != nullptr) observer_->Clean();
}

void History::Reset(const Document& doc) {
    observer_started_ = false;
    if (observer_ != nullptr) observer_->Clean();
    steps_.clear();
    position_ = 0;
    saved_ = 0;
    memory_ = 0;
    if (!shadow_) shadow_ = std::make_unique<Parts>();
    // ZipParts walks a mutable document; this one is only read.
    ZipParts(const_cast<Document&>(doc), *shadow_, *shadow_,
             [](int, auto& part, auto& copy, auto&) { copy = part; });
}

void History::Begin(Document& doc, bool observed) {
    if (!shadow_) Reset(doc);
    if (observed) StartObserving(doc);
    ++depth_;
    ZipLayers(doc.island, *recording_, *recording_,
              [](auto& layer, auto&, auto& backup, Counted) { layer.Attach(&backup); });
    doc.file.patched.clear();
}

void History::Forget(Document& doc) {
    --depth_;
    ZipLayers(doc.island, *recording_, *recording_, [](auto& layer, auto&, auto& backup, Counted) {
        layer.Attach(nullptr);
        backup.Forget();
    });
    doc.file.patched.clear();
}

void History::RollBack(Document& doc) {
    --depth_;
    ZipLayers(doc.island, *recording_, *recording_, [](auto& layer, auto&, auto& backup, Counted) {
        layer.Attach(nullptr);
        for (const int x : backup.columns) {
            std::copy_n(backup.Saved(x), kLayerSide, layer.column(x));
        }
        for (const auto& cell : backup.cells) layer.column(cell.x)[cell.y] = cell.value;
        backup.Forget();
    });
    ZipParts(doc, *shadow_, *shadow_, [](int, auto& part, auto& before, auto&) {
        if (!(part == before)) part = before;
    });
    auto& patched = doc.file.patched;
    for (auto it = patched.rbegin(); it != patched.rend(); ++it) {
        doc.file.bytes[static_cast<std::size_t>(it->offset)] = it->before;
    }
    if (!patched.empty()) doc.file.Changed();
    patched.clear();
}

bool History::Commit(Document& doc, std::string name) {
    --depth_;
    auto step = std::make_unique<Step>();
    IslandMap& island = doc.island;
    // A new size lays the blocks out anew: the counts are taken whole and recounted.
    const bool resized = shadow_->record.width != island.record.width ||
                         shadow_->record.height != island.record.height;
    ZipLayers(island, *step, *recording_, [&](auto& layer, auto& runs, auto& backup, Counted c) {
        layer.Attach(nullptr);
        TakeRuns(layer, backup, runs);
        runs.quarter_turns = backup.quarter_turns;
        if (backup.replaced) runs.replaced = {backup.replaced->from, backup.replaced->to, {}};
        CountStep(island, layer, runs, c, !resized);
        backup.Forget();
        step->bytes += runs.bytes();
    });
    if (resized) {
        step->blocks = std::make_unique<BlockTables>(BlockTables{
            island.block_height_counts, island.block_fertility_counts, island.block_counts_used});
        island.RecountBlockCounts();
        step->bytes += sizeof(BlockTables) + step->blocks->heights.size() * 256 * 4 +
                       step->blocks->fertility.size() * 11 * 4;
    }

    step->parts = std::make_unique<Parts>();
    ZipParts(doc, *shadow_, *step->parts, [&](int bit, auto& part, auto& before, auto& stored) {
        if (part == before) return;
        step->parts_changed |= 1u << bit;
        stored = std::move(before);
        before = part;
        step->bytes += Footprint(stored);
    });
    if (step->parts_changed == 0) {
        step->parts.reset();
    } else {
        step->bytes += sizeof(Parts);
    }

    // The first value each patched byte had; a byte patched twice keeps the older.
    auto& patched = doc.file.patched;
    std::stable_sort(patched.begin(), patched.end(),
                     [](const auto& a, const auto& b) { return a.offset < b.offset; });
    for (const auto& byte : patched) {
        if (step->file_bytes.empty() || step->file_bytes.back().offset != byte.offset) {
            step->file_bytes.push_back(byte);
        }
    }
    patched.clear();
    std::erase_if(step->file_bytes, [&](const auto& byte) {
        return doc.file.bytes[static_cast<std::size_t>(byte.offset)] == byte.before;
    });
    step->bytes += step->file_bytes.size() * sizeof(GameFileBuffer::PatchedByte);

    const bool changed = step->bytes > 0 || resized;
    if (!changed) return false;
    step->name = std::move(name);
    step->bytes += sizeof(Step) + step->name.capacity();
    if (observer_ != nullptr) observer_->Recorded(doc, *step);
    Push(std::move(step));
    observer_ceiling_ = position_;
    return true;
}

void History::Push(std::unique_ptr<Step> step) {
    // A new step after undo drops the steps that could have been redone.
    while (steps_.size() > position_) {
        memory_ -= steps_.back()->bytes;
        steps_.pop_back();
    }
    if (saved_ && *saved_ > position_) saved_.reset();
    memory_ += step->bytes;
    steps_.push_back(std::move(step));
    ++position_;
    Trim();
}

void History::Replay(Document& doc, std::unique_ptr<Step> step) {
    if (!shadow_) Reset(doc);
    Apply(doc, *step);
    Push(std::move(step));
}

void History::Apply(Document& doc, Step& step) {
    IslandMap& island = doc.island;
    const bool blocks = step.blocks == nullptr;
    ZipLayers(island, step, *recording_, [&](auto& layer, auto& runs, auto&, Counted counted) {
        SwapRuns(island, layer, runs, counted, blocks);
    });
    if (step.blocks) {
        std::swap(island.block_height_counts, step.blocks->heights);
        std::swap(island.block_fertility_counts, step.blocks->fertility);
        std::swap(island.block_counts_used, step.blocks->used);
    }
    if (step.parts) {
        ZipParts(doc, *shadow_, *step.parts, [&](int bit, auto& part, auto& shadow, auto& stored) {
            if ((step.parts_changed >> bit & 1u) == 0) return;
            using std::swap;
            swap(part, stored);
            shadow = part;
        });
    }
    for (auto& byte : step.file_bytes) {
        std::swap(doc.file.bytes[static_cast<std::size_t>(byte.offset)], byte.before);
    }
    if (!step.file_bytes.empty()) doc.file.Changed();
}

int History::Undo(Document& doc, int steps) {
    int done = 0;
    for (; done < steps && CanUndo(); ++done) Apply(doc, *steps_[--position_]);
    if (done > 0) Moved(doc, -done);
    return done;
}

int History::Redo(Document& doc, int steps) {
    int done = 0;
    for (; done < steps && CanRedo(); ++done) Apply(doc, *steps_[position_++]);
    if (done > 0) Moved(doc, done);
    return done;
}

void History::Moved(const Document& doc, int steps) {
    if (observer_ == nullptr) return;
    // An observer that starts here holds none of the steps moved over: it starts from the
    // result instead, or replaying it would undo steps it never saw.
    // Nor can it follow a move past the steps it holds, below where it started or beyond the
    // last step it was told of: it starts again from where the move ended.
    if (observer_started_ && position_ >= observer_floor_ && position_ <= observer_ceiling_) {
        observer_->Moved(steps);
        return;
    }
    observer_started_ = false;
    StartObserving(doc);
}

void History::GoTo(Document& doc, std::size_t position) {
    position = std::min(position, steps_.size());
    while (position_ > position) Undo(doc);
    while (position_ < position) Redo(doc);
}

const std::string& History::StepName(std::size_t index) const { return steps_.at(index)->name; }

const std::string& History::UndoName() const {
    static const std::string none;
    return CanUndo() ? steps_[position_ - 1]->name : none;
}

const std::string& History::RedoName() const {
    static const std::string none;
    return CanRedo() ? steps_[position_]->name : none;
}

void History::SetLimit(std::size_t bytes) {
    limit_ = bytes;
    Trim();
}

void History::Trim() {
    while (memory_ > limit_ && steps_.size() > 1) {
        // The oldest step that can be forgotten: undone steps go from the far end of the redo
        // side only once nothing is left to undo.
        if (position_ > 0) {
            memory_ -= steps_.front()->bytes;
            steps_.pop_front();
            --position_;
            observer_floor_ -= observer_floor_ > 0 ? 1 : 0;
            observer_ceiling_ -= observer_ceiling_ > 0 ? 1 : 0;
            if (saved_) saved_ = *saved_ == 0 ? std::nullopt : std::optional(*saved_ - 1);
        } else {
            memory_ -= steps_.back()->bytes;
            steps_.pop_back();
            if (saved_ && *saved_ > steps_.size()) saved_.reset();
        }
    }
}

}  // namespace insel
