#include "samplegen/pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "core/app/key_notation.h"
#include "core/container/file_io.h"
#include "core/display/textures.h"
#include "core/errors.h"
#include "samplegen/pixel_font.h"

namespace insel {
namespace fs = std::filesystem;
namespace {

// The renderer's tile layout. Tiles at 85 and 213 overlap their left neighbour by one pixel,
// which is why every tile's outermost ring has one common colour.
constexpr int kTile = kTileSize;
constexpr std::array<int, 3> kFieldOffset{kTileOffsets[0], kTileOffsets[1], kTileOffsets[2]};

enum class Ground { DeepWater, Shallows, Coast, Beach, Meadow };

struct SeriesLook {
    int code;
    Ground ground;
    QRgb base;
};

// The series the sample island (by height) and the dummy island (0B only) are drawn with.
constexpr std::array<SeriesLook, 5> kSeries{{
    {0x0B, Ground::DeepWater, qRgb(22, 52, 122)},
    {0x0C, Ground::Shallows, qRgb(46, 132, 190)},
    {0x0D, Ground::Coast, qRgb(184, 164, 112)},
    {0x0E, Ground::Beach, qRgb(234, 214, 150)},
    {0x0F, Ground::Meadow, qRgb(76, 150, 56)},
}};

// Palette indices of the series pictures.
constexpr int kBorder = 0;
constexpr int kCodeText = 1;
constexpr int kMarker = 2;
constexpr int kShadow = 3;
constexpr int kPositionText = 4;
constexpr int kFirstShade = 16;
constexpr int kShadeCount = 32;

QRgb Scaled(QRgb colour, double factor) {
    const auto channel = [factor](int v) {
        return std::clamp(static_cast<int>(v * factor + 0.5), 0, 255);
    };
    return qRgb(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)));
}

QVector<QRgb> SeriesPalette(const SeriesLook& series) {
    QVector<QRgb> palette(256, qRgb(0, 0, 0));
    palette[kBorder] = Scaled(series.base, 0.45);
    palette[kCodeText] = qRgb(255, 255, 255);
    palette[kMarker] = qRgb(222, 28, 28);
    palette[kShadow] = qRgb(16, 16, 16);
    palette[kPositionText] = qRgb(255, 232, 70);
    for (int i = 0; i < kShadeCount; ++i)
        palette[kFirstShade + i] = Scaled(series.base, 0.66 + 0.02 * i);
    return palette;
}

QImage NewIndexedImage(int width, int height, const QVector<QRgb>& palette, int fill) {
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        throw Error("cannot create a " + std::to_string(width) + " x " + std::to_string(height) +
                    " picture");
    image.setColorTable(palette);
    image.fill(static_cast<uint>(fill));
    return image;
}

std::uint32_t Hash(int x, int y, int salt) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^
                      static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(salt) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// Texture in tile coordinates, so that it turns together with the tile.
int Shade(Ground ground, int w, int c, int x, int y) {
    const std::uint32_t h = Hash(x, y, w * 6 + c);
    const int noise = static_cast<int>(h % 5) - 2;
    // The four 3 x 3 blocks of the series alternate in brightness.
    int s = ((w / 3 + c / 3) % 2 == 0) ? 12 : 16;
    switch (ground) {
        case Ground::DeepWater:
            s += static_cast<int>(std::lround(4.0 * std::sin(0.42 * y + 0.13 * x))) + noise / 2;
            break;
        case Ground::Shallows:
            s += static_cast<int>(std::lround(3.0 * std::sin(0.55 * y - 0.2 * x))) + noise / 2 +
                 (x + y) / 21;
            break;
        case Ground::Coast:
            s += static_cast<int>(std::lround(2.5 * std::sin(0.35 * (x + y)))) + noise;
            break;
        case Ground::Beach:
            s += noise + ((h >> 8) % 23 == 0 ? -9 : 0);
            break;
        case Ground::Meadow:
            s += 2 * noise + ((h >> 8) % 7 == 0 ? 6 : 0);
            break;
    }
    return kFirstShade + std::clamp(s, 0, kShadeCount - 1);
}

void DrawLabel(QImage& image, int left, int top, const std::string& text, int scale, int colour) {
    DrawText(image, left + 1, top + 1, text, scale, kShadow);
    DrawText(image, left, top, text, scale, colour);
}

// Tile (w, c) of a series, orientation 0: texture, a one-pixel border, a red corner marker at
// the top left (shows the orientation once turned), the series code and the row and column digits.
QImage RenderTile(const SeriesLook& series, const QVector<QRgb>& palette, int w, int c) {
    QImage tile = NewIndexedImage(kTile, kTile, palette, kBorder);
    for (int y = 1; y < kTile - 1; ++y) {
        std::uint8_t* line = tile.scanLine(y);
        for (int x = 1; x < kTile - 1; ++x) {
            int index = Shade(series.ground, w, c, x, y);
            if (x >= 2 && y >= 2 && (x - 2) + (y - 2) <= 8) index = kMarker;
            line[x] = static_cast<std::uint8_t>(index);
        }
    }
    const std::string code = ValueToHex(series.code);
    const std::string position = std::to_string(w) + std::to_string(c);
    DrawLabel(tile, (kTile - TextWidth(code, 2)) / 2, 10, code, 2, kCodeText);
    DrawLabel(tile, (kTile - TextWidth(position, 2)) / 2, 25, position, 2, kPositionText);
    return tile;
}

// Quarter turns clockwise, pixel for pixel the way the renderer turns a tile it cut itself.
QImage TurnTile(const QImage& tile, int r) {
    if (r == 0) return tile;
    QImage turned = tile.copy();
    constexpr int m = kTile - 1;
    for (int y = 0; y < kTile; ++y) {
        const std::uint8_t* source = tile.constScanLine(y);
        for (int x = 0; x < kTile; ++x) {
            int tx = x, ty = y;
            if (r == 1) tx = m - y, ty = x;
            if (r == 2) tx = m - x, ty = m - y;
            if (r == 3) tx = y, ty = m - x;
            turned.scanLine(ty)[tx] = source[x];
        }
    }
    return turned;
}

void Blit(QImage& target, const QImage& source, int left, int top) {
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* from = source.constScanLine(y);
        std::copy(from, from + source.width(), target.scanLine(top + y) + left);
    }
}

void SaveBitmap(const QImage& image, const fs::path& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) throw FileError("cannot encode " + path.string());
    WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())));
}

void WriteSeries(const SeriesLook& series, const fs::path& folder) {
    const QVector<QRgb> palette = SeriesPalette(series);
    std::array<std::array<QImage, 6>, 6> tiles;
    for (int w = 0; w < 6; ++w)
        for (int c = 0; c < 6; ++c) tiles[w][c] = RenderTile(series, palette, w, c);
    const int index = series.code - kSeriesCodeOffset;
    const std::string code = SeriesCode(index);

    QImage base = NewIndexedImage(kBaseBitmapSize, kBaseBitmapSize, palette, kBorder);
    for (int w = 0; w < 6; ++w)
        for (int c = 0; c < 6; ++c) Blit(base, tiles[w][c], kTileOffsets[c], kTileOffsets[w]);
    SaveBitmap(base, folder / BaseBitmapName(index));

    // One quarter per orientation, each tile already turned, at the places the renderer cuts them
    // from: tile byte row * 32 + column * 4 + turns.
    QImage full = NewIndexedImage(kFullBitmapSize, kFullBitmapSize, palette, kBorder);
    for (int w = 0; w < 6; ++w) {
        for (int c = 0; c < 6; ++c) {
            for (int r = 0; r < 4; ++r) {
                const auto tile = static_cast<std::size_t>(w * 32 + c * 4 + r);
                Blit(full, TurnTile(tiles[w][c], r), kTileTables.full_left[tile],
                     kTileTables.full_top[tile]);
            }
        }
    }
    SaveBitmap(full, folder / FullBitmapName(index));

    // Field pictures (orientation 0), named by the tile byte of their first tile: the four field
    // rows of the offset list (00, 20, 40, 60) in the left and in the right half (0C, 2C, ...).
    for (int first_row = 0; first_row < 4; ++first_row) {
        for (const int first_column : {0, 3}) {
            QImage field = NewIndexedImage(128, 128, palette, kBorder);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    Blit(field, tiles[first_row + i][first_column + j], kFieldOffset[j],
                         kFieldOffset[i]);
            const std::string first_tile = ValueToHex(first_row * 32 + first_column * 4);
            SaveBitmap(field, folder / ("Series" + code + first_tile + ".bmp"));
        }
    }
}

// ---- element pictures ----

enum class ElementKind { Plant, River, Building, Object, Missing };

constexpr int kElementSize = 48;
constexpr int kElementBackground = 0;
constexpr int kElementFrame = 1;
constexpr int kElementText = 2;
constexpr int kElementShadow = 3;
constexpr int kElementEmblem = 4;
constexpr int kElementEmblemDark = 5;

QVector<QRgb> ElementPalette(ElementKind kind) {
    QRgb background = qRgb(0, 0, 0), emblem = qRgb(0, 0, 0), emblem_dark = qRgb(0, 0, 0);
    switch (kind) {
        case ElementKind::Plant:
            background = qRgb(116, 168, 86), emblem = qRgb(30, 96, 36),
            emblem_dark = qRgb(104, 70, 36);
            break;
        case ElementKind::River:
            background = qRgb(150, 196, 226), emblem = qRgb(24, 84, 176),
            emblem_dark = qRgb(24, 84, 176);
            break;
        case ElementKind::Building:
            background = qRgb(214, 190, 150), emblem = qRgb(168, 62, 44),
            emblem_dark = qRgb(120, 96, 70);
            break;
        case ElementKind::Object:
            background = qRgb(176, 170, 196), emblem = qRgb(84, 60, 140),
            emblem_dark = qRgb(84, 60, 140);
            break;
        case ElementKind::Missing:
            background = qRgb(200, 200, 200), emblem = qRgb(200, 30, 30),
            emblem_dark = qRgb(200, 30, 30);
            break;
    }
    // A full palette keeps the file at 8 bits per pixel (the encoder packs 16 colours into 4).
    QVector<QRgb> palette(256, qRgb(0, 0, 0));
    palette[kElementBackground] = background;
    palette[kElementFrame] = Scaled(background, 0.55);
    palette[kElementText] = qRgb(255, 255, 255);
    palette[kElementShadow] = qRgb(16, 16, 16);
    palette[kElementEmblem] = emblem;
    palette[kElementEmblemDark] = emblem_dark;
    return palette;
}

void Put(QImage& image, int x, int y, int index) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        image.scanLine(y)[x] = static_cast<std::uint8_t>(index);
}

// A small sign of the element's kind in the upper half (centre x 24, rows 5..22).
void DrawEmblem(QImage& image, ElementKind kind) {
    switch (kind) {
        case ElementKind::Plant:  // a fir: triangle over a trunk
            for (int y = 5; y <= 18; ++y)
                for (int x = 24 - (y - 5) / 2 - 1; x <= 24 + (y - 5) / 2; ++x)
                    Put(image, x, y, kElementEmblem);
            for (int y = 19; y <= 22; ++y)
                for (int x = 23; x <= 24; ++x) Put(image, x, y, kElementEmblemDark);
            break;
        case ElementKind::River:  // two waves
            for (int x = 8; x < 40; ++x) {
                const int dy = static_cast<int>(std::lround(2.5 * std::sin(x * 0.5)));
                for (const int row : {10, 17})
                    for (int t = 0; t < 2; ++t) Put(image, x, row + dy + t, kElementEmblem);
            }
            break;
        case ElementKind::Building:  // a house: roof over walls with a door
            for (int y = 5; y <= 12; ++y)
                for (int x = 24 - (y - 5) - 1; x <= 24 + (y - 5); ++x)
                    Put(image, x, y, kElementEmblem);
            for (int y = 13; y <= 22; ++y)
                for (int x = 17; x <= 30; ++x)
                    Put(image, x, y,
                        (x >= 22 && x <= 25 && y >= 17) ? kElementShadow : kElementEmblemDark);
            break;
        case ElementKind::Object:  // a diamond
            for (int y = 5; y <= 22; ++y) {
                const int half = 9 - std::abs(y - 13);
                for (int x = 24 - half; x < 24 + half; ++x) Put(image, x, y, kElementEmblem);
            }
            break;
        case ElementKind::Missing:  // a cross: no picture of its own
            for (int i = 0; i < 16; ++i)
                for (int t = 0; t < 2; ++t) {
                    Put(image, 16 + i + t, 6 + i, kElementEmblem);
                    Put(image, 31 - i + t, 6 + i, kElementEmblem);
                }
            break;
    }
}

QImage RenderElement(const std::string& name, ElementKind kind) {
    QImage image =
        NewIndexedImage(kElementSize, kElementSize, ElementPalette(kind), kElementBackground);
    for (int i = 0; i < kElementSize; ++i) {
        Put(image, i, 0, kElementFrame);
        Put(image, i, kElementSize - 1, kElementFrame);
        Put(image, 0, i, kElementFrame);
        Put(image, kElementSize - 1, i, kElementFrame);
    }
    DrawEmblem(image, kind);
    const int scale = TextWidth(name, 2) <= kElementSize - 6 ? 2 : 1;
    DrawText(image, (kElementSize - TextWidth(name, scale)) / 2 + 1, 30 + 1, name, scale,
             kElementShadow);
    DrawText(image, (kElementSize - TextWidth(name, scale)) / 2, 30, name, scale, kElementText);
    return image;
}

// The text before the first comma when it is a plain decimal number, else empty.
std::string LeadingNumber(const std::string& line) {
    const std::string field = line.substr(0, line.find(','));
    if (field.empty() || field.size() > 5) return {};
    for (const char ch : field)
        if (ch < '0' || ch > '9') return {};
    return field;
}

std::map<std::string, ElementKind> ElementPictures(const fs::path& list_folder) {
    std::map<std::string, ElementKind> pictures;
    // Terrain elements: the lookup uses the id text as written; a river element's third
    // character is replaced by "0", so those names are needed too.
    for (const std::string& line : ReadTextFile(list_folder / "Gelaende.txt").lines) {
        const std::string id = LeadingNumber(line);
        if (id.empty()) continue;
        const int number = std::stoi(id);
        if (number >= 2701 && number <= 2740) {
            pictures.emplace(id, ElementKind::River);
            std::string river = id;
            if (river.size() >= 3) river[2] = '0';
            pictures.emplace(river, ElementKind::River);
        } else {
            pictures.emplace(id, ElementKind::Plant);
        }
    }
    for (const std::string& line : ReadTextFile(list_folder / "Buildings.txt").lines) {
        const std::string id = LeadingNumber(line);
        if (!id.empty()) pictures.emplace(id, ElementKind::Building);
    }
    // The picker builds the name from the number's value.
    for (const std::string& line : ReadTextFile(list_folder / "TargetList.txt").lines) {
        const std::string id = LeadingNumber(line);
        if (!id.empty()) pictures.emplace(std::to_string(std::stoi(id)), ElementKind::Object);
    }
    // The lookup shows element 1008 with the picture of 1007.
    if (const auto it = pictures.find("1008"); it != pictures.end())
        pictures.emplace("1007", it->second);
    pictures.emplace("000", ElementKind::Missing);
    return pictures;
}

}  // namespace

void WriteTextureSeries(const fs::path& folder) {
    fs::create_directories(folder);
    for (const SeriesLook& series : kSeries) WriteSeries(series, folder);
}

void WriteElementPictures(const fs::path& folder, const fs::path& list_folder) {
    const auto pictures = ElementPictures(list_folder);
    fs::create_directories(folder);
    for (const auto& [name, kind] : pictures)
        SaveBitmap(RenderElement(name, kind), folder / (name + ".bmp"));
}

}  // namespace insel
