#include "core/tools/block_buffer.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "core/container/file_io.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/tools/tool_state.h"

namespace insel {

namespace {

constexpr std::string_view kBlockHead = "Rechteckblock";
constexpr const char* kNoBlockMessage = "Fehler: Kein Insel-Blockformat";

bool Inside(long long x, long long y) {
    return x >= 0 && y >= 0 && x < kLayerSide && y < kLayerSide;
}

// The element filter of a paste: ids 800..1500 never go, an empty cell only as the boxes say.
struct ElementFilter {
    bool empty, plants, rocks;

    explicit ElementFilter(const PasteOptions& options)
        : empty(!options.skip_empty), plants(options.plants), rocks(options.rocks) {}
    // Without short cuts, so that the paste's loop has no branches.
    bool operator()(std::uint16_t word) const {
        const int id = word & 0x3FFF;
        return ((id == 0) & empty) | ((id < 800) & plants) | ((id > 1500) & rocks);
    }
};

// `taken` where `take`, else `kept`: by a mask, not by `?:`, which the compiler turns into a
// store under a branch that no vector takes.
template <class T>
T Select(bool take, T taken, T kept) {
    const auto mask = static_cast<T>(-static_cast<int>(take));
    return static_cast<T>((taken & mask) | (kept & ~mask));
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The lines of a text, without their CR LF or LF.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t number() const { return number_; }
    std::string_view Next() {
        if (AtEnd()) {
            throw FormatError("line " + std::to_string(number_ + 1) +
                              ": the block file ends early");
        }
        const auto end = text_.find('\n', pos_);
        std::string_view line =
            text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++number_;
        return line;
    }

    // The next line as a number in min..max.
    long long NextNumber(long long min, long long max);

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

long long Number(std::string_view text, long long min, long long max, std::size_t line) {
    const std::string_view digits = Trimmed(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        throw FormatError("line " + std::to_string(line) + ": \"" + std::string(text) +
                          "\" is not a number");
    }
    if (value < min || value > max) {
        throw FormatError("line " + std::to_string(line) + ": " + std::to_string(value) +
                          " is outside " + std::to_string(min) + " to " + std::to_string(max));
    }
    return value;
}

long long Lines::NextNumber(long long min, long long max) {
    const std::string_view line = Next();
    return Number(line, min, max, number_);
}

// The comma-separated numbers after the line's first word.
std::vector<long long> Fields(std::string_view line, std::size_t count, std::size_t number) {
    std::vector<long long> values;
    std::size_t at = line.find(',');
    while (at != std::string_view::npos && values.size() < count) {
        const std::size_t next = line.find(',', at + 1);
        const std::string_view field = line.substr(
            at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        values.push_back(Number(field, INT32_MIN, UINT32_MAX, number));
        at = next;
    }
    if (values.size() < count) {
        throw FormatError("line " + std::to_string(number) + ": \"" + std::string(line) +
                          "\" holds fewer than " + std::to_string(count) + " numbers");
    }
    return values;
}

std::int32_t Signed(long long value, std::size_t line) {
    if (value > INT32_MAX) {
        throw FormatError("line " + std::to_string(line) + ": " + std::to_string(value) +
                          " is too large");
    }
    return static_cast<std::int32_t>(value);
}

void Resize(BlockBuffer& b) {
    const std::size_t cells =
        static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height);
    for (auto* layer :
         {&b.gfx, &b.fertility, &b.terrain, &b.terrain_param, &b.river, &b.river_param})
        layer->assign(cells, 0);
    b.heights.assign(cells, 0);
}

}  // namespace

void CopyBlock(BlockBuffer& buffer, const IslandMap& island, int left, int top, int width,
               int height, bool mines, bool quarries) {
    const long long right = static_cast<long long>(left) + width - 1;
    const long long bottom = static_cast<long long>(top) + height - 1;
    if (width < 1 || height < 1 || !Inside(left, top) || !Inside(right, bottom)) {
        throw BoundsError("the block at cells " + std::to_string(left) + ", " +
                          std::to_string(top) + " of " + std::to_string(width) + " x " +
                          std::to_string(height) + " reaches outside the layers (0 to " +
                          std::to_string(kLayerSide - 1) + ")");
    }
    BlockBuffer b;
    b.left = left;
    b.top = top;
    b.width = width;
    b.height = height;
    b.comment = buffer.comment;
    Resize(b);
    // The rectangle was checked above; each column's run lies inside the layers.
    auto take = [&](const auto& layer, auto& out) {
        for (int bx = 0; bx < width; ++bx) {
            const auto* column = layer.column(left + bx) + top;
            std::copy(column, column + height,
                      out.begin() + static_cast<std::ptrdiff_t>(b.Index(bx, 0)));
        }
    };
    take(island.height, b.heights);
    take(island.gfx, b.gfx);
    take(island.fertility, b.fertility);
    take(island.terrain, b.terrain);
    take(island.terrain_param, b.terrain_param);
    take(island.river, b.river);
    take(island.river_param, b.river_param);
    if (mines) {
        for (const MineRecord& mine : island.mines) {
            if (mine.whale != 0) continue;
            const std::int64_t x = DecodeCellFloat(mine.x), y = DecodeCellFloat(mine.y);
            if (x < left || x > right || y < top || y > bottom) continue;
            b.mines.push_back({static_cast<int>(x - left), static_cast<int>(y - top),
                               mine.building_id, mine.symbol_value, mine.symbol_elevation,
                               mine.treasure});
        }
    }
    if (quarries) {
        for (const MineRecord& spot : island.quarry_spots) {
            const long long x = spot.x, y = spot.y;
            if (x < left || x > right || y < top || y > bottom) continue;
            b.quarry_spots.push_back({static_cast<int>(x - left), static_cast<int>(y - top),
                                      spot.x_band, spot.orientation});
        }
    }
    buffer = std::move(b);
}

bool PasteBlock(IslandMap& island, const BlockBuffer& buffer, int left, int top, int n, int m,
                const PasteOptions& options) {
    if (buffer.empty() || n < 1 || m < 1) return false;
    if (left < 0 || top < 0) {
        throw BoundsError("the paste corner " + std::to_string(left) + ", " + std::to_string(top) +
                          " lies outside the layers");
    }
    const int w = buffer.width, h = buffer.height;
    // The layers whose cells a paste takes as they are, with the buffer's values for them; the
    // terrain goes by its own rules below.
    const auto each_plain = [&](auto f) {
        if (options.heights) f(island.height, buffer.heights);
        if (options.gfx) {
            f(island.gfx, buffer.gfx);
            f(island.river, buffer.river);
            f(island.river_param, buffer.river_param);
        }
        if (options.fertility) f(island.fertility, buffer.fertility);
    };
    // A paste over most of the island is recorded as whole layers: cheaper than saving and
    // comparing every column it touches. The copies lie edge to edge, so they cover a rectangle.
    const long long covered_x =
        std::min<long long>(left + n * static_cast<long long>(w), kLayerSide) - left;
    const long long covered_y =
        std::min<long long>(top + m * static_cast<long long>(h), kLayerSide) - top;
    if (covered_x > 0 && covered_y > 0 &&
        2 * covered_x * covered_y >= static_cast<long long>(kLayerSide) * kLayerSide) {
        each_plain([](auto& layer, const auto&) { layer.Rewrite(); });
        if (options.terrain) {
            island.terrain.Rewrite();
            island.terrain_param.Rewrite();
        }
    }
    // The filter's switches in locals: read through `options` they could change with every
    // cell written, and the paste's loop would not be vectorised.
    const ElementFilter pastes(options);
    for (long long i = 0; i < n; ++i) {
        for (long long j = 0; j < m; ++j) {
            const long long ox = left + i * w, oy = top + j * h;
            if (ox >= kLayerSide || oy >= kLayerSide) continue;
            // Only the part inside the layers is written; the loops below stay in it.
            const int columns = static_cast<int>(std::min<long long>(w, kLayerSide - ox));
            const int rows = static_cast<int>(std::min<long long>(h, kLayerSide - oy));
            for (int bx = 0; bx < columns; ++bx) {
                const int x = static_cast<int>(ox) + bx;
                const std::size_t at = buffer.Index(bx, 0);
                const std::uint8_t* heights = buffer.heights.data() + at;
                // Every cell of the column's part is written, kept or replaced: loops without
                // branches, which the compiler vectorises.
                const bool any_height = options.zero_height;
                auto put = [&](auto& layer, const auto& values) {
                    auto* out = layer.column(x) + oy;
                    const auto* in = values.data() + at;
                    if (any_height) {
                        std::copy_n(in, rows, out);
                    } else {
                        for (int by = 0; by < rows; ++by)
                            out[by] = Select(heights[by] != 0, in[by], out[by]);
                    }
                    layer.NoteWritten(x + 1, static_cast<int>(oy) + rows);
                };
                each_plain(put);
                if (options.terrain) {
                    const std::uint16_t* words = buffer.terrain.data() + at;
                    std::uint16_t* out = island.terrain.column(x) + oy;
                    std::uint16_t* params = island.terrain_param.column(x) + oy;
                    const std::uint16_t* in_params = buffer.terrain_param.data() + at;
                    for (int by = 0; by < rows; ++by) {
                        const bool take = (any_height | (heights[by] != 0)) & pastes(words[by]);
                        out[by] = Select(take, words[by], out[by]);
                        params[by] = Select(take, in_params[by], params[by]);
                    }
                    island.terrain.NoteWritten(x + 1, static_cast<int>(oy) + rows);
                    island.terrain_param.NoteWritten(x + 1, static_cast<int>(oy) + rows);
                }
            }
            if (options.mines) {
                for (const MineCopy& copy : buffer.mines) {
                    const long long x = ox + copy.x, y = oy + copy.y;
                    if (!Inside(x, y)) continue;
                    MineRecord mine;
                    mine.x = EncodeCellFloat(x);
                    mine.y = EncodeCellFloat(y);
                    mine.building_id = copy.building_id;
                    mine.symbol_value = copy.symbol_value;
                    mine.symbol_elevation = copy.symbol_elevation;
                    mine.treasure = copy.treasure;
                    island.mines.push_back(mine);
                }
            }
            if (options.quarries) {
                for (const QuarryCopy& copy : buffer.quarry_spots) {
                    const long long x = ox + copy.x, y = oy + copy.y;
                    if (!Inside(x, y)) continue;
                    MineRecord spot;
                    spot.x = static_cast<std::uint32_t>(x);
                    spot.y = static_cast<std::uint32_t>(y);
                    spot.x_band = copy.x_band;
                    spot.orientation = copy.orientation;
                    island.quarry_spots.push_back(spot);
                }
            }
        }
    }
    return true;
}

std::string BlockText(const BlockBuffer& buffer) {
    std::string text;
    const std::size_t cells = buffer.empty() ? 0 : buffer.heights.size();
    text.reserve(64 + cells * 7 * 6);
    auto line = [&](std::string_view s) {
        text += s;
        text += "\r\n";
    };
    auto number = [&](long long v) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
        text.append(digits, end);
        text += "\r\n";
    };
    line(kBlockHead);
    // A line break in the comment would end its line early and shift every number after it.
    std::string comment = buffer.comment;
    std::replace(comment.begin(), comment.end(), '\r', ' ');
    std::replace(comment.begin(), comment.end(), '\n', ' ');
    line(comment);
    number(buffer.empty() ? 0 : buffer.width);
    number(buffer.empty() ? 0 : buffer.height);
    for (std::size_t k = 0; k < cells; ++k) {
        number(buffer.heights[k]);
        number(buffer.gfx[k]);
        number(buffer.fertility[k]);
        number(buffer.terrain[k]);
        number(buffer.terrain_param[k]);
        number(buffer.river[k]);
        number(buffer.river_param[k]);
    }
    for (const MineCopy& mine : buffer.mines) {
        line("Mine," + std::to_string(mine.x) + "," + std::to_string(mine.y) + "," +
             std::to_string(mine.building_id) + "," + std::to_string(mine.symbol_value) + "," +
             std::to_string(mine.symbol_elevation) + "," + std::to_string(mine.treasure));
    }
    for (const QuarryCopy& spot : buffer.quarry_spots) {
        line("Abbau," + std::to_string(spot.x) + "," + std::to_string(spot.y) + "," +
             std::to_string(spot.x_band) + "," + std::to_string(spot.orientation));
    }
    return text;
}

BlockBuffer ParseBlockText(std::string_view text) {
    Lines lines(text);
    if (lines.AtEnd() || lines.Next().find(kBlockHead) == std::string_view::npos)
        throw FormatError(kNoBlockMessage);
    BlockBuffer b;
    b.comment = std::string(lines.Next());
    b.width = static_cast<int>(lines.NextNumber(0, kLayerSide));
    b.height = static_cast<int>(lines.NextNumber(0, kLayerSide));
    if (b.width == 0 || b.height == 0) b.width = b.height = 0;
    Resize(b);
    for (std::size_t k = 0; k < b.heights.size(); ++k) {
        b.heights[k] = static_cast<std::uint8_t>(lines.NextNumber(0, 255));
        for (auto* layer :
             {&b.gfx, &b.fertility, &b.terrain, &b.terrain_param, &b.river, &b.river_param}) {
            (*layer)[k] = static_cast<std::uint16_t>(lines.NextNumber(0, 65535));
        }
    }
    while (!lines.AtEnd()) {
        const std::string_view line = lines.Next();
        const std::size_t number = lines.number();
        if (line.starts_with("Mine")) {
            const auto v = Fields(line, 6, number);
            if (v[3] < 0) {
                throw FormatError("line " + std::to_string(number) + ": " + std::to_string(v[3]) +
                                  " is below 0");
            }
            b.mines.push_back({Signed(v[0], number), Signed(v[1], number), Signed(v[2], number),
                               static_cast<std::uint32_t>(v[3]), Signed(v[4], number),
                               Signed(v[5], number)});
        } else if (line.starts_with("Abbau")) {
            const auto v = Fields(line, 4, number);
            b.quarry_spots.push_back({Signed(v[0], number), Signed(v[1], number),
                                      Signed(v[2], number), Signed(v[3], number)});
        }
    }
    return b;
}

void SaveBlockFile(const BlockBuffer& buffer, const std::filesystem::path& path) {
    const std::string text = BlockText(buffer);
    WriteFileAtomically(path,
                        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void LoadBlockFile(ToolState& tools, const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(PathToUtf8(path) + ": cannot be opened");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw FileError(PathToUtf8(path) + ": cannot be read");
    BlockBuffer block;
    try {
        block = ParseBlockText(text);
    } catch (const FormatError& error) {
        if (std::string_view(error.what()) == kNoBlockMessage) throw;
        throw FormatError(PathToUtf8(path) + ": " + error.what());
    }
    TakeLoadedBlock(tools, std::move(block));
}

void TakeLoadedBlock(ToolState& tools, BlockBuffer block) {
    tools.block_buffer = std::move(block);
    const BlockBuffer& b = tools.block_buffer;
    const SelectionRect rect{0, 0, std::max(b.width, 1), std::max(b.height, 1)};
    tools.Selection(ToolMode::BlockBuffer) = rect;
    if (tools.mode == ToolMode::BlockBuffer) tools.spins = rect;
    tools.frame_size_locked = true;
}

void ClearBlock(ToolState& tools) {
    BlockBuffer& b = tools.block_buffer;
    b = BlockBuffer{};
    tools.frame_size_locked = false;
    SelectionRect& rect = tools.Selection(ToolMode::BlockBuffer);
    rect.width = rect.height = 1;
    if (tools.mode == ToolMode::BlockBuffer) tools.spins.width = tools.spins.height = 1;
}

}  // namespace insel
