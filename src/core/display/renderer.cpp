#include "display/renderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "app/editor.h"
#include "display/cell_pass.h"

namespace insel {

namespace {

// std::fill of 32-bit pixels is not vectorised at this optimisation level: white goes through
// memset, other colours in 16-byte stores.
void FillPixels(std::uint32_t* first, std::size_t count, std::uint32_t argb) {
    if (argb == (argb & 0xFFu) * 0x01010101u) {
        std::memset(first, static_cast<int>(argb & 0xFFu), count * sizeof argb);
        return;
    }
    std::size_t i = 0;
#if defined(__GNUC__)
    using Quad = std::uint32_t __attribute__((vector_size(16)));
    const Quad quad = Quad{} + argb;
    for (; i + 4 <= count; i += 4) std::memcpy(first + i, &quad, sizeof quad);
#endif
    for (; i < count; ++i) first[i] = argb;
}

}  // namespace

void Raster::Fill(std::uint32_t argb) { FillPixels(pixels.data(), pixels.size(), argb); }

void Raster::FillRect(int left, int top, int right, int bottom, std::uint32_t argb) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kWidth);
    bottom = std::min(bottom, kHeight);
    if (left >= right) return;
    std::uint32_t* row = pixels.data() + static_cast<std::size_t>(top) * kWidth + left;
    const auto width = static_cast<std::size_t>(right - left);
    if (width <= 4) {
        // Outlines are mostly a pen's width wide: not worth a call per row.
        for (int y = top; y < bottom; ++y, row += kWidth)
            for (std::size_t x = 0; x < width; ++x) row[x] = argb;
        return;
    }
    for (int y = top; y < bottom; ++y, row += kWidth) FillPixels(row, width, argb);
}

void Raster::FillOutside(int left, int top, int right, int bottom, std::uint32_t argb) {
    if (left >= right || top >= bottom) {
        Fill(argb);
        return;
    }
    FillRect(0, 0, kWidth, top, argb);
    FillRect(0, top, left, bottom, argb);
    FillRect(right, top, kWidth, bottom, argb);
    FillRect(0, bottom, kWidth, kHeight, argb);
}

void DrawCellFrame(Raster& raster, int cell_width, int cell_height, int pen_width, int i, int j,
                   int w, int h, std::uint32_t argb) {
    const int left = i * cell_width, top = j * cell_height;
    const int right = (i + w) * cell_width, bottom = (j + h) * cell_height;
    const int p = pen_width;
    raster.FillRect(left, top, right, top + p, argb);
    raster.FillRect(left, bottom - p, right, bottom, argb);
    raster.FillRect(left, top, left + p, bottom, argb);
    raster.FillRect(right - p, top, right, bottom, argb);
}

namespace {

constexpr int kMarketCityId = 821;
constexpr int kNoMarketBelow = -8000;

// Pixel colours converted once per repaint rather than per cell.
struct Pens {
    explicit Pens(const RenderSettings& s)
        : river(ToPixel(s.river)),
          terrain_highlight(ToPixel(s.terrain_highlight)),
          gfx_highlight(ToPixel(s.gfx_highlight)),
          marked(ToPixel(s.marked)),
          mine(ToPixel(s.mine)),
          quarry(ToPixel(s.quarry)),
          animal(ToPixel(s.animal)),
          object_anchor(ToPixel(s.object_anchor)),
          object_outline(ToPixel(s.object_outline)),
          catchment(ToPixel(s.catchment)) {}
    std::uint32_t river, terrain_highlight, gfx_highlight, marked, mine, quarry, animal,
        object_anchor, object_outline, catchment;
};

// The first index in [from, to) whose value is `wanted`, or `to`.
int NextEqual(const std::uint16_t* values, int from, int to, std::uint16_t wanted) {
    int at = from;
#if defined(__GNUC__)
    using Words = std::uint16_t __attribute__((vector_size(16)));
    const Words pattern = Words{} + wanted;
    // Four chunks of eight values per test: the wanted value is rare.
    for (; at + 32 <= to; at += 32) {
        Words chunks[4];
        std::memcpy(chunks, values + at, sizeof chunks);
        const auto hits = (chunks[0] == pattern) | (chunks[1] == pattern) | (chunks[2] == pattern) |
                          (chunks[3] == pattern);
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        if ((halves[0] | halves[1]) != 0) break;
    }
#endif
    while (at < to && values[at] != wanted) ++at;
    return at;
}

class Painter {
  public:
    Painter(const Editor& editor, const RenderSettings& settings, Raster& raster)
        : editor_(editor),
          island_(editor.island),
          view_(editor.view),
          settings_(settings),
          raster_(raster) {
        const bool part = view_.part_index >= 0;
        cw_ = part ? view_.zoom_cell_size : view_.cell_width;
        ch_ = part ? view_.zoom_cell_size : view_.cell_height;
        pen_ = std::clamp(settings.pen_width, 1, 12);
    }

    bool Visible(std::int64_t x, std::int64_t y) const {
        const std::int64_t i = x - view_.origin_x, j = y - view_.origin_y;
        return i >= 0 && j >= 0 && i < view_.visible_columns && j < view_.visible_rows &&
               Layer<std::uint8_t>::InRange(x, y);
    }

    void Frame(std::int64_t x, std::int64_t y, int w, int h, std::uint32_t pen) {
        DrawCellFrame(raster_, cw_, ch_, pen_, static_cast<int>(x - view_.origin_x),
                      static_cast<int>(y - view_.origin_y), w, h, pen);
    }

    void Cells(const Pens& pens) {
        const CellPass pass{island_,
                            editor_.display_layer,
                            settings_.highlight_kind,
                            settings_.highlight_value,
                            settings_.any_orientation,
                            settings_.height_profile_page,
                            pens.river,
                            pens.terrain_highlight,
                            pens.gfx_highlight,
                            pens.marked};
        PaintCells(pass, view_, raster_);
    }

    // Outlines of every visible cell in the colour of its height (or the marking colour).
    void HeightOutlines(const Pens& pens, bool marks) {
        const LayerPixels colour(0);
        for (int j = 0; j < view_.visible_rows; ++j) {
            for (int i = 0; i < view_.visible_columns; ++i) {
                const int x = view_.origin_x + i, y = view_.origin_y + j;
                if (!Layer<std::uint8_t>::InRange(x, y)) continue;
                const bool marked = marks && island_.mark.get(x, y) != 0;
                Frame(x, y, 1, 1, marked ? pens.marked : colour(island_.height.get(x, y)));
            }
        }
    }

    // The graphic tiles as pictures: resident series straight from their slot, the others
    // through the working tile set, one series at a time so each is cut once per repaint.
    void Pictures(const Pens& pens, TextureCache& textures) {
        HeightOutlines(pens, false);
        std::array<std::vector<std::pair<int, int>>, kSeriesIndexCount> cells;
        for (int j = 0; j < view_.visible_rows; ++j) {
            for (int i = 0; i < view_.visible_columns; ++i) {
                const int x = view_.origin_x + i, y = view_.origin_y + j;
                if (!Layer<std::uint8_t>::InRange(x, y)) continue;
                const int series = (island_.gfx.get(x, y) >> 8) - kSeriesCodeOffset;
                if (series >= 0 && series < kSeriesIndexCount) cells[series].push_back({x, y});
            }
        }
        const auto usage = editor_.SeriesUsageCounts();
        const LayerPixels plain(1);
        for (int series = 0; series < kSeriesIndexCount; ++series) {
            if (usage[series] <= 0 || cells[series].empty()) continue;
            const int slot = textures.SeriesSlotMap()[series];
            const bool cut = slot == 0 && textures.SetupBitmaps(series);
            for (const auto& [x, y] : cells[series]) {
                const int tile = island_.gfx.get(x, y) & 0xFF;
                if (slot != 0) {
                    const SlotPicture& full = textures.Slot(slot);
                    Stretch(x, y, full.pixels.data(), kFullBitmapSize, kTileTables.full_left[tile],
                            kTileTables.full_top[tile]);
                } else if (cut) {
                    const int orientation = tile % 4;
                    const int index = kTileTables.texture_index[tile];
                    if (orientation > 0) textures.RotateTile(index, orientation);
                    const TilePicture& picture =
                        orientation > 0 ? textures.ScratchTile() : textures.Tile(index);
                    Stretch(x, y, picture.pixels.data(), kTileSize, 0, 0);
                } else {
                    // A series without a usable bitmap keeps the plain colours.
                    const int i = x - view_.origin_x, j = y - view_.origin_y;
                    raster_.FillRect(i * cw_, j * ch_, (i + 1) * cw_, (j + 1) * ch_,
                                     plain(island_.gfx.get(x, y)));
                }
            }
        }
    }

    // A 43 x 43 picture at (left, top) of a source `stride` pixels wide, nearest-neighbour onto the
    // cell.
    void Stretch(int x, int y, const std::uint32_t* source, int stride, int left, int top) {
        const int i = x - view_.origin_x, j = y - view_.origin_y;
        for (int dy = 0; dy < ch_; ++dy) {
            const int py = j * ch_ + dy;
            if (py < 0 || py >= Raster::kHeight) continue;
            const std::uint32_t* row =
                source + static_cast<std::size_t>(top + dy * kTileSize / ch_) * stride + left;
            std::uint32_t* target =
                raster_.pixels.data() + static_cast<std::size_t>(py) * Raster::kWidth;
            for (int dx = 0; dx < cw_; ++dx) {
                const int px = i * cw_ + dx;
                if (px >= 0 && px < Raster::kWidth) target[px] = row[dx * kTileSize / cw_];
            }
        }
    }

    void Mines(const Pens& pens) {
        for (const MineRecord& mine : island_.mines) {
            const std::int64_t x = DecodeCellFloat(mine.x), y = DecodeCellFloat(mine.y);
            if (Visible(x, y)) Frame(x, y, 1, 1, pens.mine);
        }
        for (const MineRecord& spot : island_.quarry_spots) {
            if (!Visible(spot.x, spot.y)) continue;
            Frame(spot.x, spot.y, 1, 1, pens.quarry);
            const bool odd = (spot.orientation & 1) != 0;
            Frame(spot.x, spot.y, odd ? 3 : 4, odd ? 4 : 3, pens.quarry);
        }
    }

    // Every outline has the same colour, so the cells are visited as the grid lies in memory
    // and runs of other cities' or free cells are skipped many at a time.
    void Catchment(const Pens& pens) {
        const CityState& cities = editor_.cities;
        if (!cities.current || *cities.current >= cities.cities.size()) return;
        const std::int32_t number = cities.cities[*cities.current].number;
        if (number < 0 || number > 0xFFFF) return;  // no grid cell holds it
        const int x_end = std::min(view_.origin_x + view_.visible_columns, kCatchmentSide);
        const int y_end = std::min(view_.origin_y + view_.visible_rows, kCatchmentSide);
        const int y_begin = std::max(view_.origin_y, 0);
        for (int x = std::max(view_.origin_x, 0); x < x_end; ++x) {
            const std::uint16_t* owners = cities.catchment.data() + x * kCatchmentSide;
            const std::uint8_t* heights = island_.height.column(x);  // x, y < 512: in the layer
            for (int y = NextEqual(owners, y_begin, y_end, static_cast<std::uint16_t>(number));
                 y < y_end;
                 y = NextEqual(owners, y + 1, y_end, static_cast<std::uint16_t>(number))) {
                if (heights[y] > 16) Frame(x, y, 1, 1, pens.catchment);
            }
        }
    }

    int Objects(const Pens& pens) {
        int count = 0;
        const int shown = settings_.shown_object_id;
        for (const ObjectEntry& object : island_.objects) {
            if (!Visible(object.x, object.y)) continue;
            if (object.graphic_id == shown) {
                ++count;
                Frame(object.x, object.y, object.width, object.height, pens.animal);
            } else {
                Frame(object.x, object.y, object.width, object.height, pens.object_outline);
                Frame(object.x, object.y, 1, 1, pens.object_anchor);
            }
            if (object.graphic_id != kMarketCityId) continue;
            if (object.market_x <= kNoMarketBelow && object.market_y <= kNoMarketBelow) continue;
            const std::int64_t i2 = static_cast<std::int64_t>(object.market_x) - view_.origin_x;
            const std::int64_t j2 = static_cast<std::int64_t>(object.market_y) - view_.origin_y;
            if (i2 >= 0 && j2 >= 0 && i2 < island_.record.width && j2 < island_.record.height)
                Frame(object.market_x, object.market_y, 2, 2, pens.object_outline);
        }
        return count;
    }

    void Animals(const Pens& pens) {
        for (const AnimalEntry& animal : island_.animals) {
            if (Visible(animal.first, animal.second))
                Frame(animal.first, animal.second, 1, 1, pens.animal);
        }
    }

  private:
    const Editor& editor_;
    const IslandMap& island_;
    const ViewState& view_;
    const RenderSettings& settings_;
    Raster& raster_;
    int cw_ = 0, ch_ = 0, pen_ = 1;
};

// round(index * side / 128) with halves to even, kept inside the island.
int Sample(int index, int side) {
    const int q = index * side;
    int cell = q / kOverviewSide;
    const int rest = q % kOverviewSide;
    if (rest > kOverviewSide / 2 || (rest == kOverviewSide / 2 && (cell & 1) != 0)) ++cell;
    return std::min(cell, side - 1);
}

}  // namespace

int RenderMap(const Editor& editor, const RenderSettings& settings, Raster& raster,
              TextureCache* textures) {
    if (!editor.island_shown || editor.updating) return 0;
    const bool pictures = settings.use_tile_bitmaps && textures != nullptr &&
                          editor.display_layer == 1 && editor.view.part_index >= 0;
    const bool cells = !settings.island_image && !pictures;
    if (!settings.height_profile_page) {
        // What the colour pass covers anyway is not cleared first.
        const PixelRect covered = cells ? CoveredByCells(editor.view) : PixelRect{};
        raster.FillOutside(covered.left, covered.top, covered.right, covered.bottom,
                           ToPixel(0xFFFFFF));
    }
    const Pens pens(settings);
    Painter painter(editor, settings, raster);
    if (settings.island_image) {
        painter.HeightOutlines(pens, true);
        painter.Mines(pens);
        return 0;
    }
    if (pictures) {
        painter.Pictures(pens, *textures);
    } else {
        painter.Cells(pens);
    }
    painter.Mines(pens);
    if (settings.height_profile_page) return 0;
    if (settings.catchment_shown) painter.Catchment(pens);
    const int count = settings.objects ? painter.Objects(pens) : 0;
    if (settings.animals) painter.Animals(pens);
    return count;
}

std::vector<std::uint32_t> DrawOverviewImage(const Editor& editor) {
    const int width = editor.island.record.width, height = editor.island.record.height;
    std::vector<std::uint32_t> image(static_cast<std::size_t>(kOverviewSide) * kOverviewSide,
                                     ToPixel(0xFFFFFF));
    if (width <= 0 || height <= 0) return image;
    const LayerPixels colour(editor.display_layer);
    for (int py = 0; py < kOverviewSide; ++py) {
        const int y = std::min(Sample(py, height), kLayerSide - 1);
        for (int px = 0; px < kOverviewSide; ++px) {
            const int x = std::min(Sample(px, width), kLayerSide - 1);
            image[static_cast<std::size_t>(py) * kOverviewSide + px] =
                colour(editor.island.height.get(x, y));
        }
    }
    return image;
}

}  // namespace insel
