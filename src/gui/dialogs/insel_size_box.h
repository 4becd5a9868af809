#pragma once
// TInselSizeBox: asks for the size and climate of a new island.
#include <QDialog>

#include "core/app/definitions.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace insel::gui {

class TInselSizeBox : public QDialog {
    Q_OBJECT
  public:
    explicit TInselSizeBox(const Definitions& definitions, QWidget* parent = nullptr);

    // What OK settled on; valid once the dialog was accepted.
    int Size() const { return size_; }
    int Climate() const { return climate_; }

    void OKButtonClick();

  private:
    void RadioButton1Click(int tag);
    void Edit1Change(const QString& text);
    void ComboBox1Change(int index);

    int size_ = 64;
    int climate_ = 0;
    QButtonGroup* sizes_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QComboBox* combo_box1_ = nullptr;
};

}  // namespace insel::gui
