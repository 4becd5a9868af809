#pragma once
// TBuildingForm: the picker window that shows the element pictures by people (buildings) or by
// kind of plant (vegetation), three to a row; a click on a picture chooses its element.
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/app/definitions.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTableWidget;

namespace insel::gui {

class TBuildingForm : public QWidget {
    Q_OBJECT
  public:
    enum class Mode { Building, Vegetation };
    static constexpr int kColumns = 3;
    static constexpr int kMaxRows = 201;
    static constexpr int kCellSize = 90;

    TBuildingForm(std::filesystem::path program_folder, const Definitions& definitions,
                  QWidget* parent = nullptr);

    // The radios' tags and captions for the mode; the grid empties until a radio is chosen.
    void SetPickerMode(Mode mode);
    Mode mode() const { return mode_; }
    // RadioButton1Click: the people (or plant kind) tag, then the grid is filled again.
    void RadioButton1Click(int tag);
    // The ids the grid shows, row by row.
    const std::vector<int>& Ids() const { return ids_; }
    // StringGrid1MouseUp on cell (row, column): chooses its element, if it has one.
    void StringGrid1MouseUp(int row, int column);

    // Told the id of every element chosen here.
    std::function<void(int id)> on_choose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Refill();

    std::filesystem::path program_folder_;
    const Definitions& definitions_;
    Mode mode_ = Mode::Building;
    int people_tag_ = 0;
    std::vector<int> ids_;
    QGroupBox* volk_group_ = nullptr;
    QButtonGroup* radios_ = nullptr;
    std::array<QRadioButton*, 11> radio_buttons_{};
    QTableWidget* grid_ = nullptr;
    QLabel* count_panel_ = nullptr;  // NumBmpPanel
};

}  // namespace insel::gui
