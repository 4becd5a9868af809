#include "gui/app/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "core/container/cp1252.h"
#include "core/container/file_io.h"

namespace insel::gui {

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        on_click) {
        on_click();
    }
}

QString FromGameText(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

QString FromText(const std::string& text) {
    return QString::fromStdString(IsValidUtf8(text) ? text : Cp1252ToUtf8(text));
}

QString InterfaceLine(const Definitions& definitions, int line, const QString& fallback) {
    const auto& lines = definitions.main_strings;
    if (line < 0 || line >= static_cast<int>(lines.size())) return fallback;
    const QString text = FromText(lines[static_cast<std::size_t>(line)]);
    return text.trimmed().isEmpty() ? fallback : text;
}

void ApplyInterfaceTexts(QWidget& root, const Definitions& definitions,
                         std::span<const std::pair<int, const char*>> texts, QTabWidget* tabs) {
    for (const auto& [line, name] : texts) {
        QObject* control = root.findChild<QObject*>(name);
        if (auto* action = qobject_cast<QAction*>(control)) {
            action->setText(InterfaceLine(definitions, line, action->text()));
        } else if (auto* menu = qobject_cast<QMenu*>(control)) {
            menu->setTitle(InterfaceLine(definitions, line, menu->title()));
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(InterfaceLine(definitions, line, button->text()));
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(InterfaceLine(definitions, line, label->text()));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(InterfaceLine(definitions, line, group->title()));
        } else if (auto* page = qobject_cast<QWidget*>(control); page && tabs) {
            const int index = tabs->indexOf(page);
            if (index >= 0)
                tabs->setTabText(index, InterfaceLine(definitions, line, tabs->tabText(index)));
        }
    }
}

QLabel* StatusPanel(const QString& name, int min_width, QLabel* panel) {
    if (!panel) panel = new QLabel;
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(min_width);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return panel;
}

QLabel* Caption(const char* name, const QString& text) {
    auto* label = new QLabel(text);
    if (name) label->setObjectName(name);
    return label;
}

QTableWidget* BuildGrid(const char* name, int columns) {
    auto* grid = new QTableWidget(0, columns);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return grid;
}

void ShowRows(QTableWidget* grid, const GridRows& rows) {
    grid->clearContents();
    grid->setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    if (rows.empty()) return;
    QStringList header;
    for (const std::string& cell : rows.front()) header << QString::fromStdString(cell);
    grid->setColumnCount(static_cast<int>(header.size()));
    grid->setHorizontalHeaderLabels(header);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
}

QColor ColourOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t ColourValue(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}

namespace {

// A plain widget of fixed size has no size hint of its own.
QSize ItemSize(const QWidget* item) { return item->sizeHint().expandedTo(item->minimumSize()); }

}  // namespace

FlowPanel::FlowPanel(int spacing, QWidget* parent) : QWidget(parent), spacing_(spacing) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void FlowPanel::AddItem(QWidget* item) {
    item->setParent(this);
    items_.push_back(item);
    Relayout();
}

void FlowPanel::Relayout() {
    updateGeometry();
    if (width() > 0) resizeEvent(nullptr);
}

QSize FlowPanel::minimumSizeHint() const {
    int widest = 0;
    for (const QWidget* item : items_)
        if (!item->isHidden()) widest = std::max(widest, ItemSize(item).width());
    return {widest, minimumHeight()};
}

QSize FlowPanel::sizeHint() const { return minimumSizeHint(); }

void FlowPanel::resizeEvent(QResizeEvent* event) {
    if (event) QWidget::resizeEvent(event);
    const int needed = Arrange(width(), true);
    // The rows decide the height; the layout above takes it as this panel's minimum.
    if (needed != minimumHeight()) setMinimumHeight(needed);
}

int FlowPanel::Arrange(int width, bool place) const {
    int x = 0, y = 0, row_height = 0;
    for (QWidget* item : items_) {
        if (item->isHidden()) continue;
        const QSize size = ItemSize(item);
        if (x > 0 && x + size.width() > width) {
            x = 0;
            y += row_height + spacing_;
            row_height = 0;
        }
        if (place) item->setGeometry(x, y, size.width(), size.height());
        x += size.width() + spacing_;
        row_height = std::max(row_height, size.height());
    }
    return y + row_height;
}

QColor CaptionColourOn(const QColor& back) {
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance =
        0.2126 * linear(back.red()) + 0.7152 * linear(back.green()) + 0.0722 * linear(back.blue());
    // Contrast with white is 1.05 / (L + 0.05), with black (L + 0.05) / 0.05; they are equal
    // at L = 0.179.
    return luminance > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

void PaintPanel(QLabel* panel, const QColor& back) {
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, back);
    colours.setColor(QPalette::WindowText, CaptionColourOn(back));
    panel->setPalette(colours);
    panel->setAutoFillBackground(true);
}

void ShowElementPicture(QLabel* label, const std::filesystem::path& program_folder,
                        PictureKind kind, int variant, int id) {
    const auto path = ElementPicturePath(program_folder, kind, variant, std::to_string(id));
    QPixmap pixmap;
    if (!path.empty()) pixmap.load(QString::fromStdString(PathToUtf8(path)));
    if (pixmap.isNull()) {
        label->setPixmap({});
        label->setText(QString::number(id));
        return;
    }
    label->setPixmap(pixmap.scaled(label->size(), Qt::KeepAspectRatio));
}

}  // namespace insel::gui
