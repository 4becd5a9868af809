#pragma once
// The page "Minen": the choice between mines and quarry spots, which decides the tool mode and
// the frame's size. The mine and quarry-spot tools themselves join this page.
#include <QWidget>

class QRadioButton;

namespace insel::gui {

class TInselZeichner;

class MinenPage : public QWidget {
    Q_OBJECT
  public:
    explicit MinenPage(TInselZeichner& window);

  private:
    void RadioButton6Click(int tag);

    TInselZeichner& window_;
};

}  // namespace insel::gui
