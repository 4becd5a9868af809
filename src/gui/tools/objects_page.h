#pragma once
// The page "Gebäude": the current city's inhabitants, tidying the warehouses, the kind of main
// warehouse a new town gets, and whether animals and objects are drawn. The building tools
// join this page.
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;

namespace insel::gui {

class TInselZeichner;

class GebaeudePage : public QWidget {
    Q_OBJECT
  public:
    explicit GebaeudePage(TInselZeichner& window);

    void maxEinwohnerButtonClick();
    void AufraumButtonClick();
    void NativeRadioClick(int tag);
    // The radios show the document's main warehouse kind.
    void ShowWarehouseKind();
    // A new island has nothing tidied or counted yet.
    void ResetAfterLoad();

  private:
    TInselZeichner& window_;
    QLabel* wohn_panel_ = nullptr;
    QPushButton* aufraum_button_ = nullptr;
    QButtonGroup* kind_group_ = nullptr;
};

}  // namespace insel::gui
