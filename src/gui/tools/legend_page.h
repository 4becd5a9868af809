#pragma once
// The page "Höhenstatistik": the 54 colour panels of the legend with their counts. A click on
// a panel chooses its value for the fertility frame and colours the tool frame.
#include <QWidget>
#include <array>

#include "core/display/legend.h"

class QLabel;

namespace insel::gui {

class TInselZeichner;
class ClickPanel;

class HoehenStatistikPage : public QWidget {
    Q_OBJECT
  public:
    explicit HoehenStatistikPage(TInselZeichner& window);
    void ShowLegend(const Legend& legend);

  private:
    void LegendPanelClick(int tag);

    TInselZeichner& window_;
    std::array<ClickPanel*, kLegendPanelCount> panels_{};
    std::array<QLabel*, kLegendPanelCount> counts_{};
};

}  // namespace insel::gui
