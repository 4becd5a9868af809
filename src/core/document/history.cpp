#include "core/document/history.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/document/history_step.h"

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

// The bits in which the values differ from the first. Whole stretches are compared without an
// early exit, so that the compiler vectorises them.
// Whole stretches of 32 go through a loop of fixed length, which vectorises without a remainder.
template <class T>
T DifferingBits(const T* values, int n) {
    constexpr int kStretch = 32;
    T bits = 0;
    if (n == kStretch) {
        for (int k = 0; k < kStretch; ++k) bits |= static_cast<T>(values[k] ^ values[0]);
        return bits;
    }
    for (int k = 1; k < n; ++k) bits |= static_cast<T>(values[k] ^ values[0]);
    return bits;
}

// Adds `sign` to the count of each of `n` cells' value; values beyond the table are no legend
// values and are not counted. Filled stretches are the rule and are counted at once: the same
// counter raised cell after cell would wait on itself.
template <std::size_t N, class T>
void Count(std::array<std::int32_t, N>& counts, const T* values, int n, int sign) {
    if (DifferingBits(values, n) == 0) {
        if (static_cast<std::size_t>(values[0]) < N) counts[values[0]] += sign * n;
        return;
    }
    for (int k = 0; k < n; ++k) {
        if (static_cast<std::size_t>(values[k]) < N) counts[values[k]] += sign;
    }
}

// The series usage of `n` tiles; tiles of one series side by side are the rule.
// Where series change within a run, its stretches of one series still count at once.
template <class T>
void CountSeries(IslandMap& island, const T* values, int n, int sign) {
    auto& usage = island.series_usage;
    constexpr int kStretch = 32;
    for (int first = 0; first < n; first += kStretch) {
        const T* stretch = values + first;
        const int count = std::min(kStretch, n - first);
        if ((DifferingBits(stretch, count) & 0xFF00) == 0) {
            usage[SeriesOf(static_cast<std::uint16_t>(stretch[0]))] += sign * count;
            continue;
        }
        for (int k = 0; k < count; ++k)
            usage[SeriesOf(static_cast<std::uint16_t>(stretch[k]))] += sign;
    }
}

// Calls f(the block count tables of what the layer's cells count in).
template <class F>
void WithBlockTables(IslandMap& island, Counted counted, F f) {
    if (counted == Counted::Heights) f(island.block_height_counts);
    if (counted == Counted::Fertility) f(island.block_fertility_counts);
}

// Calls f(block, first, end) for each block's stretch of the cells (x, y .. y + n - 1) that lie
// in the island's rectangle: the block counts follow those cells, as a recount would.
template <class F>
void ForEachBlockStretch(IslandMap& island, int x, int y, int n, F f) {
    if (x >= std::min<int>(island.record.width, kLayerSide)) return;
    const int end = std::min({y + n, static_cast<int>(island.record.height), kLayerSide});
    for (int first = y; first < end;) {
        const int last = std::min(end, (first / kBlockSide + 1) * kBlockSide);
        const auto block = static_cast<std::size_t>(island.BlockOf(x, first));
        if (block >= island.block_height_counts.size()) return;
        island.block_counts_used = std::max(island.block_counts_used, static_cast<int>(block) + 1);
        f(block, first, last);
        first = last;
    }
}

// The counters after a step that changed the cells of `step`, whose values are those before,
// to the layer's. A block most of whose cells changed is counted afresh from the layer: its
// cells counted once cost less than each taken out and put in, and a block of one value costs
// a few comparisons.
template <class T>
void CountStep(IslandMap& island, const Layer<T>& layer, const CellRuns<T>& step, Counted counted,
               bool blocks) {
    if (counted == Counted::Nothing || (counted != Counted::Series && !blocks)) return;
    if (counted == Counted::Series) {
        const T* before = step.values.data();
        for (const auto& run : step.runs) {
            CountSeries(island, before, run.n, -1);
            CountSeries(island, layer.column(run.x) + run.y, run.n, 1);
            before += run.n;
        }
        return;
    }
    WithBlockTables(island, counted, [&](auto& tables) {
        std::vector<int> changed(tables.size(), 0);
        for (const auto& run : step.runs) {
            ForEachBlockStretch(island, run.x, run.y, run.n,
                                [&](std::size_t block, int first, int last) {
                                    changed[block] += last - first;
                                });
        }
        constexpr int kAfresh = kBlockSide * kBlockSide / 2;
        const T* before = step.values.data();
        for (const auto& run : step.runs) {
            ForEachBlockStretch(island, run.x, run.y, run.n,
                                [&](std::size_t block, int first, int last) {
                                    if (changed[block] >= kAfresh) return;
                                    Count(tables[block], before + (first - run.y), last - first, -1);
                                    Count(tables[block], layer.column(run.x) + first, last - first, 1);
                                });
            before += run.n;
        }
        const int along = CellBlocksAlong(island.record.height);
        const int width = std::min<int>(island.record.width, kLayerSide);
        const int height = std::min<int>(island.record.height, kLayerSide);
        for (std::size_t block = 0; block < changed.size(); ++block) {
            if (changed[block] < kAfresh) continue;
            auto& counts = tables[block];
            counts.fill(0);
            const int x0 = static_cast<int>(block) / along * kBlockSide;
            const int y0 = static_cast<int>(block) % along * kBlockSide;
            const int y1 = std::min(height, y0 + kBlockSide);
            for (int x = x0; x < std::min(width, x0 + kBlockSide); ++x)
                Count(counts, layer.column(x) + y0, y1 - y0, 1);
        }
    });
}

// The runs of changed cells of a column, gaps shorter than a run's head merged. Stretches of
// 32 cells are compared whole, in a loop the compiler vectorises: a stretch changed throughout
// extends the open run at once, an unchanged one is passed over, and only stretches with both
// are looked at cell by cell.
template <class T>
void ScanRuns(int x, const T* before, const T* now, CellRuns<T>& step) {
    int first = -1, last = -1;  // the open run's first and last changed cell
    const auto close = [&] {
        step.runs.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(first),
                             static_cast<std::uint16_t>(last + 1 - first)});
    };
    const auto changed = [&](int from, int to) {  // cells from..to changed
        if (first >= 0 && from - last > kRunGap<T>) close();
        if (first < 0 || from - last > kRunGap<T>) first = from;
        last = to;
    };
    constexpr int kStretch = 32;
    int y = 0;
    for (; y + kStretch <= kLayerSide; y += kStretch) {
        int differ = 0;
        for (int k = 0; k < kStretch; ++k) differ += before[y + k] != now[y + k];
        if (differ == 0) continue;
        if (differ == kStretch) {
            changed(y, y + kStretch - 1);
            continue;
        }
        for (int k = y; k < y + kStretch; ++k) {
            if (before[k] != now[k]) changed(k, k);
        }
    }
    for (; y < kLayerSide; ++y) {
        if (before[y] != now[y]) changed(y, y);
    }
    if (first >= 0) close();
}

// The changed cells of the columns in `backup`, as runs holding their values before. When the
// runs fill most of the columns, they are the whole columns instead and the step takes the
// backup's values as they are, without a copy: the few unchanged cells cost less. A layer
// replaced all at once (a turn) is taken whole without looking for its changes.
template <class T>
void TakeRuns(const Layer<T>& layer, ColumnBackup<T>& backup, CellRuns<T>& step) {
    std::vector<int> columns = backup.columns;
    const bool in_order = std::is_sorted(columns.begin(), columns.end());
    if (!in_order) std::sort(columns.begin(), columns.end());
    if (!backup.whole) {
        for (const int x : columns) ScanRuns(x, backup.Saved(x), layer.column(x), step);
    }
    std::size_t total = 0;
    for (const auto& run : step.runs) total += run.n;
    const std::size_t whole = columns.size() * kLayerSide;
    if (backup.whole || (in_order && total > 0 && 5 * total >= 4 * whole)) {
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
