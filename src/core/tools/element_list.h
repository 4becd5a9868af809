#pragma once
// Element lists: text files naming placed objects line by line, inserted at an offset as free
// objects or as the buildings of a new town.
//
// A line longer than 5 characters without "$" and "i=" is one element:
//   name,graphic id,y,x[,...],orientation
// (the first field is free text; the orientation, 0..3, is the last field and counts as 0 when
// it is not a number). Other lines are headings; "Volk=N" names the people of the town and
// "Ofsety,X,Y" the offsets the list was made for.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/app/status.h"

namespace insel {

struct Definitions;
struct Document;
struct ToolState;

inline constexpr const char* kNoWarehouseInListMessage =
    "Error : no warehouse/harbour found in list";
inline constexpr const char* kOffsetsUndefinedQuestion =
    "Warning: Ofsets not defined. Continue anyway?";

struct ListedElement {
    int line = 0;  // from 1
    int id = 0;
    int x = 0, y = 0;  // before the offsets
    int orientation = 0;
};

struct ElementList {
    std::vector<ListedElement> elements;
    std::vector<std::string> faults;  // one per malformed line, naming it
    int line_count = 0;
    int people = -1;  // from "Volk=", -1 without
    // The offsets the list names (StadtxOfsetPanel, StadtyOfsetPanel), "?" without.
    std::string offset_x = "?", offset_y = "?";
};

// The lines of a list; malformed element lines are named in `faults` and left out.
ElementList ParseElementList(const std::vector<std::string>& lines);
// The same from a file's bytes (CR LF or LF).
ElementList ParseElementList(std::span<const std::uint8_t> bytes);
// Reads the file; an unreadable file is a FileError.
ElementList ReadElementList(const std::filesystem::path& path);

struct ElementListOptions {
    int left = 0, top = 0;  // OfsetLeftSpin, OfsetTopSpin
    bool town = false;      // InsertStadtBox: the elements found a town
    bool clear_plants = true;
    std::string town_name = "Newtown";  // Windows-1252
};

struct ElementListResult {
    int inserted = 0;
    int skipped = 0;  // malformed lines and elements outside the island
    bool aborted = false;
    std::string message;  // for the user; nothing was inserted
};

// Inserts the list; run it as one step. `after_element` is called after each line with the
// line number and returns false to stop there (what was inserted stays). The log (Memo2) names
// every line that was skipped and says how many.
ElementListResult InsertElementList(Document& doc, ToolState& tools, const Definitions& definitions,
                                    Status& status, const ElementList& list,
                                    const ElementListOptions& options,
                                    const std::function<bool(int line)>& after_element = {});

}  // namespace insel
