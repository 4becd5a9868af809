#include "core/tools/tool_frame.h"

#include <algorithm>
#include <charconv>

#include "core/app/status.h"
#include "core/display/view.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/tools/heights.h"

namespace insel {
namespace {

constexpr std::string_view kFrameLetters = "MBUHCOFFAxxN";
constexpr int kLastFramePixelX = 1023;
constexpr int kLastFramePixelY = 510;

int Index(ToolMode mode) { return static_cast<int>(mode); }
bool HasRect(ToolMode mode) { return Index(mode) >= 0 && Index(mode) < kToolModeCount; }

// The mouse fields hold the cell last shown; a text that is no number stops the click.
int ShownNumber(const std::string& text, const char* what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw FormatError("'" + text + "' is not a valid integer value (" + what + ")");
    }
    return value;
}

// Sets the PenSize square at the cell under (px, py) in the mark layer.
bool MarkPenSquareAt(const ToolState& tools, const ViewState& view, IslandMap& island,
                     Status& status, int px, int py) {
    const CellPoint cell = PixelToCell(view, island, status, px, py);
    const IslandRecord& record = island.record;
    if (cell.x < 0 || cell.y < 0 || cell.x >= record.width || cell.y >= record.height) return false;
    MarkPenSquare(island, cell.x, cell.y, tools.pen_size);
    return true;
}

// Mines and quarry spots share their position, not their size.
void FollowPartnerPosition(ToolState& tools, ToolMode mode) {
    const ToolMode partner = mode == ToolMode::Mine         ? ToolMode::QuarrySpot
                             : mode == ToolMode::QuarrySpot ? ToolMode::Mine
                                                            : ToolMode::None;
    if (partner == ToolMode::None) return;
    tools.Selection(partner).left = tools.Selection(mode).left;
    tools.Selection(partner).top = tools.Selection(mode).top;
}

}  // namespace

std::array<SelectionRect, kToolModeCount> ToolState::DefaultSelectionRects() {
    std::array<SelectionRect, kToolModeCount> rects{};
    rects[static_cast<std::size_t>(ToolMode::Tile)] = {1, 1, 3, 3};
    rects[static_cast<std::size_t>(ToolMode::River)] = {1, 1, 3, 3};
    rects[static_cast<std::size_t>(ToolMode::QuarrySpot)] = {1, 1, 4, 3};
    return rects;
}

void ToolState::ResetForNewIsland() {
    mode = ToolMode::None;
    height_profile_page = false;
    legend_value = -1;
    frame_drag_active = false;
    stroke_active = false;
    // A listing or a clicked element of the island before means nothing on this one.
    listing.clear();
    terrain = {};
    river = {};
}

std::string FrameLetter(ToolMode mode) {
    const int m = Index(mode);
    if (m < 1 || m >= kToolModeCount) return {};
    return std::string(1, kFrameLetters[static_cast<std::size_t>(m - 1)]);
}

ToolMode PageToolMode(int page_tag, bool mine_choice) {
    if (page_tag == Index(ToolMode::Mine) && !mine_choice) return ToolMode::QuarrySpot;
    return page_tag >= 0 && page_tag < kToolModeCount ? static_cast<ToolMode>(page_tag)
                                                      : ToolMode::None;
}

void SetToolModeForPage(ToolState& tools, const ViewState& view, IslandMap& island, int page_tag) {
    tools.height_profile_page = page_tag == Index(ToolMode::HeightProfile);
    if (tools.height_profile_page) island.mark.Clear();
    tools.mode = PageToolMode(page_tag, tools.mine_choice);
    ShowToolFrame(tools, view, island);
}

bool SetMineChoice(ToolState& tools, const ViewState& view, const IslandMap& island, bool mines) {
    tools.mine_choice = mines;
    tools.mode = mines ? ToolMode::Mine : ToolMode::QuarrySpot;
    tools.spins.width = mines ? 1 : 4;
    tools.spins.height = mines ? 1 : 3;
    ShowToolFrame(tools, view, island);
    return true;
}

void ShowToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island) {
    const int mode = Index(tools.mode);
    tools.frame_shown = mode >= 1;
    if (mode < 1 || mode >= kToolModeCount) return;
    tools.spins = tools.Selection(tools.mode);
    PlaceToolFrame(tools, view, island);
}

void PlaceToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island) {
    const IslandRecord& record = island.record;
    SelectionRect& s = tools.spins;
    // Pulled back so that the frame ends at the island's edge, but never before its start.
    if (s.left + s.width > record.width) s.left = std::max(0, record.width - s.width);
    if (s.top + s.height > record.height) s.top = std::max(0, record.height - s.height);
    const CellPoint at = CellToPixel(view, island, s.left, s.top).value_or(CellPoint{});
    tools.frame.left = at.x >= 0 && at.x < kCanvasWidth ? at.x : 0;
    tools.frame.top = at.y >= 0 && at.y < kCanvasHeight ? at.y : 0;
    const int mode = std::clamp(Index(tools.mode), 0, kToolModeCount - 1);
    const SelectionRect& size = tools.selection[static_cast<std::size_t>(mode)];
    const CellPixels cell = CellSize(view);
    tools.frame.width = size.width * cell.width;
    tools.frame.height = size.height * cell.height;
}

bool ResizeToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island, bool width,
                     int value) {
    (width ? tools.spins.width : tools.spins.height) = value;
    if (HasRect(tools.mode)) {
        SelectionRect& rect = tools.Selection(tools.mode);
        (width ? rect.width : rect.height) = value;
    }
    ShowToolFrame(tools, view, island);
    return true;
}

std::optional<CellPoint> MoveToolFrameToMouse(ToolState& tools, const ViewState& view,
                                              const IslandMap& island, Status& status) {
    if (!view.island_shown) return std::nullopt;
    const int x = ShownNumber(status.mouse_x, "MouseXPanel");
    const int y = ShownNumber(status.mouse_y, "MouseYPanel");
    tools.spins.left = x;
    tools.spins.top = y;
    PlaceToolFrame(tools, view, island);
    status.frame_x = std::to_string(x);
    status.frame_y = std::to_string(y);
    status.object_height = std::to_string(island.height.get(x, y));
    status.element.clear();

    if (HasRect(tools.mode)) {
        tools.Selection(tools.mode) = tools.spins;
        FollowPartnerPosition(tools, tools.mode);
    }
    return CellPoint{x, y};
}

bool BeginPenStroke(ToolState& tools, const ViewState& view, IslandMap& island, Status& status,
                    int px, int py) {
    if (!view.island_shown || !tools.height_profile_page) return false;
    if (!MarkPenSquareAt(tools, view, island, status, px, py)) return false;
    tools.stroke_active = true;
    return true;
}

bool ContinuePenStroke(const ToolState& tools, const ViewState& view, IslandMap& island,
                       Status& status, int px, int py) {
    if (!view.island_shown || px < 0 || py < 0) return false;
    if (!tools.height_profile_page || !tools.stroke_active) return false;
    return MarkPenSquareAt(tools, view, island, status, px, py);
}

void EndPenStroke(ToolState& tools) { tools.stroke_active = false; }

bool MarkTracedCell(const ViewState& view, IslandMap& island, Status& status, int px, int py) {
    if (!view.island_shown || px < 0 || py < 0) return false;
    const CellPoint cell = PixelToCell(view, island, status, px, py);
    const IslandRecord& record = island.record;
    if (cell.x < 0 || cell.y < 0 || cell.x >= record.width || cell.y >= record.height) return false;
    MarkPenSquare(island, cell.x, cell.y, 1);
    return true;
}

bool BeginFrameDrag(ToolState& tools, const ViewState& view, bool left_button) {
    if (!view.island_shown || !left_button) return false;
    const ToolMode mode = tools.mode;
    if (mode != ToolMode::HeightProfile && mode != ToolMode::BlockBuffer &&
        mode != ToolMode::Fertility) {
        return false;
    }
    tools.frame_drag_active = true;
    return true;
}

std::optional<FramePixels> DragFrameCorner(ToolState& tools, const ViewState& view, int mx,
                                           int my) {
    if (!view.island_shown || !tools.frame_drag_active || tools.frame_size_locked) return {};
    tools.frame.width = std::min(std::abs(mx), kLastFramePixelX - tools.frame.left);
    tools.frame.height = std::min(std::abs(my), kLastFramePixelY - tools.frame.top);
    return tools.frame;
}

bool StoreFrame(ToolState& tools, const ViewState& view, const IslandMap& island, Status& status) {
    if (!view.island_shown) return false;
    tools.frame_drag_active = false;
    const FramePixels& f = tools.frame;
    const FrameCells cells =
        CellsUnderFrame(view, island, status, f.left, f.top, f.width, f.height);
    tools.spins = {cells.left, cells.top, cells.right - cells.left, cells.bottom - cells.top};
    if (HasRect(tools.mode)) tools.Selection(tools.mode) = tools.spins;
    if (tools.mode == ToolMode::BlockBuffer) {
        tools.block = {cells.left, cells.top, cells.right, cells.bottom};
    }
    status.frame_x = std::to_string(cells.left);
    status.frame_y = std::to_string(cells.top);
    return true;
}

FrameApplyResult ApplyFrame(ToolState& tools, ViewState& view, IslandMap& island, Status& status,
                            int list_value) {
    if (!view.island_shown) return {};
    const ToolMode mode = tools.mode;
    const CellPoint corner = PixelToCell(view, island, status, tools.frame.left, tools.frame.top);
    const BlockRect rect{corner.x, corner.y, corner.x + tools.spins.width - 1,
                         corner.y + tools.spins.height - 1};
    const int value = mode == ToolMode::Fertility ? tools.legend_value : list_value;
    FrameApplyResult result = ApplyFrameCells(tools, island, mode, rect, value);
    if (result.changed && view.part_index < 0) ShowWholeIsland(view, island, status);
    return result;
}

FrameApplyResult ApplyFrameCells(ToolState& tools, IslandMap& island, ToolMode mode,
                                 const BlockRect& rect, int value) {
    FrameApplyResult result;
    if (mode == ToolMode::River) return result;
    // Legend panels past the fertilities stand for heights, which do not paint fertility.
    if (mode == ToolMode::Fertility && value > kHighestFertility) return result;
    tools.block = rect;
    if (mode == ToolMode::Fertility && value < 0) {
        result.message = "Select color in HoehenStatistik first";
        return result;
    }
    if (mode == ToolMode::HeightProfile && (value < 0 || value > 255)) {
        throw BoundsError("height " + std::to_string(value) + " is outside 0..255");
    }
    const bool fills = mode == ToolMode::HeightProfile || mode == ToolMode::Fertility;
    const bool empty = rect.right < rect.left || rect.bottom < rect.top;
    // The whole rectangle is checked first, so a frame reaching past the layers writes nothing.
    if (mode == ToolMode::Vegetation || (fills && !empty)) {
        const int right = mode == ToolMode::Vegetation ? rect.left : rect.right;
        const int bottom = mode == ToolMode::Vegetation ? rect.top : rect.bottom;
        if (!Layer<std::uint8_t>::InRange(rect.left, rect.top) ||
            !Layer<std::uint8_t>::InRange(right, bottom)) {
            throw BoundsError("frame cells " + std::to_string(rect.left) + ", " +
                              std::to_string(rect.top) + " to " + std::to_string(right) + ", " +
                              std::to_string(bottom) + " reach outside the cells 0..1024");
        }
    }

    switch (mode) {
        case ToolMode::Vegetation:
            island.terrain.set(rect.left, rect.top, 0);
            island.terrain_param.set(rect.left, rect.top, 0);
            break;
        case ToolMode::Tile:
            StampFrameField(island, tools.tiles, rect);
            break;
        case ToolMode::HeightProfile:
        case ToolMode::Fertility:
            for (int x = rect.left; x <= rect.right; ++x) {
                for (int y = rect.top; y <= rect.bottom; ++y) {
                    if (mode == ToolMode::HeightProfile) {
                        island.height.set(x, y, static_cast<std::uint8_t>(value));
                    } else {
                        island.fertility.set(x, y, static_cast<std::uint16_t>(value));
                    }
                }
            }
            break;
        default:
            break;
    }
    result.changed = true;
    return result;
}

}  // namespace insel
