#pragma once
// The page "Untergrund": the 3 x 3 tile field composed from a series, a field row and a turn,
// written at the tool frame as a tile, row, column, whole field or flood; series replacement
// and listing, and base patterns over the island.
#include <QImage>
#include <QWidget>
#include <array>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace insel::gui {

class ClickPanel;
class TInselZeichner;
class TViewForm;

class UntergrundPage : public QWidget {
    Q_OBJECT
  public:
    explicit UntergrundPage(TInselZeichner& window);
    ~UntergrundPage() override;

    // After a canvas click picked the tile field: the list shows the tile found, and the field
    // its keys and pictures when the click filled it in.
    void ShowPickedField();
    // The field's keys, lists and pictures as the tool state holds them.
    void ShowField();

  private:
    void GFXKeyEditChange();
    void ComboBox4Click();
    void GFXRotationBoxClick();
    // Double click on a field key, or a click on its picture: the entry shape from there.
    void GFXEdit0DblClick(int edit);
    void GFXImageClick();
    void GFXReplaceButtonClick();
    void GFXAuflistenButtonClick();
    void GFXBackButtonClick(int tag);
    void FloodButtonClick();
    void RMBButtonClick(int tag);
    void BetterPicCheckClick();
    void DrawColorPanelClick();

    // Composes the field from the key edit and both lists; false (with a message) when the
    // key is no hex key.
    bool Compose();
    // The nine keys as typed become the field; false (with a message naming the edit) when one
    // is no hex key.
    bool TakeFieldKeys();
    // The cell under the frame's top-left corner.
    std::pair<int, int> FrameCorner();
    void LoadFieldPicture();
    void ShowPictures();

    TInselZeichner& window_;
    QLineEdit* key_edit_ = nullptr;   // GFXKeyEdit
    QComboBox* tile_list_ = nullptr;  // ComboBox4
    QComboBox* offset_box_ = nullptr;
    QComboBox* rotation_box_ = nullptr;
    std::array<QLineEdit*, 9> field_edits_{};
    std::array<ClickPanel*, 9> field_images_{};
    ClickPanel* field_image_ = nullptr;  // GFXImage
    QButtonGroup* shapes_ = nullptr;
    QLineEdit* replace_edit_ = nullptr;
    QComboBox* pattern_box_ = nullptr;    // GFXComboBox
    QLineEdit* height_edit_ = nullptr;    // GFXHeightEdit
    QLineEdit* search_edit_ = nullptr;    // Edit5
    QCheckBox* colour_check_ = nullptr;   // White2Check
    ClickPanel* colour_panel_ = nullptr;  // DrawColorPanel
    QTableWidget* grid_ = nullptr;        // ListGrid2
    QSpinBox* flood_right_ = nullptr;
    QSpinBox* flood_down_ = nullptr;
    QCheckBox* better_check_ = nullptr;
    // The field's picture turned by 0, 90, 180 and 270 degrees; null without a picture file.
    std::array<QImage, 4> pictures_;
    std::unique_ptr<TViewForm> view_form_;
};

}  // namespace insel::gui
