#pragma once
// Every page of a tab control as a button, in as many rows as the width needs, in place of a
// tab bar that would show a few pages behind scroll arrows.
#include <vector>

#include "gui/app/controls.h"

class QTabWidget;
class QToolButton;

namespace insel::gui {

class PageChooser : public FlowPanel {
    Q_OBJECT
  public:
    // `tabs` holds its pages already; its own tab bar is hidden.
    explicit PageChooser(QTabWidget* tabs, QWidget* parent = nullptr);

    // Captions, hidden and disabled pages as the tab control has them; call after changing
    // them there.
    void Sync();
    // The next (`step` 1) or previous (-1) page that is shown and enabled, round the end.
    void Step(int step);

  private:
    QTabWidget* tabs_;
    std::vector<QToolButton*> buttons_;
};

}  // namespace insel::gui
