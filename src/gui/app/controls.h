#pragma once
// Small builders and conversions shared by the main window and its pages.
#include <QColor>
#include <QLabel>
#include <QString>
#include <QTableWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/app/definitions.h"
#include "core/reports/statistics.h"
#include "core/tools/element_pictures.h"

namespace insel::gui {

// Game-file text (panels, island names) is Windows-1252.
QString FromGameText(const std::string& text);
// Definition files and messages are UTF-8 unless they are not valid UTF-8.
QString FromText(const std::string& text);
// Line `line` of MainIStrings; `fallback` where the file has no such line or leaves it empty,
// so that a short or unfinished text file never blanks a caption.
QString InterfaceLine(const Definitions& definitions, int line, const QString& fallback);
// Gives each named control below `root` its MainIStrings line (line -> object name), keeping
// the control's own caption where the line is missing or empty. Actions, menus, buttons,
// labels and group boxes take it as their text; pages of `tabs` as their tab caption.
// Names `root` does not have are passed over.
void ApplyInterfaceTexts(QWidget& root, const Definitions& definitions,
                         std::span<const std::pair<int, const char*>> texts,
                         QTabWidget* tabs = nullptr);

// A panel that reports a left click, as colour panels do.
class ClickPanel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> on_click;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A sunken read-only panel the core's panel texts are shown in: `panel` given that look, or a
// new label when none is given (a ClickPanel, say, for one that answers clicks).
QLabel* StatusPanel(const QString& name, int min_width, QLabel* panel = nullptr);
QLabel* Caption(const char* name, const QString& text);
// A read-only list with one selected row at a time.
QTableWidget* BuildGrid(const char* name, int columns);
// Fills a grid from rows whose first row is the header.
void ShowRows(QTableWidget* grid, const GridRows& rows);
// Fills a grid's rows (below its header) with the cells of `rows`, converted for display.
template <class Rows>
void FillGrid(QTableWidget* grid, const Rows& rows, QString (*convert)(const std::string&)) {
    grid->setRowCount(static_cast<int>(rows.size()));
    int r = 0;
    for (const auto& row : rows) {
        int c = 0;
        for (const std::string& cell : row)
            grid->setItem(r, c++, new QTableWidgetItem(convert(cell)));
        ++r;
    }
}

// Places its items left to right in rows as wide as itself and starts a new row where the
// next item does not fit, so that a narrow window gets more rows instead of cut items. Hidden
// items take no place; call Relayout after showing or hiding one.
class FlowPanel : public QWidget {
  public:
    explicit FlowPanel(int spacing = 4, QWidget* parent = nullptr);
    void AddItem(QWidget* item);
    void Relayout();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The height the items need at `width`; places them there when `place` is set.
    int Arrange(int width, bool place) const;

    int spacing_;
    std::vector<QWidget*> items_;
};

// The core's colours are 0x00BBGGRR.
// The element's picture from the program's GelImages folder, fitted into `label`; the id as
// text where no picture exists.
void ShowElementPicture(QLabel* label, const std::filesystem::path& program_folder,
                        PictureKind kind, int variant, int id);

QColor ColourOf(std::uint32_t bgr);
std::uint32_t ColourValue(const QColor& colour);
// Black or white, whichever contrasts more with `back` (by relative luminance).
QColor CaptionColourOn(const QColor& back);
// Sets a panel's background, with a caption colour that stays readable on it.
void PaintPanel(QLabel* panel, const QColor& back);

}  // namespace insel::gui
