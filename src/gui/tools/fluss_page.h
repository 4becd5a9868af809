#pragma once
// The page "Fluss": river elements placed at the frame's origin with a flow direction and a
// size, a clicked river cell shown, one or all visible removed; and the colours the map draws
// rivers, animals and buildings in.
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace insel::gui {

class ClickPanel;
class TInselZeichner;

class FlussPage : public QWidget {
    Q_OBJECT
  public:
    explicit FlussPage(TInselZeichner& window);

    // The click chain: shows the river cell LoadRiverCellAt found; the chain makes this page
    // the active one.
    void ShowRiverCell();
    // Every load and new island starts from the first river element.
    void ResetAfterLoad();

    void FlussComboBoxClick();
    void FlussButtonClick();
    void RemRiverButtonClick(int tag);
    void FlussColorPanelClick();
    void TierFarbePanelClick();
    void BauFarbePanelClick(int tag);

  private:
    void ShowPicture(int id, int direction);

    TInselZeichner& window_;
    QComboBox* combo_ = nullptr;
    QLineEdit* id_edit_ = nullptr;
    QLineEdit* size_edit_ = nullptr;
    QSpinBox* direction_spin_ = nullptr;
    QLabel* picture_ = nullptr;
    ClickPanel* river_colour_ = nullptr;
    ClickPanel* animal_colour_ = nullptr;
    ClickPanel* origin_colour_ = nullptr;
    ClickPanel* outline_colour_ = nullptr;
};

}  // namespace insel::gui
