#pragma once
// The subcommands of inseltool. Each returns the exit status; errors are insel::Error.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace insel::cli {

struct Common {
    std::filesystem::path program_folder;
};

// What follows the load, as the window's controls would do it.
struct AfterLoad {
    std::optional<int> island_row;  // a click on this row of the island list
    std::optional<int> city_row;    // a click on this row of the city list
    bool aufraum = false;           // then the warehouse clean-up
};

struct InfoOptions {
    std::filesystem::path file;
    bool json = false;
    bool catchment = false;
    std::vector<std::pair<int, int>> cells;
    AfterLoad after;
};

struct ShiftOption {
    int kind = 0;
    int dx = 0, dy = 0;
};

struct ConvertOptions {
    std::filesystem::path input;
    std::filesystem::path output;
    AfterLoad after;
    bool recount_kontid = false;
    bool no_animals = false;
    std::vector<ShiftOption> shifts;
};

struct EditOptions {
    std::filesystem::path input;
    std::filesystem::path script;  // "-": standard input
    std::optional<std::filesystem::path> output;
    AfterLoad after;
    bool json = false;
    std::vector<std::pair<int, int>> cells;
    std::optional<std::filesystem::path> journal;  // records the steps as the window does
};

struct RecoverOptions {
    std::filesystem::path journal;
    std::optional<std::filesystem::path> output;
    bool json = false;
};

struct NewOptions {
    std::string size;  // the own-size text, as typed
    int climate = 0;
    std::filesystem::path output;
};

struct DummyOptions {
    int size = 64;
    int climate = 0;
    std::optional<std::filesystem::path> output;
};

struct RenderOptions {
    std::filesystem::path file;
    std::filesystem::path output;
    std::optional<std::filesystem::path> overview;
    AfterLoad after;
    int layer = 0;
    std::optional<std::pair<int, int>> part;  // a release on the overview
    std::optional<int> zoom;
    int pen = 2;
    bool tiles = false;          // "als Bitmaps"
    std::optional<int> preload;  // resident series: the N best of the island
    bool objects = false;
    bool animals = false;
    std::optional<int> catchment_row;  // the city whose catchment is drawn
    std::optional<int> highlight_terrain;
    std::optional<int> highlight_series;
};

struct ExportOptions {
    std::filesystem::path file;
    std::filesystem::path output;
    AfterLoad after;
};

struct StatsOptions {
    std::filesystem::path file;
    AfterLoad after;
    bool with_lowbyte = false;   // OhneLowCheck unticked
    bool with_rotation = false;  // OhneRotCheck unticked
    std::optional<std::filesystem::path> save_gfx, save_terrain;
    bool json = false;
};

struct ObjectsOptions {
    std::filesystem::path file;
    std::filesystem::path output;
    AfterLoad after;  // its city row chooses the city
};

struct SeriesOptions {
    std::filesystem::path file;
    AfterLoad after;
    int rows = 10;
    bool json = false;
};

int RunInfo(const Common& common, const InfoOptions& options);
int RunExport(const Common& common, const ExportOptions& options);
int RunStats(const Common& common, const StatsOptions& options);
int RunObjects(const Common& common, const ObjectsOptions& options);
int RunSeries(const Common& common, const SeriesOptions& options);
int RunRender(const Common& common, const RenderOptions& options);
int RunConvert(const Common& common, const ConvertOptions& options);
int RunEdit(const Common& common, const EditOptions& options);
int RunRecover(const Common& common, const RecoverOptions& options);
int RunNew(const Common& common, const NewOptions& options);
int RunDummy(const Common& common, const DummyOptions& options);

// A wrong command line found after parsing (exit status 2).
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace insel::cli
