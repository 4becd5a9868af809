#pragma once
// Terrain elements (plants, useful plants, rocks, wrecks): choosing one from the terrain list,
// inserting, deleting, replacing and listing them, colouring them, scattering them at random
// and clearing them by height or kind.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/tools/listing.h"

namespace insel {

struct Definitions;
struct Editor;
struct IslandMap;
struct Status;
struct ToolState;
struct ViewState;

inline constexpr int kTerrainIdMask = 0x3FFF;  // bits 14 and 15 hold the orientation
inline constexpr int kMaxTerrainId = kTerrainIdMask;
inline constexpr int kOrientationUnit = 16384;

// The cell key without its orientation.
inline int TerrainId(int word) { return word & kTerrainIdMask; }
inline int TerrainOrientation(int word) { return (word >> 14) & 3; }

// Field `index` (from 0) of a comma-separated list item; empty when it has fewer fields.
std::string ItemField(const std::string& item, int index);
// A decimal number with optional blanks around it; none for anything else.
std::optional<long long> ParseDecimal(const std::string& text);

// Plants below 500 and useful plants 700..799 stand at the height of the ground under them.
bool TakesGroundHeight(int id);

// What the page shows for an element: the id as decimal text and the default growth and height
// texts of its list line ("y5", "x0": placeholders the typed word replaces).
struct TerrainChoice {
    int id = 0;
    std::string id_text;
    std::string growth_text;
    std::string height_text;
};

// Item `item` of the terrain list; FormatError when its id is not a number.
TerrainChoice ChooseTerrainItem(const Definitions& definitions, int item);
// The first item with element number `id`, or -1.
int FindTerrainItem(const Definitions& definitions, int id);

// Reads a decimal element id typed into `field`; FormatError naming the field when it is not
// a number in 0..16383 (larger ids would spill into the orientation bits).
int ParseTerrainId(const std::string& text, const std::string& field);
// The second word of an inserted element: growth in the low byte, height in the high byte, from
// two hexadecimal texts whose first "y" (growth) reads as 0 and first "x" (height) as 3.
int ParseTypedWord(const std::string& growth_text, const std::string& height_text);

// The element a click found, for the page to show.
struct ClickedTerrain {
    int id = 0;
    int orientation = 0;
    int growth = 0;
    int height = 0;
    int item = -1;  // first terrain list item with the id, -1 when none
};

// The vegetation tool's state: the last listing's key and the last clicked element.
struct TerrainToolState {
    int listed_element = 0;
    bool listed_any_orientation = true;
    std::optional<ClickedTerrain> clicked;
};

// The click chain's look-up: the element at (x, y) into the tool state.
void LoadTerrainElementAt(ToolState& tools, const IslandMap& island, const Definitions& definitions,
                          int x, int y);

// Cells left..right x top..bottom, inclusive.
struct CellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The cells the frame covers for an insert: from the cell under its top-left pixel, as many as
// the width and height spins say.
CellRect FrameInsertRect(const ToolState& tools, const ViewState& view, const IslandMap& island,
                         Status& status);

struct InsertOptions {
    int id = 0;
    int orientation = 0;  // 0..3
    int typed_word = 0;   // from ParseTypedWord
    bool growth_adjust = true;
};
// Every cell of `rect` gets the element. With growth_adjust, elements that stand on the ground
// take the height of the rectangle's top-left cell. Returns the number of cells written.
int InsertTerrainElement(IslandMap& island, const CellRect& rect, const InsertOptions& options);

// The removals return how many columns of the island they changed (0: nothing).

// Removes every element with `id` (any orientation); the parameter words stay.
int DeleteTerrainId(IslandMap& island, int id);

struct ClearOptions {
    bool plants_only = false;  // ids below 1000 (below 700 with keep_useful)
    bool keep_useful = false;  // keep 700..759
    bool useful_only = false;  // only 700..759
};
// Removes elements over the island as the options choose; the parameter words stay.
int ClearTerrain(IslandMap& island, const ClearOptions& options);

// Every element `old_id` becomes `new_id` with orientation 0.
int ReplaceTerrainId(IslandMap& island, int old_id, int new_id);

// One line per cell holding the key (x outer, y inner): "GG HH", x, y and the ground height,
// separated by tabs. `key` includes the orientation unless `any_orientation`.
std::vector<ListingRow> ListTerrainElement(const IslandMap& island, int key, bool any_orientation);

// Replaces the colour of item `item` in the terrain list (the text after the first
// semicolon). False when there is no such item.
bool AssignTerrainColour(Definitions& definitions, int item, std::uint32_t colour);

// The band of the distribution, as two corners in any order.
struct Band {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int left() const { return std::min(x1, x2); }
    int right() const { return std::max(x1, x2); }
    int top() const { return std::min(y1, y2); }
    int bottom() const { return std::max(y1, y2); }
};
// Reads the four band texts; none when any is empty; FormatError naming the text that is not
// a number.
std::optional<Band> ParseBand(const std::string& x1, const std::string& y1, const std::string& x2,
                              const std::string& y2);

struct DistributeOptions {
    int id = 0;
    int count = 50;
    int min_height = 48, max_height = 48;
    std::optional<int> orientation;  // none: a random one per element
    bool overwrite = false;
    bool not_under_objects = true;
    bool keep_useful = false;
    bool growth_adjust = true;
    int typed_word = 0;
    std::optional<Band> band;  // none: the whole island; x2 and y2 themselves are never chosen
    std::chrono::milliseconds time_limit{5000};
};

// What the caller's callback says after each try: go on, stop at the user's request, or the
// window's timer ran out.
enum class DistributeSignal { Go, Cancel, TimeUp };

struct DistributeResult {
    int placed = 0;
    long long attempts = 0;
    bool timed_out = false;
    bool cancelled = false;
    std::string message;  // for the user; empty when there is nothing to say
};
inline constexpr const char* kDistributeTimeUpMessage =
    "Timer aborted operation (Not enough free space found)";

// Scatters elements at random; ends when `count` are placed, after count x count attempts on
// free cells, at the time limit or when `progress` says so. `progress` gets the number placed
// so far; the window processes its events in it.
DistributeResult DistributeElements(IslandMap& island, const DistributeOptions& options,
                                    std::mt19937& random,
                                    const std::function<DistributeSignal(int placed)>& progress);

// Removes elements whose ground height is `height` inside the band (inclusive) with their
// parameter words.
int ClearPlantsOfHeight(IslandMap& island, const Band& band, int height);

// Removes wrecks (1594, 1600..1603, any orientation) with their parameter words.
int ClearShipwrecks(IslandMap& island);

// The same operations as steps of the edit history, named after their buttons. They return
// whether the document changed.
bool InsertTerrainStep(Editor& editor, const CellRect& rect, const InsertOptions& options);
bool DeleteTerrainStep(Editor& editor, int id);
bool ClearTerrainStep(Editor& editor, const ClearOptions& options);
bool ReplaceTerrainStep(Editor& editor, int old_id, int new_id);
DistributeResult DistributeStep(Editor& editor, const DistributeOptions& options,
                                std::mt19937& random,
                                const std::function<DistributeSignal(int placed)>& progress);
bool ClearPlantsStep(Editor& editor, const Band& band, int height);
bool ClearShipwrecksStep(Editor& editor);

// The listing into the tool state (ToolState::listing and the listed key).
void ListTerrainIntoTools(ToolState& tools, const IslandMap& island, int key, bool any_orientation);

}  // namespace insel
