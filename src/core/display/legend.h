#pragma once
// The colour legend beside the map: 54 colour panels with a caption and a count label each.
// The window copies this model into its panels; panels not shown keep the button face.
#include <array>
#include <string>

#include "core/display/colours.h"
#include "core/display/view.h"

namespace insel {

struct IslandMap;

inline constexpr int kLegendPanelCount = 54;

struct LegendEntry {
    bool shown = false;  // the panel carries `colour`
    Colour colour = 0;
    std::string caption;  // on the colour panel
    std::string count;    // the label beside it; empty when no cell counts
};

using Legend = std::array<LegendEntry, kLegendPanelCount>;

// Panel of a height value in the whole-island legend: the band of the value among the 54
// banded panels; 255 counts as below the sea and joins panel 0; 241..254 have no panel (-1).
int LegendPanelOfHeight(int height);

// The legend the whole-island view builds: panels carry the values present on the island
// (heights for display layers 0 to 2, fertility for 3) with their cell counts; a later value
// of the same panel replaces an earlier one.
Legend FullIslandLegend(const IslandMap& island, DisplayLayer layer);

// The legend after a change of display layer, zoom or page: band bounds (or fertility values)
// as captions, counts of the shown page's cell block, or of all blocks in the whole view.
// Display layers 1 and 2 leave it empty.
Legend ViewLegend(const IslandMap& island, const ViewState& view);

}  // namespace insel
