#pragma once
// The page "Bewuchs": terrain elements and vegetation. Choosing an element, inserting it into
// the frame, deleting, replacing and listing elements, their colours, the random distribution
// over the island or a band, and clearing plants of one height or all shipwrecks.
#include <QWidget>
#include <functional>
#include <random>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace insel::gui {

class ClickPanel;
class TInselZeichner;

class GelaendePage : public QWidget {
    Q_OBJECT
  public:
    explicit GelaendePage(TInselZeichner& window);

    // The click chain: shows the element LoadTerrainElementAt found, and fills the edits with
    // it while FillBewuchsCheck is ticked.
    void ShowClickedElement();
    // The click chain's step for the band: the clicked cell becomes the corner whose box
    // ("Top x" or "Bot x") is ticked.
    void SetBandCorner(int x, int y);
    // The picker window's vegetation mode: the first item with `id` (item 0 when none) is
    // chosen as a click on the list would.
    void ChooseElement(int id);
    // Entering the page: the element chosen in the list goes into the three edits.
    void LoadChosenElement();
    // Every load and new island: the distribution counter is emptied.
    void ResetAfterLoad();
    // The distribution in progress, if any, ends as "Abbrechen" ends it.
    void StopDistribution() { cancel_requested_ = true; }
    bool Distributing() const { return distributing_; }
    // The Yes/No question before deleting; replaceable so tests can answer it.
    std::function<bool(const QString& question)> confirm_delete;

    void BewuchsComboBoxClick();
    void BewuchsFrageButtonClick();
    void GelaendeEinbauButtonClick();
    void LoeschButtonClick(int tag);
    void ReplaceIDButtonClick();
    void GelaendeAuflistenButtonClick();
    void SpColorPanelClick();
    void FarbeButtonClick(int tag);
    void DistributeButtonClick(int tag);
    void ClearBewuchsButtonClick();
    void ClearShipsButtonClick();

  private:
    QWidget* BuildChoice();
    QWidget* BuildEditing();
    QWidget* BuildListing();
    QWidget* BuildDistribution();
    void ShowPicture(int id, int orientation);
    bool GrowthAdjust() const;
    int TypedId() const;

    TInselZeichner& window_;
    QComboBox* combo_ = nullptr;
    QLineEdit* id_edit_ = nullptr;
    QLineEdit* growth_edit_ = nullptr;
    QLineEdit* height_edit_ = nullptr;
    QSpinBox* orientation_spin_ = nullptr;
    QLabel* picture_ = nullptr;
    QLineEdit* new_id_edit_ = nullptr;
    QCheckBox* plants_only_ = nullptr;
    QCheckBox* keep_ = nullptr;
    QCheckBox* useful_only_ = nullptr;
    QCheckBox* fill_check_ = nullptr;
    QCheckBox* orient_check_ = nullptr;
    QCheckBox* white_check_ = nullptr;
    QTableWidget* grid_ = nullptr;
    ClickPanel* colour_panel_ = nullptr;
    QSpinBox* count_spin_ = nullptr;
    QLineEdit* min_height_ = nullptr;
    QLineEdit* max_height_ = nullptr;
    QRadioButton* random_orientation_ = nullptr;
    QCheckBox* overwrite_ = nullptr;
    QCheckBox* not_under_ = nullptr;
    QLabel* distributed_panel_ = nullptr;
    QCheckBox* top_check_ = nullptr;
    QCheckBox* bot_check_ = nullptr;
    QLineEdit* band_[4] = {};  // tleftx, tlefty, brightx, brighty
    QListWidget* heights_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QTimer* timer_ = nullptr;

    bool timer_expired_ = false;
    bool cancel_requested_ = false;
    bool distributing_ = false;
    std::mt19937 random_;
};

}  // namespace insel::gui
