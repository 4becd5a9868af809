#pragma once
// The page "SettingsSheet": the view's scale figures and whether saving asks before
// replacing a file.
#include <QWidget>

class QCheckBox;

namespace insel::gui {

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    SettingsPage();
    bool WarnOnOverwrite() const;

  private:
    QCheckBox* warn_check_ = nullptr;
};

}  // namespace insel::gui
