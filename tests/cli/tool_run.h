#pragma once
// Runs the real inseltool binary through the shell and collects its status and output.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "temp_file.h"

namespace insel::fixture {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

inline std::string Slurp(const std::filesystem::path& path) {
    const auto bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline std::string Quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// `inseltool ARGUMENTS` in `folder` (a scratch one when empty), after the shell words
// `environment`; without --program-folder it reads the bundled definition files.
inline ToolRun RunTool(const std::filesystem::path& folder, std::string arguments,
                       const std::string& environment = "") {
    if (!arguments.starts_with("--program-folder"))
        arguments = "--program-folder " + Quote(PROGRAM_FOLDER) + " " + arguments;
    TempDir scratch;
    const std::string command = "cd " + Quote(folder.empty() ? scratch.path() : folder) + " && " +
                                environment + Quote(INSELTOOL) + " " + arguments + " > " +
                                Quote(scratch / "out") + " 2> " + Quote(scratch / "err");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(scratch / "out"), Slurp(scratch / "err")};
}

// `inseltool edit IN --script` with the script written to a file beside the input.
inline ToolRun EditScript(const std::filesystem::path& in, const std::string& script,
                          const std::string& rest) {
    const auto file = in.parent_path() / "script.json";
    std::ofstream(file) << script;
    return RunTool({}, "edit " + Quote(in) + " --script " + Quote(file) + " " + rest);
}

}  // namespace insel::fixture
