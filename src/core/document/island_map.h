#pragma once
// The one island the editor works on: its record, eight per-cell layers of fixed capacity,
// the lists of mines, quarry spots, animals and placed objects, and the per-block counters.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/document/bulk_memory.h"
#include "core/errors.h"
#include "core/fill_values.h"

namespace insel {

inline constexpr int kLayerSide = 1025;  // cells 0..1024 along x and y
inline constexpr int kBlockSide = 32;    // cell blocks of 32 x 32 cells
inline constexpr int kSeriesCount = 148;

[[noreturn]] void ThrowCellOutside(std::int64_t x, std::int64_t y, const char* layer);

// The values a layer's columns had before a step first wrote to them; the edit history
// attaches one to each layer it records, so that writers need not say what they change.
// Cells written one by one are kept alone until their column has had a few of them: a change
// that touches a few cells in every column (a frame) then saves a few cells, not every column.
template <class T>
struct ColumnBackup {
    std::vector<std::int32_t> slot = std::vector<std::int32_t>(kLayerSide, -1);
    std::vector<int> columns;  // in the order they were first written
    BulkArray<T> values;      // kLayerSide values per column, in that order
    bool whole = false;        // the layer's cells were replaced all at once
    // Replaced all at once by the island's square turned this many quarters, 1 to 3, and not
    // written otherwise: each cell counts as it did (a tile keeps its series). 0 for none.
    int quarter_turns = 0;
    // Changed only by every cell of the island's rectangle that held `from` taking `to`, and not
    // written otherwise: the block counts of the one value pass to the other, uncounted.
    struct ValueReplaced {
        T from, to;
    };
    std::optional<ValueReplaced> replaced;
    // A write that is neither a turn nor such a replacement, or more than one of them.
    void WrittenOtherwise() {
        quarter_turns = 0;
        replaced.reset();
    }

    // A cell's value before its first write, for cells of columns not saved when written.
    struct Cell {
        std::uint16_t x, y;
        T value;
    };
    static constexpr int kCellsPerColumn = 32;  // then the column is saved
    std::vector<Cell> cells;
    std::vector<std::uint8_t> cells_in_column = std::vector<std::uint8_t>(kLayerSide, 0);
    std::vector<std::uint64_t> kept;  // a bit per cell of the layer: in `cells`

    const T* Saved(int x) const {
        return values.data() + static_cast<std::size_t>(slot[x]) * kLayerSide;
    }
    T* Saved(int x) { return values.data() + static_cast<std::size_t>(slot[x]) * kLayerSide; }
    void Save(int x, const T* column) {
        slot[x] = static_cast<std::int32_t>(columns.size());
        columns.push_back(x);
        const std::size_t end = values.size();
        if (values.capacity() < end + kLayerSide) Grow(end + kLayerSide);
        values.resize(end + kLayerSide);
        CopyColumn(values.data() + end, column, kLayerSide * sizeof(T));
    }
    // Keeps cell (x, y) of a column not saved, which holds `value`; false when its column has
    // had its share and is to be saved instead.
    bool Keep(int x, int y, T value) {
        if (kept.empty()) kept.resize((std::size_t{kLayerSide} * kLayerSide + 63) / 64);
        const std::size_t bit =
            static_cast<std::size_t>(x) * kLayerSide + static_cast<std::size_t>(y);
        std::uint64_t& word = kept[bit / 64];
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        if ((word & mask) != 0) return true;
        if (cells_in_column[static_cast<std::size_t>(x)] == kCellsPerColumn) return false;
        ++cells_in_column[static_cast<std::size_t>(x)];
        word |= mask;
        cells.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), value});
        return true;
    }
    // Kept cells whose column was saved after their first write: the saved column holds what
    // was written, the kept cell what was there before. Afterwards only the kept cells of
    // columns not saved count.
    void SettleCells() {
        for (const Cell& cell : cells) {
            if (slot[cell.x] >= 0) Saved(cell.x)[cell.y] = cell.value;
        }
    }
    // Every column at once: `cells` are a layer's cells as they were, none of them saved yet.
    void TakeWhole(BulkArray<T>&& cells) {
        whole = true;
        values = std::move(cells);
        columns.resize(kLayerSide);
        for (int x = 0; x < kLayerSide; ++x) slot[x] = columns[x] = x;
    }
    // Past a quarter of the layer the backup takes room for all of it, as whole-island changes
    // need.
    void Grow(std::size_t needed) {
        constexpr std::size_t kLayerCells = std::size_t{kLayerSide} * kLayerSide;
        std::size_t room = std::max({needed, 2 * values.capacity(), std::size_t{16} * kLayerSide});
        if (room > kLayerCells / 4) room = std::max(room, kLayerCells);
        values.reserve(room);
    }
    void Forget() {
        whole = false;
        WrittenOtherwise();
        for (int x : columns) slot[x] = -1;
        columns.clear();
        values.clear();
        for (const Cell& cell : cells) {
            const std::size_t bit =
                static_cast<std::size_t>(cell.x) * kLayerSide + static_cast<std::size_t>(cell.y);
            kept[bit / 64] = 0;
            cells_in_column[cell.x] = 0;
        }
        cells.clear();
    }
};

// A 1025 x 1025 array indexed [x][y]; the cells of one x lie next to each other.
// Writes go through set() (checked) or, in hot loops whose bounds were checked once, through
// column() followed by NoteWritten(); the layer remembers how far it was written so that
// clearing touches only that part.
template <class T>
class Layer {
  public:
    explicit Layer(T cleared, const char* name)
        : cells_(static_cast<std::size_t>(kLayerSide) * kLayerSide), cleared_(cleared), name_(name) {
        Fill(cells_.data(), cells_.size());
    }

    T get(std::int64_t x, std::int64_t y) const { return cells_[Index(x, y)]; }
    void set(std::int64_t x, std::int64_t y, T value) {
        const std::size_t index = Index(x, y);
        ColumnBackup<T>* backup = backup_.pointer;
        if (backup != nullptr) {
            if (backup->slot[static_cast<std::size_t>(x)] < 0 &&
                !backup->Keep(static_cast<int>(x), static_cast<int>(y), cells_[index])) {
                Touch(static_cast<int>(x));
            }
            backup->WrittenOtherwise();
        }
        cells_[index] = value;
        NoteWritten(static_cast<int>(x) + 1, static_cast<int>(y) + 1);
    }
    // Unchecked: the caller has checked x and the y range it touches.
    T* column(int x) {
        Touch(x);
        return cells_.data() + static_cast<std::size_t>(x) * kLayerSide;
    }
    const T* column(int x) const {
        return cells_.data() + static_cast<std::size_t>(x) * kLayerSide;
    }
    void NoteWritten(int x_end, int y_end) {
        if (x_end > written_x_) written_x_ = x_end;
        if (y_end > written_y_) written_y_ = y_end;
    }
    // `cells` (kLayerSide x kLayerSide, column by column) become the layer's cells at once. An
    // attached backup that has saved nothing yet takes the old cells whole, so that a change of
    // every cell (a turn) is recorded without a copy. `quarter_turn`: the cells are the old ones
    // with the island's square turned a quarter, each counting as it did, which the backup notes
    // so that the counters can follow without counting.
    void Replace(BulkArray<T>&& cells, bool quarter_turn = false) {
        if (cells.size() != cells_.size()) throw std::length_error("a layer takes whole layers");
        ColumnBackup<T>* backup = backup_.pointer;
        if (backup != nullptr) {
            // Turns add up while the layer was written by nothing else.
            int turns = 0;
            if (quarter_turn && Unwritten()) turns = 1;
            if (quarter_turn && backup->whole && backup->quarter_turns > 0)
                turns = (backup->quarter_turns + 1) % 4;
            if (backup->columns.empty()) {
                backup->TakeWhole(std::move(cells_));
            } else {
                for (int x = 0; x < kLayerSide; ++x) Touch(x);
            }
            backup->WrittenOtherwise();
            backup->quarter_turns = turns;
        }
        cells_ = std::move(cells);
        written_x_ = written_y_ = kLayerSide;
    }
    // Before a change of most of the layer: an attached backup that has saved nothing yet keeps
    // the cells as they are, whole, and the layer goes on with a copy of them, so that no column
    // is saved and compared one by one.
    void Rewrite() {
        ColumnBackup<T>* backup = backup_.pointer;
        if (backup == nullptr || !backup->columns.empty()) return;
        BulkArray<T> copy(cells_);
        backup->TakeWhole(std::move(cells_));
        cells_ = std::move(copy);
    }
    // Every cell back to its cleared value. Columns written far down are cleared whole, as one
    // run, which is quicker than their written part one by one.
    void Clear() {
        for (int x = 0; backup_.pointer != nullptr && x < written_x_; ++x) Touch(x);
        if (written_y_ > kLayerSide / 2) {
            Fill(cells_.data(), static_cast<std::size_t>(written_x_) * kLayerSide);
        } else {
            for (int x = 0; x < written_x_; ++x)
                Fill(column(x), static_cast<std::size_t>(written_y_));
        }
        written_x_ = written_y_ = 0;
    }
    static bool InRange(std::int64_t x, std::int64_t y) {
        return x >= 0 && y >= 0 && x < kLayerSide && y < kLayerSide;
    }
    const char* name() const { return name_; }
    // How far the layer was written: cells at x or y beyond these hold the cleared value.
    int written_x() const { return written_x_; }
    int written_y() const { return written_y_; }

    // Nothing written since the step began, or no step is being recorded.
    bool Unwritten() const {
        const ColumnBackup<T>* backup = backup_.pointer;
        return backup == nullptr || (backup->columns.empty() && backup->cells.empty());
    }
    // For a layer that was Unwritten() before: the writes since did no more than give every cell
    // of the island's rectangle that held `from` the value `to`.
    void NoteReplaced(T from, T to) {
        if (backup_.pointer != nullptr) backup_.pointer->replaced = {from, to};
    }

    // While attached, the first write to a column saves the column's values in `backup`.
    void Attach(ColumnBackup<T>* backup) { backup_.pointer = backup; }

  private:
    void Touch(int x) {
        ColumnBackup<T>* backup = backup_.pointer;
        if (backup == nullptr) return;
        if (backup->slot[static_cast<std::size_t>(x)] < 0) {
            backup->Save(x, cells_.data() + static_cast<std::size_t>(x) * kLayerSide);
        }
        backup->WrittenOtherwise();
    }

    void Fill(T* first, std::size_t count) { FillValues(first, count, cleared_); }

    std::size_t Index(std::int64_t x, std::int64_t y) const {
        if (!InRange(x, y)) ThrowCellOutside(x, y, name_);
        return static_cast<std::size_t>(x) * kLayerSide + static_cast<std::size_t>(y);
    }

    BulkArray<T> cells_;
    T cleared_;
    const char* name_;
    int written_x_ = 0;
    int written_y_ = 0;
    // Copies and moves of the layer leave the backup behind with this object.
    struct Unshared {
        ColumnBackup<T>* pointer = nullptr;
        Unshared() = default;
        Unshared(const Unshared&) {}
        Unshared& operator=(const Unshared&) { return *this; }
    } backup_;
};

// A cell coordinate stored as the bit pattern of the float c + 0.5 (the cell's centre).
std::uint32_t EncodeCellFloat(std::int64_t cell);
// Truncates the float toward zero; patterns that are not finite numbers give -1.
std::int64_t DecodeCellFloat(std::uint32_t bits);

// A mine (from OCCUR) or a quarry spot (from BERGWERK2).
struct MineRecord {
    std::uint8_t whale = 0;
    std::int32_t orientation = 0;  // quarry spots: 0..3 (east, south, west, north)
    std::int32_t x_band = 0;       // quarry spots: x div 16
    std::uint32_t y = 0;           // mines: CellFloat bits; quarry spots: the cell
    std::uint32_t x = 0;
    std::uint32_t symbol_value = 0;
    std::int32_t symbol_elevation = 0;
    std::int32_t treasure = 0;
    std::int32_t building_id = 0;
    std::uint8_t visible = 0;
    std::uint8_t deleted = 0;
    std::uint8_t elevation_edited = 0;
    std::uint8_t changed = 0;

    bool operator==(const MineRecord&) const = default;
};

// The four words of a HIRSCH record, carried unchanged.
struct AnimalEntry {
    std::uint16_t first = 0, second = 0, third = 0, fourth = 0;

    bool operator==(const AnimalEntry&) const = default;
};

// Marketplaces (this graphic) carry a second point; everything else has none.
inline constexpr int kMarketplaceGraphic = 821;
inline constexpr std::int32_t kNoMarketPoint = -10000;

struct ObjectEntry {
    std::int32_t island = 0;  // island number of the PROD2 block it came from; 0 if placed here
    std::int32_t owner = 0;   // city number, 0 = none
    std::uint16_t id_word = 0;
    std::uint16_t graphic_id = 0;
    std::int32_t file_position = 0;
    std::uint16_t parameter = 0;
    std::uint8_t orientation = 0;
    std::int32_t x = 0, y = 0;
    std::uint16_t width = 1, height = 1;
    std::uint16_t definition = 0;
    std::int32_t market_x = kNoMarketPoint, market_y = kNoMarketPoint;

    bool operator==(const ObjectEntry&) const = default;
};

struct IslandRecord {
    std::int32_t number = 0;
    std::int32_t city_id = 0;
    std::int32_t climate = 0;
    std::int32_t buffer = 0;
    std::int64_t start = 0;
    std::int64_t data_limit = 0;
    std::uint8_t city_byte = 0;
    std::uint8_t people_byte = 0;
    std::int32_t info_a = 0;
    std::uint16_t block_figure = 64;
    std::int32_t info_b = 0;
    std::uint16_t world_first = 20, world_second = 20;
    std::uint16_t height = 64, width = 64;
    std::string name;  // Windows-1252, at most 80 characters

    bool operator==(const IslandRecord&) const = default;
};

inline constexpr std::size_t kMaxNameLength = 80;

struct IslandMap {
    IslandRecord record;

    Layer<std::uint8_t> height{0, "height layer"};
    Layer<std::uint16_t> gfx{0, "graphic tile layer"};
    Layer<std::uint16_t> fertility{10, "fertility layer"};
    Layer<std::uint16_t> terrain{0, "terrain layer"};
    Layer<std::uint16_t> terrain_param{0, "terrain parameter layer"};
    Layer<std::uint16_t> river{0, "river layer"};
    Layer<std::uint16_t> river_param{0, "river parameter layer"};
    Layer<std::uint8_t> mark{0, "mark layer"};

    std::vector<MineRecord> mines;
    std::vector<MineRecord> quarry_spots;
    std::vector<AnimalEntry> animals;
    std::vector<ObjectEntry> objects;

    // Per cell block (0..1024) and value. Cleared only as far as they were used.
    std::vector<std::array<std::int32_t, 256>> block_height_counts =
        std::vector<std::array<std::int32_t, 256>>(kLayerSide);
    std::vector<std::array<std::int32_t, 11>> block_fertility_counts =
        std::vector<std::array<std::int32_t, 11>>(kLayerSide);
    int block_counts_used = 0;

    // Graphic tiles of this island per texture series; entry 147 is the number of cells counted.
    std::array<std::int32_t, kSeriesCount> series_usage{};

    std::int32_t cell_block_count = 0;
    // Quarter turns clockwise since the island was loaded, 0..3.
    std::int32_t rotation_angle = 0;
    // KONTORID numbers, written back by the island writer.
    std::int32_t kontorid_first = 2;
    std::uint16_t kontorid_second = 1;

    // The cell block of cell (x, y), numbered x major as the file lists the blocks.
    std::int64_t BlockOf(std::int64_t x, std::int64_t y) const;
    // Blocks whose counts may be non-zero. The loader records how far it wrote; other code sets
    // only the block count, so whichever reaches further.
    int CountedBlocks() const;
    void ClearBlockCounts();
    // Both count tables from the cells of the island's rectangle.
    void RecountBlockCounts();
    void FreeLists();
};

// Cell blocks along one side of `side` cells.
inline int CellBlocksAlong(int side) { return (side - 1) / kBlockSide + 1; }

// Back to an empty island: layers cleared (the terrain parameters excepted), lists freed,
// counters zeroed. The record keeps its fields.
void ClearIsland(IslandMap& island);

// The record's defaults: world position 20/20, 64 x 64, block figure 64, everything else 0.
void InitIslandRecord(IslandRecord& record);

std::int32_t CountMineRecords(const std::vector<MineRecord>& list, bool with_deleted);

// Cells and record fields by kind number; kinds that need the city list (28, 34) are answered
// by the document.
std::int64_t GetValue(const IslandMap& island, std::int64_t x, std::int64_t y, int kind);

}  // namespace insel
