#pragma once
// The page "SettingsSheet": the view's scale figures and whether saving asks before
// replacing a file.
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;

namespace insel::gui {

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    SettingsPage();
    bool WarnOnOverwrite() const;
    // xScalePanel, yScalePanel, xZahlPanel, YZahlPanel.
    std::array<QLabel*, 4> ScalePanels() const { return scale_panels_; }

  private:
    QCheckBox* warn_check_ = nullptr;
    std::array<QLabel*, 4> scale_panels_{};
};

}  // namespace insel::gui
