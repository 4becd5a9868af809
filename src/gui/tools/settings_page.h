#pragma once
// The page "SettingsSheet": the view's scale figures, whether saving asks before replacing a
// file, and how much the edit history may hold.
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace insel::gui {

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    SettingsPage();
    bool WarnOnOverwrite() const;
    // A click on the map takes the tile field under it into the ground-tiles page.
    bool FillTileField() const;
    // xScalePanel, yScalePanel, xZahlPanel, YZahlPanel.
    std::array<QLabel*, 4> ScalePanels() const { return scale_panels_; }
    QSpinBox* HistoryLimitSpin() const { return history_limit_spin_; }

  private:
    QCheckBox* warn_check_ = nullptr;
    QCheckBox* fill_tiles_check_ = nullptr;
    QSpinBox* history_limit_spin_ = nullptr;
    std::array<QLabel*, 4> scale_panels_{};
};

}  // namespace insel::gui
