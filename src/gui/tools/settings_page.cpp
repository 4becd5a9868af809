#include "gui/tools/settings_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/app/controls.h"

namespace insel::gui {

SettingsPage::SettingsPage() {
    auto* column = new QVBoxLayout(this);
    auto* control = new QGroupBox;
    control->setObjectName("ControlBox");
    auto* grid = new QGridLayout(control);
    grid->addWidget(
        Caption("ControlLabel", "Kontrollangaben      xscale    yscale         xZahl     yZahl"), 0,
        0, 1, 4);
    const char* panels[] = {"xScalePanel", "yScalePanel", "xZahlPanel", "YZahlPanel"};
    for (int i = 0; i < 4; ++i) {
        scale_panels_[static_cast<std::size_t>(i)] = StatusPanel(panels[i], 50);
        grid->addWidget(scale_panels_[static_cast<std::size_t>(i)], 1, i);
    }
    column->addWidget(control, 0, Qt::AlignLeft);

    warn_check_ = new QCheckBox("warn when overwrite files");
    warn_check_->setObjectName("WarnCheck");
    warn_check_->setChecked(true);
    column->addWidget(warn_check_);

    // Off by default: a click that places the frame would otherwise replace the field composed
    // on the ground-tiles page.
    fill_tiles_check_ = new QCheckBox("FillUntergrundCheck");
    fill_tiles_check_->setObjectName("FillUntergrundCheck");
    column->addWidget(fill_tiles_check_);

    // Inserted and scattered plants stand at the height of the ground under them; the
    // vegetation page reads the box.
    auto* growth_adjust = new QCheckBox("GrowthAdjustCheck");
    growth_adjust->setObjectName("GrowthAdjustCheck");
    growth_adjust->setChecked(true);
    column->addWidget(growth_adjust);

    // The oldest steps are dropped once the history holds more.
    auto* limit_row = new QHBoxLayout;
    limit_row->addWidget(Caption("HistoryLimitLabel", "Verlauf höchstens (MB)"));
    history_limit_spin_ = new QSpinBox;
    history_limit_spin_->setObjectName("HistoryLimitSpin");
    history_limit_spin_->setRange(16, 65536);
    history_limit_spin_->setValue(512);
    limit_row->addWidget(history_limit_spin_);
    limit_row->addStretch(1);
    column->addLayout(limit_row);
    column->addStretch(1);
}

bool SettingsPage::WarnOnOverwrite() const { return warn_check_->isChecked(); }

bool SettingsPage::FillTileField() const { return fill_tiles_check_->isChecked(); }

}  // namespace insel::gui
