#pragma once
// The page "Gebäude": choosing, turning, placing and removing buildings and objects, founding a
// town with its main warehouse, element lists from text files, the current city's inhabitants,
// tidying the warehouses, and whether animals and objects are drawn.
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/tools/element_list.h"
#include "gui/dialogs/building_form.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace insel::gui {

class TInselZeichner;

class GebaeudePage : public QWidget {
    Q_OBJECT
  public:
    GebaeudePage(TInselZeichner& window, std::filesystem::path program_folder);
    ~GebaeudePage() override;

    void maxEinwohnerButtonClick();
    void AufraumButtonClick();
    void NativeRadioClick(int tag);
    // The radios show the document's main warehouse kind; the panels the current city, the
    // selected object and whether the warehouses need tidying.
    void ShowWarehouseKind();
    // A new island has nothing tidied or counted yet.
    void ResetAfterLoad();

    void BuildingComboBoxClick(int item);
    // The first list line with graphic id `id` (line 0 when none has it) is chosen.
    void SelectBuildingById(int id);
    void OriButtonClick();
    // Tag 0 into the current city, 1 main warehouse of a new town, 2 free object.
    void InsertButtonClick(int tag);
    void RemoveObjektButtonClick();
    // Tag 1 "Show elements", tag 0 removes every object with the id in IDPanel.
    void RemoveItemButtonClick(int tag);
    void ProductButtonClick();
    // Tag 1 free objects, tag 0 with a town.
    void FreeListButtonClick(int tag);
    void FileListButtonClick();
    void InsertListButtonClick();
    void CloseListButtonClick();
    void AbortButtonClick();

    // The click chain: the selected object (after SelectObjectAt) and an animal of the
    // island's list are shown here.
    void ShowSelectedObject();
    void ShowAnimal(std::size_t index);
    // ObjHoeheEdit, which shows the clicked cell's height.
    QLineEdit* ObjectHeightEdit() const { return height_edit_; }
    // The picker window; a choice in building mode selects the building here, one in
    // vegetation mode goes to `vegetation_choice` (the terrain page's element choice).
    TBuildingForm& BuildingForm();
    void ShowBuildingForm(TBuildingForm::Mode mode = TBuildingForm::Mode::Building);
    void HideBuildingForm();
    std::function<void(int id)> vegetation_choice;

  private:
    void ShowChosenBuilding();
    void ShowPicture(int id, int orientation);
    void MarkWarehouses();
    void SetListControlsShown(bool list_open);

    TInselZeichner& window_;
    std::filesystem::path program_folder_;
    QLabel* wohn_panel_ = nullptr;
    QPushButton* aufraum_button_ = nullptr;
    QButtonGroup* kind_group_ = nullptr;

    QComboBox* building_box_ = nullptr;
    QLabel *id_panel_ = nullptr, *ori_panel_ = nullptr, *dx_panel_ = nullptr, *dy_panel_ = nullptr,
           *object_image_ = nullptr, *city_panel_ = nullptr, *object_panel_ = nullptr,
           *show_num_panel_ = nullptr;
    QLineEdit* town_name_edit_ = nullptr;
    QLineEdit* height_edit_ = nullptr;  // ObjHoeheEdit

    QGroupBox* list_group_ = nullptr;  // FreeGroupBox
    QCheckBox *insert_town_box_ = nullptr, *redraw_at_end_box_ = nullptr,
              *clear_plants_box_ = nullptr;
    QSpinBox *offset_left_ = nullptr, *offset_top_ = nullptr;
    QLabel *list_panel_ = nullptr, *lines_panel_ = nullptr, *offset_x_panel_ = nullptr,
           *offset_y_panel_ = nullptr, *current_line_panel_ = nullptr;
    QPushButton* abort_button_ = nullptr;
    std::unique_ptr<ElementList> list_;  // the open element list
    bool abort_requested_ = false;
    TBuildingForm* picker_ = nullptr;
};

}  // namespace insel::gui
