#include "gui/tools/island_list_page.h"

#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

// Heading lines; 0 is the fixed text "ID".
constexpr std::array<int, 9> kIslandHeadings = {246, 249, 254, 255, 257, 258, 259, 250, 0};

}  // namespace

InsellistePage::InsellistePage(TInselZeichner& window) : window_(window) {
    island_grid_ = BuildGrid("InselListenGrid", static_cast<int>(kIslandHeadings.size()));
    connect(island_grid_, &QTableWidget::cellClicked, this,
            [this](int row, int) { window_.SelectIslandListRow(row + 1); });
    (new QVBoxLayout(this))->addWidget(island_grid_);
    ApplyHeadings();
}

void InsellistePage::ApplyHeadings() {
    QStringList texts;
    for (int n : kIslandHeadings) texts << (n == 0 ? QString("ID") : window_.InterfaceText(n, {}));
    island_grid_->setHorizontalHeaderLabels(texts);
}

void InsellistePage::FillIslands() {
    std::vector<std::array<std::string, 9>> rows;
    for (const IslandListRow& row : window_.editor().doc.island_list) rows.push_back(row.Cells());
    FillGrid(island_grid_, rows, FromGameText);
}

}  // namespace insel::gui
