#include "gui/tools/legend_page.h"

#include <QApplication>
#include <QScrollArea>
#include <QVBoxLayout>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {

HoehenStatistikPage::HoehenStatistikPage(TInselZeichner& window) : window_(window) {
    // Fixed places: six rows of panels, each with its count label to the right.
    auto* legend = new QWidget;
    legend->setObjectName("LegendArea");
    const int columns = (kLegendPanelCount + 5) / 6;
    legend->setFixedSize((columns - 1) * 78 + 37 + 40 + 6, 5 * 28 + 10 + 20 + 10);
    for (int i = 0; i < kLegendPanelCount; ++i) {
        const int top = (i % 6) * 28 + 10;
        const int left = (i / 6) * 78;
        auto* panel = new ClickPanel(legend);
        panel->setObjectName(QString("LegendPanel%1").arg(i));
        panel->setProperty("tag", i);
        panel->setGeometry(left + 6, top, 27, 20);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAlignment(Qt::AlignCenter);
        panel->on_click = [this, i] { LegendPanelClick(i); };
        panels_[static_cast<std::size_t>(i)] = panel;
        auto* count = new QLabel(legend);
        count->setObjectName(QString("LegendCount%1").arg(i));
        count->setGeometry(left + 37, top, 40, 20);
        count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        counts_[static_cast<std::size_t>(i)] = count;
    }
    // The panels need more width than the page column may have; scroll rather than clip.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("LegendScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(legend);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll);
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
