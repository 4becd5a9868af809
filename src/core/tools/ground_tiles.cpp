#include "core/tools/ground_tiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "core/app/definitions.h"
#include "core/app/key_notation.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/simd/cell_values.h"
#include "core/tools/cell_search.h"
#include "core/tools/tool_state.h"

namespace insel {

namespace {

bool IsHexText(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Cells (left .. left + width - 1, top .. top + height - 1) must all lie in the layers.
void CheckCells(int left, int top, int width, int height, const char* what) {
    const long long right = static_cast<long long>(left) + width - 1;
    const long long bottom = static_cast<long long>(top) + height - 1;
    if (left < 0 || top < 0 || right >= kLayerSide || bottom >= kLayerSide) {
        throw BoundsError(std::string(what) + " at cells " + std::to_string(left) + ", " +
                          std::to_string(top) + " to " + std::to_string(right) + ", " +
                          std::to_string(bottom) + " reaches outside the layers (0 to " +
                          std::to_string(kLayerSide - 1) + ")");
    }
}

// Two decimal digits at `at` of the pattern line.
bool PatternDigits(std::string_view line, std::size_t at, int& value) {
    if (at + 2 > line.size()) return false;
    const char a = line[at], b = line[at + 1];
    if (!std::isdigit(static_cast<unsigned char>(a)) ||
        !std::isdigit(static_cast<unsigned char>(b)))
        return false;
    value = (a - '0') * 10 + (b - '0');
    return true;
}

// The base pattern of a list line: high byte and the nine tile bytes, or false.
bool ReadPattern(std::string_view line, int& high,
                 std::array<std::array<std::uint8_t, 3>, 3>& bytes) {
    if (!line.starts_with("Hibyte") || !PatternDigits(line, 7, high)) return false;
    struct Word {
        const char* name;
        std::size_t skip;
    };
    const Word words[] = {{"top", 4}, {"middle", 7}, {"bottom", 7}};
    for (int row = 0; row < 3; ++row) {
        const std::size_t p = line.find(words[row].name);
        if (p == std::string_view::npos) return false;
        for (int k = 0; k < 3; ++k) {
            int value = 0;
            if (!PatternDigits(line, p + words[row].skip + 3 * static_cast<std::size_t>(k), value))
                return false;
            bytes[k][row] = static_cast<std::uint8_t>(value);
        }
    }
    return true;
}

}  // namespace

int ReadHexKey(std::string_view text, int bytes, std::string_view field) {
    if (!IsHexText(text) || text.size() > static_cast<std::size_t>(2 * bytes)) {
        throw FormatError(std::string(field) + ": \"" + std::string(text) +
                          "\" is not a hexadecimal key of " + std::to_string(2 * bytes) +
                          " digits at most");
    }
    return static_cast<int>(HexToValue(bytes, text));
}

std::array<std::array<std::uint8_t, 3>, 3> FieldBytes(int offset, int rotation) {
    std::array<std::array<std::uint8_t, 3>, 3> bytes{};
    const int base = offset + rotation;
    for (int w = 0; w < 3; ++w) {
        for (int c = 0; c < 3; ++c) {
            int dx = c, dy = w;
            switch (rotation % 4) {
                case 1:
                    dx = 2 - w, dy = c;
                    break;
                case 2:
                    dx = 2 - c, dy = 2 - w;
                    break;
                case 3:
                    dx = w, dy = 2 - c;
                    break;
                default:
                    break;
            }
            bytes[dx][dy] = static_cast<std::uint8_t>(base + 32 * w + 4 * c);
        }
    }
    return bytes;
}

void ComposeField(ToolState& tools, std::string_view series_text, std::string_view rotation_text,
                  std::string_view offset_text) {
    const int series = ReadHexKey(series_text, 1, "GFX key (hex)");
    const int rotation = ReadHexKey(rotation_text, 1, "Rotation");
    const int offset = ReadHexKey(offset_text, 1, "Feldoffset");
    if (rotation % 16 != rotation || (rotation > 3 && rotation < 12)) {
        throw FormatError("Rotation: \"" + std::string(rotation_text) +
                          "\" is none of 0, 1, 2, 3, C, D, E, F");
    }
    if (offset % 0x20 != 0 || offset > 0x60) {
        throw FormatError("Feldoffset: \"" + std::string(offset_text) +
                          "\" is none of 00, 20, 40, 60");
    }
    TileField& field = tools.tiles;
    field.series = series;
    field.rotation = rotation;
    field.offset = offset;
    field.bytes = FieldBytes(offset, rotation);
    SetEntryShape(tools, EntryShape::Full);
}

void SetEntryShape(ToolState& tools, EntryShape shape) {
    tools.tiles.shape = shape;
    SelectionRect& rect = tools.Selection(ToolMode::Tile);
    rect.width = shape == EntryShape::Row || shape == EntryShape::Full ? 3 : 1;
    rect.height = shape == EntryShape::Column || shape == EntryShape::Full ? 3 : 1;
    if (tools.mode == ToolMode::Tile) {
        tools.spins.width = rect.width;
        tools.spins.height = rect.height;
    }
}

void StampField(IslandMap& island, const TileField& field, int x, int y, EntryShape shape,
                int edit) {
    if (edit < 0 || edit > 8) throw BoundsError("field key " + std::to_string(edit) + " of 0..8");
    const int dx0 = edit % 3, dy0 = edit / 3;
    // The keys right of (or below) the clicked one, up to the field's edge.
    int first_dx = dx0, first_dy = dy0, columns = 1, rows = 1;
    switch (shape) {
        case EntryShape::Single:
            break;
        case EntryShape::Row:
            columns = 3 - dx0;
            break;
        case EntryShape::Column:
            rows = 3 - dy0;
            break;
        case EntryShape::Full:
            first_dx = first_dy = 0, columns = rows = 3;
            break;
    }
    CheckCells(x, y, columns, rows, "The tile field");
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j)
            island.gfx.set(x + i, y + j, field.Value(first_dx + i, first_dy + j));
    }
}

void StampFrameField(IslandMap& island, const TileField& field, const BlockRect& frame) {
    const int columns = std::min(frame.width(), 3), rows = std::min(frame.height(), 3);
    if (columns < 1 || rows < 1) return;
    CheckCells(frame.left, frame.top, columns, rows, "The tile field");
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j)
            island.gfx.set(frame.left + i, frame.top + j, field.Value(i, j));
    }
}

bool FloodField(IslandMap& island, const TileField& field, int left, int top, int width, int height,
                int right, int down) {
    if (right < 1 || down < 1 || width < 1 || height < 1) return false;
    const int columns = std::min(width, 3), rows = std::min(height, 3);
    const long long span_x = static_cast<long long>(width) * (right - 1) + columns;
    const long long span_y = static_cast<long long>(height) * (down - 1) + rows;
    CheckCells(left, top, static_cast<int>(std::min<long long>(span_x, 2 * kLayerSide)),
               static_cast<int>(std::min<long long>(span_y, 2 * kLayerSide)), "The flood fill");
    // The whole area was checked above, so the columns' runs stay inside the layer. Copies
    // that touch lay one column run down all of them; copies with gaps go cell by cell.
    const int end = top + (down - 1) * height + rows;
    std::vector<std::uint16_t> run;
    for (int dx = 0; dx < columns; ++dx) {
        if (height == rows) {
            run.resize(static_cast<std::size_t>(end - top));
            for (std::size_t k = 0; k < run.size(); ++k)
                run[k] = field.Value(dx, static_cast<int>(k) % rows);
        }
        for (int i = 0; i < right; ++i) {
            const int x = left + i * width + dx;
            std::uint16_t* out = island.gfx.column(x);
            if (height == rows) {
                std::copy(run.begin(), run.end(), out + top);
            } else {
                for (int j = 0; j < down; ++j) {
                    for (int dy = 0; dy < rows; ++dy)
                        out[top + j * height + dy] = field.Value(dx, dy);
                }
            }
            island.gfx.NoteWritten(x + 1, end);
        }
    }
    return true;
}

std::int64_t ReplaceSeries(IslandMap& island, int from, int to) {
    if (from < 0 || from > 255 || to < 0 || to > 255)
        throw BoundsError("series codes are 00 to FF");
    if (from == to) return 0;
    const Layer<std::uint16_t>& seen = island.gfx;
    const auto old_high = static_cast<std::uint16_t>(from << 8);
    const auto new_high = static_cast<std::uint16_t>(to << 8);
    std::int64_t changed = 0;
    // Columns are 0..1024 and each holds kLayerSide cells, so the loops stay inside.
    for (int x = 0; x < kLayerSide; ++x) {
        const std::uint16_t* cells = seen.column(x);
        const int hit = FirstWhere(cells, kLayerSide,
                                   [&](std::uint16_t v) { return (v & 0xFF00) == old_high; });
        if (hit == kLayerSide) continue;
        changed += simd::ReplaceHighByte(island.gfx.column(x) + hit, kLayerSide - hit,
                                         static_cast<std::uint8_t>(from),
                                         static_cast<std::uint8_t>(to));
        const int last =
            LastWhere(cells, kLayerSide, [&](std::uint16_t v) { return (v & 0xFF00) == new_high; });
        island.gfx.NoteWritten(x + 1, last + 1);
    }
    return changed;
}

SeriesListing ListSeriesCells(const IslandMap& island, std::string_view search_text) {
    SeriesListing listing;
    if (search_text.size() != 2) return listing;
    listing.series = ReadHexKey(search_text, 1, "Search Hex");
    listing.listed = true;
    const int width = std::min<int>(island.record.width, kLayerSide);
    const int height = std::min<int>(island.record.height, kLayerSide);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const std::uint16_t v = island.gfx.get(x, y);
            if (v >> 8 != listing.series) continue;
            listing.rows.push_back({ValueToHex(v & 0xFF), std::to_string(x), std::to_string(y),
                                    std::to_string(island.height.get(x, y))});
        }
    }
    return listing;
}

std::string FillBase(IslandMap& island, TileField& field, std::string_view pattern_line,
                     FillWhere where, int threshold) {
    int high = 0;
    std::array<std::array<std::uint8_t, 3>, 3> bytes{};
    if (!ReadPattern(pattern_line, high, bytes)) return kFaultyPatternMessage;
    field.bytes = bytes;
    // The nine values, one per (x mod 3, y mod 3), laid out as the three columns they repeat
    // in; the pattern names its series.
    std::array<std::vector<std::uint16_t>, 3> patterns;
    for (int i = 0; i < 3; ++i) {
        patterns[static_cast<std::size_t>(i)].resize(kLayerSide);
        for (int y = 0; y < kLayerSide; ++y) {
            patterns[static_cast<std::size_t>(i)][static_cast<std::size_t>(y)] =
                static_cast<std::uint16_t>(high * 256 + bytes[static_cast<std::size_t>(i)]
                                                             [static_cast<std::size_t>(y % 3)]);
        }
    }
    // Whole columns of the fixed-size layers: every index stays inside. Every cell from the
    // first selected one is written, kept or replaced: a loop without branches vectorises.
    auto fill = [&](auto selected) {
        for (int x = 0; x < kLayerSide; ++x) {
            const std::uint8_t* heights = std::as_const(island.height).column(x);
            const int first = FirstWhere(heights, kLayerSide, selected);
            if (first == kLayerSide) continue;
            const std::uint16_t* pattern = patterns[static_cast<std::size_t>(x % 3)].data();
            std::uint16_t* out = island.gfx.column(x);
            for (int y = first; y < kLayerSide; ++y)
                out[y] = selected(heights[y]) ? pattern[y] : out[y];
            island.gfx.NoteWritten(x + 1, LastWhere(heights, kLayerSide, selected) + 1);
        }
    };
    switch (where) {
        case FillWhere::All:
            fill([](std::uint8_t) { return true; });
            break;
        case FillWhere::HeightZero:
            fill([](std::uint8_t h) { return h == 0; });
            break;
        case FillWhere::Above:
            fill([&](std::uint8_t h) { return h > threshold; });
            break;
        case FillWhere::Below:
            fill([&](std::uint8_t h) { return h < threshold; });
            break;
    }
    return {};
}

bool PickTileField(ToolState& tools, const IslandMap& island, const Definitions& definitions, int x,
                   int y, bool fill) {
    const std::uint16_t v = island.gfx.get(x, y);
    const int code = v >> 8;
    int t = v & 0xFF;
    const int column = (t % 32) / 4;
    const bool right = column >= 3;
    const bool bottom = t >= 96;
    const int quarter = (right ? 0x0C : 0) + (bottom ? 0x60 : 0);
    TileField& field = tools.tiles;
    int found = -1;
    for (std::size_t i = 0; i < definitions.gfx_items.size() && found < 0; ++i) {
        const std::string& item = definitions.gfx_items[i];
        if (item.size() < 5 || !IsHexText(item.substr(0, 2)) || !IsHexText(item.substr(3, 2)))
            continue;
        if (HexToValue(1, item.substr(0, 2)) != code) continue;
        field.search_text = item.substr(0, 2);
        // Tiles of columns 6 and 7 lie in no field.
        if (column < 6 && HexToValue(1, item.substr(3, 2)) == quarter) found = static_cast<int>(i);
    }
    if (found < 0) return false;
    field.picked_item = found;
    if (!fill) return true;
    if (bottom) t -= 96;
    field.series = code;
    field.offset = bottom ? 0x60 : 0;
    field.rotation = t % 4 + (right ? 12 : 0);
    field.bytes = FieldBytes(field.offset, field.rotation);
    SetEntryShape(tools, EntryShape::Full);
    return true;
}

}  // namespace insel
