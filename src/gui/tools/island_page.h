#pragma once
// The page "Insel": the logs of loading and saving (Memo2) and of cities, warehouses and
// rotation (Memo3, shown on request). A click on a log saves Memo2.
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;

namespace insel::gui {

class TInselZeichner;

class InselPage : public QWidget {
    Q_OBJECT
  public:
    explicit InselPage(TInselZeichner& window);

    // Shows the editor's logs as they are now.
    void ShowLogs();
    void Memo2Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TInselZeichner& window_;
    QPlainTextEdit* memo2_ = nullptr;
    QPlainTextEdit* memo3_ = nullptr;
    QCheckBox* show_memo_check_ = nullptr;
};

}  // namespace insel::gui
