#include "core/tools/terrain.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "core/app/definitions.h"
#include "core/app/editor.h"
#include "core/app/key_notation.h"
#include "core/display/view.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/simd/terrain_ids.h"
#include "core/tools/tool_state.h"

namespace insel {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// One or two hexadecimal digits; the placeholder letter has been replaced already.
int ParseHexByte(const std::string& text, const char* field) {
    const std::string digits = Trimmed(text);
    const bool hex = !digits.empty() && digits.size() <= 2 &&
                     std::all_of(digits.begin(), digits.end(),
                                 [](unsigned char c) { return std::isxdigit(c) != 0; });
    if (!hex) {
        throw FormatError(std::string(field) + ": \"" + text +
                          "\" is not a hexadecimal byte (two digits)");
    }
    return static_cast<int>(std::stoi(digits, nullptr, 16));
}

std::string ReplaceFirst(std::string text, char placeholder, char digit) {
    const auto at = text.find(placeholder);
    if (at != std::string::npos) text[at] = digit;
    return text;
}

std::string TwoHexDigits(int value) { return ValueToHex(value & 0xFF); }

// The island's cells, kept inside the layers.
int IslandWidth(const IslandMap& island) { return std::min<int>(island.record.width, kLayerSide); }
int IslandHeight(const IslandMap& island) {
    return std::min<int>(island.record.height, kLayerSide);
}

// Sets the terrain cells of the island whose id lies in [low, high] (outside it when `outside`)
// to 0, and their parameter words too when `with_parameters`. Columns without such a cell are
// not written, so the history keeps only the columns that changed. Returns the columns changed.
int RemoveIds(IslandMap& island, int low, int high, bool outside, bool with_parameters) {
    const int width = IslandWidth(island), height = IslandHeight(island);
    int changed = 0;
    for (int x = 0; x < width; ++x) {
        // Unchecked: x and y stay below the island's size, which is within the layers.
        if (!simd::AnyIds(std::as_const(island.terrain).column(x), height, low, high, outside))
            continue;
        std::uint16_t* cells = island.terrain.column(x);
        if (with_parameters) {
            std::uint16_t* params = island.terrain_param.column(x);
            for (int y = 0; y < height; ++y) {
                if (simd::AnyIds(cells + y, 1, low, high, outside)) params[y] = 0;
            }
        }
        simd::ClearIds(cells, height, low, high, outside);
        ++changed;
    }
    return changed;
}

void CheckRect(const CellRect& rect) {
    if (rect.right < rect.left || rect.bottom < rect.top) {
        throw BoundsError("the rectangle " + std::to_string(rect.left) + ", " +
                          std::to_string(rect.top) + " to " + std::to_string(rect.right) + ", " +
                          std::to_string(rect.bottom) + " holds no cell");
    }
    for (const auto& [x, y] :
         {std::pair{rect.left, rect.top}, std::pair{rect.right, rect.bottom}}) {
        if (!Layer<std::uint16_t>::InRange(x, y)) ThrowCellOutside(x, y, "terrain layer");
    }
}

void CheckBand(const Band& band) {
    for (const auto& [x, y] : {std::pair{band.x1, band.y1}, std::pair{band.x2, band.y2}}) {
        if (!Layer<std::uint16_t>::InRange(x, y)) ThrowCellOutside(x, y, "terrain layer");
    }
}

bool UnderObject(const IslandMap& island, int x, int y) {
    for (const ObjectEntry& o : island.objects) {
        if (o.x <= x && x < o.x + o.width && o.y <= y && y < o.y + o.height) return true;
    }
    return false;
}

// uniform in 0..k-1; 0 for an empty range, so a band of one column always gives its column.
int RandomBelow(std::mt19937& random, int k) {
    if (k <= 1) return 0;
    return std::uniform_int_distribution<int>(0, k - 1)(random);
}

}  // namespace

std::string ItemField(const std::string& item, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const auto comma = item.find(',', start);
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
    const auto end = item.find(',', start);
    return item.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::optional<long long> ParseDecimal(const std::string& text) {
    const std::string digits = Trimmed(text);
    long long value = 0;
    const char* first = digits.data();
    const char* last = first + digits.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || end != last) return std::nullopt;
    return value;
}

bool TakesGroundHeight(int id) { return id < 500 || (id >= 700 && id <= 799); }

TerrainChoice ChooseTerrainItem(const Definitions& definitions, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= definitions.terrain_items.size()) {
        throw BoundsError("terrain list item " + std::to_string(item) + " does not exist");
    }
    const std::string& line = definitions.terrain_items[static_cast<std::size_t>(item)];
    TerrainChoice choice;
    choice.id_text = Trimmed(ItemField(line, 0));
    const auto id = ParseDecimal(choice.id_text);
    if (!id) throw FormatError("terrain list item \"" + line + "\" has no element number");
    choice.id = static_cast<int>(*id);
    const std::string defaults = ItemField(line, 1);
    choice.growth_text = defaults.substr(0, 2);
    choice.height_text = defaults.size() > 2 ? defaults.substr(2, 2) : std::string();
    return choice;
}

int FindTerrainItem(const Definitions& definitions, int id) {
    const auto& numbers = definitions.terrain_numbers;
    const auto found = std::find(numbers.begin(), numbers.end(), id);
    return found == numbers.end() ? -1 : static_cast<int>(found - numbers.begin());
}

int ParseTerrainId(const std::string& text, const std::string& field) {
    const auto value = ParseDecimal(text);
    if (!value || *value < 0 || *value > kMaxTerrainId) {
        throw FormatError(field + ": \"" + text + "\" is not an element number (0 to " +
                          std::to_string(kMaxTerrainId) + ")");
    }
    return static_cast<int>(*value);
}

int ParseTypedWord(const std::string& growth_text, const std::string& height_text) {
    const int growth = ParseHexByte(ReplaceFirst(growth_text, 'y', '0'), "Wachstum");
    const int height = ParseHexByte(ReplaceFirst(height_text, 'x', '3'), "Höhe");
    return growth + 256 * height;
}

void LoadTerrainElementAt(ToolState& tools, const IslandMap& island, const Definitions& definitions,
                          int x, int y) {
    const int word = island.terrain.get(x, y);
    const int parameter = island.terrain_param.get(x, y);
    ClickedTerrain clicked;
    clicked.id = TerrainId(word);
    clicked.orientation = TerrainOrientation(word);
    clicked.growth = parameter & 0xFF;
    clicked.height = parameter >> 8;
    clicked.item = FindTerrainItem(definitions, clicked.id);
    tools.terrain.clicked = clicked;
}

CellRect FrameInsertRect(const ToolState& tools, const ViewState& view, const IslandMap& island,
                         Status& status) {
    const CellPoint corner = PixelToCell(view, island, status, tools.frame.left, tools.frame.top);
    return {corner.x, corner.y, corner.x + tools.spins.width - 1,
            corner.y + tools.spins.height - 1};
}

int InsertTerrainElement(IslandMap& island, const CellRect& rect, const InsertOptions& options) {
    CheckRect(rect);
    if (options.id < 0 || options.id > kMaxTerrainId || options.orientation < 0 ||
        options.orientation > 3) {
        throw BoundsError("element " + std::to_string(options.id) + " with orientation " +
                          std::to_string(options.orientation) + " does not fit a terrain cell");
    }
    const auto word =
        static_cast<std::uint16_t>(options.id + kOrientationUnit * options.orientation);
    int parameter = options.typed_word & 0xFFFF;
    if (options.growth_adjust && TakesGroundHeight(options.id)) {
        parameter = (options.typed_word & 0xFF) + 256 * island.height.get(rect.left, rect.top);
    }
    for (int x = rect.left; x <= rect.right; ++x) {
        for (int y = rect.top; y <= rect.bottom; ++y) {
            island.terrain.set(x, y, word);
            island.terrain_param.set(x, y, static_cast<std::uint16_t>(parameter));
        }
    }
    return (rect.right - rect.left + 1) * (rect.bottom - rect.top + 1);
}

int DeleteTerrainId(IslandMap& island, int id) { return RemoveIds(island, id, id, false, false); }

int ClearTerrain(IslandMap& island, const ClearOptions& o) {
    if (o.plants_only) return RemoveIds(island, 0, o.keep_useful ? 699 : 999, false, false);
    if (o.useful_only) return RemoveIds(island, 700, 759, false, false);
    if (o.keep_useful) return RemoveIds(island, 700, 759, true, false);
    return RemoveIds(island, 0, kMaxTerrainId, false, false);
}

int ReplaceTerrainId(IslandMap& island, int old_id, int new_id) {
    if (new_id < 0 || new_id > kMaxTerrainId) {
        throw BoundsError("element " + std::to_string(new_id) + " does not fit a terrain cell");
    }
    const int width = IslandWidth(island), height = IslandHeight(island);
    int replaced = 0;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const int word = island.terrain.get(x, y);
            if (TerrainId(word) != old_id) continue;
            island.terrain.set(x, y, static_cast<std::uint16_t>(new_id));
            ++replaced;
        }
    }
    return replaced;
}

std::vector<ListingRow> ListTerrainElement(const IslandMap& island, int key, bool any_orientation) {
    std::vector<ListingRow> rows;
    const int width = IslandWidth(island), height = IslandHeight(island);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            int word = island.terrain.get(x, y);
            if (any_orientation) word = TerrainId(word);
            if (word != key) continue;
            const int parameter = island.terrain_param.get(x, y);
            rows.push_back({TwoHexDigits(parameter) + " " + TwoHexDigits(parameter >> 8),
                            std::to_string(x), std::to_string(y),
                            std::to_string(island.height.get(x, y))});
        }
    }
    return rows;
}

bool AssignTerrainColour(Definitions& definitions, int item, std::uint32_t colour) {
    if (item < 0 || static_cast<std::size_t>(item) >= definitions.terrain_list.size()) return false;
    const auto i = static_cast<std::size_t>(item);
    std::string& line = definitions.terrain_list[i];
    line = line.substr(0, line.find(';')) + ";" + std::to_string(colour & 0xFFFFFF);
    if (i < definitions.terrain_colours.size())
        definitions.terrain_colours[i] = static_cast<int>(colour & 0xFFFFFF);
    return true;
}

std::optional<Band> ParseBand(const std::string& x1, const std::string& y1, const std::string& x2,
                              const std::string& y2) {
    const std::pair<const std::string*, const char*> texts[] = {
        {&x1, "tleftx"}, {&y1, "tlefty"}, {&x2, "brightx"}, {&y2, "brighty"}};
    for (const auto& [text, name] : texts) {
        if (Trimmed(*text).empty()) return std::nullopt;
    }
    int values[4];
    for (int i = 0; i < 4; ++i) {
        const auto value = ParseDecimal(*texts[i].first);
        if (!value || *value < 0 || *value >= kLayerSide) {
            throw FormatError(std::string(texts[i].second) + ": \"" + *texts[i].first +
                              "\" is not a cell coordinate (0 to 1024)");
        }
        values[i] = static_cast<int>(*value);
    }
    return Band{values[0], values[1], values[2], values[3]};
}

DistributeResult DistributeElements(IslandMap& island, const DistributeOptions& o,
                                    std::mt19937& random,
                                    const std::function<DistributeSignal(int placed)>& progress) {
    DistributeResult result;
    if (o.id < 0 || o.id > kMaxTerrainId) {
        throw BoundsError("element " + std::to_string(o.id) + " does not fit a terrain cell");
    }
    int x_low = 0, y_low = 0;
    int x_span = IslandWidth(island), y_span = IslandHeight(island);
    if (o.band) {
        CheckBand(*o.band);
        x_low = o.band->left();
        y_low = o.band->top();
        x_span = o.band->right() - x_low;
        y_span = o.band->bottom() - y_low;
    }
    const int max_height = std::max(o.max_height, o.min_height);
    const long long limit = static_cast<long long>(o.count) * o.count;
    const auto deadline = std::chrono::steady_clock::now() + o.time_limit;
    const bool ground = o.growth_adjust && TakesGroundHeight(o.id);

    while (result.placed < o.count) {
        const int x = x_low + RandomBelow(random, x_span);
        const int y = y_low + RandomBelow(random, y_span);
        const DistributeSignal signal = progress ? progress(result.placed) : DistributeSignal::Go;
        if (signal == DistributeSignal::Cancel) {
            result.cancelled = true;
            break;
        }
        if (signal == DistributeSignal::TimeUp || std::chrono::steady_clock::now() >= deadline)
            result.timed_out = true;

        const int ground_height = island.height.get(x, y);
        if (ground_height < o.min_height || ground_height > max_height ||
            (o.not_under_objects && UnderObject(island, x, y))) {
            // Rejected cells do not count as attempts.
            if (result.timed_out || result.attempts >= limit) break;
            continue;
        }
        const int present = island.terrain.get(x, y);
        const bool occupied = present != 0 && !o.overwrite;
        const bool protected_plant =
            o.keep_useful && TerrainId(present) >= 700 && TerrainId(present) <= 760;
        if (!occupied && !protected_plant) {
            const int orientation = o.orientation ? (*o.orientation & 3) : RandomBelow(random, 4);
            int parameter = 256 * ground_height;
            if (o.keep_useful && !ground) parameter = o.typed_word & 0xFFFF;
            island.terrain.set(x, y,
                               static_cast<std::uint16_t>(o.id + kOrientationUnit * orientation));
            island.terrain_param.set(x, y, static_cast<std::uint16_t>(parameter));
            ++result.placed;
        }
        ++result.attempts;
        if (result.timed_out || result.attempts >= limit) break;
    }
    if (result.timed_out && result.placed < o.count) result.message = kDistributeTimeUpMessage;
    if (result.placed >= o.count) result.timed_out = false;
    return result;
}

int ClearPlantsOfHeight(IslandMap& island, const Band& band, int height) {
    CheckBand(band);
    int removed = 0;
    for (int x = band.left(); x <= band.right(); ++x) {
        for (int y = band.top(); y <= band.bottom(); ++y) {
            if (island.height.get(x, y) != height || island.terrain.get(x, y) == 0) continue;
            island.terrain.set(x, y, 0);
            island.terrain_param.set(x, y, 0);
            ++removed;
        }
    }
    return removed;
}

int ClearShipwrecks(IslandMap& island) {
    return RemoveIds(island, 1594, 1594, false, true) + RemoveIds(island, 1600, 1603, false, true);
}

bool InsertTerrainStep(Editor& editor, const CellRect& rect, const InsertOptions& options) {
    return editor.Step("ID Einbauen !",
                       [&] { InsertTerrainElement(editor.doc.island, rect, options); });
}

bool DeleteTerrainStep(Editor& editor, int id) {
    return editor.Step("Clear ID/ Löschen", [&] { DeleteTerrainId(editor.doc.island, id); });
}

bool ClearTerrainStep(Editor& editor, const ClearOptions& options) {
    return editor.Step("Clear all !", [&] { ClearTerrain(editor.doc.island, options); });
}

bool ReplaceTerrainStep(Editor& editor, int old_id, int new_id) {
    return editor.Step("ID ersetzen mit",
                       [&] { ReplaceTerrainId(editor.doc.island, old_id, new_id); });
}

DistributeResult DistributeStep(Editor& editor, const DistributeOptions& options,
                                std::mt19937& random,
                                const std::function<DistributeSignal(int placed)>& progress) {
    DistributeResult result;
    editor.Step("Distribute!",
                [&] { result = DistributeElements(editor.doc.island, options, random, progress); });
    return result;
}

bool ClearPlantsStep(Editor& editor, const Band& band, int height) {
    return editor.Step("Clear plants",
                       [&] { ClearPlantsOfHeight(editor.doc.island, band, height); });
}

bool ClearShipwrecksStep(Editor& editor) {
    return editor.Step("Clear shipwrecks", [&] { ClearShipwrecks(editor.doc.island); });
}

void ListTerrainIntoTools(ToolState& tools, const IslandMap& island, int key,
                          bool any_orientation) {
    tools.listing = ListTerrainElement(island, key, any_orientation);
    tools.terrain.listed_element = key;
    tools.terrain.listed_any_orientation = any_orientation;
}

}  // namespace insel
