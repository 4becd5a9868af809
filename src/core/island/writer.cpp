#include "core/island/writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/container/cp1252.h"
#include "core/container/file_io.h"
#include "core/container/game_file.h"
#include "core/container/output_buffer.h"
#include "core/document/document.h"
#include "core/island/cities.h"
#include "core/island/game_tables.h"
#include "core/island/save_options.h"
#include "core/simd/cell_values.h"
#include "core/simd/entries.h"

namespace insel {
namespace {

// Building ids of the mine kinds (a building number shifted by 14 bits) and the kind number
// that decides a mine record's layout.
int MineKindNumber(std::int32_t building_id) {
    switch (building_id / 16384) {
        case 1562:
            return 2;
        case 1564:
            return 3;
        case 1561:
            return 4;
        case 1563:
            return 5;
        case 1550:
        case 1551:
            return 6;
        case 1559:
            return 7;
        case 1565:
            return 8;
        case 1664:
            return 9;
        default:
            return 0;
    }
}

void WriteBlockHead(OutputBuffer& out, int x0, int y0, int nx, int ny);

// One block per cell block, x major: all blocks of x origin 0 by y origin, then x origin 32,
// and so on; each with its length patched and the cell block's head.
template <class Body>
void ForEachCellBlock(OutputBuffer& out, int width, int height, std::string_view tag,
                      char placeholder, Body body) {
    for (int bx = 0; bx < CellBlocksAlong(width); ++bx) {
        for (int by = 0; by < CellBlocksAlong(height); ++by) {
            const int x0 = bx * kBlockSide;
            const int y0 = by * kBlockSide;
            const int nx = std::min(kBlockSide, width - x0);
            const int ny = std::min(kBlockSide, height - y0);
            out.WriteTag(tag);
            const std::int64_t length_position = out.position();
            out.WriteString(std::string(4, placeholder));
            WriteBlockHead(out, x0, y0, nx, ny);
            body(x0, y0, nx, ny);
            out.PatchLength(length_position);
        }
    }
}

class IslandWriter {
  public:
    IslandWriter(const Document& doc, const SaveOptions& options, OutputBuffer& out, LogLines& log,
                 bool game_format)
        : doc_(doc),
          options_(options),
          out_(out),
          log_(log),
          island_(doc.island),
          game_format_(game_format) {}

    void Assemble();

  private:
    void Log(std::string line) { log_.push_back(std::move(line)); }
    int Width() const { return island_.record.width; }
    int Height() const { return island_.record.height; }
    template <class Body>
    void ForEachCellBlock(std::string_view tag, char placeholder, Body body) {
        insel::ForEachCellBlock(out_, Width(), Height(), tag, placeholder, body);
    }
    template <class Body>
    void WriteRecordList(std::string_view tag, const char* placeholder,
                         const std::vector<MineRecord>& list, Body body);
    void WriteHeights();
    void WriteGraphics();
    void WriteTerrain();
    void WriteFertility();
    void WriteRivers();
    void WriteQuarrySpots();
    void WriteMines();
    void WriteDiscoverAndObjects();
    void WriteNameAndRest();

    // A block's content is gathered in `staging_` through a local cursor and appended in one
    // piece. A cell block holds at most 32 x 32 entries of 6 bytes, the room a block may use;
    // 64 more bytes let entries be stored in whole 8- or 64-byte writes.
    std::uint8_t* StageBegin() { return staging_.data(); }
    void StageEnd(const std::uint8_t* cursor) {
        out_.WriteBytes({staging_.data(), static_cast<std::size_t>(cursor - staging_.data())});
    }

    void WriteObjects();

    const Document& doc_;
    const SaveOptions& options_;
    OutputBuffer& out_;
    LogLines& log_;
    const IslandMap& island_;
    bool game_format_;
    std::array<std::uint8_t, 6 * kBlockSide * kBlockSide + 64> staging_{};
};

// Only big-endian hosts stage words one by one.
[[maybe_unused]] void StageWord(std::uint8_t*& cursor, std::uint16_t value) {
    *cursor++ = static_cast<std::uint8_t>(value & 0xFF);
    *cursor++ = static_cast<std::uint8_t>(value >> 8);
}

void WriteGoodsTable(OutputBuffer& out) {
    out.WriteWord(0x21F);
    out.WriteDword(0);
    for (std::size_t i = 0; i < kGoodsKeys.size(); ++i) {
        out.WriteString(kGoodsKeys[i]);
        out.WriteByte(0);
        if (i + 1 < kGoodsKeys.size()) out.WriteWord(static_cast<std::uint16_t>(i + 1));
    }
}

void WriteCrops(OutputBuffer& out) {
    out.WriteTag("ANBAU");
    out.WriteDword(135);
    for (std::string_view crop : kCropKeys) {
        out.WriteString(crop);
        out.WriteByte(0);
    }
}

void WriteDiscover(OutputBuffer& out) {
    out.WriteTag("DISCOVER");
    out.WriteDword(4);
    out.WriteDword(1);
}

// The file head of an island file; returns the position of its overall length.
std::int64_t WriteIslandFileHead(OutputBuffer& out, int addon_level) {
    out.WriteTag(addon_level > 0 ? "KELMADDON1" : "KELM");
    const std::int64_t length_position = out.position();
    out.WriteString("AAAA");
    return length_position;
}

void WriteBlockHead(OutputBuffer& out, int x0, int y0, int nx, int ny) {
    out.WriteWord(static_cast<std::uint16_t>(y0));
    out.WriteWord(static_cast<std::uint16_t>(x0));
    out.WriteByte(CheckedNarrow<std::uint8_t>(ny, "the extent of a cell block"));
    out.WriteByte(CheckedNarrow<std::uint8_t>(nx, "the extent of a cell block"));
}

// Cells of a block, x major: for each x the cells in order of y; checked once per block.
void CheckBlockCells(int x0, int y0, int nx, int ny) {
    if (x0 + nx > kLayerSide || y0 + ny > kLayerSide) {
        throw BoundsError("cell block at (" + std::to_string(x0) + ", " + std::to_string(y0) +
                          ") reaches beyond cell 1024");
    }
}

void IslandWriter::WriteHeights() {
    ForEachCellBlock("HEIGHT", 'H', [&](int x0, int y0, int nx, int ny) {
        CheckBlockCells(x0, y0, nx, ny);
        std::uint8_t* cursor = StageBegin();
        const auto bytes = static_cast<std::size_t>(std::max(ny, 0));
        for (int x = x0; x < x0 + nx; ++x, cursor += bytes) {
            const std::uint8_t* column = island_.height.column(x) + y0;
            if (bytes == kBlockSide) {
                std::memcpy(cursor, column, kBlockSide);  // the usual whole column, inline
            } else {
                std::memcpy(cursor, column, bytes);
            }
        }
        StageEnd(cursor);
    });
}

void IslandWriter::WriteGraphics() {
    ForEachCellBlock("GFXID", 'G', [&](int x0, int y0, int nx, int ny) {
        CheckBlockCells(x0, y0, nx, ny);
        std::uint8_t* cursor = StageBegin();
        for (int x = x0; x < x0 + nx; ++x) {
            const std::uint16_t* column = island_.gfx.column(x) + y0;
            if constexpr (std::endian::native == std::endian::little) {
                // The layer holds the words as the file does.
                const auto bytes = 2 * static_cast<std::size_t>(std::max(ny, 0));
                if (bytes == 2 * kBlockSide) {
                    std::memcpy(cursor, column, 2 * kBlockSide);  // inline
                } else {
                    std::memcpy(cursor, column, bytes);
                }
                cursor += bytes;
            } else {
                for (int y = 0; y < ny; ++y) StageWord(cursor, column[y]);
            }
        }
        StageEnd(cursor);
    });
}

void IslandWriter::WriteTerrain() {
    ForEachCellBlock("GELAENDE", 'G', [&](int x0, int y0, int nx, int ny) {
        CheckBlockCells(x0, y0, nx, ny);
        std::uint8_t* cursor = StageBegin();
        simd::StageEntries(cursor, island_.terrain.column(x0) + y0,
                           island_.terrain_param.column(x0) + y0, nx, ny);
        StageEnd(cursor);
    });
}

void IslandWriter::WriteFertility() {
    out_.WriteTag("FRUCHTBAR");
    const std::int64_t length_position = out_.position();
    out_.WriteString("FFFF");
    const std::int64_t width = Width();
    const std::int64_t height = Height();
    // Byte i holds cell (i div height, i mod height): one run of `height` cells per x.
    CheckBlockCells(0, 0, static_cast<int>(width), static_cast<int>(height));
    for (int x = 0; x < width; ++x) {
        const std::uint16_t* column = island_.fertility.column(x);
        std::uint16_t largest = 0;
        for (std::int64_t y0 = 0; y0 < height; y0 += kBlockSide * kBlockSide) {
            const std::int64_t y_end = std::min<std::int64_t>(y0 + kBlockSide * kBlockSide, height);
            std::uint8_t* cursor = StageBegin();
            largest = std::max(largest, simd::NarrowBytes(column + y0, y_end - y0, cursor));
            CheckedNarrow<std::uint8_t>(largest, "a fertility byte");
            StageEnd(cursor + (y_end - y0));
        }
    }
    out_.PatchLength(length_position);
}

// Squares of 8 x 8 cells, x major; only squares holding a river cell get a block. A side that
// is not a multiple of 8 ends in a narrower square, so its edge cells keep their rivers.
void IslandWriter::WriteRivers() {
    const int width = Width();
    const int height = Height();
    CheckBlockCells(0, 0, width, height);
    for (int x0 = 0; x0 < width; x0 += 8) {
        const int x_end = std::min(x0 + 8, width);
        // The first row of squares holding a river cell: the columns are read down whole,
        // and a strip without rivers (most are) needs no square looked at.
        int first_wet = height;
        for (int x = x0; x < x_end; ++x)
            first_wet =
                std::min(first_wet, simd::NextNonZero(island_.river.column(x), 0, first_wet));
        for (int y0 = first_wet / 8 * 8; y0 < height; y0 += 8) {
            const int y_end = std::min(y0 + 8, height);
            bool any = false;
            for (int x = x0; x < x_end && !any; ++x)
                any = simd::NextNonZero(island_.river.column(x), y0, y_end) < y_end;
            if (!any) continue;
            out_.WriteTag("FLUESSE");
            const std::int64_t length_position = out_.position();
            out_.WriteString("WWWW");
            WriteBlockHead(out_, x0, y0, 8, 8);
            std::uint8_t* cursor = StageBegin();
            simd::StageEntries(cursor, island_.river.column(x0) + y0,
                               island_.river_param.column(x0) + y0, x_end - x0, y_end - y0);
            StageEnd(cursor);
            out_.PatchLength(length_position);
        }
    }
}

// BERGWERK2 and OCCUR: length 0 without a record that is not deleted, else the records.
template <class Body>
void IslandWriter::WriteRecordList(std::string_view tag, const char* placeholder,
                                   const std::vector<MineRecord>& list, Body body) {
    out_.WriteTag(tag);
    if (CountMineRecords(list, false) == 0) {
        out_.WriteDword(0);
        return;
    }
    const std::int64_t length_position = out_.position();
    out_.WriteString(placeholder);
    for (const MineRecord& record : list) {
        if (!record.deleted) body(record);
    }
    out_.PatchLength(length_position);
}

void IslandWriter::WriteQuarrySpots() {
    WriteRecordList("BERGWERK2", "AAAA", island_.quarry_spots, [&](const MineRecord& spot) {
        out_.WriteTag("ENTRY", 6);
        out_.WriteWord(4);
        out_.WriteByte(static_cast<std::uint8_t>(spot.y & 0xFF));
        out_.WriteByte(CheckedNarrow<std::uint8_t>((spot.x % 16) * 16 + spot.y / 256,
                                                   "the position byte of a quarry spot"));
        out_.WriteByte(CheckedNarrow<std::uint8_t>(spot.x / 16, "the x band of a quarry spot"));
        out_.WriteByte(
            CheckedNarrow<std::uint8_t>(spot.orientation, "a quarry spot's orientation"));
    });
    Log("AbbauAnzahl " + std::to_string(CountMineRecords(island_.quarry_spots, false)));
}

void IslandWriter::WriteMines() {
    WriteRecordList("OCCUR", "MMMM", island_.mines, [&](const MineRecord& mine) {
        const int kind = MineKindNumber(mine.building_id);
        out_.WriteString("ENTRY2");
        out_.WriteWord(mine.whale ? 42 : (kind == 9 ? 16 : 24));
        out_.WriteDword(static_cast<std::uint32_t>(mine.building_id));
        out_.WriteDword(mine.y);
        out_.WriteDword(mine.x);
        const bool elevation_kind = kind <= 5 || kind == 8;
        if (elevation_kind && mine.elevation_edited) {
            out_.WriteDword(static_cast<std::uint32_t>(CheckedNarrow<std::uint16_t>(
                                mine.symbol_elevation + 16384, "a mine symbol's elevation"))
                            << 16);
        } else {
            out_.WriteDword(mine.symbol_value);
        }
        if (mine.whale) {
            out_.WriteTag("WHALE", 6);
            out_.WriteWord(18);
            for (int i = 0; i < 3; ++i) {
                out_.WriteDword(0);
                out_.WriteWord(0xFF);
            }
        } else if (kind != 9) {
            out_.WriteDword(static_cast<std::uint32_t>(mine.treasure));
            out_.WriteDword(mine.visible);
        }
    });
    Log("AbbauMinen " + std::to_string(CountMineRecords(island_.mines, false)));
}

void IslandWriter::WriteDiscoverAndObjects() {
    WriteDiscover(out_);
    out_.WriteTag("KONTORID");
    out_.WriteDword(static_cast<std::uint32_t>(island_.kontorid_first));
    out_.WriteWord(island_.kontorid_second);
    if (game_format_) {
        // Island files carry no buildings: every PROD2 block holds only its head.
        ForEachCellBlock("PROD2", 'P', [](int, int, int, int) {});
    } else {
        WriteObjects();
    }
}

// The placed objects by cell block; of several objects on one anchor cell the last in the
// list is written. Objects anchored outside the island are not written.
void IslandWriter::WriteObjects() {
    const int width = Width();
    const int height = Height();
    const int blocks_y = CellBlocksAlong(height);
    std::vector<std::vector<std::size_t>> by_block(
        static_cast<std::size_t>(CellBlocksAlong(width)) * blocks_y);
    const auto& objects = island_.objects;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const ObjectEntry& o = objects[i];
        if (o.x < 0 || o.y < 0 || o.x >= width || o.y >= height) continue;
        by_block[static_cast<std::size_t>(o.x / kBlockSide) * blocks_y + o.y / kBlockSide]
            .push_back(i);
    }
    // Per block the anchor cells in writing order (x major), the last object of a cell last.
    std::vector<std::pair<int, std::size_t>> anchors;
    ForEachCellBlock("PROD2", 'P', [&](int x0, int y0, int, int) {
        const auto& in_block =
            by_block[static_cast<std::size_t>(x0 / kBlockSide) * blocks_y + y0 / kBlockSide];
        if (in_block.empty()) return;
        anchors.clear();
        for (std::size_t i : in_block)
            anchors.push_back({(objects[i].x - x0) * kBlockSide + (objects[i].y - y0), i});
        std::stable_sort(anchors.begin(), anchors.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t k = 0; k < anchors.size(); ++k) {
            if (k + 1 < anchors.size() && anchors[k + 1].first == anchors[k].first) continue;
            const ObjectEntry& o = objects[anchors[k].second];
            std::int64_t id = o.graphic_id;
            while (id > 16384) id -= 16384;
            out_.WriteWord(
                CheckedNarrow<std::uint16_t>(id + o.orientation * 16384, "a packed object id"));
            out_.WriteWord(o.parameter);
            out_.WriteByte(static_cast<std::uint8_t>(anchors[k].first % kBlockSide));
            out_.WriteByte(static_cast<std::uint8_t>(anchors[k].first / kBlockSide));
        }
    });
}

// The part of the island name after its last folder separator.
std::string NameForFile(const std::string& name) {
    const auto cut = name.find_last_of("\\:/");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

void IslandWriter::WriteNameAndRest() {
    const std::string name = NameForFile(island_.record.name);
    out_.WriteTag("NAME");
    out_.WriteDword(static_cast<std::uint32_t>(name.size()));
    out_.WriteString(name);

    out_.WriteTag("HIRSCH");
    if (island_.animals.empty() || options_.no_animals) {
        out_.WriteDword(0);
    } else {
        const std::int64_t length_position = out_.position();
        out_.WriteString("TTTT");
        // Back in the order the words stood in the file.
        for (const AnimalEntry& animal : island_.animals) {
            out_.WriteWord(animal.second);
            out_.WriteWord(animal.first);
            out_.WriteWord(animal.third);
            out_.WriteWord(animal.fourth);
        }
        out_.PatchLength(length_position);
    }
    out_.WriteTag("EVENTINSEL");
    out_.WriteDword(0);
}

void IslandWriter::Assemble() {
    const IslandRecord& record = island_.record;
    out_.Reset();
    Log("Header");
    std::int64_t file_length = -1;
    if (game_format_) {
        file_length = WriteIslandFileHead(out_, doc_.addon_level);
        out_.WriteTag("WARETYPE", 12);
        WriteGoodsTable(out_);
    } else {
        WriteCityFileHead(out_, doc_.addon_level);
    }

    Log("INSEL5");
    out_.WriteTag("INSEL5");
    const std::int64_t island_length = out_.position();
    out_.WriteString("IIII");
    out_.WriteWord(0);
    out_.WriteWord(0);
    out_.WriteWord(record.width);
    out_.WriteWord(record.height);
    out_.WriteDword(0);

    out_.WriteTag("INFO");
    out_.WriteDword(12);
    out_.WriteByte(CheckedNarrow<std::uint8_t>(record.climate, "the island's climate byte"));
    if (game_format_) {
        out_.WriteByte(0);
        out_.WriteByte(0);
    } else {
        Log("Anzahl St\xE4"
            "dte " +
            std::to_string(record.city_byte));
        out_.WriteByte(record.city_byte);
        const int peoples = CountNativeCities(doc_);
        Log("Anzahl V\xF6lker " + std::to_string(peoples));
        out_.WriteByte(CheckedNarrow<std::uint8_t>(peoples, "the island's number of peoples"));
    }
    out_.WriteWord(0);
    out_.WriteByte(
        CheckedNarrow<std::uint8_t>(CountMineRecords(island_.mines, false), "the mine count byte"));
    out_.WriteWord(CheckedNarrow<std::uint16_t>((record.height / 8) * (record.height / 8),
                                                "the block figure"));
    out_.WriteDword(static_cast<std::uint32_t>(record.info_b));

    Log("Insert HeightArray");
    WriteHeights();
    Log("Insert GFXArray");
    WriteGraphics();
    Log("Insert GelaendeArray");
    Log("numx,numy " + std::to_string(CellBlocksAlong(Width())) + ", " +
        std::to_string(CellBlocksAlong(Height())));
    WriteTerrain();
    Log("Insert FruchtbarkeitArray");
    WriteFertility();
    Log("Insert FlussArray");
    WriteRivers();
    Log("Insert AbbauArray");
    WriteQuarrySpots();
    Log("Insert MinenArray");
    WriteMines();
    Log("Insert Anbau");
    WriteCrops(out_);
    Log("Insert Discover");
    WriteDiscoverAndObjects();
    Log("Insert NameAndRest");
    WriteNameAndRest();

    out_.PatchLength(island_length);
    if (game_format_) out_.PatchLength(file_length);
}

}  // namespace

void WriteCityFileHead(OutputBuffer& out, int addon_level) {
    out.WriteString("CTYFORMAT-ADDONLEVEL");
    out.WriteDword(static_cast<std::uint32_t>(48 + addon_level));
}

void AssembleIsland(const Document& doc, const SaveOptions& options, OutputBuffer& out,
                    LogLines& log, bool game_format) {
    IslandWriter(doc, options, out, log, game_format).Assemble();
}

void AssembleDummyIsland(OutputBuffer& out, int climate, int size) {
    if (size < 0 || size > 256) {
        throw OverflowError("a dummy island is 0 to 256 cells wide, not " + std::to_string(size));
    }
    out.Reset();
    const std::int64_t file_length = WriteIslandFileHead(out, 0);
    out.WriteTag("INSEL4");
    out.WriteWord(0);
    out.WriteWord(0);
    out.WriteWord(static_cast<std::uint16_t>(size));
    out.WriteWord(static_cast<std::uint16_t>(size));
    out.WriteDword(0);

    out.WriteTag("INFO");
    out.WriteDword(12);
    out.WriteByte(CheckedNarrow<std::uint8_t>(climate, "the island's climate byte"));
    out.WriteByte(0);
    out.WriteByte(0);
    out.WriteWord(0);
    out.WriteByte(0);
    out.WriteWord(static_cast<std::uint16_t>((size / 8) * (size / 8)));
    out.WriteDword(0);

    // Every cell of a block, x major.
    auto cells = [&](auto write) {
        return [write](int x0, int y0, int nx, int ny) {
            for (int x = x0; x < x0 + nx; ++x) {
                for (int y = y0; y < y0 + ny; ++y) write(x, y);
            }
        };
    };
    ForEachCellBlock(out, size, size, "HEIGHT", 'H', cells([&](int, int) { out.WriteByte(0x60); }));
    // The 36 pictures of the first texture series, repeated in a 6 x 6 pattern.
    ForEachCellBlock(
        out, size, size, "GFXID", 'G', cells([&](int x, int y) {
            out.WriteWord(static_cast<std::uint16_t>(0x0B00 + 4 * (x % 6) + 32 * (y % 6)));
        }));
    ForEachCellBlock(out, size, size, "GELAENDE", 'G', [](int, int, int, int) {});

    out.WriteTag("FRUCHTBAR");
    out.WriteDword(static_cast<std::uint32_t>(size * size));
    out.WriteFill(10, static_cast<std::int64_t>(size) * size);
    out.WriteTag("BERGWERK2");
    out.WriteDword(0);
    out.WriteTag("OCCUR");
    out.WriteDword(0);
    WriteCrops(out);
    WriteDiscover(out);
    out.WriteTag("KONTORID");
    out.WriteDword(2);
    out.WriteWord(1);
    ForEachCellBlock(out, size, size, "PROD2", 'P', [](int, int, int, int) {});

    out.WriteTag("STAEDTE");
    out.WriteDword(559);
    out.WriteTag("WARETYP");
    WriteGoodsTable(out);
    out.WriteTag("LOCKED");
    out.WriteFill(0, 5);
    out.PatchLength(file_length);
}

// Both tags the fix-up looks for start with "KONT", so one sweep over the output finds every
// candidate of either; the results are those of the two searches made one after the other.
int RecalculateKontorId(OutputBuffer& out, LogLines& log) {
    log.push_back("Recalculating KONTORID");
    const std::int64_t end = out.position();
    const auto bytes = out.data();
    auto matches = [&](std::int64_t at, std::string_view tag) {
        return at + static_cast<std::int64_t>(tag.size()) <= end &&
               std::memcmp(bytes.data() + at, tag.data(), tag.size()) == 0;
    };
    int maximum = 0;
    std::int64_t kontorid = -1;
    // "KONTID" occurrences are taken while the search would still run: it starts at most 20
    // bytes before the end, finds matches starting 10 bytes before it, and goes on 5 bytes on.
    std::int64_t next_start = 0;
    for (std::int64_t at = 0; FindTagForward(bytes, end, "KONT", at); ++at) {
        if (kontorid < 0 && matches(at, "KONTORID")) kontorid = at;
        if (at < end - 10 && at >= next_start && next_start <= end - 20 && matches(at, "KONTID")) {
            maximum = std::max(maximum, bytes[at + 8] | (bytes[at + 9] << 8));
            next_start = at + 5;
        }
    }
    log.push_back("MaxID:" + std::to_string(maximum));
    if (kontorid >= 0) {
        out.PatchWord(CheckedNarrow<std::uint16_t>(maximum + 1, "the next warehouse id"),
                      kontorid + 16);
    }
    return maximum;
}

std::string DummyFileName(int size, int climate) {
    static constexpr const char* kPrefixes[] = {"Po_", "T_", "N_", "Pr_", "D_", "S_"};
    const char* prefix = climate >= 0 && climate <= 5 ? kPrefixes[climate] : "U_";
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", size);
    return std::string(prefix) + digits + "x" + digits + "_DUMMY.scp";
}

std::filesystem::path SaveIslandFile(Document& doc, const SaveOptions& options, OutputBuffer& out,
                                     LogLines& log, const std::filesystem::path& path) {
    std::filesystem::path target = path;
    target.replace_extension(".scp");
    const std::string name = Utf8ToCp1252(target.string());
    log.push_back("Creating " + name);
    doc.island.record.name = name.substr(0, kMaxNameLength);
    AssembleIsland(doc, options, out, log);
    RecalculateKontorId(out, log);
    log.push_back("Writing " + name);
    WriteFileAtomically(target, out.data());
    return target;
}

void SaveDummyIsland(OutputBuffer& out, int climate, int size, const std::filesystem::path& path) {
    AssembleDummyIsland(out, climate, size);
    WriteFileAtomically(path, out.data());
}

}  // namespace insel
