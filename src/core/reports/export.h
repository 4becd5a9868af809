#pragma once
// The raw island as readable text: one line per land cell, then a legend of the
// graphic tile encoding.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace insel {

struct IslandMap;

// The line of one land cell: "    [5,7] :   96,  0B 44,  05 41,   3". Graphic values give
// high byte first, terrain values low byte first.
std::string RawExportLine(int x, int y, int height, std::uint16_t gfx, std::uint16_t terrain,
                          int fertility);

// Header, one line per cell with a height above 0 (rows of y, x inside), an empty line and
// the legend. Windows-1252 bytes.
std::vector<std::string> RawExportLines(const IslandMap& island);

// Throws FileError; the caller reports it as "Fehler beim Schreiben".
void WriteRawExport(const std::filesystem::path& path, const IslandMap& island);

// The reports build their lines as Windows-1252 bytes, like all game text in the core, so
// they go through WriteTextFile's pass-through mode (TextEncoding::Utf8 leaves bytes as they
// are): converting them to UTF-8 and back would turn the five bytes the code page leaves
// undefined into '?'. CRLF line ends, written atomically.
void WriteWindows1252Lines(const std::filesystem::path& path,
                           const std::vector<std::string>& lines);

}  // namespace insel
