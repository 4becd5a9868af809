#pragma once
// The page "Mehr Statistik": counts of the graphic and terrain values in two grids, saved as
// comma files.
#include <QWidget>

#include "core/reports/statistics.h"

class QCheckBox;
class QTableWidget;

namespace insel::gui {

class TInselZeichner;

class WeitereStatistikPage : public QWidget {
    Q_OBJECT
  public:
    explicit WeitereStatistikPage(TInselZeichner& window);

    void DoItButtonClick();
    // Tag 0 saves the graphic grid, tag 1 the terrain grid.
    void SaveStatisticsGrid(int tag);

  private:
    TInselZeichner& window_;
    QCheckBox* ohne_low_check_ = nullptr;
    QCheckBox* ohne_rot_check_ = nullptr;
    QTableWidget* gfx_grid_ = nullptr;
    QTableWidget* terrain_grid_ = nullptr;
    // What the grids show, header row first; saving writes these.
    GridRows gfx_rows_;
    GridRows terrain_rows_;
};

}  // namespace insel::gui
