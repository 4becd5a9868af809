#include "gui/app/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "core/app/definitions.h"
#include "gui/app/main_window.h"
#include "gui/dialogs/bitmap_form.h"
#include "platform/environment.h"
#include "platform/image_files.h"
#include "core/errors.h"

namespace insel::gui {

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

std::string DumpWidgets(const QObject& root) {
    std::string out;
    for (const QObject* child : root.findChildren<QObject*>()) {
        const QString name = child->objectName();
        if (name.isEmpty()) continue;
        out += name.toStdString() + " " + child->metaObject()->className() + "\n";
    }
    return out;
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
    if (!CheckDefinitionFiles(folder)) return fail(kMissingDefinitionsMessage);
    Definitions definitions;
    try {
        definitions = LoadDefinitionFiles(folder);
    } catch (const Error& e) {
        return fail(QString::fromStdString(e.what()));
    }

    TInselZeichner window(folder, std::move(definitions), platform::GamePath());
    if (options.dump_widgets) {
        std::cout << DumpWidgets(window) << DumpWidgets(window.BitmapForm());
        return 0;
    }
    if (options.screenshot) {
        window.show_message = [](const QString& text, bool error) {
            std::cerr << (error ? "error: " : "message: ") << text.toStdString() << "\n";
        };
        window.show();
        const std::filesystem::path file(options.file);
        // A picture of a failed load is no picture of the island.
        if (!window.LoadIslandFile(file, FileKindFromExtension(file))) {
            std::cerr << "error: " << file.string() << " was not loaded\n";
            return 1;
        }
        if (options.island_row && !window.SelectIslandListRow(*options.island_row)) {
            std::cerr << "error: the island list has no row " << *options.island_row << "\n";
            return 1;
        }
        QApplication::processEvents();
        if (!platform::SavePng(window.grab().toImage(), *options.screenshot)) {
            std::cerr << "error: cannot write " << options.screenshot->string() << "\n";
            return 1;
        }
        return 0;
    }
    window.SetCommandLineFile(options.file);
    window.show();
    return QApplication::exec();
}

}  // namespace insel::gui
