#include "gui/app/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <cstdlib>
#include <iostream>

#include "core/app/definitions.h"
#include "core/app/editor.h"
#include "core/app/version.h"
#include "platform/image_files.h"
#include "core/errors.h"
#include "gui/app/main_window.h"
#include "gui/app/recovery.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui/dialogs/insel_size_box.h"
#include "gui/dialogs/view_form.h"
#include "platform/environment.h"
#include "platform/memory_status.h"

#if defined(__unix__) && !defined(__APPLE__)
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#define INSEL_CHOOSES_DISPLAY 1
#endif

namespace insel::gui {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

#ifdef INSEL_CHOOSES_DISPLAY
// Asks the X server itself (with its authorisation), through the library Qt's own X
// platform loads, so that a server that refuses us counts as unreachable too.
bool XServerAccepts() {
    const std::string display = Environment("DISPLAY");
    if (display.empty()) return false;
    void* xcb = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto has_error = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    if (!connect || !has_error || !disconnect) return false;
    void* connection = connect(display.c_str(), nullptr);
    const bool accepted = connection && has_error(connection) == 0;
    if (connection) disconnect(connection);
    return accepted;
}

bool WaylandAnswers() {
    const std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    const std::string path =
        name.front() == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return answered;
}
#endif

enum class WindowSystem { None, X, Wayland, Other };

WindowSystem ReachableWindowSystem() {
#ifdef INSEL_CHOOSES_DISPLAY
    const QString chosen = QString::fromStdString(Environment("QT_QPA_PLATFORM"));
    if (chosen.isEmpty()) {
        if (XServerAccepts()) return WindowSystem::X;
        return WaylandAnswers() ? WindowSystem::Wayland : WindowSystem::None;
    }
    // A list such as "wayland;xcb" is tried in order, each name optionally with ":options".
    for (const QString& entry : chosen.split(';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(':', 0, 0).trimmed();
        if (name == "xcb") {
            if (XServerAccepts()) return WindowSystem::X;
        } else if (name.startsWith("wayland")) {
            if (WaylandAnswers()) return WindowSystem::Wayland;
        } else {
            return WindowSystem::Other;
        }
    }
    return WindowSystem::None;
#else
    return WindowSystem::Other;
#endif
}

std::string NoDisplayReason() {
    const std::string display = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    if (display.empty() && wayland.empty()) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    std::string reason;
    if (!display.empty()) reason = "the X display " + display + " does not answer";
    if (!wayland.empty())
        reason += (reason.empty() ? "" : " and ") + std::string("the Wayland display ") + wayland +
                  " does not answer";
    return reason;
}

constexpr const char* kFileKinds =
    "island files (*.scp), savegames (*.sav), scenarios (*.sze) and extracted cities (*.cty)";

}  // namespace

StartOptions ParseStartOptions(int argc, char** argv) {
    StartOptions options;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program-folder" || arg == "--screenshot") {
            if (i + 1 >= argc) {
                options.error = arg + " needs a value";
                return options;
            }
            (arg == "--program-folder" ? options.program_folder : options.screenshot) =
                std::filesystem::path(argv[++i]);
        } else if (arg == "--dump-widgets") {
            options.dump_widgets = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--check-display") {
            options.check_display = true;
        } else if (positional == 0) {
            options.file = arg;
            ++positional;
        } else if (positional == 1 && options.screenshot) {
            try {
                std::size_t used = 0;
                options.island_row = std::stoi(arg, &used);
                if (used != arg.size()) throw std::invalid_argument(arg);
            } catch (const std::exception&) {
                options.error = "island row is not a number: " + arg;
                return options;
            }
            ++positional;
        } else {
            options.error = "unexpected argument: " + arg;
            return options;
        }
    }
    if (options.screenshot && options.file.empty())
        options.error = "--screenshot needs a file to load";
    return options;
}

std::string UsageText() {
    return "Usage: inseleditor [FILE]\n"
           "       inseleditor --screenshot OUT.png FILE [ISLAND]\n"
           "       inseleditor --dump-widgets\n"
           "Opens the island editor; FILE (*.scp or *.cty) is loaded when the window shows.\n"
           "\n"
           "  --screenshot OUT.png FILE [ISLAND]  load FILE (and row ISLAND of its island list),\n"
           "                                      save a picture of the window and exit\n"
           "  --dump-widgets                      print every control's object name and class\n"
           "  --program-folder DIR                read the definition files and pictures from DIR\n"
           "  --check-display                     exit with 0 when a display can be reached, else "
           "1\n"
           "  --version                           print the version and exit\n"
           "  --help                              print this text and exit\n"
           "\n"
           "--screenshot and --dump-widgets need no display; without one they draw offscreen.\n";
}

bool DisplayReachable() { return ReachableWindowSystem() != WindowSystem::None; }

std::string DumpWidgets(const QObject& root) {
    std::string out;
    QList<const QObject*> objects{&root};
    for (const QObject* child : root.findChildren<QObject*>()) objects << child;
    for (const QObject* object : objects) {
        const QString name = object->objectName();
        if (name.isEmpty()) continue;
        out += name.toStdString() + " " + object->metaObject()->className() + "\n";
    }
    return out;
}

int Main(int argc, char** argv) {
    // Read before Qt takes its own options off the command line; RunEditor reads it again.
    const StartOptions early = ParseStartOptions(argc, argv);
    if (early.help) {
        std::cout << UsageText();
        return 0;
    }
    if (early.version) {
        std::cout << "inseleditor " << kProgramVersion << "\n";
        return 0;
    }
    const WindowSystem system = ReachableWindowSystem();
    if (early.check_display) return system == WindowSystem::None ? 1 : 0;
    if (system == WindowSystem::None) {
        if (!early.screenshot && !early.dump_widgets) {
            std::cerr << "error: no display can be reached (" << NoDisplayReason()
                      << "), so the editor window cannot open.\n"
                         "       --screenshot and --dump-widgets run without one, and inseltool "
                         "works on islands from the command line.\n";
            return 1;
        }
        // Those two only need pictures and widgets, which the offscreen platform gives.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (system == WindowSystem::Wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "wayland");
    }
    QApplication app(argc, argv);
    return RunEditor(argc, argv);
}

int RunEditor(int argc, char** argv) {
    const StartOptions options = ParseStartOptions(argc, argv);
    if (!options.error.empty()) {
        std::cerr << "error: " << options.error << "\n";
        return 2;
    }
    const bool unattended = options.screenshot || options.dump_widgets;
    auto fail = [&](const QString& message) {
        if (unattended) {
            std::cerr << "error: " << message.toStdString() << "\n";
        } else {
            QMessageBox::critical(nullptr, "Inseleditor", message);
        }
        return 1;
    };

    const std::filesystem::path folder =
        options.program_folder.value_or(platform::ExecutableFolder());
    // Without the definition files the window never shows.
    if (!CheckDefinitionFiles(folder))
        return fail(QString::fromStdString(MissingDefinitionsMessage(folder)));
    Definitions definitions;
    try {
        definitions = LoadDefinitionFiles(folder);
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }

    TInselZeichner window(folder, std::move(definitions), platform::GamePath());
    if (options.dump_widgets) {
        // The secondary windows too, as the window would open them.
        TInselSizeBox size_box(window.editor().definitions);
        TViewForm view_form(window.editor().definitions, folder);
        TAboutBox about_box(platform::AvailableSystemMemory());
        std::cout << DumpWidgets(window) << DumpWidgets(window.BitmapForm())
                  << DumpWidgets(size_box) << DumpWidgets(view_form) << DumpWidgets(about_box);
        return 0;
    }
    if (options.screenshot) {
        QStringList errors;
        window.show_message = [&errors](const QString& text, bool error) {
            if (error) {
                errors << text.simplified();
            } else {
                std::cerr << "message: " << text.toStdString() << "\n";
            }
        };
        window.show();
        const std::filesystem::path file(options.file);
        const FileKind kind = FileKindFromExtension(file);
        // A picture of a failed load is no picture of the island.
        if (!window.LoadIslandFile(file, kind)) {
            const QString reason = kind == FileKind::None    ? QString("the editor opens ") + kFileKinds
                                   : errors.isEmpty() ? QString("nothing was read")
                                                      : errors.join("; ");
            std::cerr << "error: " << file.string() << " was not loaded: " << reason.toStdString()
                      << "\n";
            return 1;
        }
        for (const QString& error : errors) std::cerr << "error: " << error.toStdString() << "\n";
        if (options.island_row && !window.SelectIslandListRow(*options.island_row)) {
            std::cerr << "error: the island list has no row " << *options.island_row << "\n";
            return 1;
        }
        // The picture shows the whole canvas, whatever the screen of the platform.
        QApplication::processEvents();
        window.resize(window.sizeHint());
        QApplication::processEvents();
        window.resize(window.sizeHint());
        QApplication::processEvents();
        if (!platform::SavePng(window.grab().toImage(), *options.screenshot)) {
            std::cerr << "error: cannot write " << options.screenshot->string() << "\n";
            return 1;
        }
        return 0;
    }
    window.SetCommandLineFile(options.file);
    window.KeepJournalIn(RecoveryFolder());
    // As large as the canvas and pages want, within the screen.
    QSize size = window.sizeHint();
    if (const QScreen* screen = window.screen())
        size = size.boundedTo(screen->availableGeometry().size());
    window.resize(size);
    window.show();
    return QApplication::exec();
}

}  // namespace insel::gui
