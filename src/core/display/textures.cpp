#include "core/display/textures.h"

#include <new>
#include <utility>

#include "core/app/key_notation.h"

namespace insel {
namespace {

constexpr TileTables BuildTileTables() {
    TileTables t{};
    const auto& off = kTileOffsets;
    for (int w = 0; w < 6; ++w) {
        for (int c = 0; c < 6; ++c) {
            const int block = (w / 3) * 2 + c / 3;
            const auto index = static_cast<std::uint8_t>(9 * block + 3 * (w % 3) + c % 3);
            // One quarter of the full bitmap per orientation, each already turned.
            const int left[4] = {off[c], 256 + off[5 - w], off[5 - c], 256 + off[w]};
            const int top[4] = {off[w], off[c], 256 + off[5 - w], 256 + off[5 - c]};
            for (int r = 0; r < 4; ++r) {
                const int byte = w * 32 + c * 4 + r;
                t.full_left[byte] = static_cast<std::uint16_t>(left[r]);
                t.full_top[byte] = static_cast<std::uint16_t>(top[r]);
                t.texture_index[byte] = index;
            }
        }
    }
    return t;
}

bool ValidSeries(int series) { return series >= 0 && series < kSeriesIndexCount; }

// Qt's RGB32 keeps the alpha byte at 0xFF; the renderer copies these pixels as they are.
constexpr std::uint32_t kOpaque = 0xFF000000u;

}  // namespace

const TileTables kTileTables = BuildTileTables();

const std::array<std::array<std::uint8_t, 10>, kIslandTypeCount> kIslandTypeBestSeries = {{
    {0x0D, 0x17, 0x19, 0x0B, 0x1A, 0x42, 0x20, 0x70, 0x40, 0x4B},
    {0x21, 0x52, 0x25, 0x22, 0x79, 0x27, 0x23, 0x53, 0x26, 0x29},
    {0x0D, 0x17, 0x1A, 0x19, 0x0B, 0x42, 0x20, 0x1E, 0x40, 0x48},
    {0x21, 0x25, 0x23, 0x22, 0x27, 0x28, 0x52, 0x31, 0x2C, 0x7D},
    {0x21, 0x25, 0x22, 0x27, 0x23, 0x26, 0x52, 0x2C, 0x8E, 0x2B},
    {0x1A, 0x61, 0x64, 0x63, 0x5F, 0x17, 0x5D, 0x66, 0x62, 0x67},
}};

const std::array<const char*, 13> kPreloadWarningLines = {
    "Anzahl im Speicher residenter Texturen",
    " ",
    "Jede dieser Texturen braucht extrem",
    "viel Speicher. Bei zu hoher Anzahl",
    "Texturen können undefinierbare Probleme",
    "zur Laufzeit auftreten, das Programm",
    "kann abstürzten oder falsch reagieren",
    " ",
    "Für ein System mit 512 Mbyte können",
    "in etwa 10 Texturen benützt werden",
    " ",
    "Lassen Sie kein anderes Programm laufen,",
    "das ebenfalls viel Speicher braucht.",
};

std::string SeriesCode(int series) { return ValueToHex((series + kSeriesCodeOffset) & 0xFF); }

std::string BaseBitmapName(int series) { return "Series" + SeriesCode(series) + "xx.bmp"; }
std::string FullBitmapName(int series) { return "Series" + SeriesCode(series) + "xxFull.bmp"; }

std::filesystem::path BaseBitmapPath(const std::filesystem::path& program_folder, int series) {
    return program_folder / "GFXImages" / BaseBitmapName(series);
}

std::filesystem::path FullBitmapPath(const std::filesystem::path& program_folder, int series) {
    return program_folder / "GFXImages" / FullBitmapName(series);
}

std::vector<int> BestSeriesOfIslandType(int island_type, int rows) {
    std::vector<int> out;
    if (island_type < 0 || island_type >= kIslandTypeCount) return out;
    const auto& best = kIslandTypeBestSeries[static_cast<std::size_t>(island_type)];
    for (int i = 0; i < rows && i < 10; ++i)
        out.push_back(best[static_cast<std::size_t>(i)] - kSeriesCodeOffset);
    return out;
}

std::vector<std::string> SeriesListItems(const std::vector<std::string>& gfx_items) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < gfx_items.size(); i += 4) {
        std::string item = gfx_items[i];
        // "0B 00 text" loses "00 " and keeps "0B text".
        if (item.size() > 3) item.erase(3, 3);
        items.push_back(std::move(item));
    }
    return items;
}

int SeriesOfListItem(std::string_view item) {
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (item.size() < 2 || digit(item[0]) < 0 || digit(item[1]) < 0) return -1;
    const int series = digit(item[0]) * 16 + digit(item[1]) - kSeriesCodeOffset;
    return ValidSeries(series) ? series : -1;
}

std::vector<std::string> MemoryStatusLines(const HeapStatus& s, bool long_form) {
    std::vector<std::string> lines;
    auto line = [&lines](const char* name, std::uint64_t value) {
        lines.push_back(std::string(name) + " " + std::to_string(value));
    };
    if (long_form) {
        line("TotalUncommitted", s.total_uncommitted);
        line("TotalCommitted", s.total_committed);
        line("FreeSmall", s.free_small);
        line("Unused", s.unused);
        line("Overhead", s.overhead);
    }
    lines.emplace_back("-");
    line("TotalAddrSpace", s.total_addr_space);
    line("TotalAllocated", s.total_allocated);
    line("TotalFree", s.total_free);
    lines.emplace_back("-");
    return lines;
}

TextureCache::TextureCache(std::filesystem::path program_folder, PictureLoader loader)
    : program_folder_(std::move(program_folder)), loader_(std::move(loader)) {}

bool TextureCache::SeriesUnavailable(int series) const {
    return ValidSeries(series) && unavailable_[static_cast<std::size_t>(series)];
}

bool TextureCache::SetupBitmaps(int series) {
    if (!ValidSeries(series) || unavailable_[static_cast<std::size_t>(series)]) return false;
    // The renderer asks once per non-resident series per repaint; the tiles are already cut.
    if (series == current_series_) return true;

    const std::filesystem::path path = BaseBitmapPath(program_folder_, series);
    std::optional<Picture> picture = loader_ ? loader_(path) : std::nullopt;
    const bool usable =
        picture && picture->width >= kBaseBitmapSize && picture->height >= kBaseBitmapSize &&
        picture->pixels.size() >= static_cast<std::size_t>(picture->width) * picture->height;
    if (!usable) {
        // Reported once: the paint handler would otherwise repeat it on every repaint.
        unavailable_[static_cast<std::size_t>(series)] = true;
        log.push_back(
            "ID " + SeriesCode(series) + ": " + BaseBitmapName(series) +
            (picture ? " unbrauchbar, einfarbig gezeichnet" : " fehlt, einfarbig gezeichnet"));
        return false;
    }

    for (int b = 0; b < 4; ++b) {
        const int block_left = (b % 2) * 128, block_top = (b / 2) * 128;
        for (int k = 0; k < 9; ++k) {
            const int left = block_left + kTileOffsets[static_cast<std::size_t>(k % 3)];
            const int top = block_top + kTileOffsets[static_cast<std::size_t>(k / 3)];
            TilePicture& tile = tiles_[static_cast<std::size_t>(9 * b + k)];
            for (int y = 0; y < kTileSize; ++y) {
                const std::uint32_t* src = picture->pixels.data() +
                                           static_cast<std::size_t>(top + y) * picture->width +
                                           left;
                std::uint32_t* dst = tile.pixels.data() + static_cast<std::size_t>(y) * kTileSize;
                for (int x = 0; x < kTileSize; ++x) dst[x] = src[x] | kOpaque;
            }
        }
    }
    current_series_ = series;
    return true;
}

void TextureCache::RotateTile(int texture_index, int orientation) {
    if (texture_index < 0 || texture_index >= kTileCount) return;
    const TilePicture& src = tiles_[static_cast<std::size_t>(texture_index)];
    constexpr int m = kTileSize - 1;
    // Source row y lands on the scratch tile from `first` on, one pixel `step` apart: a
    // column turned or a row read backwards, with no test per pixel.
    const int orientation_index = orientation & 3;
    const int step = orientation_index == 0   ? 1
                     : orientation_index == 1 ? kTileSize
                     : orientation_index == 2 ? -1
                                              : -kTileSize;
    std::uint32_t* const scratch = scratch_.pixels.data();
    for (int y = 0; y < kTileSize; ++y) {
        const int first = orientation_index == 0   ? y * kTileSize
                          : orientation_index == 1 ? m - y
                          : orientation_index == 2 ? (m - y) * kTileSize + m
                                                   : m * kTileSize + y;
        const std::uint32_t* row = src.pixels.data() + static_cast<std::size_t>(y) * kTileSize;
        for (int x = 0, at = first; x < kTileSize; ++x, at += step) scratch[at] = row[x];
    }
}

void TextureCache::AllocatePreloadSlots(int attempted, const HeapStatusSource& heap) {
    series_slot_map_.fill(0);
    log.emplace_back("Alle Texturenbitmaps gelöscht");
    const int n = attempted < kPreloadSlotCount ? attempted : kPreloadSlotCount;
    auto status = [&](bool long_form) {
        if (!heap) return;
        for (std::string& line : MemoryStatusLines(heap(), long_form))
            log.push_back(std::move(line));
    };
    status(true);
    slots_.reserve(kPreloadSlotCount);
    // Existing slots stay and keep their pictures; the count follows what really exists.
    for (int i = AllocatedSlots() + 1; i <= n; ++i) {
        try {
            slots_.emplace_back();
        } catch (const std::bad_alloc&) {
            log.push_back("nach " + std::to_string(i) + " Bitmaps outofmem ");
            break;
        }
        status(false);
    }
    log.push_back(std::to_string(attempted) + " Texturenbitmaps erzeugt");
}

void TextureCache::PreloadTextures(const PreloadChoice& choice) {
    log.clear();
    std::array<bool, kPreloadSlotCount + 1> busy{};
    log.emplace_back("Loading Textures");

    const int listed_rows = static_cast<int>(choice.listed.size());
    for (int i = 0; i < listed_rows; ++i) {
        const int s = choice.listed[static_cast<std::size_t>(i)];
        if (ValidSeries(s))
            log.push_back(SeriesCode(s) + "  gelistet bei " + std::to_string(i + 1));
    }
    auto listed = [&](int s) {
        for (int chosen : choice.listed)
            if (chosen == s) return true;
        return false;
    };

    for (int s = 0; s < kSeriesIndexCount; ++s) {
        std::uint8_t& slot = series_slot_map_[static_cast<std::size_t>(s)];
        if (slot == 0) continue;
        if (listed(s)) {
            log.push_back("ID " + SeriesCode(s) + " immer noch da");
            busy[slot] = true;
        } else {
            log.push_back(" ID " + SeriesCode(s) + "  gelöscht");
            slot = 0;  // the picture stays, the slot is free again
        }
    }

    // Only slots that exist; rows past the listed ones have no series of their own.
    const int rows = choice.attempted < AllocatedSlots() ? choice.attempted : AllocatedSlots();
    for (int i = 1; i <= rows; ++i) {
        const int s = i <= listed_rows ? choice.listed[static_cast<std::size_t>(i - 1)] : -1;
        const bool selected = ValidSeries(s) && (choice.auto_preload ||
                                                 choice.ticked[static_cast<std::size_t>(i - 1)]);
        if (!selected) {
            log.push_back("Slot " + std::to_string(i) + " nicht gewählt");
            continue;
        }
        std::uint8_t& slot = series_slot_map_[static_cast<std::size_t>(s)];
        if (slot != 0) {
            log.push_back(std::to_string(s) + "  schon in " + std::to_string(slot));
            continue;
        }
        int free_slot = 0;
        for (int k = 1; k <= AllocatedSlots(); ++k) {
            if (!busy[static_cast<std::size_t>(k)]) {
                free_slot = k;
                break;
            }
        }
        if (free_slot == 0) {
            log.push_back("Kein freier Slot für ID " + SeriesCode(s));
            continue;
        }
        const std::string name = FullBitmapName(s);
        std::optional<Picture> picture =
            loader_ ? loader_(FullBitmapPath(program_folder_, s)) : std::nullopt;
        if (!picture || picture->width < kFullBitmapSize || picture->height < kFullBitmapSize ||
            picture->pixels.size() < static_cast<std::size_t>(picture->width) * picture->height) {
            // Not entered: the slot stays free and the series is drawn from its base bitmap.
            log.push_back("File " + name + " nicht lesbar");
            continue;
        }
        busy[static_cast<std::size_t>(free_slot)] = true;
        slot = static_cast<std::uint8_t>(free_slot);
        log.push_back("File " + name + "  als nr " + std::to_string(free_slot));
        SlotPicture& target = slots_[static_cast<std::size_t>(free_slot - 1)];
        for (int y = 0; y < kFullBitmapSize; ++y) {
            const std::uint32_t* src =
                picture->pixels.data() + static_cast<std::size_t>(y) * picture->width;
            std::uint32_t* dst =
                target.pixels.data() + static_cast<std::size_t>(y) * kFullBitmapSize;
            for (int x = 0; x < kFullBitmapSize; ++x) dst[x] = src[x] | kOpaque;
        }
    }
}

}  // namespace insel
