#pragma once
// Turns a loaded game file into the island map.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "core/app/status.h"

namespace insel {

struct Definitions;
struct Document;

// Reads the file into `doc` (doc.file_kind says what it is), lists its islands, decodes its
// cities and ends on its first island; the log lines go to the status's logs. Returns what the
// status panels show. On an error `doc` is half decoded: load into a document of its own
// (SuccessorOf) and keep it only when this returns.
LoadSummary LoadIsland(Document& doc, const Definitions& definitions, Status& status,
                       const std::filesystem::path& path);
// The same for bytes already in memory; `file_name` stands in for the file's name.
LoadSummary LoadIslandFromBytes(Document& doc, const Definitions& definitions, Status& status,
                                std::span<const std::uint8_t> bytes, const std::string& file_name);

// Decodes the island whose INSEL tag is the first at or after `start`.
IslandCounts DecodeIsland(Document& doc, const Definitions& definitions, LogLines& log,
                          std::int64_t start);

}  // namespace insel
