#include "core/reports/export.h"

#include <algorithm>

#include "core/container/file_io.h"
#include "core/document/island_map.h"

namespace insel {
namespace {

// Same digits as ValueToHex gives for one byte; this runs four times per cell of islands up
// to 1024 x 1024, so it appends instead of building strings.
void AppendHexByte(std::string& out, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

}  // namespace

std::string RawExportLine(int x, int y, int height, std::uint16_t gfx, std::uint16_t terrain,
                          int fertility) {
    std::string line;
    line.reserve(48);
    if (x < 100) line += ' ';
    if (x < 10) line += ' ';
    if (y < 100) line += ' ';
    if (y < 10) line += ' ';
    line += '[';
    line += std::to_string(x);
    line += ',';
    line += std::to_string(y);
    line += "] :  ";
    if (height < 100) line += ' ';
    if (height < 10) line += ' ';
    line += std::to_string(height);
    line += ",  ";
    AppendHexByte(line, gfx >> 8);
    line += ' ';
    AppendHexByte(line, gfx & 0xFF);
    line += ",  ";
    AppendHexByte(line, terrain & 0xFF);
    line += ' ';
    AppendHexByte(line, terrain >> 8);
    line += ",  ";
    if (fertility < 10) line += ' ';
    line += std::to_string(fertility);
    return line;
}

std::vector<std::string> RawExportLines(const IslandMap& island) {
    const int width = std::min<int>(island.record.width, kLayerSide);
    const int height = std::min<int>(island.record.height, kLayerSide);
    std::vector<std::string> lines;
    lines.emplace_back("x, y, H\xF6he (>=40: Land), GFX-ID, Gel\xE4nde-ID, Fruchtbarkeit");
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int h = island.height.get(x, y);
            if (h == 0) continue;
            lines.push_back(RawExportLine(x, y, h, island.gfx.get(x, y), island.terrain.get(x, y),
                                          island.fertility.get(x, y)));
        }
    }
    lines.emplace_back();
    lines.emplace_back("GFX-ID: Feldorientierung steht in Einerstelle:");
    lines.emplace_back(
        "0/C = Norden, 1/D = Osten, 2/E = S\xFC"
        "den, 3/F = Westen");
    lines.emplace_back("Basiseinheit der GFX-Felder sind 3*3 Arrays:");
    lines.emplace_back("[0,0]: id   00  id +$04  id +$08");
    lines.emplace_back("[0,1]: id +$20  id +$24  id +$28");
    lines.emplace_back("[0,2]: id +$40  id +$44  id +$48");
    return lines;
}

void WriteRawExport(const std::filesystem::path& path, const IslandMap& island) {
    WriteWindows1252Lines(path, RawExportLines(island));
}

void WriteWindows1252Lines(const std::filesystem::path& path,
                           const std::vector<std::string>& lines) {
    WriteTextFile(path, lines, TextEncoding::Utf8);
}

}  // namespace insel
