#pragma once
// The page "RotationSheet": the rotation angle and the per-layer shifts the island writer
// applies when saving.
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace insel::gui {

class TInselZeichner;

class RotationPage : public QWidget {
    Q_OBJECT
  public:
    explicit RotationPage(TInselZeichner& window);
    // Shows the editor's shift settings (a load unticks the boxes).
    void ShowShifts();
    // The rotation angle as the history stands (empty while no turn is done).
    void ShowAngle();
    // "+90 Grad": a quarter turn of the island.
    void RotateButton1Click();

  private:
    TInselZeichner& window_;
    QLabel* angle_panel_ = nullptr;
    std::array<QCheckBox*, 4> checks_{};
    std::array<QSpinBox*, 8> spins_{};  // x, y per layer kind
};

}  // namespace insel::gui
