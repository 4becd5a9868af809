#include "commands.h"

#include <iostream>

#include "app/definitions.h"
#include "app/editor.h"
#include "dialogs/new_island.h"
#include "island/island_list.h"
#include "island/loader.h"
#include "island/writer.h"
#include "island_json.h"

namespace insel::cli {
namespace {

// The editor as the window has it after start-up: definition files read.
void StartEditor(const Common& common, Editor& editor) {
    if (!CheckDefinitionFiles(common.program_folder)) {
        throw FileError(std::string(kMissingDefinitionsMessage) + " (in " + common.program_folder.string() + ")");
    }
    editor.definitions = LoadDefinitionFiles(common.program_folder);
}

// Loads as the open command does, then clicks the island row if one is asked for.
void Load(Editor& editor, const std::filesystem::path& file, const std::optional<int>& island_row) {
    editor.file_kind = FileKindFromExtension(file);
    if (editor.file_kind == kNoFile) {
        throw UsageError(file.string() + ": the extension must be .scp, .sav, .cty or .sze");
    }
    try {
        LoadIsland(editor, file);
    } catch (const Error& error) {
        throw FileError(file.string() + ": " + error.what());
    }
    if (island_row && !SelectIslandRow(editor, *island_row)) {
        throw FileError("--island " + std::to_string(*island_row) + ": the island list has rows 1 to " +
                        std::to_string(editor.island_list.size()));
    }
}

void RequireScp(const std::filesystem::path& output) {
    if (FileKindFromExtension(output) != kIslandFile) {
        throw UsageError(output.string() + ": the output must be an island file ending in .scp");
    }
}

}  // namespace

int RunInfo(const Common& common, const InfoOptions& options) {
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.island_row);
    if (options.json) {
        const auto json = IslandJson(editor, options.file.string(), options.cells);
        std::cout << json.dump(2) << "\n";
    } else {
        // Cells are checked before anything is printed.
        for (const auto& [x, y] : options.cells) editor.island.height.get(x, y);
        std::cout << IslandSummary(editor, options.file.string());
        for (const auto& [x, y] : options.cells) {
            const IslandMap& m = editor.island;
            std::cout << "Cell " << x << ", " << y << ": height " << int(m.height.get(x, y)) << ", gfx "
                      << m.gfx.get(x, y) << ", fertility " << m.fertility.get(x, y) << ", terrain "
                      << m.terrain.get(x, y) << " (" << m.terrain_param.get(x, y) << "), river "
                      << m.river.get(x, y) << " (" << m.river_param.get(x, y) << ")\n";
        }
    }
    return 0;
}

int RunConvert(const Common& common, const ConvertOptions& options) {
    RequireScp(options.output);
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.input, options.island_row);
    const auto written = SaveIslandFile(editor, options.output);
    std::cout << "wrote " << written.string() << " (" << editor.output.position() << " bytes)\n";
    return 0;
}

int RunNew(const Common& common, const NewOptions& options) {
    RequireScp(options.output);
    Editor editor;
    StartEditor(common, editor);
    const int size = ChooseNewIslandSize(0, options.size);
    editor.ClearIsland();
    NewIsland(editor, size, options.climate);
    const auto written = SaveIslandFile(editor, options.output);
    std::cout << "wrote " << written.string() << " (" << size << " x " << size << " cells, "
              << editor.output.position() << " bytes)\n";
    return 0;
}

int RunDummy(const Common& common, const DummyOptions& options) {
    Editor editor;
    StartEditor(common, editor);
    editor.island.record.climate = options.climate;
    const std::filesystem::path output =
        options.output ? *options.output : std::filesystem::path(DummyFileName(options.size, options.climate));
    SaveDummyIsland(editor, options.size, output);
    std::cout << "wrote " << output.string() << " (" << editor.output.position() << " bytes)\n";
    return 0;
}

}  // namespace insel::cli
