#include "gui/tools/statistics_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {

WeitereStatistikPage::WeitereStatistikPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    auto* top = new QHBoxLayout;
    auto* doit = new QPushButton("Create statistics");
    doit->setObjectName("DoItButton");
    connect(doit, &QPushButton::clicked, this, [this] { DoItButtonClick(); });
    top->addWidget(doit);
    ohne_low_check_ = new QCheckBox("Ohne Lobyte");
    ohne_low_check_->setObjectName("OhneLowCheck");
    ohne_low_check_->setChecked(true);
    ohne_rot_check_ = new QCheckBox("Ohne Feldrotation");
    ohne_rot_check_->setObjectName("OhneRotCheck");
    ohne_rot_check_->setChecked(true);
    top->addWidget(ohne_low_check_);
    top->addWidget(ohne_rot_check_);
    top->addStretch(1);
    column->addLayout(top);

    // Series counts of earlier loads are kept for the ranking unless this is ticked.
    auto* clear_gfx = new QCheckBox("GFX-Zähler bei jedem Laden löschen");
    clear_gfx->setObjectName("ClearGFXCheck");
    connect(clear_gfx, &QCheckBox::toggled, this,
            [this](bool on) { window_.editor().clear_series_usage_on_load = on; });
    column->addWidget(clear_gfx);

    gfx_grid_ = BuildGrid("GFXGrid", 4);
    column->addWidget(gfx_grid_, 1);
    auto* save_gfx = new QPushButton("Save GFX statistics");
    save_gfx->setObjectName("SaveGFXStatButton");
    save_gfx->setProperty("tag", 0);
    connect(save_gfx, &QPushButton::clicked, this, [this] { SaveStatisticsGrid(0); });
    column->addWidget(save_gfx, 0, Qt::AlignLeft);

    column->addWidget(Caption("GelaendeLabel", QString::fromUtf8("Gelände")));
    terrain_grid_ = BuildGrid("GelaendeGrid", 6);
    column->addWidget(terrain_grid_, 1);
    auto* save_terrain = new QPushButton("Save terrain statistics");
    save_terrain->setObjectName("SaveGelStatButton");
    save_terrain->setProperty("tag", 1);
    connect(save_terrain, &QPushButton::clicked, this, [this] { SaveStatisticsGrid(1); });
    column->addWidget(save_terrain, 0, Qt::AlignLeft);
}

void WeitereStatistikPage::DoItButtonClick() {
    if (!window_.editor().doc.loaded) return;
    window_.RunLong([this] {
        const IslandMap& island = window_.editor().doc.island;
        gfx_rows_ = GfxStatisticsRows(island, ohne_low_check_->isChecked());
        terrain_rows_ = TerrainStatisticsRows(island, ohne_rot_check_->isChecked());
    });
    ShowRows(gfx_grid_, gfx_rows_);
    ShowRows(terrain_grid_, terrain_rows_);
}

void WeitereStatistikPage::SaveStatisticsGrid(int tag) {
    if (window_.editor().updating) return;
    const StatisticsGrid which = tag == 0 ? StatisticsGrid::Gfx : StatisticsGrid::Terrain;
    const GridRows& rows = tag == 0 ? gfx_rows_ : terrain_rows_;
    if (rows.empty()) return;
    window_.SaveTextLines(StatisticsFileName(which), StatisticsFileLines(rows, which));
}

}  // namespace insel::gui
