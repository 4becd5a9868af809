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

struct InfoOptions {
    std::filesystem::path file;
    bool json = false;
    std::vector<std::pair<int, int>> cells;
    std::optional<int> island_row;
};

struct ConvertOptions {
    std::filesystem::path input;
    std::filesystem::path output;
    std::optional<int> island_row;
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

int RunInfo(const Common& common, const InfoOptions& options);
int RunConvert(const Common& common, const ConvertOptions& options);
int RunNew(const Common& common, const NewOptions& options);
int RunDummy(const Common& common, const DummyOptions& options);

// A wrong command line found after parsing (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace insel::cli
