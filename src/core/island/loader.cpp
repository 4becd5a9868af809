#include "core/island/loader.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/container/cp1252.h"
#include "core/container/game_file.h"
#include "core/document/document.h"
#include "core/island/catchment.h"
#include "core/island/cities.h"
#include "core/island/island_list.h"
#include "core/simd/cell_values.h"
#include "core/simd/entries.h"

namespace insel {
namespace {

// A column segment of a cell block: mostly a whole block's 32 cells, copied inline then.
void CopyColumn(void* to, const std::uint8_t* from, std::size_t bytes) {
    if (bytes == 32) {
        std::memcpy(to, from, 32);
    } else if (bytes == 64) {
        std::memcpy(to, from, 64);
    } else {
        std::memcpy(to, from, bytes);
    }
}

// Head of the per-cell-block blocks HEIGHT, GFXID, GELAENDE, FLUESSE and PROD2.
struct CellBlockHead {
    std::int64_t tag = 0;
    std::int64_t length = 0;  // L: bytes after the length field
    int y0 = 0, x0 = 0, ny = 0, nx = 0;
    std::int64_t content = 0;  // first byte after the 6-byte head
};

class Decoder {
  public:
    Decoder(Document& doc, const Definitions& definitions, LogLines& log)
        : doc_(doc),
          definitions_(definitions),
          log_(log),
          file_(doc.file),
          island_(doc.island),
          limit_(doc.data_limit) {}

    IslandCounts Decode(std::int64_t start);

  private:
    std::int64_t Read(int width, std::int64_t position) const {
        return ReadValue(file_, width, position);
    }
    bool Find(std::string_view tag, std::int64_t& position) const {
        return FindTagForward(file_, limit_, tag, position);
    }
    bool Find(std::string_view tag, std::int64_t& position, std::int64_t limit) const {
        return FindTagForward(file_, limit, tag, position);
    }
    // The bytes [position, position + count) of the file, checked once; throws when fewer exist.
    const std::uint8_t* Bytes(std::int64_t position, std::int64_t count) const;
    // How many whole items of `item_size` bytes from `position` lie in the file, up to `wanted`.
    std::int64_t ItemsAvailable(std::int64_t position, std::int64_t wanted, int item_size) const;
    [[noreturn]] void ThrowTruncated(std::int64_t position, const char* what) const;

    CellBlockHead ReadHead(std::int64_t tag) const;
    std::string ReadName(std::int64_t name_tag) const;
    void ReadHeader(std::int64_t& p, std::int64_t start);
    void ReadInfo(std::int64_t& p);
    std::int64_t ReadHeights(std::int64_t p);
    void ReadHeightBlock(std::int64_t tag, int block);
    void ReadName(std::int64_t p, bool savegame);
    void ReadGraphics(std::int64_t& p);
    void ReadGfxBlock(std::int64_t tag);
    void ReadTerrain(std::int64_t& p);
    void ReadEntries(std::int64_t tag, Layer<std::uint16_t>& element, Layer<std::uint16_t>& param);
    void ReadFertility(std::int64_t& p);
    std::int64_t ReadRivers();
    void ReadMines(std::int64_t p, std::int64_t quarry_block);
    void ReadObjects(std::int64_t p);
    void ReadAnimals(std::int64_t a);

    Document& doc_;
    const Definitions& definitions_;
    LogLines& log_;
    IslandCounts counts_;
    const GameFileBuffer& file_;
    IslandMap& island_;
    const std::int64_t limit_;
    std::array<std::array<std::int32_t, 256>, 4> high_byte_banks_{};
};

const std::uint8_t* Decoder::Bytes(std::int64_t position, std::int64_t count) const {
    if (position < 0 || count < 0 || position + count > file_.length()) {
        ThrowTruncated(position, "data");
    }
    return file_.bytes.data() + position;
}

std::int64_t Decoder::ItemsAvailable(std::int64_t position, std::int64_t wanted,
                                     int item_size) const {
    if (wanted <= 0 || position < 0) return 0;
    return std::min(wanted, std::max<std::int64_t>(0, (file_.length() - position) / item_size));
}

void Decoder::ThrowTruncated(std::int64_t position, const char* what) const {
    throw BoundsError(std::string("reading ") + what + " at file position " +
                      std::to_string(position) + ": the file ends before it");
}

CellBlockHead Decoder::ReadHead(std::int64_t tag) const {
    CellBlockHead head;
    head.tag = tag;
    // Rivers come in thousands of small blocks: the head is read with one bounds check where
    // it lies wholly in the file, with the same values and errors as the reads one by one.
    if (tag >= 0 && tag + 22 <= file_.length()) {
        const std::uint8_t* b = file_.bytes.data() + tag + 12;
        if (b[3] & 0x80) {
            head.length = Read(4, tag + 12);  // -1, or the overflow error
        } else {
            head.length = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::int64_t>(b[3]) << 24;
        }
        head.y0 = b[4] | b[5] << 8;
        head.x0 = b[6] | b[7] << 8;
        head.ny = b[8];
        head.nx = b[9];
        head.content = tag + 22;
        return head;
    }
    head.length = Read(4, tag + 12);
    head.y0 = static_cast<int>(Read(2, tag + 16));
    head.x0 = static_cast<int>(Read(2, tag + 18));
    head.ny = static_cast<int>(Read(1, tag + 20));
    head.nx = static_cast<int>(Read(1, tag + 21));
    head.content = tag + 22;
    return head;
}

std::string Decoder::ReadName(std::int64_t name_tag) const {
    const std::int64_t length = std::min<std::int64_t>(Read(1, name_tag + 12), kMaxNameLength);
    return ReadText(file_, name_tag + 16, length);
}

IslandCounts Decoder::Decode(std::int64_t start) {
    IslandRecord& record = island_.record;
    island_.kontorid_first = 2;
    island_.kontorid_second = 1;
    island_.rotation_angle = 0;
    // A decode replaces the island, so its statistics start afresh.
    island_.series_usage.fill(0);
    island_.ClearBlockCounts();

    std::int64_t p = start;
    ReadHeader(p, start);
    ReadInfo(p);
    const std::int64_t g = ReadHeights(p);
    p = g - 2;

    const int width = record.width;
    const int height = record.height;
    counts_.width = width;
    counts_.height = height;

    ReadName(p, doc_.file_kind == FileKind::Savegame);
    counts_.cell_blocks = island_.cell_block_count;

    p -= 2;
    ReadGraphics(p);
    p -= 2;
    ReadTerrain(p);
    ReadFertility(p);
    const std::int64_t quarry_block = ReadRivers();
    ReadMines(p, quarry_block);

    std::int64_t a = p;
    Find("ANBAU", a);
    std::int64_t discover = a;
    const bool has_discover = Find("DISCOVER", discover) && discover < limit_ - 20;
    if (!has_discover) {
        // Island files without the savegame blocks carry no objects or animals.
        counts_.animals = 0;
        counts_.objects = 0;
        return counts_;
    }
    p = discover;
    if (Find("KONTORID", p) && p < limit_ - 10) {
        const std::int64_t first = Read(4, p + 12);
        const std::int64_t second = Read(2, p + 16);
        island_.kontorid_first = first != 0 ? static_cast<std::int32_t>(first) : 2;
        island_.kontorid_second = second != 0 ? static_cast<std::uint16_t>(second) : 1;
    }
    ReadObjects(p);
    ReadAnimals(a);
    return counts_;
}

void Decoder::ReadHeader(std::int64_t& p, std::int64_t start) {
    IslandRecord& record = island_.record;
    if (!Find("INSEL", p)) {
        throw FormatError("no island (INSEL block) in the file data from position " +
                          std::to_string(start) + " on");
    }
    record.start = p;
    // INSEL4 islands have no length field, so their fields lie 4 bytes earlier.
    const std::int64_t fields = Read(1, p + 5) == '4' ? p + 12 : p + 16;
    record.world_first = static_cast<std::uint16_t>(Read(2, fields));
    record.world_second = static_cast<std::uint16_t>(Read(2, fields + 2));
    record.width = static_cast<std::uint16_t>(Read(2, fields + 4));
    record.height = static_cast<std::uint16_t>(Read(2, fields + 6));
    // Larger islands would load into the layers but could never be written back.
    constexpr int kLargest = kLayerSide - 1;
    if (record.width > kLargest || record.height > kLargest) {
        throw FormatError("the island at file position " + std::to_string(p) + " claims " +
                          std::to_string(record.width) + " x " + std::to_string(record.height) +
                          " cells, more than " + std::to_string(kLargest) + " x " +
                          std::to_string(kLargest));
    }
    record.number = static_cast<std::int32_t>(Read(2, fields + 8));
}

void Decoder::ReadInfo(std::int64_t& p) {
    IslandRecord& record = island_.record;
    if (Find("INFO", p)) {
        record.climate = static_cast<std::int32_t>(Read(1, p + 16));
        record.city_byte = static_cast<std::uint8_t>(Read(1, p + 17));
        record.people_byte = static_cast<std::uint8_t>(Read(1, p + 18));
        record.info_a = static_cast<std::int32_t>(Read(1, p + 21));
        record.block_figure = static_cast<std::uint16_t>(Read(2, p + 22));
        record.info_b = static_cast<std::int32_t>(Read(4, p + 24));
    }
    record.city_id = -1;
}

// Returns the position of the first GFXID block, which ends the height section.
std::int64_t Decoder::ReadHeights(std::int64_t p) {
    std::int64_t g = p;
    Find("GFXID", g);
    int blocks = 0;
    // Only blocks before the graphics count, so the search need not look beyond them.
    const std::int64_t end = std::min(g, limit_ - 50);
    while (Find("HEIGHT", p, end)) {
        ReadHeightBlock(p, blocks++);
        p += 5;
        if (p > g) break;
    }
    island_.cell_block_count = blocks;
    return g;
}

void Decoder::ReadHeightBlock(std::int64_t tag, int block) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = head.length - 6;
    if (count <= 0) return;
    if (head.ny == 0) {
        throw FormatError("HEIGHT block at file position " + std::to_string(tag) +
                          " has cells but an extent of 0 along y");
    }
    if (block >= kLayerSide) {
        throw BoundsError("HEIGHT block at file position " + std::to_string(tag) +
                          " is cell block " + std::to_string(block) + ", beyond 1024");
    }
    island_.block_counts_used = std::max(island_.block_counts_used, block + 1);
    auto& counts = island_.block_height_counts[block];
    const std::int64_t available = ItemsAvailable(head.content, count, 1);
    const std::uint8_t* values = file_.bytes.data() + head.content;
    // Values run along y first: one column of ny cells per x. Columns inside the layer are
    // copied whole and counted together; a column reaching outside goes cell by cell.
    std::int64_t uncounted = 0;
    for (std::int64_t j0 = 0; j0 < available; j0 += head.ny) {
        const int x = head.x0 + static_cast<int>(j0 / head.ny);
        const int n = static_cast<int>(std::min<std::int64_t>(head.ny, available - j0));
        if (Layer<std::uint8_t>::InRange(x, head.y0) &&
            Layer<std::uint8_t>::InRange(x, head.y0 + n - 1)) {
            CopyColumn(island_.height.column(x) + head.y0, values + j0,
                       static_cast<std::size_t>(n));
            island_.height.NoteWritten(x + 1, head.y0 + n);
            continue;
        }
        simd::AddToHistogram(values + uncounted, j0 - uncounted, counts.data());
        uncounted = j0 + n;
        for (int k = 0; k < n; ++k) {
            island_.height.set(x, head.y0 + k, values[j0 + k]);
            ++counts[values[j0 + k]];
        }
    }
    simd::AddToHistogram(values + uncounted, available - uncounted, counts.data());
    if (available < count) ThrowTruncated(head.content + available, "HEIGHT values");
}

void Decoder::ReadName(std::int64_t p, bool savegame) {
    if (!savegame) return;
    IslandRecord& record = island_.record;
    std::int64_t e = p;
    Find("EVENTINSEL", e);
    std::int64_t n = p;
    record.name = Find("NAME", n, e) ? ReadName(n) : "No name";
    if (record.name.find("VENE") != std::string::npos) record.climate = 6;
}

void Decoder::ReadGraphics(std::int64_t& p) {
    for (auto& bank : high_byte_banks_) bank.fill(0);
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("GFXID", p)) break;
        ReadGfxBlock(p);
        p += 5;
    }
    auto& usage = island_.series_usage;
    std::int32_t total = 0;
    for (int s = 0; s < kSeriesCount - 1; ++s) total += usage[s];
    usage[kSeriesCount - 1] += total;
}

void Decoder::ReadGfxBlock(std::int64_t tag) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = (head.length - 6) / 2;
    if (count <= 0) return;
    if (head.ny == 0) {
        throw FormatError("GFXID block at file position " + std::to_string(tag) +
                          " has cells but an extent of 0 along y");
    }
    const std::int64_t available = ItemsAvailable(head.content, count, 2);
    const std::uint8_t* bytes = file_.bytes.data() + head.content;
    auto& usage = island_.series_usage;
    int banked_low = 256, banked_high = -1;  // the high bytes counted in the banks
    for (std::int64_t j0 = 0; j0 < available; j0 += head.ny) {
        const int x = head.x0 + static_cast<int>(j0 / head.ny);
        const int n = static_cast<int>(std::min<std::int64_t>(head.ny, available - j0));
        // The whole column is checked once; a column reaching outside goes cell by cell.
        const bool inside = Layer<std::uint16_t>::InRange(x, head.y0) &&
                            Layer<std::uint16_t>::InRange(x, head.y0 + n - 1);
        std::uint16_t* column = inside ? island_.gfx.column(x) + head.y0 : nullptr;
        const std::uint8_t* words = bytes + 2 * j0;
        if (inside && std::endian::native == std::endian::little) {
            // Without a bad series code the column is copied whole and its series counted by
            // high byte, in banks that the end of the block turns into series counts.
            const auto [lowest, highest] = simd::HighByteRange(words, n);
            if (highest - 11 <= kSeriesCount - 1) {
                CopyColumn(column, words, 2 * static_cast<std::size_t>(std::max(n, 0)));
                banked_low = std::min<int>(banked_low, lowest);
                banked_high = std::max<int>(banked_high, highest);
                if (lowest == highest) {
                    high_byte_banks_[0][highest] += n;  // one series down the whole column
                } else {
                    auto& banks = high_byte_banks_;
                    int k = 0;
                    for (; k + 4 <= n; k += 4) {
                        ++banks[0][words[2 * k + 1]];
                        ++banks[1][words[2 * k + 3]];
                        ++banks[2][words[2 * k + 5]];
                        ++banks[3][words[2 * k + 7]];
                    }
                    for (; k < n; ++k) ++banks[0][words[2 * k + 1]];
                }
                island_.gfx.NoteWritten(x + 1, head.y0 + n);
                continue;
            }
        }
        for (int k = 0; k < n; ++k) {
            const std::uint8_t* b = bytes + 2 * (j0 + k);
            std::uint16_t value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
            int series = std::max(0, (value >> 8) - 11);
            if (series > kSeriesCount - 1) {
                log_.push_back("Insel " + island_.record.name + "  Fehlerhafte GFXStruktur bei " +
                               std::to_string(x) + ", " + std::to_string(head.y0 + k) +
                               "  Bitmapwert " + std::to_string(series));
                value = 0;
                series = 0;
            }
            if (inside) {
                column[k] = value;
            } else {
                island_.gfx.set(x, head.y0 + k, value);
            }
            ++usage[series];
        }
        if (inside) island_.gfx.NoteWritten(x + 1, head.y0 + n);
    }
    for (int high = banked_low; high <= banked_high; ++high) {
        const std::int32_t cells = high_byte_banks_[0][high] + high_byte_banks_[1][high] +
                                   high_byte_banks_[2][high] + high_byte_banks_[3][high];
        if (cells != 0) usage[std::max(0, high - 11)] += cells;
        for (auto& bank : high_byte_banks_) bank[high] = 0;
    }
    if (available < count) ThrowTruncated(head.content + 2 * available, "GFXID values");
}

void Decoder::ReadTerrain(std::int64_t& p) {
    island_.terrain.Clear();
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("GELAENDE", p)) break;
        ReadEntries(p, island_.terrain, island_.terrain_param);
        p += 10;
    }
}

// GELAENDE and FLUESSE entries: word element, word parameter, byte y offset, byte x offset.
void Decoder::ReadEntries(std::int64_t tag, Layer<std::uint16_t>& element,
                          Layer<std::uint16_t>& param) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = (head.length - 6) / 6;
    const std::int64_t available = ItemsAvailable(head.content, count, 6);
    const std::uint8_t* e = file_.bytes.data() + head.content;
    // Each cell is tested against the layers' side only; the part of the layers written is
    // noted once per block, or before the checked write that reports a cell outside.
    int x_end = 0, y_end = 0;
    auto note = [&] {
        element.NoteWritten(x_end, y_end);
        param.NoteWritten(x_end, y_end);
    };
    const simd::EntryTarget target{element.column(0), param.column(0), head.x0, head.y0};
    const std::int64_t done =
        simd::ReadEntries(target, e, available, file_.bytes.data() + file_.length(), x_end, y_end);
    e += 6 * done;
    for (std::int64_t i = done; i < available; ++i, e += 6) {
        const int x = head.x0 + e[5];
        const int y = head.y0 + e[4];
        const auto value = static_cast<std::uint16_t>(e[0] | (e[1] << 8));
        const auto parameter = static_cast<std::uint16_t>(e[2] | (e[3] << 8));
        if (x >= kLayerSide || y >= kLayerSide) {
            note();
            element.set(x, y, value);  // throws the bounds error
        }
        element.column(x)[y] = value;
        param.column(x)[y] = parameter;
        x_end = std::max(x_end, x + 1);
        y_end = std::max(y_end, y + 1);
    }
    note();
    if (available < count) ThrowTruncated(head.content + 6 * available, "element entries");
}

void Decoder::ReadFertility(std::int64_t& p) {
    if (!Find("FRUCHTBAR", p)) return;
    const std::int64_t count = Read(4, p + 12);
    if (count <= 0) return;
    const int height = island_.record.height;
    if (height == 0) {
        throw FormatError("FRUCHTBAR block at file position " + std::to_string(p) +
                          " has cells but the island is 0 cells high");
    }
    const std::int64_t available = ItemsAvailable(p + 16, count, 1);
    const std::uint8_t* bytes = file_.bytes.data() + p + 16;
    // Byte i is cell (i div height, i mod height): one run of `height` cells per x, as in the
    // height and tile blocks.
    for (std::int64_t row = 0; row * height < available; ++row) {
        const std::int64_t x = row;
        const std::int64_t n = std::min<std::int64_t>(height, available - row * height);
        const std::int64_t first_block = island_.BlockOf(x, 0);
        const std::int64_t last_block = first_block + (n - 1) / kBlockSide;
        const bool inside = Layer<std::uint16_t>::InRange(x, 0) &&
                            Layer<std::uint16_t>::InRange(x, n - 1) && last_block < kLayerSide;
        if (!inside) {
            for (std::int64_t y = 0; y < n; ++y) {
                const std::uint16_t value = std::min<std::uint16_t>(bytes[row * height + y], 10);
                island_.fertility.set(x, y, value);
                const std::int64_t block = first_block + y / kBlockSide;
                if (block >= kLayerSide) {
                    throw BoundsError("fertility of cell (" + std::to_string(x) + ", " +
                                      std::to_string(y) + ") falls in cell block " +
                                      std::to_string(block) + ", beyond 1024");
                }
                island_.block_counts_used =
                    std::max(island_.block_counts_used, static_cast<int>(block) + 1);
                ++island_.block_fertility_counts[block][value];
            }
            continue;
        }
        std::uint16_t* column = island_.fertility.column(static_cast<int>(x));
        const std::uint8_t* values = bytes + row * height;
        for (std::int64_t y0 = 0; y0 < n; y0 += kBlockSide) {
            const std::int64_t y1 = std::min<std::int64_t>(y0 + kBlockSide, n);
            auto& counts = island_.block_fertility_counts[first_block + y0 / kBlockSide];
            if (simd::AllEqual(values + y0, y1 - y0)) {
                // Whole stretches of one fertility (the sea) are the rule.
                const std::uint16_t value = std::min<std::uint16_t>(values[y0], 10);
                FillValues(column + y0, static_cast<std::size_t>(y1 - y0), value);
                counts[value] += static_cast<std::int32_t>(y1 - y0);
                continue;
            }
            simd::ClampAndCountFertility(values + y0, static_cast<int>(y1 - y0), column + y0,
                                         counts);
        }
        island_.fertility.NoteWritten(static_cast<int>(x) + 1, static_cast<int>(n));
        island_.block_counts_used =
            std::max(island_.block_counts_used, static_cast<int>(last_block) + 1);
    }
    if (available < count) ThrowTruncated(p + 16 + available, "FRUCHTBAR values");
}

// Rivers are the FLUESSE blocks between the island's start and its BERGWERK2 block.
// Returns the position of that BERGWERK2 block (the data limit without one).
std::int64_t Decoder::ReadRivers() {
    island_.river.Clear();
    island_.river_param.Clear();
    const std::int64_t start = island_.record.start;
    std::int64_t m = start;
    Find("BERGWERK2", m);
    std::int64_t q = start;
    while (Find("FLUESSE", q, m)) {
        ReadEntries(q, island_.river, island_.river_param);
        q += 10;
        if (q > m) break;
    }
    return m;
}

// `quarry_block` is the first BERGWERK2 at or after the island's start, so a search from a
// position between the two ends there.
void Decoder::ReadMines(std::int64_t p, std::int64_t quarry_block) {
    island_.quarry_spots.clear();
    island_.mines.clear();
    std::int64_t r = p;
    std::int64_t spots = 0;
    const bool known = p >= island_.record.start && p <= quarry_block;
    const bool found = known ? quarry_block < limit_ : Find("BERGWERK2", r);
    if (known) r = quarry_block;
    if (found) spots = Read(2, r + 12) / 12;
    counts_.quarry_spots = spots;
    for (std::int64_t i = 0; i < spots; ++i) {
        if (!Find("ENTRY", r)) break;
        const std::uint8_t* b = Bytes(r + 8, 4);
        MineRecord spot;
        spot.y = b[0] + 256u * (b[1] % 4);
        spot.x = (b[1] / 16u) + 16u * b[2];
        spot.x_band = b[2];
        spot.orientation = b[3];
        island_.quarry_spots.push_back(spot);
        r += 5;
    }
    if (Find("OCCUR", r)) {
        const std::int64_t end = r + Read(2, r + 12);
        // Whale marks are looked for within each record; one cursor keeps that linear.
        TagCursors whales(file_, -1, {"WHALE"});
        // A record at or beyond the block's end is not read, so the search stops there.
        while (Find("ENTRY2", r, std::min(end, limit_))) {
            const std::int64_t n = Read(2, r + 6);
            MineRecord mine;
            std::int64_t whale = r;
            mine.whale = whales.Find(0, whale) && whale < EffectiveLimit(file_, r + n + 6) ? 1 : 0;
            mine.building_id = static_cast<std::int32_t>(Read(4, r + 8));
            mine.y = static_cast<std::uint32_t>(Read(4, r + 12));
            mine.x = static_cast<std::uint32_t>(Read(4, r + 16));
            mine.symbol_value = static_cast<std::uint32_t>(Read(4, r + 20));
            mine.symbol_elevation = static_cast<std::int32_t>(mine.symbol_value >> 16) - 16384;
            if (n > 16) {
                mine.treasure = static_cast<std::int32_t>(Read(4, r + 24));
                mine.visible = static_cast<std::uint8_t>(Read(1, r + 28));
            }
            island_.mines.push_back(mine);
            r += 5;
        }
    }
    counts_.mines = static_cast<std::int64_t>(island_.mines.size());
}

void Decoder::ReadObjects(std::int64_t p) {
    if (p > limit_ - 10) return;
    std::unordered_set<std::int64_t> occupied;
    std::int64_t count = 0;
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("PROD2", p)) break;
        const CellBlockHead head = ReadHead(p);
        const std::int64_t entries = (head.length - 6) / 6;
        const std::int64_t available = ItemsAvailable(head.content, entries, 6);
        const std::uint8_t* e = file_.bytes.data() + head.content;
        for (std::int64_t k = 0; k < available; ++k, e += 6) {
            ObjectEntry object;
            object.island = island_.record.number;
            object.id_word = static_cast<std::uint16_t>(e[0] | (e[1] << 8));
            object.graphic_id = object.id_word & 0x3FFF;
            object.orientation = static_cast<std::uint8_t>(object.id_word >> 14);
            object.file_position = static_cast<std::int32_t>(head.content + 6 * k);
            object.parameter = static_cast<std::uint16_t>(e[2] | (e[3] << 8));
            object.x = head.x0 + e[5];
            object.y = head.y0 + e[4];
            const ObjectSize size =
                LookupObjectSize(definitions_, object.graphic_id, object.orientation, 0);
            object.width = static_cast<std::uint16_t>(size.width);
            object.height = static_cast<std::uint16_t>(size.height);
            object.definition = static_cast<std::uint16_t>(size.definition);
            ++count;
            // Of several objects on one cell only the first is kept.
            if (occupied.insert((static_cast<std::int64_t>(object.x) << 32) | object.y).second) {
                island_.objects.push_back(object);
            }
        }
        if (available < entries) ThrowTruncated(head.content + 6 * available, "PROD2 entries");
        p += 10;
    }
    counts_.objects = count;
}

void Decoder::ReadAnimals(std::int64_t a) {
    std::int64_t h = a;
    std::int64_t count = 0;
    if (Find("HIRSCH", h) && h < limit_ - 30) {
        count = std::max<std::int64_t>(0, Read(4, h + 12) / 8);
        const std::int64_t available = ItemsAvailable(h + 16, count, 8);
        const std::uint8_t* w = file_.bytes.data() + h + 16;
        for (std::int64_t i = 0; i < available; ++i, w += 8) {
            AnimalEntry animal;
            animal.second = static_cast<std::uint16_t>(w[0] | (w[1] << 8));
            animal.first = static_cast<std::uint16_t>(w[2] | (w[3] << 8));
            animal.third = static_cast<std::uint16_t>(w[4] | (w[5] << 8));
            animal.fourth = static_cast<std::uint16_t>(w[6] | (w[7] << 8));
            island_.animals.push_back(animal);
        }
        if (available < count) ThrowTruncated(h + 16 + 8 * available, "HIRSCH animals");
    }
    counts_.animals = count;
}

std::string NameFromPath(const std::string& file_name) {
    return Utf8ToCp1252(file_name).substr(0, kMaxNameLength);
}

// The savegame walk: every STADT2 record is a city; its island is decoded and its buildings
// read. Cities mostly follow their island, so an island decoded for the city before is not
// decoded again (its log lines are repeated); its objects also keep the marketplace points
// the earlier cities gave them, which a fresh decode would lose.
void WalkCities(Document& doc, const Definitions& definitions, Status& status, std::int64_t p) {
    const std::int64_t limit = doc.data_limit - 50;
    std::int64_t decoded_from = -1;
    std::vector<std::string> decode_log;
    LogLines& memo2 = status.memo2;
    while (true) {
        const bool found = FindTagForward(doc.file, doc.data_limit, "STADT2", p) && p < limit;
        if (found) {
            const std::int64_t s = p;
            const CityRecord& city = CreateCityRecord(doc, s);
            FindIslandOfCity(doc, city.abs_first, city.abs_second);
            const std::int64_t start = doc.island.record.start;
            if (start == decoded_from) {
                memo2.insert(memo2.end(), decode_log.begin(), decode_log.end());
            } else {
                doc.island.FreeLists();
                const std::size_t before = memo2.size();
                decoded_from = -1;
                DecodeIsland(doc, definitions, memo2, start);
                decoded_from = start;
                decode_log.assign(memo2.begin() + static_cast<std::ptrdiff_t>(before), memo2.end());
            }
            DecodeCityBuildings(doc, status, s);
        }
        p += 10;
        if (p > limit) break;
    }
}

// The steps of a load before the file is read.
void PrepareLoad(Document& doc, const std::string& file_name) {
    doc.city_list.clear();
    doc.cities.Clear();
    doc.ClearIsland(false);
    doc.file_name = NameFromPath(file_name);
}

LoadSummary FinishLoad(Document& doc, const Definitions& definitions, Status& status,
                       const LoadedFileInfo& info, const std::string& file_name) {
    IslandRecord& record = doc.island.record;
    doc.file_size = info.size;
    doc.data_limit = info.data_limit;
    doc.addon_level = info.addon_level;
    LoadSummary summary;
    summary.file_size = info.size;
    summary.addon_level = info.addon_level;
    summary.name = doc.file_name;
    record.name = doc.file_name;

    record.buffer = 2;
    std::int64_t start = 0;
    FindTagForward(doc.file, -1, "INSEL", start);
    record.start = start;
    record.data_limit = doc.data_limit;
    doc.loaded = true;

    const std::int64_t last_info = ListIslands(doc);
    summary.island = DecodeIsland(doc, definitions, status.memo2, 0);

    if (doc.file_kind == FileKind::Island) {
        summary.message = DecodeIslandFileCities(doc, status, file_name);
    } else {
        WalkCities(doc, definitions, status, last_info);
    }
    summary.cities = static_cast<std::int64_t>(doc.city_list.size());
    if (doc.file_kind == FileKind::Island || doc.file_kind == FileKind::City) {
        AssignObjectsToCities(doc, status.memo3);
    } else {
        // The city walk leaves other islands decoded; end on the file's first island.
        doc.island.FreeLists();
        summary.island = DecodeIsland(doc, definitions, status.memo2, 0);
    }
    record.city_id = static_cast<std::int32_t>(summary.cities);
    return summary;
}

}  // namespace

IslandCounts DecodeIsland(Document& doc, const Definitions& definitions, LogLines& log,
                          std::int64_t start) {
    return Decoder(doc, definitions, log).Decode(start);
}

LoadSummary LoadIsland(Document& doc, const Definitions& definitions, Status& status,
                       const std::filesystem::path& path) {
    const std::string file_name = path.filename().string();
    PrepareLoad(doc, file_name);
    const LoadedFileInfo info = LoadGameFile(doc.file, path);
    return FinishLoad(doc, definitions, status, info, file_name);
}

LoadSummary LoadIslandFromBytes(Document& doc, const Definitions& definitions, Status& status,
                                std::span<const std::uint8_t> bytes, const std::string& file_name) {
    PrepareLoad(doc, file_name);
    const LoadedFileInfo info = LoadGameBytes(doc.file, bytes);
    return FinishLoad(doc, definitions, status, info, file_name);
}

}  // namespace insel
