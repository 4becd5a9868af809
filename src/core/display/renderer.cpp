#include "core/display/renderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "core/display/cell_pass.h"
#include "core/document/document.h"
#include "core/fill_values.h"
#include "core/simd/cell_values.h"

namespace insel {

void Raster::Fill(std::uint32_t argb) { FillValues(pixels.data(), pixels.size(), argb); }

namespace {

// FillRect's work, inlined into the outline drawing, which calls it four times per frame.
inline void FillClipped(std::uint32_t* pixels, int left, int top, int right, int bottom,
                        std::uint32_t argb) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, Raster::kWidth);
    bottom = std::min(bottom, Raster::kHeight);
    if (left >= right) return;
    std::uint32_t* row = pixels + static_cast<std::size_t>(top) * Raster::kWidth + left;
    const auto width = static_cast<std::size_t>(right - left);
    if (width <= 4) {
        // Outlines are mostly a pen's width wide: not worth a call per row.
        for (int y = top; y < bottom; ++y, row += Raster::kWidth)
            for (std::size_t x = 0; x < width; ++x) row[x] = argb;
        return;
    }
    for (int y = top; y < bottom; ++y, row += Raster::kWidth) FillValues(row, width, argb);
}

}  // namespace

void Raster::FillRect(int left, int top, int right, int bottom, std::uint32_t argb) {
    FillClipped(pixels.data(), left, top, right, bottom, argb);
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
    std::uint32_t* pixels = raster.pixels.data();
    FillClipped(pixels, left, top, right, top + p, argb);
    FillClipped(pixels, left, bottom - p, right, bottom, argb);
    FillClipped(pixels, left, top, left + p, bottom, argb);
    FillClipped(pixels, right - p, top, right, bottom, argb);
}

namespace {

constexpr std::uint32_t kWhite = ToPixel(0xFFFFFF);
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

// Tiles stretched (nearest neighbour) to the cell size, each made once per series and repaint:
// a view shows the same few tiles many times.
class TileStamps {
  public:
    TileStamps(int cw, int ch) : cw_(cw), ch_(ch) {
        for (int d = 0; d < cw; ++d) source_x_.push_back(d * kTileSize / cw);
        for (int d = 0; d < ch; ++d) source_y_.push_back(d * kTileSize / ch);
    }
    // The next series' tiles are other pictures; the stamps made so far stay.
    void Forget() { made_.fill(-1); }
    const std::uint32_t* Pixels(int stamp) const {
        return pixels_.data() + static_cast<std::size_t>(stamp) * cw_ * ch_;
    }
    // Tile byte `tile` of a full bitmap, where each orientation has its own quarter.
    int FromFullBitmap(const SlotPicture& full, int tile) {
        const int left = kTileTables.full_left[static_cast<std::size_t>(tile)];
        const int top = kTileTables.full_top[static_cast<std::size_t>(tile)];
        return Make(tile, full.pixels.data() + top * kFullBitmapSize + left, kFullBitmapSize);
    }
    // A working tile turned by the tile byte's orientation (the cache's RotateTile), stretched.
    int FromWorkingTile(TextureCache& textures, int tile) {
        const int made = made_[static_cast<std::size_t>(tile)];
        if (made >= 0) return made;
        textures.RotateTile(kTileTables.texture_index[static_cast<std::size_t>(tile)], tile % 4);
        return Make(tile, textures.ScratchTile().pixels.data(), kTileSize);
    }

  private:
    // The tile whose rows start `stride` pixels apart from `first`, stretched to the cell.
    int Make(int tile, const std::uint32_t* first, int stride) {
        const std::size_t size = static_cast<std::size_t>(cw_) * ch_;
        int& index = made_[static_cast<std::size_t>(tile)];
        if (index >= 0) return index;
        index = static_cast<int>(pixels_.size() / size);
        pixels_.resize(pixels_.size() + size);
        std::uint32_t* out = pixels_.data() + static_cast<std::size_t>(index) * size;
        for (int dy = 0; dy < ch_; ++dy, out += cw_) {
            const std::uint32_t* row = first + source_y_[static_cast<std::size_t>(dy)] * stride;
            for (int dx = 0; dx < cw_; ++dx) out[dx] = row[source_x_[static_cast<std::size_t>(dx)]];
        }
        return index;
    }

    int cw_, ch_;
    std::vector<int> source_x_, source_y_;
    std::array<int, kTileByteCount> made_{};
    std::vector<std::uint32_t> pixels_;
};

class Painter {
  public:
    Painter(const Document& doc, const ViewState& view, const RenderSettings& settings,
            Raster& raster)
        : doc_(doc), island_(doc.island), view_(view), settings_(settings), raster_(raster) {
        cw_ = CellSize(view_).width;
        ch_ = CellSize(view_).height;
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
                            static_cast<int>(view_.layer),
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

    // Outlines of every visible cell in the colour of its height (or the marking colour),
    // except the cells `skip` names.
    template <class Skip>
    void HeightOutlines(const Pens& pens, bool marks, Skip skip) {
        const LayerPixels colour(0);
        for (int j = 0; j < view_.visible_rows; ++j) {
            for (int i = 0; i < view_.visible_columns; ++i) {
                const int x = view_.origin_x + i, y = view_.origin_y + j;
                if (!Layer<std::uint8_t>::InRange(x, y) || skip(x, y)) continue;
                const bool marked = marks && island_.mark.get(x, y) != 0;
                Frame(x, y, 1, 1, marked ? pens.marked : colour(island_.height.get(x, y)));
            }
        }
    }
    void HeightOutlines(const Pens& pens, bool marks) {
        HeightOutlines(pens, marks, [](int, int) { return false; });
    }

    // The graphic tiles as pictures: resident series straight from their slot, the others
    // through the working tile set, one series at a time so each is cut once per repaint.
    // Every cell of a used series is covered whole (by its picture or its plain colour), so
    // its outline is only drawn where a wide pen could reach into a neighbour.
    void Pictures(const Pens& pens, TextureCache& textures, bool clear_uncovered) {
        const auto usage = doc_.SeriesUsageCounts();
        auto series_of = [&](int x, int y) {
            return (island_.gfx.get(x, y) >> 8) - kSeriesCodeOffset;
        };
        auto covered = [&](int x, int y) {
            const int series = series_of(x, y);
            return series >= 0 && series < kSeriesIndexCount && usage[series] > 0;
        };
        if (clear_uncovered) {
            // The caller left the cells' rectangle uncleared; pictures cover their cells.
            for (int j = 0; j < view_.visible_rows; ++j) {
                for (int i = 0; i < view_.visible_columns; ++i) {
                    if (!covered(view_.origin_x + i, view_.origin_y + j))
                        raster_.FillRect(i * cw_, j * ch_, (i + 1) * cw_, (j + 1) * ch_, kWhite);
                }
            }
        }
        if (pen_ <= cw_ && pen_ <= ch_) {
            HeightOutlines(pens, false, covered);
        } else {
            HeightOutlines(pens, false);
        }
        // The visible cells of each used series in drawing order, by a counting sort.
        std::array<int, kSeriesIndexCount + 1> first{};
        std::vector<std::pair<int, int>> cells;
        for (int round = 0; round < 2; ++round) {
            std::array<int, kSeriesIndexCount> next{};
            if (round == 1) {
                for (int s = 0; s < kSeriesIndexCount; ++s) first[s + 1] += first[s];
                std::copy(first.begin(), first.end() - 1, next.begin());
                cells.resize(static_cast<std::size_t>(first[kSeriesIndexCount]));
            }
            for (int j = 0; j < view_.visible_rows; ++j) {
                for (int i = 0; i < view_.visible_columns; ++i) {
                    const int x = view_.origin_x + i, y = view_.origin_y + j;
                    if (!Layer<std::uint8_t>::InRange(x, y) || !covered(x, y)) continue;
                    const int series = series_of(x, y);
                    if (round == 0) {
                        ++first[static_cast<std::size_t>(series) + 1];
                    } else {
                        cells[static_cast<std::size_t>(next[series]++)] = {x, y};
                    }
                }
            }
        }
        // Stamps are made series by series, while the series is set up; they are then laid
        // onto the raster row by row, since rows lie 4 KB apart and a cell's rows at once
        // would keep evicting each other.
        const LayerPixels plain(1);
        TileStamps stamps(cw_, ch_);
        std::vector<int> stamp_of(
            static_cast<std::size_t>(view_.visible_columns) * view_.visible_rows, -1);
        for (int series = 0; series < kSeriesIndexCount; ++series) {
            if (first[series] == first[series + 1]) continue;
            const int slot = textures.SeriesSlotMap()[series];
            const bool cut = slot == 0 && textures.SetupBitmaps(series);
            stamps.Forget();
            for (int k = first[series]; k < first[series + 1]; ++k) {
                const auto [x, y] = cells[static_cast<std::size_t>(k)];
                const int i = x - view_.origin_x, j = y - view_.origin_y;
                const int tile = island_.gfx.get(x, y) & 0xFF;
                // Rows 6 and 7 of a series do not exist; such a cell keeps its plain colour.
                if ((slot == 0 && !cut) || tile >= kTileByteCount) {
                    raster_.FillRect(i * cw_, j * ch_, (i + 1) * cw_, (j + 1) * ch_,
                                     plain(island_.gfx.get(x, y)));
                    continue;
                }
                stamp_of[static_cast<std::size_t>(j) * view_.visible_columns + i] =
                    slot != 0
                        ? stamps.FromFullBitmap(textures.Slot(slot), tile)
                        : stamps.FromWorkingTile(textures, tile);
            }
        }
        LayStamps(stamps, stamp_of);
    }

    // Every cell with a stamp gets it, clipped to the raster, one raster row after the other.
    void LayStamps(const TileStamps& stamps, const std::vector<int>& stamp_of) {
        const int columns = std::min(view_.visible_columns, (Raster::kWidth + cw_ - 1) / cw_);
        const int whole = std::min(columns, Raster::kWidth / cw_);  // not cut by the raster
        const auto row_bytes = static_cast<std::size_t>(cw_) * sizeof(std::uint32_t);
        // A cell row's stamps are looked up once for all of its raster rows.
        std::vector<const std::uint32_t*> firsts(static_cast<std::size_t>(columns));
        for (int j = 0; j < view_.visible_rows && j * ch_ < Raster::kHeight; ++j) {
            const int* row_stamps =
                stamp_of.data() + static_cast<std::size_t>(j) * view_.visible_columns;
            for (int i = 0; i < columns; ++i)
                firsts[i] = row_stamps[i] < 0 ? nullptr : stamps.Pixels(row_stamps[i]);
            for (int dy = 0; dy < ch_ && j * ch_ + dy < Raster::kHeight; ++dy) {
                std::uint32_t* line =
                    raster_.pixels.data() + static_cast<std::size_t>(j * ch_ + dy) * Raster::kWidth;
                const std::size_t offset = static_cast<std::size_t>(dy) * cw_;
                if (cw_ == 16) {
                    for (int i = 0; i < whole; ++i) {
                        if (firsts[i] != nullptr)  // a fixed size: inlined
                            std::memcpy(line + 16 * i, firsts[i] + offset, 16 * sizeof *line);
                    }
                } else {
                    for (int i = 0; i < whole; ++i) {
                        if (firsts[i] != nullptr)
                            std::memcpy(line + i * cw_, firsts[i] + offset, row_bytes);
                    }
                }
                for (int i = whole; i < columns; ++i) {
                    if (firsts[i] != nullptr)
                        std::memcpy(line + i * cw_, firsts[i] + offset,
                                    static_cast<std::size_t>(Raster::kWidth - i * cw_) *
                                        sizeof *line);
                }
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
        const CityState& cities = doc_.cities;
        if (!cities.current || *cities.current >= cities.cities.size()) return;
        const std::int32_t number = cities.cities[*cities.current].number;
        if (number < 0 || number > 0xFFFF) return;  // no grid cell holds it
        const int x_end = std::min(view_.origin_x + view_.visible_columns, kCatchmentSide);
        const int y_end = std::min(view_.origin_y + view_.visible_rows, kCatchmentSide);
        const int y_begin = std::max(view_.origin_y, 0);
        const int x_begin = std::max(view_.origin_x, 0);
        if (y_begin == 0 && y_end == kCatchmentSide && x_begin < x_end) {
            // Whole columns lie one after the other in the grid: one scan over all of them.
            const std::uint16_t* grid = cities.catchment.cells().data();
            const int first = x_begin * kCatchmentSide, last = x_end * kCatchmentSide;
            for (int at = simd::NextEqual(grid, first, last, static_cast<std::uint16_t>(number));
                 at < last;
                 at = simd::NextEqual(grid, at + 1, last, static_cast<std::uint16_t>(number))) {
                const int x = at / kCatchmentSide, y = at % kCatchmentSide;
                if (island_.height.column(x)[y] > 16) Frame(x, y, 1, 1, pens.catchment);
            }
            return;
        }
        for (int x = x_begin; x < x_end; ++x) {
            const std::uint16_t* owners = cities.catchment.cells().data() + x * kCatchmentSide;
            const std::uint8_t* heights = island_.height.column(x);  // x, y < 512: in the layer
            for (int y =
                     simd::NextEqual(owners, y_begin, y_end, static_cast<std::uint16_t>(number));
                 y < y_end;
                 y = simd::NextEqual(owners, y + 1, y_end, static_cast<std::uint16_t>(number))) {
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
            if (object.graphic_id != kMarketplaceGraphic) continue;
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
    const Document& doc_;
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

int RenderMap(const Document& doc, const ViewState& view, const RenderSettings& settings,
              Raster& raster, TextureCache* textures) {
    if (!view.island_shown) return 0;
    const bool pictures = settings.use_tile_bitmaps && textures != nullptr &&
                          view.layer == DisplayLayer::GraphicTiles && view.part_index >= 0;
    // What the cells cover anyway is not cleared first; the picture pass clears the cells
    // that get no picture itself.
    const PixelRect covered =
        settings.island_image || settings.height_profile_page ? PixelRect{} : CoveredByCells(view);
    const bool clear_uncovered = covered.left < covered.right && covered.top < covered.bottom;
    if (!settings.height_profile_page)
        raster.FillOutside(covered.left, covered.top, covered.right, covered.bottom, kWhite);
    const Pens pens(settings);
    Painter painter(doc, view, settings, raster);
    if (settings.island_image) {
        painter.HeightOutlines(pens, true);
        painter.Mines(pens);
        return 0;
    }
    if (pictures) {
        painter.Pictures(pens, *textures, clear_uncovered);
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

std::vector<std::uint32_t> DrawOverviewImage(const IslandMap& island, DisplayLayer layer) {
    const int width = island.record.width, height = island.record.height;
    std::vector<std::uint32_t> image(static_cast<std::size_t>(kOverviewSide) * kOverviewSide,
                                     ToPixel(0xFFFFFF));
    if (width <= 0 || height <= 0) return image;
    const LayerPixels colour(static_cast<int>(layer));
    for (int py = 0; py < kOverviewSide; ++py) {
        const int y = std::min(Sample(py, height), kLayerSide - 1);
        for (int px = 0; px < kOverviewSide; ++px) {
            const int x = std::min(Sample(px, width), kLayerSide - 1);
            image[static_cast<std::size_t>(py) * kOverviewSide + px] =
                colour(island.height.get(x, y));
        }
    }
    return image;
}

}  // namespace insel
