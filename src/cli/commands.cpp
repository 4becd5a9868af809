#include "cli/commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iostream>
#include <string_view>

#include "cli/edit_ops.h"
#include "cli/edit_script.h"
#include "cli/island_json.h"
#include "core/app/definitions.h"
#include "core/app/editor.h"
#include "core/app/key_notation.h"
#include "core/container/cp1252.h"
#include "core/container/file_io.h"
#include "core/dialogs/new_island.h"
#include "core/document/journal.h"
#include "core/display/renderer.h"
#include "core/display/textures.h"
#include "core/display/view.h"
#include "core/island/cities.h"
#include "core/island/city_writer.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"
#include "core/island/writer.h"
#include "core/reports/export.h"
#include "core/reports/statistics.h"
#include "core/tools/rotation.h"
#include "platform/environment.h"
#include "platform/image_files.h"
#include "platform/memory_status.h"

namespace insel::cli {
namespace {

// The editor as the window has it after start-up: definition files read.
void StartEditor(const Common& common, Editor& editor) {
    std::string missing = MissingDefinitionsMessage(common.program_folder);
    if (!missing.empty()) {
        // The window's text starts "Error: "; here the tool's own prefix says so.
        constexpr std::string_view kPrefix = "Error: ";
        if (std::string_view(missing).starts_with(kPrefix)) missing.erase(0, kPrefix.size());
        throw FileError(missing);
    }
    editor.definitions = LoadDefinitionFiles(common.program_folder);
}

// A message the window would show in a box; the command goes on as the window would.
void ShowMessage(const std::string& message) {
    if (!message.empty()) std::cerr << "message: " << Cp1252ToUtf8(message) << "\n";
}

// "the island list has rows 1 to 3", or that the file has none.
std::string ListRows(const std::string& list, std::size_t rows, const std::filesystem::path& file) {
    if (rows == 0) return PathToUtf8(file) + " has no " + (list == "city" ? "cities" : list + "s");
    return "the " + list + " list has rows 1 to " + std::to_string(rows);
}

// Rows 0 and 1 both name the first city.
void CheckCityRow(const char* option, int row, const Editor& editor,
                  const std::filesystem::path& file) {
    const std::size_t cities = editor.doc.cities.cities.size();
    if (row >= 0 && cities > 0 && row <= static_cast<int>(cities)) return;
    const std::string why =
        std::string(option) + " " + std::to_string(row) + ": " + ListRows("city", cities, file);
    if (row < 0) throw UsageError(why);
    throw FileError(why);
}

// Loads as the open command does, then clicks and tidies as asked.
void Load(Editor& editor, const std::filesystem::path& file, const AfterLoad& after) {
    const FileKind kind = FileKindFromExtension(file);
    if (kind == FileKind::None) {
        throw UsageError(file.string() + ": the extension must be .scp, .sav, .cty or .sze");
    }
    try {
        ShowMessage(editor.Load(file, kind).message);
        if (after.island_row) {
            const int row = *after.island_row;
            const std::string why = "--island " + std::to_string(row) + ": " +
                                    ListRows("island", editor.doc.island_list.size(), file);
            // Row 0 is never a row; a row beyond this file's list is a fault of the file.
            if (row < 1) throw UsageError(why);
            if (!editor.SelectIsland(row)) throw FileError(why);
        }
        if (after.city_row) {
            CheckCityRow("--city", *after.city_row, editor, file);
            ShowMessage(editor.SelectCity(*after.city_row));
        }
        if (after.aufraum) editor.TidyWarehouses();
    } catch (const FileError&) {
        throw;
    } catch (const Error& error) {
        throw FileError(file.string() + ": " + error.what());
    }
}

bool WritesCityFile(const std::filesystem::path& output) {
    const FileKind kind = FileKindFromExtension(output);
    if (kind != FileKind::Island && kind != FileKind::City) {
        throw UsageError(output.string() +
                         ": the output must end in .scp (island file) or .cty (with its cities)");
    }
    return kind == FileKind::City;
}

// One file a command writes, and the extension its kind must have (none: checked elsewhere).
struct Output {
    const std::filesystem::path* path;
    const char* extension = nullptr;
    const char* kind = nullptr;  // "a picture", "a text file"
};

bool SameTarget(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (IsSameFile(a, b)) return true;
    std::error_code ec_a, ec_b;
    const auto canonical_a = std::filesystem::weakly_canonical(a, ec_a);
    const auto canonical_b = std::filesystem::weakly_canonical(b, ec_b);
    return !ec_a && !ec_b && canonical_a == canonical_b;
}

// Before anything is written: each output has its kind's extension (else a usage error), is
// neither the input nor another output, and can be written, so that a refused output never
// leaves the others half done.
void CheckOutputs(const std::filesystem::path* input, std::initializer_list<Output> outputs) {
    for (const Output& out : outputs) {
        if (out.path == nullptr || out.extension == nullptr) continue;
        if (LowerExtension(*out.path) != out.extension) {
            throw UsageError(PathToUtf8(*out.path) + ": " + out.kind + " is written as *" +
                             out.extension);
        }
    }
    std::vector<const std::filesystem::path*> seen;
    for (const Output& out : outputs) {
        if (out.path == nullptr) continue;
        if (input != nullptr && SameTarget(*input, *out.path)) {
            throw FileError(PathToUtf8(*out.path) + " is the input file; nothing was written");
        }
        for (const std::filesystem::path* other : seen) {
            if (SameTarget(*other, *out.path)) {
                throw FileError(PathToUtf8(*out.path) +
                                " is named for two outputs; nothing was written");
            }
        }
        seen.push_back(out.path);
        CheckWritableTarget(*out.path);
    }
}

const std::filesystem::path* Optional(const std::optional<std::filesystem::path>& path) {
    return path ? &*path : nullptr;
}

// Errors while assembling or writing end the save as the window's message does.
template <class Save>
void Saving(Save save) {
    try {
        save();
    } catch (const Error& error) {
        throw FileError(std::string("Fehler beim Schreiben: ") + error.what());
    }
}

}  // namespace

int RunInfo(const Common& common, const InfoOptions& options) {
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    if (options.json) {
        const auto json =
            IslandJson(editor, options.file.string(), options.cells, options.catchment);
        std::cout << json.dump(2) << "\n";
    } else {
        // Cells are checked before anything is printed.
        for (const auto& [x, y] : options.cells) editor.doc.island.height.get(x, y);
        std::cout << IslandSummary(editor, options.file.string());
        for (const auto& [x, y] : options.cells) {
            const IslandMap& m = editor.doc.island;
            std::cout << "Cell " << x << ", " << y << ": height " << int(m.height.get(x, y))
                      << ", gfx " << m.gfx.get(x, y) << ", fertility " << m.fertility.get(x, y)
                      << ", terrain " << m.terrain.get(x, y) << " (" << m.terrain_param.get(x, y)
                      << "), river " << m.river.get(x, y) << " (" << m.river_param.get(x, y)
                      << ")\n";
        }
    }
    return 0;
}

int RunRender(const Common& common, const RenderOptions& options) {
    CheckOutputs(&options.file, {{&options.output, ".png", "a picture"},
                                 {Optional(options.overview), ".png", "a picture"}});
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    // What the window does after a load, then the controls in the order a user would use them.
    ViewState& view = editor.view;
    const IslandMap& island = editor.doc.island;
    ResetView(view, island, editor.status);
    view.layer = static_cast<DisplayLayer>(options.layer);
    if (options.zoom) SetZoom(view, island, editor.status, *options.zoom);
    if (options.part) {
        ShowPartAt(view, island, editor.status, options.part->first, options.part->second);
    }
    RenderSettings settings;
    settings.pen_width = options.pen;
    settings.objects = options.objects;
    settings.animals = options.animals;
    if (options.catchment_row) {
        CheckCityRow("--catchment", *options.catchment_row, editor, options.file);
        const int row = std::max(*options.catchment_row, 1);
        editor.doc.cities.current = static_cast<std::size_t>(row - 1);
        settings.catchment_shown = true;
    }
    if (options.highlight_terrain) {
        settings.highlight_kind = kTerrainHighlight;
        settings.highlight_value = *options.highlight_terrain;
    } else if (options.highlight_series) {
        settings.highlight_kind = kGfxSeriesHighlight;
        settings.highlight_value = *options.highlight_series;
    }
    settings.use_tile_bitmaps = options.tiles;
    TextureCache textures(common.program_folder, platform::LoadPicture);
    if (options.preload) {
        // The preload window's rows after the island statistics: the N best series, all ticked.
        const SeriesRanking ranking = RankSeries(editor.doc.SeriesUsageCounts(), *options.preload);
        PreloadChoice choice;
        for (const SeriesRank& rank : ranking.ranks) choice.listed.push_back(rank.series);
        choice.ticked.fill(true);
        choice.auto_preload = true;
        choice.attempted = *options.preload;
        textures.AllocatePreloadSlots(*options.preload, platform::CurrentHeapStatus);
        // The preload starts a new log; the allocation's lines are shown first.
        for (const std::string& line : textures.log) std::cerr << "log: " << line << "\n";
        textures.PreloadTextures(choice);
    }
    Raster raster;
    RenderMap(editor.doc, editor.view, settings, raster, &textures);
    for (const std::string& line : textures.log) std::cerr << "log: " << line << "\n";
    platform::WritePng(raster.pixels, Raster::kWidth, Raster::kHeight, options.output);
    std::cout << "wrote " << options.output.string() << "\n";
    if (options.overview) {
        platform::WritePng(DrawOverviewImage(editor.doc.island, editor.view.layer), kOverviewSide,
                           kOverviewSide, *options.overview);
        std::cout << "wrote " << options.overview->string() << "\n";
    }
    return 0;
}

int RunExport(const Common& common, const ExportOptions& options) {
    CheckOutputs(&options.file, {{&options.output, ".txt", "a text file"}});
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    Saving([&] { WriteRawExport(options.output, editor.doc.island); });
    std::cout << "wrote " << options.output.string() << "\n";
    return 0;
}

namespace {

nlohmann::ordered_json RowsJson(const GridRows& rows) {
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    for (const auto& row : rows) {
        nlohmann::ordered_json cells = nlohmann::ordered_json::array();
        for (const auto& cell : row) cells.push_back(Cp1252ToUtf8(cell));
        json.push_back(cells);
    }
    return json;
}

void PrintRows(const char* title, const GridRows& rows) {
    std::cout << title << "\n";
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            std::cout << (i == 0 ? "  " : "\t") << Cp1252ToUtf8(row[i]);
        std::cout << "\n";
    }
}

}  // namespace

int RunStats(const Common& common, const StatsOptions& options) {
    CheckOutputs(&options.file, {{Optional(options.save_gfx), ".txt", "a statistics file"},
                                 {Optional(options.save_terrain), ".txt", "a statistics file"}});
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    const GridRows gfx = GfxStatisticsRows(editor.doc.island, !options.with_lowbyte);
    const GridRows terrain = TerrainStatisticsRows(editor.doc.island, !options.with_rotation);
    Saving([&] {
        if (options.save_gfx)
            WriteWindows1252Lines(*options.save_gfx, StatisticsFileLines(gfx, StatisticsGrid::Gfx));
        if (options.save_terrain) {
            WriteWindows1252Lines(*options.save_terrain,
                                  StatisticsFileLines(terrain, StatisticsGrid::Terrain));
        }
    });
    if (options.json) {
        nlohmann::ordered_json json;
        json["gfx"] = RowsJson(gfx);
        json["terrain"] = RowsJson(terrain);
        std::cout << json.dump(2) << "\n";
    } else {
        PrintRows("Graphic tiles:", gfx);
        PrintRows("Terrain elements:", terrain);
    }
    return 0;
}

int RunObjects(const Common& common, const ObjectsOptions& options) {
    CheckOutputs(&options.file, {{&options.output, ".txt", "a text file"}});
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    const std::vector<std::string> lines =
        ObjectListLines(editor.doc.island, editor.doc.cities.Current());
    if (lines.empty())
        throw FileError("nothing to list: the list needs a chosen city and placed objects");
    Saving([&] { WriteWindows1252Lines(options.output, lines); });
    std::cout << "wrote " << options.output.string() << " (" << lines.size() << " lines)\n";
    return 0;
}

int RunSeries(const Common& common, const SeriesOptions& options) {
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.file, options.after);
    const SeriesRanking ranking = RankSeries(editor.doc.SeriesUsageCounts(), options.rows);
    if (options.json) {
        nlohmann::ordered_json ranks = nlohmann::ordered_json::array();
        for (const SeriesRank& rank : ranking.ranks) {
            ranks.push_back(
                {{"series", rank.series},
                 {"code", SeriesCode(rank.series)},
                 {"count", rank.count},
                 {"share", rank.share_percent ? nlohmann::ordered_json(*rank.share_percent)
                                              : nlohmann::ordered_json(nullptr)}});
        }
        nlohmann::ordered_json json;
        json["lines"] = ranking.memo;
        json["ranks"] = ranks;
        json["total"] = ranking.total;
        json["total_percent"] = ranking.total_percent
                                    ? nlohmann::ordered_json(*ranking.total_percent)
                                    : nlohmann::ordered_json(nullptr);
        std::cout << json.dump(2) << "\n";
    } else {
        for (const std::string& line : ranking.memo) std::cout << line << "\n";
        for (std::size_t k = 0; k < ranking.ranks.size(); ++k) {
            const SeriesRank& rank = ranking.ranks[k];
            std::cout << "Rank " << k + 1 << ": " << SeriesCode(rank.series) << "  "
                      << rank.count;
            if (rank.share_percent) std::cout << "  " << *rank.share_percent << "%";
            std::cout << "\n";
        }
        if (ranking.total_percent) std::cout << "Ranked share: " << *ranking.total_percent << "\n";
    }
    return 0;
}

int RunConvert(const Common& common, const ConvertOptions& options) {
    const bool city_file = WritesCityFile(options.output);
    CheckOutputs(&options.input, {{&options.output}});
    Editor editor;
    StartEditor(common, editor);
    Load(editor, options.input, options.after);
    editor.save.recount_kontid = options.recount_kontid;
    editor.save.no_animals = options.no_animals;
    for (const ShiftOption& shift : options.shifts)
        editor.save.shifts[shift.kind] = {true, shift.dx, shift.dy};
    std::filesystem::path written = options.output;
    Saving([&] {
        if (city_file) {
            editor.SaveCity(options.output, platform::ShortDate());
        } else {
            written = editor.SaveIsland(options.output);
        }
    });
    std::cout << "wrote " << written.string() << " (" << editor.output.position() << " bytes)\n";
    return 0;
}

namespace {

// Writes OUT as convert does and/or prints the state as info --json does; `json_path` names
// the file in the JSON.
void WriteOrShow(Editor& editor, const std::optional<std::filesystem::path>& output, bool json,
                 const std::string& json_path, const std::vector<std::pair<int, int>>& cells) {
    // The state as it is, taken before the save renames the island; printed only once the
    // file is written, so a failed save prints nothing.
    std::optional<nlohmann::ordered_json> state;
    if (json) state = IslandJson(editor, json_path, cells, false);
    if (state) {
        for (auto* add : {AddHeightJson, AddTilesJson, AddMinesJson, AddObjectsJson})
            add(editor, *state);
    }
    if (output) {
        std::filesystem::path written = *output;
        Saving([&] {
            if (WritesCityFile(*output)) {
                editor.SaveCity(*output, platform::ShortDate());
            } else {
                written = editor.SaveIsland(*output);
            }
        });
        // With --json, standard output holds the JSON object alone.
        if (!state) {
            std::cout << "wrote " << written.string() << " (" << editor.output.position()
                      << " bytes)\n";
        }
    }
    if (state) std::cout << state->dump(2) << "\n";
}

}  // namespace

int RunEdit(const Common& common, const EditOptions& options) {
    // Everything that can be refused is refused before the input is loaded.
    const std::vector<ScriptStep> steps = ReadScript(options.script);
    CheckOutputs(&options.input, {{Optional(options.output)}, {Optional(options.journal)}});
    for (const auto* written : {Optional(options.output), Optional(options.journal)}) {
        if (written != nullptr && options.script != "-" && SameTarget(options.script, *written)) {
            throw FileError(PathToUtf8(*written) + " is the script file; nothing was written");
        }
    }
    Editor editor;
    StartEditor(common, editor);
    // Written as the window writes it, but all of it before the command ends.
    std::optional<Journal> journal;
    if (options.journal) {
        journal.emplace(*options.journal);
        editor.AttachJournal(&*journal);
    }
    Load(editor, options.input, options.after);
    ApplyScript(editor, steps, ShowMessage);
    if (journal) journal->Flush();
    WriteOrShow(editor, options.output, options.json, options.input.string(), options.cells);
    if (journal) {
        journal->Flush();
        editor.AttachJournal(nullptr);
    }
    return 0;
}

int RunRecover(const Common& common, const RecoverOptions& options) {
    CheckOutputs(&options.journal, {{Optional(options.output)}});
    std::vector<std::uint8_t> bytes;
    try {
        GameFileBuffer buffer;
        LoadGameFile(buffer, options.journal);
        bytes.assign(buffer.bytes.begin(), buffer.bytes.begin() + buffer.file_size);
    } catch (const Error& error) {
        throw FileError("journal " + PathToUtf8(options.journal) + ": " + error.what());
    }
    Editor editor;
    StartEditor(common, editor);
    JournalSummary summary;
    try {
        summary = RecoverJournal(editor, bytes);
    } catch (const Error& error) {
        throw FileError("journal " + PathToUtf8(options.journal) + ": " + error.what() +
                        "; it is left as it is");
    }
    if (!options.json) {
        std::cout << "recovered " << summary.steps << " steps of "
                  << (summary.origin.path.empty() ? Cp1252ToUtf8(editor.doc.file_name)
                                                  : summary.origin.path)
                  << "\n";
    }
    WriteOrShow(editor, options.output, options.json, summary.origin.path, {});
    return 0;
}

int RunNew(const Common& common, const NewOptions& options) {
    if (WritesCityFile(options.output)) {
        throw UsageError(options.output.string() +
                         ": a new island is written as an island file (.scp)");
    }
    long long typed = 0;
    const std::string& size_text = options.size;
    const auto [end, ec] =
        std::from_chars(size_text.data(), size_text.data() + size_text.size(), typed);
    if (size_text.empty() || ec != std::errc() || end != size_text.data() + size_text.size())
        throw UsageError("--size " + size_text + ": expected a whole number of cells");
    CheckOutputs(nullptr, {{&options.output}});
    Editor editor;
    StartEditor(common, editor);
    const int size = ChooseNewIslandSize(0, options.size);
    editor.MakeNewIsland(size, options.climate);
    std::filesystem::path written;
    Saving([&] { written = editor.SaveIsland(options.output); });
    std::cout << "wrote " << written.string() << " (" << size << " x " << size << " cells, "
              << editor.output.position() << " bytes)\n";
    return 0;
}

int RunDummy(const Common& common, const DummyOptions& options) {
    Editor editor;
    StartEditor(common, editor);
    editor.SetClimate(options.climate);
    const std::filesystem::path output =
        options.output ? *options.output
                       : std::filesystem::path(DummyFileName(options.size, options.climate));
    if (WritesCityFile(output)) {
        throw UsageError(output.string() + ": a dummy island is written as an island file (.scp)");
    }
    CheckOutputs(nullptr, {{&output}});
    Saving([&] {
        SaveDummyIsland(editor.output, editor.doc.island.record.climate, options.size, output);
    });
    std::cout << "wrote " << output.string() << " (" << editor.output.position() << " bytes)\n";
    return 0;
}

}  // namespace insel::cli
