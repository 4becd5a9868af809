// inseltool: inspect, convert and create island files without the window.
#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

#include "cli/commands.h"
#include "core/app/version.h"
#include "platform/environment.h"
#include "core/errors.h"

namespace {

// "X,Y" of --cells, --part and --shift; `given` is the option as typed, for the message.
std::pair<int, int> ParseCell(const std::string& text, const std::string& given,
                              const char* form = "X,Y") {
    const auto comma = text.find(',');
    try {
        if (comma == std::string::npos) throw std::invalid_argument(text);
        std::size_t used_x = 0, used_y = 0;
        const int x = std::stoi(text.substr(0, comma), &used_x);
        const int y = std::stoi(text.substr(comma + 1), &used_y);
        if (used_x != comma || used_y != text.size() - comma - 1) throw std::invalid_argument(text);
        return {x, y};
    } catch (const std::logic_error&) {
        throw insel::cli::UsageError(given + ": expected two numbers " + form);
    }
}

// "KIND:DX,DY" of --shift, KIND one of height, gfx, plants, rocks.
insel::cli::ShiftOption ParseShift(const std::string& text) {
    static const std::pair<const char*, int> kKinds[] = {
        {"height", 0}, {"gfx", 1}, {"plants", 2}, {"rocks", 3}};
    const auto colon = text.find(':');
    insel::cli::ShiftOption shift;
    shift.kind = -1;
    for (const auto& [name, kind] : kKinds) {
        if (colon != std::string::npos && text.compare(0, colon, name) == 0) shift.kind = kind;
    }
    if (shift.kind < 0)
        throw insel::cli::UsageError("--shift " + text +
                                     ": KIND must be height, gfx, plants or rocks");
    const auto [dx, dy] =
        ParseCell(text.substr(colon + 1), "--shift " + text, "DX,DY after the kind");
    shift.dx = dx;
    shift.dy = dy;
    return shift;
}

void AddAfterLoad(CLI::App* command, insel::cli::AfterLoad& after) {
    // Rows are checked against the file's lists once it is loaded, so the message can name them.
    auto* island = command->add_option("--island", after.island_row,
                                       "Decode the island of this row of the island list");
    auto* city = command->add_option("--city", after.city_row,
                                     "Click this row of the city list (0 and 1: first city)");
    island->excludes(city);
    command->add_flag("--aufraum", after.aufraum,
                      "Tidy the warehouses afterwards, as the button \"Aufr\u00e4umen\" does");
}

// The game file a command reads, and what is done to the island after loading it.
void AddGameFile(CLI::App* command, const char* name, std::filesystem::path& file,
                 insel::cli::AfterLoad& after) {
    command->add_option(name, file, "*.scp, *.sav, *.cty or *.sze file")->required();
    AddAfterLoad(command, after);
}

// The subcommand named first, when it is none of `app`'s: CLI11 would only say that one is
// required. Options of the program itself (and the value of --program-folder) are skipped.
std::optional<std::string> UnknownSubcommand(const CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--program-folder") {
            ++i;
            continue;
        }
        if (word.starts_with("-")) continue;
        for (const CLI::App* command : app.get_subcommands({})) {
            if (command->get_name() == word) return std::nullopt;
        }
        return std::string(word);
    }
    return std::nullopt;
}

std::string SubcommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands({}))
        names += (names.empty() ? "" : ", ") + command->get_name();
    return names;
}

// Lets the tests make the tool fail as a full disk or an exhausted memory would, so that the
// error handling at its boundary can be seen to work.
void InjectFailureForTests() {
    const char* kind = std::getenv("INSELTOOL_INJECT_FAILURE");
    if (kind == nullptr) return;
    const std::string_view k = kind;
    if (k == "bad_alloc") throw std::bad_alloc();
    if (k == "filesystem_error") {
        throw std::filesystem::filesystem_error("injected", std::filesystem::path("x"),
                                                std::make_error_code(std::errc::io_error));
    }
    if (k == "logic_error") throw std::logic_error("injected");
    if (k == "other") throw 42;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qt(argc, argv);
    using namespace insel::cli;

    CLI::App app{"inseltool: inspect, convert and create island files"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("inseltool ") + insel::kProgramVersion);
    std::string program_folder;
    app.add_option("--program-folder", program_folder,
                   "Folder of the definition files (default: next to the program)");

    InfoOptions info;
    std::vector<std::string> cells;
    auto* info_cmd = app.add_subcommand("info", "Load a game file and show what the editor holds");
    AddGameFile(info_cmd, "FILE", info.file, info.after);
    auto* json = info_cmd->add_flag("--json", info.json, "Print one JSON object");
    info_cmd->add_option("--cells", cells, "Cell X,Y to show (repeatable)")
        ->allow_extra_args(false);
    // 262144 characters have no place in the readable summary.
    info_cmd
        ->add_flag("--catchment", info.catchment,
                   "With --json: the catchment grid, 512 strings of 512 characters")
        ->needs(json);

    ConvertOptions convert;
    std::vector<std::string> shifts;
    auto* convert_cmd =
        app.add_subcommand("convert", "Load a game file and write its island as *.scp or *.cty");
    AddGameFile(convert_cmd, "IN", convert.input, convert.after);
    convert_cmd
        ->add_option("-o,--output", convert.output,
                     "File to write: *.scp island file or *.cty with cities")
        ->required();
    convert_cmd->add_flag("--recount-kontid", convert.recount_kontid,
                          "Renumber the warehouse ids of each city (*.cty)");
    convert_cmd->add_flag("--no-animals", convert.no_animals, "Save without animals");
    convert_cmd
        ->add_option("--shift", shifts,
                     "Shift a layer group on save: KIND:DX,DY (height, gfx, plants, rocks)")
        ->allow_extra_args(false);

    EditOptions edit;
    std::vector<std::string> edit_cells;
    auto* edit_cmd = app.add_subcommand(
        "edit", "Load a game file, apply a script of edits with undo and redo, write or show it");
    AddGameFile(edit_cmd, "IN", edit.input, edit.after);
    edit_cmd
        ->add_option("--script", edit.script,
                     "JSON array of operations to apply in order (- reads standard input)")
        ->required();
    edit_cmd->add_option("-o,--output", edit.output,
                         "File to write afterwards: *.scp island file or *.cty with cities");
    auto* edit_json =
        edit_cmd->add_flag("--json", edit.json, "Print the state afterwards as info --json does");
    edit_cmd->add_option("--cells", edit_cells, "With --json: cell X,Y to show (repeatable)")
        ->allow_extra_args(false)
        ->needs(edit_json);
    edit_cmd->add_option("--journal", edit.journal,
                         "Record the steps in this recovery journal, as the editor does");

    RecoverOptions recover;
    auto* recover_cmd = app.add_subcommand(
        "recover", "Replay a recovery journal onto its file, then write or show the result");
    recover_cmd->add_option("JOURNAL", recover.journal, "The journal")->required();
    recover_cmd->add_option("-o,--output", recover.output,
                            "File to write: *.scp island file or *.cty with cities");
    recover_cmd->add_flag("--json", recover.json, "Print the recovered state as info --json does");

    NewOptions created;
    auto* new_cmd = app.add_subcommand("new", "Write a new empty island");
    new_cmd
        ->add_option("--size", created.size,
                     "Side in cells (rounded down to a multiple of 8, at most 1024)")
        ->required();
    new_cmd
        ->add_option("--climate", created.climate,
                     "Climate 0..5 (Polar, Tundra, Nord, Praerie, Dschungel, Steppe)")
        ->check(CLI::Range(0, 5));
    new_cmd->add_option("-o,--output", created.output, "Island file to write (*.scp)")->required();

    DummyOptions dummy;
    auto* dummy_cmd =
        app.add_subcommand("dummy", "Write an empty dummy island in the older layout");
    dummy_cmd->add_option("--size", dummy.size, "Side in cells, 0..256")
        ->required()
        ->check(CLI::Range(0, 256));
    dummy_cmd->add_option("--climate", dummy.climate, "Climate 0..5, as the climate list offers")
        ->check(CLI::Range(0, 5));
    dummy_cmd->add_option("-o,--output", dummy.output,
                          "File to write (default: the proposed dummy name)");

    RenderOptions render;
    std::string part;
    auto* render_cmd = app.add_subcommand(
        "render", "Draw the island as the editor's canvas shows it, as a PNG picture");
    AddGameFile(render_cmd, "FILE", render.file, render.after);
    render_cmd->add_option("-o,--output", render.output, "PNG picture of the 1024 x 512 canvas")
        ->required();
    render_cmd->add_option("--overview", render.overview,
                           "Also write the 128 x 128 overview picture");
    render_cmd
        ->add_option("--layer", render.layer,
                     "0 heights, 1 graphic tiles, 2 vegetation, 3 fertility")
        ->check(CLI::Range(0, 3));
    render_cmd->add_option("--zoom", render.zoom, "Cell size of the part view: 42, 32, 16 or 8")
        ->check(CLI::IsMember({42, 32, 16, 8}));
    render_cmd->add_option("--part", part,
                           "Show the page under overview point AX,AY (release on the overview)");
    render_cmd->add_option("--pen", render.pen, "Outline width 1..12")->check(CLI::Range(1, 12));
    auto* tiles = render_cmd->add_flag("--tiles", render.tiles,
                                       "Draw the graphic tiles as pictures (layer 1, part view)");
    // Without tile pictures there is nothing to keep resident.
    render_cmd
        ->add_option("--preload", render.preload, "Keep the N best series resident first (1..16)")
        ->check(CLI::Range(1, 16))
        ->needs(tiles);
    render_cmd->add_flag("--objects", render.objects, "Draw the placed objects");
    render_cmd->add_flag("--animals", render.animals, "Draw the animals");
    render_cmd->add_option("--catchment", render.catchment_row,
                           "Draw the catchment of the city in this row");
    auto* terrain =
        render_cmd->add_option("--highlight-terrain", render.highlight_terrain,
                               "Pick out cells with this terrain element (any orientation)");
    auto* series = render_cmd->add_option("--highlight-series", render.highlight_series,
                                          "Pick out cells of this texture series code");
    terrain->excludes(series);

    ExportOptions exported;
    auto* export_cmd =
        app.add_subcommand("export", "Write the raw island as text, one line per land cell");
    AddGameFile(export_cmd, "FILE", exported.file, exported.after);
    export_cmd->add_option("-o,--output", exported.output, "Text file to write")->required();

    StatsOptions stats;
    auto* stats_cmd =
        app.add_subcommand("stats", "Count the graphic tiles and terrain elements in use");
    AddGameFile(stats_cmd, "FILE", stats.file, stats.after);
    stats_cmd->add_flag("--with-lowbyte", stats.with_lowbyte,
                        "Count whole tile values, not only their series");
    stats_cmd->add_flag("--with-rotation", stats.with_rotation,
                        "Count each orientation of an element apart");
    stats_cmd->add_option("--save-gfx", stats.save_gfx,
                          "Also write the tile statistics as comma-separated text");
    stats_cmd->add_option("--save-terrain", stats.save_terrain,
                          "Also write the element statistics likewise");
    stats_cmd->add_flag("--json", stats.json, "Print the two grids as JSON");

    ObjectsOptions objects;
    auto* objects_cmd =
        app.add_subcommand("objects", "Write the list of placed objects of a city's island");
    AddGameFile(objects_cmd, "FILE", objects.file, objects.after);
    objects_cmd->add_option("-o,--output", objects.output, "Text file to write")->required();

    SeriesOptions series_ranking;
    auto* series_cmd = app.add_subcommand("series", "Rank the texture series the island uses");
    AddGameFile(series_cmd, "FILE", series_ranking.file, series_ranking.after);
    series_cmd->add_option("--rows", series_ranking.rows, "How many ranks (1..16, default 10)")
        ->check(CLI::Range(1, 16));
    series_cmd->add_flag("--json", series_ranking.json, "Print the ranking as JSON");

    if (const auto unknown = UnknownSubcommand(app, argc, argv)) {
        std::cerr << "error: unknown subcommand \"" << *unknown
                  << "\"; the subcommands are: " << SubcommandNames(app) << "\n";
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version are printed by CLI11; a wrong command line as every other error.
        if (error.get_exit_code() == 0) return app.exit(error);
        std::cerr << "error: " << error.what() << "\n";
        if (app.get_subcommands().empty())
            std::cerr << "The subcommands are: " << SubcommandNames(app) << "\n";
        return 2;
    }

    try {
        Common common;
        common.program_folder = program_folder.empty() ? insel::platform::ExecutableFolder()
                                                       : std::filesystem::path(program_folder);
        InjectFailureForTests();
        for (const auto& cell : cells) info.cells.push_back(ParseCell(cell, "--cells " + cell));
        for (const auto& cell : edit_cells)
            edit.cells.push_back(ParseCell(cell, "--cells " + cell));
        for (const auto& shift : shifts) convert.shifts.push_back(ParseShift(shift));
        if (!part.empty()) render.part = ParseCell(part, "--part " + part, "AX,AY");
        if (*info_cmd) return RunInfo(common, info);
        if (*render_cmd) return RunRender(common, render);
        if (*export_cmd) return RunExport(common, exported);
        if (*stats_cmd) return RunStats(common, stats);
        if (*objects_cmd) return RunObjects(common, objects);
        if (*series_cmd) return RunSeries(common, series_ranking);
        if (*convert_cmd) return RunConvert(common, convert);
        if (*edit_cmd) return RunEdit(common, edit);
        if (*recover_cmd) return RunRecover(common, recover);
        if (*new_cmd) return RunNew(common, created);
        if (*dummy_cmd) return RunDummy(common, dummy);
    } catch (const UsageError& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 2;
    } catch (const insel::Error& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "error: out of memory\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    } catch (...) {
        std::cerr << "error: an unknown failure ended the command\n";
        return 1;
    }
    return 2;
}
