#pragma once
// Program start: the command line, the display check before any window, the definition-file
// check, and the modes that run without a user (--screenshot, --dump-widgets) or without a
// window at all (--help, --version, --check-display).
#include <filesystem>
#include <optional>
#include <string>

class QObject;

namespace insel::gui {

struct StartOptions {
    std::optional<std::filesystem::path> program_folder;  // --program-folder DIR
    std::optional<std::filesystem::path> screenshot;      // --screenshot OUT.png
    bool dump_widgets = false;
    bool help = false;
    bool version = false;
    bool check_display = false;
    std::string file;               // first positional argument
    std::optional<int> island_row;  // second positional argument with --screenshot
    std::string error;              // non-empty when the command line is wrong
};

StartOptions ParseStartOptions(int argc, char** argv);

// What --help prints.
std::string UsageText();

// Whether the window system Qt will pick can be reached: an X server that accepts us, or a
// Wayland compositor's socket; a platform chosen by QT_QPA_PLATFORM other than those counts
// as reachable. Always true where the system has no such choice (Windows, macOS).
bool DisplayReachable();

// Every named object below `root`, and `root` itself, as "objectName className", one per line.
std::string DumpWidgets(const QObject& root);

// The whole program: options, display, QApplication, window; returns the exit status.
int Main(int argc, char** argv);

// Runs the editor; returns the process exit status. Needs a QApplication.
int RunEditor(int argc, char** argv);

}  // namespace insel::gui
