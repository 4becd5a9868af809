#include "gui/tools/legend_page.h"

#include <QApplication>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {

HoehenStatistikPage::HoehenStatistikPage(TInselZeichner& window) : window_(window) {
    // Each colour panel with its count to the right; as many per row as the page is wide, in
    // the order of the bands.
    auto* legend = new FlowPanel(6);
    legend->setObjectName("LegendArea");
    const int count_width = fontMetrics().horizontalAdvance("8888888") + 4;
    const int panel_width = std::max(27, fontMetrics().horizontalAdvance("888") + 8);
    for (int i = 0; i < kLegendPanelCount; ++i) {
        auto* entry = new QWidget;
        entry->setObjectName(QString("LegendEntry%1").arg(i));
        entry->setFixedSize(panel_width + 4 + count_width, 20);
        auto* panel = new ClickPanel(entry);
        panel->setObjectName(QString("LegendPanel%1").arg(i));
        panel->setProperty("tag", i);
        panel->setGeometry(0, 0, panel_width, 20);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAlignment(Qt::AlignCenter);
        panel->on_click = [this, i] { LegendPanelClick(i); };
        panels_[static_cast<std::size_t>(i)] = panel;
        auto* count = new QLabel(entry);
        count->setObjectName(QString("LegendCount%1").arg(i));
        count->setGeometry(panel_width + 4, 0, count_width, 20);
        count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        counts_[static_cast<std::size_t>(i)] = count;
        legend->AddItem(entry);
    }
    auto* column = new QVBoxLayout(this);
    column->addWidget(legend);
    column->addStretch(1);
    ShowLegend(Legend{});
}

void HoehenStatistikPage::ShowLegend(const Legend& legend) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (std::size_t i = 0; i < legend.size(); ++i) {
        const LegendEntry& entry = legend[i];
        PaintPanel(panels_[i], entry.shown ? ColourOf(entry.colour) : face);
        panels_[i]->setText(QString::fromStdString(entry.caption));
        counts_[i]->setText(QString::fromStdString(entry.count));
    }
}

void HoehenStatistikPage::LegendPanelClick(int tag) {
    window_.editor().tools.legend_value = tag;
    window_.SetToolFrameColour(
        panels_[static_cast<std::size_t>(tag)]->palette().color(QPalette::Window));
}

}  // namespace insel::gui
