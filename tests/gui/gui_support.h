#pragma once
// What the window tests share: the program folder of the build, a window started as the
// program starts it with its messages collected, and ways to drive its controls.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/app/definitions.h"
#include "gui/app/main_window.h"
#include "island_fixture.h"
#include "temp_file.h"

namespace insel::gui::test {

namespace fx = insel::fixture;
inline const std::filesystem::path kBin = INSEL_BIN_DIR;
inline const std::string kSample = (kBin / "samples" / "sample_island.scp").string();

template <typename T = QWidget>
T* Find(QObject& root, const QString& name) {
    T* child = root.findChild<T*>(name);
    if (!child) qFatal("no control %s of that class", qPrintable(name));
    return child;
}

// The caption or contents of a label, line edit, spin box or button.
inline QString Text(QObject& root, const QString& name) {
    if (auto* label = root.findChild<QLabel*>(name)) return label->text();
    if (auto* edit = root.findChild<QLineEdit*>(name)) return edit->text();
    if (auto* spin = root.findChild<QAbstractSpinBox*>(name)) return spin->text();
    if (auto* button = root.findChild<QAbstractButton*>(name)) return button->text();
    return "<no control " + name + ">";
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

// A window as the program starts it; the tests answer its questions through its hooks.
class WindowHarness {
  protected:
    std::unique_ptr<TInselZeichner> window_;
    QStringList messages_;
    QTemporaryDir dir_;
    QString proposed_;  // the file name the last save offered

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
        proposed_.clear();
    }
    Editor& Ed() { return window_->editor(); }
    QString At(const QString& name) const { return dir_.filePath(name); }
    // Saves answer with `name` in the scratch folder; an empty name cancels them.
    void SaveAs(const QString& name) {
        window_->choose_save_file = [this, name](const QString&, const QString& offered) {
            proposed_ = offered;
            return name.isEmpty() ? QString() : At(name == "*" ? offered : name);
        };
    }
    // The texts of the named controls, joined with commas.
    QString Panels(const QStringList& names) {
        QStringList texts;
        for (const QString& name : names) texts << Text(*window_, name);
        return texts.join(',');
    }
    QWidget* Child(const char* name) { return Find(*window_, name); }
    template <typename T>
    T* Control(const char* name) {
        return Find<T>(*window_, name);
    }
    void Click(const char* name) { Control<QAbstractButton>(name)->click(); }
    void ShowPage(const char* name) {
        Control<QTabWidget>("PageControl1")->setCurrentWidget(Child(name));
    }
    // Moves the mouse over cell (x, y) of a 128-cell island in the whole view (4 pixels a cell)
    // and clicks there.
    void ClickCanvasCell(int x, int y) {
        const QPoint at(4 * x + 1, 4 * y + 1);
        MoveMouse(Child("FlickerFreePaintBox2"), at);
        QTest::mouseClick(Child("FlickerFreePaintBox2"), Qt::LeftButton, {}, at);
    }
    QImage Canvas() { return Child("FlickerFreePaintBox2")->grab().toImage(); }
    QString Messages() const { return messages_.join('\n'); }
};

}  // namespace insel::gui::test
