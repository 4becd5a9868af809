#include "core/tools/rotation.h"

#include <algorithm>
#include <vector>

#include "core/document/island_map.h"
#include "core/island/save_options.h"

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

}  // namespace

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
