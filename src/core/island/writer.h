#pragma once
// Assembles islands in the game's block format in the output buffer.
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/app/status.h"

namespace insel {

struct Document;
struct SaveOptions;
class OutputBuffer;

// The island of the document as it is: game_format true gives an island file (*.scp) with its
// head and goods table; false the head of an extracted-city file and the island with its
// placed objects. The save-time layer shifts are the caller's to apply first (ApplySaveShifts).
void AssembleIsland(const Document& doc, const SaveOptions& options, OutputBuffer& out,
                    LogLines& log, bool game_format = true);

// The head of an extracted-city file: "CTYFORMAT-ADDONLEVEL" and the level digit's code.
void WriteCityFileHead(OutputBuffer& out, int addon_level);

// An empty size x size island of `climate` in the older INSEL4 layout (size at most 256).
void AssembleDummyIsland(OutputBuffer& out, int climate, int size);

// Stores the next free warehouse id in the output's KONTORID block; returns the largest
// KONTID value found.
int RecalculateKontorId(OutputBuffer& out, LogLines& log);

// "Po_064x064_DUMMY.scp" and so on, by climate.
std::string DummyFileName(int size, int climate);

// Saving an island file: the name gets the extension ".scp", becomes the island's name, and
// the assembled file is written atomically. Returns the path written.
std::filesystem::path SaveIslandFile(Document& doc, const SaveOptions& options, OutputBuffer& out,
                                     LogLines& log, const std::filesystem::path& path);

// Assembles the dummy island and writes it atomically.
void SaveDummyIsland(OutputBuffer& out, int climate, int size, const std::filesystem::path& path);

}  // namespace insel
