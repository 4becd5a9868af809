#include "core/tools/rotation.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/document/document.h"
#include "core/document/island_map.h"
#include "core/island/save_options.h"
#include "core/simd/square_turn.h"
#include "core/tools/cell_search.h"

namespace insel {
namespace {

bool IsRock(std::uint16_t element) {
    const int id = element & 0x3FFF;
    return id >= 1501 && id <= 1999;
}

// The island rectangle of a layer, x major, for moving it.
template <class T>
std::vector<T> Copy(const Layer<T>& layer, int width, int height) {
    std::vector<T> copy(static_cast<std::size_t>(width) * height);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            copy[static_cast<std::size_t>(x) * height + y] = layer.get(x, y);
    }
    return copy;
}

struct Shift {
    int width, height, dx, dy;
    // Calls move(source x, source y, target x, target y) for every source cell whose target
    // lies on the island.
    template <class Move>
    void ForEachSource(Move move) const {
        for (int x = std::max(0, -dx); x <= width - 1 - std::max(0, dx); ++x) {
            for (int y = std::max(0, -dy); y <= height - 1 - std::max(0, dy); ++y)
                move(x, y, x + dx, y + dy);
        }
    }
    template <class T>
    void Move(Layer<T>& layer, const std::vector<T>& source) const {
        ForEachSource([&](int x, int y, int tx, int ty) {
            layer.set(tx, ty, source[static_cast<std::size_t>(x) * height + y]);
        });
    }
};

template <class T>
void ClearRectangle(Layer<T>& layer, int width, int height, T value) {
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) layer.set(x, y, value);
    }
}

void MoveQuarrySpots(IslandMap& island, int dx, int dy) {
    for (MineRecord& spot : island.quarry_spots) {
        spot.x = static_cast<std::uint32_t>(static_cast<std::int64_t>(spot.x) + dx);
        spot.y = static_cast<std::uint32_t>(static_cast<std::int64_t>(spot.y) + dy);
    }
}

constexpr int kElementIds = 1 << 14;

// Size codes by element id, read once per turn rather than once per element.
std::vector<std::uint8_t> SizeCodes(const Definitions& definitions) {
    std::vector<std::uint8_t> codes(kElementIds, 11);
    // Later lines of an id do not replace the first.
    std::vector<bool> seen(kElementIds, false);
    for (const std::string& line : definitions.terrain_list) {
        const auto id = ParseListNumber(ListField(line, 0));
        if (!id || *id < 0 || *id >= kElementIds || seen[static_cast<std::size_t>(*id)]) continue;
        seen[static_cast<std::size_t>(*id)] = true;
        const std::string_view field = ListField(line, 2);
        const auto code = ParseListNumber(field.substr(0, field.find(';')));
        if (code && *code >= 0 && *code <= 99)
            codes[static_cast<std::size_t>(*id)] = static_cast<std::uint8_t>(*code);
    }
    codes[0] = 0;
    return codes;
}

// A layer's worth of cells, left unset, and the cells of `layer` outside the island square
// w x w copied into it.
template <class T>
BulkArray<T> CellsOutsideSquare(const Layer<T>& layer, int w) {
    BulkArray<T> cells(static_cast<std::size_t>(kLayerSide) * kLayerSide);
    for (int x = 0; x < kLayerSide; ++x) {
        const int from = x < w ? w : 0;
        std::copy(layer.column(x) + from, layer.column(x) + kLayerSide,
                  cells.data() + static_cast<std::size_t>(x) * kLayerSide + from);
    }
    return cells;
}

// Turns the island square of a layer: new (x, y) takes old (y, w - 1 - x), then `map` is applied
// to each turned cell; it keeps what a cell counts as (a tile its series), so the history turns
// the counters rather than counting. The turned cells go into new memory that then replaces the
// layer's, so that the history keeps the old cells as they are, without a copy. `w` is at most
// kLayerSide (checked by the caller), so the columns are used unchecked.
template <class T, class Map>
void TurnLayer(Layer<T>& layer, int w, Map map) {
    BulkArray<T> cells = CellsOutsideSquare(layer, w);
    simd::TurnSquare(std::as_const(layer).column(0), kLayerSide, w, cells.data(), kLayerSide);
    if constexpr (!std::is_same_v<Map, std::nullptr_t>) {
        for (int x = 0; x < w; ++x) {
            T* column = cells.data() + static_cast<std::size_t>(x) * kLayerSide;
            for (int y = 0; y < w; ++y) column[y] = map(column[y]);
        }
    }
    layer.Replace(std::move(cells), true);
}

std::uint16_t RotateGfxKey(std::uint16_t word) {
    // The plain tiles look the same turned: series 0, tiles 0, 4, 8, 32, 36, 40, 64, 68 and 72.
    // Tested without branches, as this runs for every cell.
    const int low = word & 0xFF;
    const bool plain = (word >> 8) == 0 && (low & 3) == 0 && (low & 31) <= 8 && low <= 72;
    const auto turned = static_cast<std::uint16_t>((word & 0xFFFC) | ((word + 1) & 3));
    return plain ? word : turned;
}

std::uint16_t RotateElementWord(std::uint16_t word) {
    if (word == 0) return 0;
    return static_cast<std::uint16_t>((word & 0x3FFF) | ((((word >> 14) + 1) & 3) << 14));
}

// Elements (terrain or river) with their parameter words; each lands by its footprint.
// `moved` is told of every element written, `lost` of every one that would land outside.
template <class Moved, class Lost>
void TurnElements(Layer<std::uint16_t>& words, Layer<std::uint16_t>& params, int w,
                  const std::vector<std::uint8_t>& codes, Moved moved, Lost lost) {
    // Elements are few against the cells: laid, in the order of the old cells, into new layers
    // whose square is cleared, which replace the old ones.
    BulkArray<std::uint16_t> new_words = CellsOutsideSquare(words, w);
    BulkArray<std::uint16_t> new_params = CellsOutsideSquare(params, w);
    for (int x = 0; x < w; ++x) {
        const std::size_t column = static_cast<std::size_t>(x) * kLayerSide;
        std::fill_n(new_words.data() + column, w, std::uint16_t{0});
        std::fill_n(new_params.data() + column, w, std::uint16_t{0});
    }
    for (int x = 0; x < w; ++x) {
        const std::uint16_t* word_column = std::as_const(words).column(x);
        const std::uint16_t* param_column = std::as_const(params).column(x);
        const auto set = [](std::uint16_t v) { return v != 0; };
        for (int y = FirstWhere(word_column, w, set); y < w;
             y += 1 + FirstWhere(word_column + y + 1, w - y - 1, set)) {
            const std::uint16_t word = word_column[y];
            const std::uint16_t turned = RotateElementWord(word);
            const int code = codes[static_cast<std::size_t>(turned & 0x3FFF)];
            const int d = ((turned >> 14) & 1) ? code / 10 : code % 10;
            const int nx = w - d - y, ny = x;
            if (nx < 0 || nx >= w) {
                lost(word, x, y, nx, ny);
                continue;
            }
            const std::size_t cell = static_cast<std::size_t>(nx) * kLayerSide + ny;
            new_words[cell] = turned;
            new_params[cell] = param_column[y];
            moved(word, x, y, turned, nx, ny);
        }
    }
    words.Replace(std::move(new_words));
    params.Replace(std::move(new_params));
}

std::string Cells(std::int64_t x, std::int64_t y) {
    return std::to_string(x) + ", " + std::to_string(y);
}

}  // namespace

int ElementSizeCode(const Definitions& definitions, int element_id) {
    const int id = element_id & 0x3FFF;
    return SizeCodes(definitions)[static_cast<std::size_t>(id)];
}

std::string RotateQuarter(Document& doc, const Definitions& definitions, Status& status) {
    status.memo3.clear();
    if (!doc.loaded) return {};
    IslandMap& island = doc.island;
    const int w = island.record.width;
    if (w != island.record.height) {
        return "Only square islands can be turned; this island is " + std::to_string(w) + " x " +
               std::to_string(island.record.height) + " cells.";
    }
    if (w < 1 || w > kLayerSide) {
        throw BoundsError("island width " + std::to_string(w) + " is outside 1.." +
                          std::to_string(kLayerSide));
    }
    TurnLayer(island.height, w, nullptr);
    TurnLayer(island.fertility, w, nullptr);
    TurnLayer(island.gfx, w, RotateGfxKey);

    const std::vector<std::uint8_t> codes = SizeCodes(definitions);
    LogLines& log = status.memo3;
    auto lost = [&](std::uint16_t word, int x, int y, int nx, int ny) {
        log.push_back("Element " + std::to_string(word) + " alt " + Cells(x, y) + " neu " +
                      Cells(nx, ny) + " liegt ausserhalb der Insel und entfaellt");
    };
    TurnElements(
        island.terrain, island.terrain_param, w, codes,
        [](std::uint16_t, int, int, std::uint16_t, int, int) {}, lost);
    TurnElements(
        island.river, island.river_param, w, codes,
        [&](std::uint16_t word, int x, int y, std::uint16_t turned, int nx, int ny) {
            log.push_back(std::to_string(word) + "  alt " + Cells(x, y) + "  " +
                          std::to_string(turned) + " neu " + Cells(nx, ny));
        },
        lost);

    for (AnimalEntry& animal : island.animals) {
        const int x = animal.first, y = animal.second;
        animal.first = static_cast<std::uint16_t>(w - 1 - y);
        animal.second = static_cast<std::uint16_t>(x);
    }
    for (MineRecord& mine : island.mines) {
        const std::int64_t x = DecodeCellFloat(mine.x), y = DecodeCellFloat(mine.y);
        mine.x = EncodeCellFloat(w - 1 - y);
        mine.y = EncodeCellFloat(x);
    }
    for (MineRecord& spot : island.quarry_spots) {
        // Wrapping arithmetic: a spot turned off the island comes back with further turns.
        const std::uint32_t x = spot.x, y = spot.y;
        spot.orientation = (spot.orientation + 1) & 3;
        spot.x = static_cast<std::uint32_t>(w - 3) - y;
        if (spot.orientation % 2 == 0) spot.x -= 1;
        spot.y = x;
        if (static_cast<std::int32_t>(spot.x) < 0 || static_cast<std::int32_t>(spot.x) >= w) {
            log.push_back("Abbauplatz alt " + Cells(x, y) + " liegt gedreht ausserhalb der Insel");
        }
    }

    // City buildings follow the objects at their positions, before the objects move.
    int count = 0;
    for (CityRecord& city : doc.cities.cities) {
        if (city.island_number != island.record.number) continue;
        for (BuildingEntry& entry : city.buildings) {
            const auto object = std::find_if(
                island.objects.begin(), island.objects.end(),
                [&](const ObjectEntry& o) { return o.x == entry.x && o.y == entry.y; });
            if (object == island.objects.end()) continue;
            const int nx = w - object->height - object->y, ny = object->x;
            ++count;
            log.push_back("alt xy " + std::to_string(entry.x) + "," + std::to_string(entry.y) +
                          "  neu xy " + std::to_string(nx) + "," + std::to_string(ny) + "    " +
                          std::to_string(object->graphic_id) + ",  " + std::to_string(count));
            entry.x = nx;
            entry.y = ny;
            entry.size_x = static_cast<std::uint8_t>(object->height);
            entry.size_y = static_cast<std::uint8_t>(object->width);
            if (entry.record_length == 41 && !(entry.market1 <= -800 && entry.market2 <= -800)) {
                const std::int32_t a = entry.market1, b = entry.market2;
                entry.market1 = w - 1 - b;
                entry.market2 = a;
            }
        }
    }
    status.memo2.clear();
    for (ObjectEntry& object : island.objects) {
        std::swap(object.width, object.height);
        const std::int32_t x = object.x;
        object.x = w - object.width - object.y;
        object.y = x;
        object.orientation = static_cast<std::uint8_t>((object.orientation + 1) & 3);
        object.id_word =
            static_cast<std::uint16_t>((object.id_word & 0x3FFF) | (object.orientation << 14));
        if (object.graphic_id == kMarketplaceGraphic &&
            !(object.market_x <= -8000 && object.market_y <= -8000)) {
            const std::int32_t a = object.market_x, b = object.market_y;
            object.market_x = w - 1 - b;
            object.market_y = a;
        }
    }
    island.rotation_angle = (island.rotation_angle + 1) % 4;
    return {};
}

void ShiftLayer(IslandMap& island, int kind, const LayerShift& settings) {
    const int width = std::min<int>(island.record.width, kLayerSide);
    const int height = std::min<int>(island.record.height, kLayerSide);
    // A shift of a whole side or more moves every cell off the island; clamped there, no
    // offset (INT_MIN included) can overflow the loop bounds.
    const int dx = std::clamp(settings.dx, -kLayerSide, kLayerSide);
    const int dy = std::clamp(settings.dy, -kLayerSide, kLayerSide);
    const Shift shift{width, height, dx, dy};
    switch (kind) {
        case kShiftHeights: {
            const auto heights = Copy(island.height, width, height);
            ClearRectangle<std::uint8_t>(island.height, width, height, 0);
            shift.Move(island.height, heights);
            // Cells no source reaches keep their old fertility.
            shift.Move(island.fertility, Copy(island.fertility, width, height));
            break;
        }
        case kShiftGraphics: {
            const auto tiles = Copy(island.gfx, width, height);
            ClearRectangle<std::uint16_t>(island.gfx, width, height, 0);
            shift.Move(island.gfx, tiles);
            break;
        }
        case kShiftPlants: {
            const auto elements = Copy(island.terrain, width, height);
            ClearRectangle<std::uint16_t>(island.terrain, width, height, 0);
            shift.Move(island.terrain, elements);
            shift.Move(island.terrain_param, Copy(island.terrain_param, width, height));
            MoveQuarrySpots(island, dx, dy);
            break;
        }
        case kShiftRocks: {
            const auto elements = Copy(island.terrain, width, height);
            for (int x = 0; x < width; ++x) {
                for (int y = 0; y < height; ++y) {
                    if (IsRock(island.terrain.get(x, y))) island.terrain.set(x, y, 0);
                }
            }
            shift.ForEachSource([&](int x, int y, int tx, int ty) {
                const std::uint16_t element = elements[static_cast<std::size_t>(x) * height + y];
                if (IsRock(element)) island.terrain.set(tx, ty, element);
            });
            const auto params = Copy(island.terrain_param, width, height);
            shift.ForEachSource([&](int x, int y, int tx, int ty) {
                if (IsRock(island.terrain.get(tx, ty))) {
                    island.terrain_param.set(tx, ty,
                                             params[static_cast<std::size_t>(x) * height + y]);
                }
            });
            MoveQuarrySpots(island, dx, dy);
            break;
        }
        default:
            throw BoundsError("no layer shift of kind " + std::to_string(kind));
    }
}

void ApplySaveShifts(IslandMap& island, const SaveOptions& options) {
    for (int kind = kShiftHeights; kind <= kShiftRocks; ++kind) {
        const LayerShift& shift = options.shifts[static_cast<std::size_t>(kind)];
        if (shift.apply) ShiftLayer(island, kind, shift);
    }
}

}  // namespace insel
