#pragma once
// Program start: the command line, the definition-file check before any window, and the two
// non-interactive modes (--screenshot, --dump-widgets).
#include <filesystem>
#include <optional>
#include <string>

class QObject;

namespace insel::gui {

struct StartOptions {
    std::optional<std::filesystem::path> program_folder;  // --program-folder DIR
    std::optional<std::filesystem::path> screenshot;      // --screenshot OUT.png
    bool dump_widgets = false;
    std::string file;               // first positional argument
    std::optional<int> island_row;  // second positional argument with --screenshot
    std::string error;              // non-empty when the command line is wrong
};

StartOptions ParseStartOptions(int argc, char** argv);

// Every named object below `root` as "objectName className", one per line.
std::string DumpWidgets(const QObject& root);

// Runs the editor; returns the process exit status. Needs a QApplication.
int RunEditor(int argc, char** argv);

}  // namespace insel::gui
