#pragma once
// Texture series: how a series is named and found, where each tile sits in its bitmaps, the
// working tile set cut from a base bitmap for series that are not resident, and the preload
// cache of up to 16 full bitmaps the renderer draws from directly.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace insel {

// A decoded picture as the platform hands it over.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB rows, top to bottom
};

// Returns nothing when the file is missing or cannot be decoded.
using PictureLoader = std::function<std::optional<Picture>(const std::filesystem::path&)>;

inline constexpr int kTileSize = 43;
inline constexpr int kTileCount = 36;
inline constexpr int kTileByteCount = 192;  // six rows of 32 tile bytes
inline constexpr int kSeriesCodeOffset = 11;
inline constexpr int kSeriesIndexCount = 147;  // 0..146, codes 0B..9D
inline constexpr int kSeriesMapSize = 148;
inline constexpr int kBaseBitmapSize = 256;
inline constexpr int kFullBitmapSize = 512;
inline constexpr int kPreloadSlotCount = 16;

// Left/top of tile column or row 0..5 in a 256-pixel quarter; the tiles at 85 and 213 overlap
// their left neighbour by one pixel so that six fit.
inline constexpr std::array<int, 6> kTileOffsets = {0, 43, 85, 128, 171, 213};

struct TileTables {
    std::array<std::uint16_t, kTileByteCount> full_left{};  // in the 512 x 512 full bitmap
    std::array<std::uint16_t, kTileByteCount> full_top{};
    std::array<std::uint8_t, kTileByteCount> texture_index{};  // 0..35, the working tile
};
// Indexed by tile byte (row * 32 + column * 4 + orientation); columns 6 and 7 hold 0.
extern const TileTables kTileTables;

// Two upper-case hex digits of series index + 11, e.g. 0 gives "0B".
std::string SeriesCode(int series);
std::string BaseBitmapName(int series);  // "Series0Bxx.bmp"
std::string FullBitmapName(int series);  // "Series0BxxFull.bmp"
std::filesystem::path BaseBitmapPath(const std::filesystem::path& program_folder, int series);
std::filesystem::path FullBitmapPath(const std::filesystem::path& program_folder, int series);

// The ten best series codes per island type (Nord, Jungle, Tundra, Steppe, Praerie, Polar).
inline constexpr int kIslandTypeCount = 6;
extern const std::array<std::array<std::uint8_t, 10>, kIslandTypeCount> kIslandTypeBestSeries;
// Series indices an island type button puts into rows 1..min(rows, 10); empty for an unknown type.
std::vector<int> BestSeriesOfIslandType(int island_type, int rows);

// The preload window's series lists from the single-tile lines: every fourth line (the first
// tile of each series) without its low-byte key, so item k stands for series index k.
std::vector<std::string> SeriesListItems(const std::vector<std::string>& gfx_items);
// The series index an item of those lists names by its first two characters (the series code
// in hex); -1 when they are not a series code.
int SeriesOfListItem(std::string_view item);

// The preload window's "?" text.
extern const std::array<const char*, 13> kPreloadWarningLines;

// Heap figures of the allocator, supplied by the platform.
struct HeapStatus {
    std::uint64_t total_uncommitted = 0, total_committed = 0, free_small = 0, unused = 0,
                  overhead = 0;
    std::uint64_t total_addr_space = 0, total_allocated = 0, total_free = 0;
};
using HeapStatusSource = std::function<HeapStatus()>;

// The long form carries five more figures ahead of the short form.
std::vector<std::string> MemoryStatusLines(const HeapStatus& status, bool long_form);

struct TilePicture {
    std::array<std::uint32_t, kTileSize * kTileSize> pixels{};
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * kTileSize + x];
    }
};

struct SlotPicture {
    std::vector<std::uint32_t> pixels =
        std::vector<std::uint32_t>(static_cast<std::size_t>(kFullBitmapSize) * kFullBitmapSize);
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * kFullBitmapSize + x];
    }
};

// What the preload window's rows say when a preload runs.
struct PreloadChoice {
    std::vector<int> listed;  // series index of rows 1..N (N = "Find best"); out of range = none
    std::array<bool, kPreloadSlotCount> ticked{};  // row boxes 1..16
    bool auto_preload = false;
    int attempted = 0;  // rows to preload ("Attempted:")
};

class TextureCache {
  public:
    TextureCache(std::filesystem::path program_folder, PictureLoader loader);

    // Makes the working tile set hold `series`. False when the series has no usable base
    // bitmap; such a series is logged once and never read again, the caller draws it plainly.
    bool SetupBitmaps(int series);
    // Turns working tile `texture_index` by `orientation` quarter turns clockwise into the scratch
    // tile.
    void RotateTile(int texture_index, int orientation);

    int CurrentSeries() const { return current_series_; }
    const TilePicture& Tile(int texture_index) const {
        return tiles_[static_cast<std::size_t>(texture_index)];
    }
    const TilePicture& ScratchTile() const { return scratch_; }
    bool SeriesUnavailable(int series) const;

    // Empties the slot map and creates slots 1..min(attempted, 16) that do not exist yet.
    // `heap` may be empty, then no memory lines are logged.
    void AllocatePreloadSlots(int attempted, const HeapStatusSource& heap = {});
    // Keeps listed resident series, frees the rest, loads newly chosen ones lowest free slot first.
    void PreloadTextures(const PreloadChoice& choice);

    int AllocatedSlots() const { return static_cast<int>(slots_.size()); }
    // Slot numbers 1..AllocatedSlots().
    const SlotPicture& Slot(int slot) const { return slots_[static_cast<std::size_t>(slot - 1)]; }
    // Per series index: slot number holding its full bitmap, 0 = not resident.
    const std::array<std::uint8_t, kSeriesMapSize>& SeriesSlotMap() const {
        return series_slot_map_;
    }

    std::vector<std::string> log;  // the preload window's log

  private:
    std::filesystem::path program_folder_;
    PictureLoader loader_;
    int current_series_ = -1;
    std::vector<TilePicture> tiles_ = std::vector<TilePicture>(kTileCount);
    TilePicture scratch_;
    std::array<bool, kSeriesMapSize> unavailable_{};
    std::vector<SlotPicture> slots_;
    std::array<std::uint8_t, kSeriesMapSize> series_slot_map_{};
};

}  // namespace insel
