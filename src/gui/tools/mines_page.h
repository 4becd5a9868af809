#pragma once
// The page "Minen": the choice between mines and quarry spots, which decides the tool mode and
// the frame's size; placing either, changing, moving and removing the selected one, the
// report of all of them and the colours the map draws them in.
#include <QWidget>
#include <functional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

namespace insel::gui {

class TInselZeichner;

class MinenPage : public QWidget {
    Q_OBJECT
  public:
    explicit MinenPage(TInselZeichner& window);

    // Shows the selected mine, or else the selected quarry spot, in the page's controls and
    // the frame's position spins; the choice radio follows. For after a click on the map.
    void ShowSelection();

    // The Yes/No question of the water override; true means "Yes". Replaceable for tests.
    std::function<bool(const QString& question)> ask_yes_no;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // One step whose change may answer with a message for the user, which is shown; true when
    // the document changed.
    bool StepWithMessage(const char* name, const std::function<std::string()>& change);
    void RadioButton6Click(int tag);
    void NeueMineButtonClick();
    void MinenComboBoxChange(int index);
    void MineSichtbarCheckClick();
    void SchatzEditChange();
    void SymbolEditChange();
    void OstAbbauClick(int tag);
    void MinenXPosChange();
    void TestMinenButtonClick();
    void SaveMinenButtonClick();
    void KillMineButtonClick(int tag);
    void KillAbbauButtonClick(int tag);
    void ColourPanelClick(bool mines);
    void OverrideButtonClick();
    // The selected mine's treasure and symbol elevation in their edits.
    void ShowMineValues();
    void ConnectPositionSpins();

    TInselZeichner& window_;
    QRadioButton* mines_radio_ = nullptr;
    QRadioButton* spots_radio_ = nullptr;
    QComboBox* kind_box_ = nullptr;
    QCheckBox* visible_check_ = nullptr;
    QLineEdit* treasure_edit_ = nullptr;
    QLineEdit* symbol_edit_ = nullptr;
    QSpinBox* offset_spin_ = nullptr;
    QButtonGroup* orientation_group_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QLabel* mine_colour_ = nullptr;
    QLabel* spot_colour_ = nullptr;
    bool spins_connected_ = false;
};

}  // namespace insel::gui
