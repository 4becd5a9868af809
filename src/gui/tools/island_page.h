#pragma once
// The page "Insel": the logs of loading and saving (Memo2) and of cities, warehouses and
// rotation (Memo3, shown on request). A click on a log saves Memo2.
#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QPlainTextEdit;

namespace insel::gui {

class TInselZeichner;

class InselPage : public QWidget {
    Q_OBJECT
  public:
    explicit InselPage(TInselZeichner& window);

    // Shows the editor's logs as they are now; a log that has not changed is left alone, so
    // its scroll position stays and a long log is not set again on every refresh.
    void ShowLogs();
    void Memo2Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TInselZeichner& window_;
    QPlainTextEdit* memo2_ = nullptr;
    QPlainTextEdit* memo3_ = nullptr;
    QCheckBox* show_memo_check_ = nullptr;
    std::vector<std::string> shown_memo2_, shown_memo3_;
};

}  // namespace insel::gui
