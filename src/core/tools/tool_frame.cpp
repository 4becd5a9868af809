#include "core/tools/tool_frame.h"

#include <algorithm>
#include <charconv>

#include "core/app/editor.h"
#include "core/display/view.h"
#include "core/errors.h"

namespace insel {
namespace {

constexpr std::string_view kFrameLetters = "MBUHCOFFAxxN";
constexpr int kLastFramePixelX = 1023;
constexpr int kLastFramePixelY = 510;
constexpr int kHighestFertility = 10;

bool CanAct(const Editor& editor) { return editor.island_shown && !editor.updating; }

// Runs `body` with the Updating flag set, as the frame code changes the spins itself.
template <typename Body>
void WhileUpdating(Editor& editor, Body body) {
    editor.updating = true;
    body();
    editor.updating = false;
}

// The mouse panels hold the cell last shown; a text that is no number stops the click.
int PanelNumber(const Editor& editor, const std::string& name) {
    const auto it = editor.panels.find(name);
    const std::string text = it == editor.panels.end() ? std::string() : it->second;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw FormatError("'" + text + "' is not a valid integer value (" + name + ")");
    }
    return value;
}

// Sets the PenSize square at the cell under (px, py) in the mark layer; cells past the last
// array index are left out.
bool MarkPenSquare(Editor& editor, int px, int py) {
    const CellPoint cell = PixelToCell(editor, px, py);
    const IslandRecord& record = editor.island.record;
    if (cell.x < 0 || cell.y < 0 || cell.x >= record.width || cell.y >= record.height) return false;
    const int pen = editor.tools.pen_size;
    for (int i = 0; i < pen; ++i) {
        for (int j = 0; j < pen; ++j) {
            if (Layer<std::uint8_t>::InRange(cell.x + i, cell.y + j)) {
                editor.island.mark.set(cell.x + i, cell.y + j, 1);
            }
        }
    }
    return true;
}

// Mines and quarry spots share their position, not their size.
void FollowPartnerPosition(ToolFrameState& tools, int mode) {
    const int partner = mode == kMineMode         ? kQuarrySpotMode
                        : mode == kQuarrySpotMode ? kMineMode
                                                  : -1;
    if (partner < 0) return;
    tools.selection[partner].left = tools.selection[mode].left;
    tools.selection[partner].top = tools.selection[mode].top;
}

// Every cell of the rectangle that lies in the layers.
template <typename Visit>
void ForEachCell(const BlockRect& rect, Visit visit) {
    for (int x = std::max(rect.left, 0); x <= rect.right; ++x) {
        for (int y = std::max(rect.top, 0); y <= rect.bottom; ++y) {
            if (Layer<std::uint8_t>::InRange(x, y)) visit(x, y);
        }
    }
}

}  // namespace

std::array<SelectionRect, kToolModeCount> ToolFrameState::DefaultSelectionRects() {
    std::array<SelectionRect, kToolModeCount> rects{};
    rects[kTileMode] = {1, 1, 3, 3};
    rects[kRiverMode] = {1, 1, 3, 3};
    rects[kQuarrySpotMode] = {1, 1, 4, 3};
    return rects;
}

std::string FrameLetter(int mode) {
    if (mode < 1 || mode >= kToolModeCount) return {};
    return std::string(1, kFrameLetters[static_cast<std::size_t>(mode - 1)]);
}

int PageToolMode(int page_tag, bool mine_choice) {
    return page_tag == kMineMode && !mine_choice ? kQuarrySpotMode : page_tag;
}

void PageControl1Change(Editor& editor, int page_tag) {
    editor.height_profile_page = page_tag == kHeightProfileMode;
    if (editor.height_profile_page) editor.island.mark.Clear();
    editor.tool_mode = PageToolMode(page_tag, editor.tools.mine_choice);
    ShowToolFrame(editor);
}

bool RadioButton6Click(Editor& editor, int tag) {
    if (editor.updating) return false;
    ToolFrameState& tools = editor.tools;
    tools.mine_choice = tag == 0;
    editor.tool_mode = tools.mine_choice ? kMineMode : kQuarrySpotMode;
    tools.spins.width = tools.mine_choice ? 1 : 4;
    tools.spins.height = tools.mine_choice ? 1 : 3;
    ShowToolFrame(editor);
    return true;
}

void ShowToolFrame(Editor& editor) {
    const int mode = editor.tool_mode;
    editor.tools.frame_shown = mode >= 1;
    if (mode < 1 || mode >= kToolModeCount) return;
    WhileUpdating(editor, [&] { editor.tools.spins = editor.tools.selection[mode]; });
    PlaceToolFrame(editor);
}

void PlaceToolFrame(Editor& editor) {
    ToolFrameState& tools = editor.tools;
    const IslandRecord& record = editor.island.record;
    WhileUpdating(editor, [&] {
        SelectionRect& s = tools.spins;
        // Pulled back so that the frame ends at the island's edge, but never before its start.
        if (s.left + s.width > record.width) s.left = std::max(0, record.width - s.width);
        if (s.top + s.height > record.height) s.top = std::max(0, record.height - s.height);
        const CellPoint at = CellToPixel(editor, s.left, s.top).value_or(CellPoint{});
        tools.frame.left = at.x >= 0 && at.x < kCanvasWidth ? at.x : 0;
        tools.frame.top = at.y >= 0 && at.y < kCanvasHeight ? at.y : 0;
        const int mode = std::clamp(editor.tool_mode, 0, kToolModeCount - 1);
        const SelectionRect& size = tools.selection[static_cast<std::size_t>(mode)];
        const CellPixels cell = CellSize(editor.view);
        tools.frame.width = size.width * cell.width;
        tools.frame.height = size.height * cell.height;
    });
}

bool SpinEdit1Change(Editor& editor, bool width, int value) {
    if (editor.updating) return false;
    (width ? editor.tools.spins.width : editor.tools.spins.height) = value;
    const int mode = editor.tool_mode;
    if (mode >= 0 && mode < kToolModeCount) {
        (width ? editor.tools.selection[mode].width : editor.tools.selection[mode].height) = value;
    }
    ShowToolFrame(editor);
    return true;
}

bool FlickerFreePaintBox2Click(Editor& editor) {
    if (!CanAct(editor)) return false;
    const int x = PanelNumber(editor, "MouseXPanel");
    const int y = PanelNumber(editor, "MouseYPanel");
    editor.tools.spins.left = x;
    editor.tools.spins.top = y;
    PlaceToolFrame(editor);
    editor.SetPanel("xPanel", x);
    editor.SetPanel("yPanel", y);
    editor.SetPanel("ObjHoeheEdit", editor.island.height.get(x, y));
    editor.panels["ElementPanel"].clear();

    const int mode = editor.tool_mode;
    if (mode >= 0 && mode < kToolModeCount) {
        editor.tools.selection[mode] = editor.tools.spins;
        FollowPartnerPosition(editor.tools, mode);
    }
    return true;
}

bool FlickerFreePaintBox2MouseDown(Editor& editor, int px, int py) {
    if (!CanAct(editor) || !editor.height_profile_page) return false;
    if (!MarkPenSquare(editor, px, py)) return false;
    editor.tools.stroke_active = true;
    return true;
}

bool StrokeMouseMove(Editor& editor, int px, int py) {
    if (!CanAct(editor) || px < 0 || py < 0) return false;
    if (!editor.height_profile_page || !editor.tools.stroke_active) return false;
    return MarkPenSquare(editor, px, py);
}

void FlickerFreePaintBox2MouseUp(Editor& editor) { editor.tools.stroke_active = false; }

bool ThePanelMouseDown(Editor& editor, bool left_button) {
    if (!CanAct(editor) || !left_button) return false;
    const int mode = editor.tool_mode;
    if (mode != kHeightProfileMode && mode != kBlockBufferMode && mode != kFertilityMode) {
        return false;
    }
    editor.tools.frame_drag_active = true;
    return true;
}

std::optional<FramePixels> ThePanelMouseMove(Editor& editor, int mx, int my) {
    ToolFrameState& tools = editor.tools;
    if (!CanAct(editor) || !tools.frame_drag_active || tools.frame_size_locked) return {};
    tools.frame.width = std::min(std::abs(mx), kLastFramePixelX - tools.frame.left);
    tools.frame.height = std::min(std::abs(my), kLastFramePixelY - tools.frame.top);
    return tools.frame;
}

bool StoreFrame(Editor& editor) {
    if (!CanAct(editor)) return false;
    ToolFrameState& tools = editor.tools;
    tools.frame_drag_active = false;
    const FramePixels& f = tools.frame;
    const FrameCells cells = ResizePanel(editor, f.left, f.top, f.width, f.height);
    tools.spins = {cells.left, cells.top, cells.right - cells.left, cells.bottom - cells.top};
    const int mode = editor.tool_mode;
    if (mode >= 0 && mode < kToolModeCount) tools.selection[mode] = tools.spins;
    if (mode == kBlockBufferMode) tools.block = {cells.left, cells.top, cells.right, cells.bottom};
    editor.SetPanel("xPanel", cells.left);
    editor.SetPanel("yPanel", cells.top);
    return true;
}

FrameApplyResult ApplyFrame(Editor& editor, int list_value) {
    FrameApplyResult result;
    if (!CanAct(editor)) return result;
    ToolFrameState& tools = editor.tools;
    const int mode = editor.tool_mode;
    const CellPoint corner = PixelToCell(editor, tools.frame.left, tools.frame.top);
    const BlockRect rect{corner.x, corner.y, corner.x + tools.spins.width - 1,
                         corner.y + tools.spins.height - 1};
    if (mode == kRiverMode) return result;
    if (mode == kFertilityMode && tools.legend_value > kHighestFertility) return result;
    tools.block = rect;

    IslandMap& island = editor.island;
    switch (mode) {
        case kVegetationMode:
            island.terrain.set(rect.left, rect.top, 0);
            island.terrain_param.set(rect.left, rect.top, 0);
            break;
        case kHeightProfileMode:
            ForEachCell(rect, [&](int x, int y) {
                island.height.set(x, y, static_cast<std::uint8_t>(list_value));
            });
            break;
        case kFertilityMode:
            if (tools.legend_value < 0) {
                result.message = "Select color in HoehenStatistik first";
                return result;
            }
            ForEachCell(rect, [&](int x, int y) {
                island.fertility.set(x, y, static_cast<std::uint16_t>(tools.legend_value));
            });
            break;
        default:
            break;
    }
    if (mode != kTileMode) island.RecountBlockCounts();
    if (editor.view.part_index < 0) FullIslandButtonClick(editor);
    result.changed = true;
    return result;
}

}  // namespace insel
