#pragma once
// What the window tests share: the program folder of the build, a window started as the
// program starts it with its messages collected, and ways to drive its controls.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/definitions.h"
#include "gui/app/main_window.h"

namespace insel::gui::test {

inline const std::filesystem::path kBin = INSEL_BIN_DIR;
inline const std::string kSample = (kBin / "samples" / "sample_island.scp").string();

inline QString Text(QWidget& window, const char* name) {
    if (auto* label = window.findChild<QLabel*>(name)) return label->text();
    if (auto* edit = window.findChild<QLineEdit*>(name)) return edit->text();
    return "<no control " + QString(name) + ">";
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void ClickCell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    QVERIFY(item);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(item).center());
}

inline void MoveMouse(QWidget* widget, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     held, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// Runs the editor executable; `no_display` takes every display away from it.
struct EditorRun {
    int status = -1;
    QString said;  // stdout and stderr
};
inline EditorRun RunEditorProcess(const QStringList& arguments, bool no_display = false,
                                  const QString& display = "") {
    QProcess process;
    if (no_display) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("DISPLAY", display);
        process.setProcessEnvironment(environment);
    }
    process.start(INSELEDITOR, arguments);
    EditorRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.status = process.exitCode();
    run.said = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return run;
}

// A window as the program starts it; the tests answer its questions through its hooks.
class WindowHarness {
  protected:
    std::unique_ptr<TInselZeichner> window_;
    QStringList messages_;

    // `file` stands on the command line; `edit` may change the definition files' contents.
    void Start(const std::string& file, const std::function<void(Definitions&)>& edit = nullptr) {
        Definitions definitions = LoadDefinitionFiles(kBin);
        if (edit) edit(definitions);
        window_ = std::make_unique<TInselZeichner>(kBin, std::move(definitions), "");
        window_->show_message = [this](const QString& text, bool error) {
            messages_ << (error ? "error: " : "message: ") + text;
        };
        window_->SetCommandLineFile(file);
        window_->show();
    }
    void Finish() {
        if (window_) window_->confirm_exit = [] { return true; };
        window_.reset();
        messages_.clear();
    }
    QWidget* Child(const char* name) {
        QWidget* w = window_->findChild<QWidget*>(name);
        if (!w) qFatal("no control %s", name);
        return w;
    }
    template <typename T>
    T* Control(const char* name) {
        T* w = qobject_cast<T*>(Child(name));
        if (!w) qFatal("control %s has another class", name);
        return w;
    }
    void Click(const char* name) { Control<QAbstractButton>(name)->click(); }
    QImage Canvas() { return Child("FlickerFreePaintBox2")->grab().toImage(); }
    QString Messages() const { return messages_.join('\n'); }
};

}  // namespace insel::gui::test
